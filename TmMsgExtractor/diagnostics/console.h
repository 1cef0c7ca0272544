// The extractor's console: progress and failure lines for an administrator
// running it by hand.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_CONSOLE_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_CONSOLE_H_

// printf-style with the wide conventions of FormatWide. Every call is flushed,
// so progress dots show at once and the lines keep their order with stderr.
void ConsolePrint(const wchar_t* format, ...);

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_CONSOLE_H_
