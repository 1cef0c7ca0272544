#include "TmMsgExtractor/diagnostics/help_link.h"

#include <memory>
#include <new>

#include "TmMsgExtractor/diagnostics/message_module.h"
#include "TmMsgExtractor/diagnostics/registry_key.h"

CBstr g_strHelpLink;

void GetHelpLink() {
  CRegistryKey key(true);
  key.AppendPath(L"QoLogMgr\\1.0", true);
  CBstr server;
  key.GetString(L"Help Web Server", server, true, false);
  if (server.IsEmpty()) return;

  std::unique_ptr<CMessageModule> module;
  try {
    module = std::make_unique<CMessageModule>(kExceptionEventSource);
  } catch (const std::bad_alloc&) {
    // Without memory for the module object the built-in text stands in.
  }
  if (module) {
    const LPCWSTR arguments[] = {server.c_str(), nullptr};
    module->GetMessageText(g_strHelpLink, kHelpLinkMessageId, arguments, false);
  } else {
    g_strHelpLink.Format(L"\nFor more information, click: %s", server.c_str());
  }
}
