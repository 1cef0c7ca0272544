#include "TmMsgExtractor/MainFlow.h"

#include <sys/stat.h>

#include <memory>
#include <string_view>
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
#include "platform/files/folder_lock.h"
#include "platform/files/output_file.h"
#include "platform/interrupt/interrupt.h"

namespace {

constexpr const wchar_t* kUsage =
    L"No output folder specified.\nExample: TmMsgExtractor -dir c:\\data\\KorvelMsgs -domain example.com";

CBstr WithoutTrailingSeparator(const CBstr& folder) {
  if (folder.IsEmpty()) return folder;
  const wchar_t last = folder.c_str()[folder.Length() - 1];
  return last == L'\\' || last == L'/' ? folder.Left(folder.Length() - 1) : folder;
}

bool IsFolder(const CBstr& folder) {
  struct stat status {};
  return stat(ToSystemText(folder.c_str()).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// One writer per output folder. Taken before anything is written, the log
// included: a second extractor would otherwise write into the first one's
// log, which the export program follows. A folder that is not there is left
// to the checks below.
HRESULT LockOutputFolder(const CBstr& folder, files::FolderLock& folderLock) {
  if (folder.IsEmpty() || !IsFolder(folder)) return S_OK;
  if (folderLock.Acquire(ToSystemText(folder.c_str())) == files::FolderLock::Result::kHeldElsewhere) {
    ConsolePrint(L"Output folder %s is in use by another export or message extraction\n", folder.c_str());
    g_ExtractorState.exitCode = -1;
    return E_FAIL;
  }
  return S_OK;
}

// A failure that ends the run is returned; the exit code is set where it is
// not the usual -1.
HRESULT ExtractMessages(int argc, const char* const argv[], files::FolderLock& folderLock) {
  HRESULT hr = g_TraceLog.Initialize(nullptr, L"MsgExtractor", nullptr);
  if (FAILED(hr)) {
    ConsolePrint(L"Failed to Initialized LogManager, 0x%08X\n", hr);
    return hr;
  }
  g_TraceLog.LogMessage(LOG_LEVEL_INFO, L"Initialized Log Manager");

  std::vector<CBstr> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(FromSystemText(argv[i]));
  ExtractorSettings settings = ReadSwitches(arguments);
  if (FAILED(hr = LockOutputFolder(WithoutTrailingSeparator(settings.folder), folderLock))) return hr;
  for (const CBstr& path : settings.logs) {
    if (FAILED(g_TraceLog.OpenLogFile(path.c_str()))) {
      g_ExtractorState.exitCode = -3;
      ConsolePrint(L"Failed to Open LogFile\n");
      return E_FAIL;
    }
    ConsolePrint(L"LogFile Set to %s\n", path.c_str());
  }

  CBstr& folder = settings.folder;
  const CBstr& domain = settings.domain;
  if (folder.IsEmpty()) {
    g_TraceLog.LogMessage(LOG_LEVEL_ERROR, kUsage);
    return E_INVALIDARG;
  }
  if (domain.IsEmpty()) g_TraceLog.LogMessage(LOG_LEVEL_INFO, L"No SMTP domain specified");

  folder = WithoutTrailingSeparator(folder);

  struct stat status {};
  if (stat(ToSystemText(folder.c_str()).c_str(), &status) != 0) {
    g_TraceLog.LogMessageFormat(LOG_LEVEL_ERROR, L"Directory %s Not found", folder.c_str());
    return E_INVALIDARG;
  }
  if (!S_ISDIR(status.st_mode)) {
    g_TraceLog.LogMessageFormat(LOG_LEVEL_ERROR, L"%s is not a directory", folder.c_str());
    return E_INVALIDARG;
  }
  g_TraceLog.LogMessageFormat(LOG_LEVEL_INFO, L"Output Directory set to %s, SMTP domain is set to %s",
                              folder.c_str(), domain.c_str());
  // What a killed run left half written.
  files::RemoveLeftoverPartials(ToSystemText(folder.c_str()),
                                [](std::string_view name) { return name.ends_with(".msg"); });

  auto pautoMsgHelper = std::make_unique<CMsgHelper>(folder, domain);
  hr = pautoMsgHelper->Run();
  if (const int stop = interrupt::PendingSignal(); stop != 0) {
    g_TraceLog.LogMessageFormat(LOG_LEVEL_ERROR,
                                L"Message extraction interrupted by %s: run it again into this folder to extract the "
                                L"remaining messages",
                                FromSystemText(interrupt::SignalName(stop)).c_str());
    g_ExtractorState.exitCode = interrupt::ExitStatusFor(stop);
    return E_ABORT;
  }
  if (FAILED(hr)) {
    TraceFailedCall(L"pautoMsgHelper->Run()", hr);
    g_TraceLog.LogMessage(LOG_LEVEL_ERROR, L"Failed extracting messages, See logs for details");
    return hr;
  }
  if (g_ExtractorState.errorsEncountered) {
    g_TraceLog.LogMessage(LOG_LEVEL_INFO,
                          L"Message extraction complete. Error were encountered extracting some messages");
  } else {
    g_TraceLog.LogMessage(LOG_LEVEL_INFO, L"Message extraction sucessfull");
  }
  // Releases the store session and manager before COM closes.
  pautoMsgHelper.reset();
  return S_OK;
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
  // A stop signal ends the run after the message being written, which is
  // removed unfinished; the log still gets its closing line.
  interrupt::InstallHandlers();
  files::FolderLock folderLock;
  try {
    if (FAILED(ExtractMessages(argc, argv, folderLock)) && g_ExtractorState.exitCode == 0) {
      g_ExtractorState.exitCode = -1;
    }
  } catch (HRESULT) {
    // A text that could not be allocated.
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
