// One run of the extractor, from "Application started" to its exit code.
#ifndef KORVEL_TMMSGEXTRACTOR_MAINFLOW_H_
#define KORVEL_TMMSGEXTRACTOR_MAINFLOW_H_

// Arguments as the program receives them, argv[0] being the program. Returns
// 0, -1, -2 or -3, or 128 + a stop signal (see ExtractorState). The extraction log's closing line is
// written afterwards, when the trace log goes at process exit.
int RunExtractor(int argc, const char* const argv[]);

#endif  // KORVEL_TMMSGEXTRACTOR_MAINFLOW_H_
