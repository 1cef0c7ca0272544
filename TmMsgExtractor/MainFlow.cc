#include "TmMsgExtractor/MainFlow.h"

#include <sys/stat.h>

#include <memory>
#include <vector>

#include "TmMsgExtractor/CommandLine.h"
#include "TmMsgExtractor/ExtractorState.h"
#include "TmMsgExtractor/MsgHelper.h"
#include "TmMsgExtractor/diagnostics/bstr.h"
#include "TmMsgExtractor/diagnostics/console.h"
#include "TmMsgExtractor/diagnostics/method_trace.h"
#include "TmMsgExtractor/diagnostics/system_text.h"
#include "TmMsgExtractor/diagnostics/trace_log.h"
#include "platform/com/runtime.h"

namespace {

constexpr const wchar_t* kUsage =
    L"No output folder specified.\nExample: TmMsgExtractor -dir c:\\data\\KorvelMsgs -domain example.com";

// Steps that end the run throw an HRESULT, caught by RunExtractor.
void ExtractMessages(int argc, const char* const argv[]) {
  HRESULT hr = g_TraceLog.Initialize(nullptr, L"MsgExtractor", nullptr);
  if (FAILED(hr)) {
    ConsolePrint(L"Failed to Initialized LogManager, 0x%08X\n", hr);
    throw hr;
  }
  g_TraceLog.LogMessage(LOG_LEVEL_INFO, L"Initialized Log Manager");

  std::vector<CBstr> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(FromSystemText(argv[i]));
  ExtractorSettings settings = ReadSwitches(arguments, [](const CBstr& path) {
    if (FAILED(g_TraceLog.OpenLogFile(path.c_str()))) {
      g_ExtractorState.exitCode = -3;
      ConsolePrint(L"Failed to Open LogFile\n");
      throw E_FAIL;
    }
    ConsolePrint(L"LogFile Set to %s\n", path.c_str());
  });

  CBstr& folder = settings.folder;
  const CBstr& domain = settings.domain;
  if (folder.IsEmpty()) {
    g_TraceLog.LogMessage(LOG_LEVEL_ERROR, kUsage);
    throw E_INVALIDARG;
  }
  if (domain.IsEmpty()) g_TraceLog.LogMessage(LOG_LEVEL_INFO, L"No SMTP domain specified");

  const wchar_t last = folder.c_str()[folder.Length() - 1];
  if (last == L'\\' || last == L'/') folder = folder.Left(folder.Length() - 1);

  struct stat status {};
  if (stat(ToSystemText(folder.c_str()).c_str(), &status) != 0) {
    g_TraceLog.LogMessageFormat(LOG_LEVEL_ERROR, L"Directory %s Not found", folder.c_str());
    throw E_INVALIDARG;
  }
  if (!S_ISDIR(status.st_mode)) {
    g_TraceLog.LogMessageFormat(LOG_LEVEL_ERROR, L"%s is not a directory", folder.c_str());
    throw E_INVALIDARG;
  }
  g_TraceLog.LogMessageFormat(LOG_LEVEL_INFO, L"Output Directory set to %s, SMTP domain is set to %s",
                              folder.c_str(), domain.c_str());

  auto pautoMsgHelper = std::make_unique<CMsgHelper>(folder, domain);
  hr = pautoMsgHelper->Run();
  if (FAILED(hr)) {
    TraceFailedCall(L"pautoMsgHelper->Run()", hr);
    g_TraceLog.LogMessage(LOG_LEVEL_ERROR, L"Failed extracting messages, See logs for details");
    throw hr;
  }
  if (g_ExtractorState.errorsEncountered) {
    g_TraceLog.LogMessage(LOG_LEVEL_INFO,
                          L"Message extraction complete. Error were encountered extracting some messages");
  } else {
    g_TraceLog.LogMessage(LOG_LEVEL_INFO, L"Message extraction sucessfull");
  }
  // Releases the store session and manager before COM closes.
  pautoMsgHelper.reset();
}

}  // namespace

int RunExtractor(int argc, const char* const argv[]) {
  ConsolePrint(L"Application started\n");
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (FAILED(hr)) {
    ConsolePrint(L"Failed to Initialized COM, CoInitializeEx returned 0x%08X\n", hr);
    return -1;
  }
  ConsolePrint(L"Initialized COM\n");
  try {
    ExtractMessages(argc, argv);
  } catch (HRESULT) {
    if (g_ExtractorState.exitCode == 0) g_ExtractorState.exitCode = -1;
  } catch (...) {
    ConsolePrint(L"Unknown Exception\n");
    g_ExtractorState.exitCode = -1;
  }
  ConsolePrint(L"Exiting Message Extraction Utility\n");
  // The log manager is let go while COM still runs; the trace log writes the
  // closing line of the extraction log later, when the process ends.
  g_TraceLog.Uninitialize();
  CoUninitialize();
  return g_ExtractorState.exitCode;
}
