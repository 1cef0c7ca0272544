// TmMsgExtractor: writes every subscriber's new and saved voice messages from
// the message store into an output folder, one MIME file per message.
//   TmMsgExtractor -dir FOLDER [-log FILE] [-dom DOMAIN]
// Exit codes: 0, -1, -2, -3 (255, 254, 253 as the shell sees them), or 128 +
// the signal when SIGINT, SIGTERM or SIGHUP stopped it.
#include "TmMsgExtractor/MainFlow.h"
#include "korvel/logmgr/logmgr.h"
#include "korvel/zad/zad.h"

int main(int argc, char* argv[]) {
  // The server's components the extractor creates by class id.
  korvel::zad::RegisterClasses();
  korvel::logmgr::RegisterClasses();
  return RunExtractor(argc, argv);
}
