// The help link that every exception event carries as its last insertion
// string: the event source's help text (message 105) with the address of the
// server's help pages, from the registry.
#ifndef KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_HELP_LINK_H_
#define KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_HELP_LINK_H_

#include "TmMsgExtractor/diagnostics/bstr.h"
#include "platform/wintypes.h"

// The event source of the extractor's exception reports.
inline constexpr wchar_t kExceptionEventSource[] = L"NorvaneKorvel_QoTm";
// The message of the source's event message file that makes the help link;
// its one insertion is the help server's address.
constexpr DWORD kHelpLinkMessageId = 105;

// The cache: empty until a link has been built, then kept for the rest of the
// process.
extern CBstr g_strHelpLink;

// Builds the link into the cache when "Help Web Server" under
// Software\Halvern\QoLogMgr\1.0 is set. With no such value, or no help text
// in the source's message file, the cache stays empty and the next call
// tries again.
void GetHelpLink();

#endif  // KORVEL_TMMSGEXTRACTOR_DIAGNOSTICS_HELP_LINK_H_
