// CMsgHelper: logs in to the message store and walks its subscribers. The
// store manager and session are held from the log-in until the helper goes.
#ifndef KORVEL_TMMSGEXTRACTOR_MSGHELPER_H_
#define KORVEL_TMMSGEXTRACTOR_MSGHELPER_H_

#include "TmMsgExtractor/ExtractionRecord.h"
#include "TmMsgExtractor/diagnostics/bstr.h"
#include "korvel/zad/zad.h"
#include "platform/com/com_ptr.h"
#include "platform/com/hresult.h"

class CMsgHelper {
 public:
  // Either value may be empty.
  CMsgHelper(const CBstr& outputFolder, const CBstr& smtpDomain);
  CMsgHelper(const CMsgHelper&) = delete;
  CMsgHelper& operator=(const CMsgHelper&) = delete;

  // Logs in and walks every subscriber, skipping the messages an earlier run
  // into the folder wrote (see CExtractionRecord). A failure ends the program
  // with an error; a failed log-in or subscriber list also sets the exit code
  // -2; a stop signal ends the walk with E_ABORT. A
  // subscriber whose messages could not all be walked sets the
  // errors-encountered flag, so the run never reports success after leaving
  // messages behind.
  HRESULT Run();

 private:
  HRESULT GetZadSession();
  // The subscriber list, filtered to subscribers, into `spZadMailUserIterator`.
  HRESULT GetMailUsers(ComPtr<IQoZadIterator>& spZadMailUserIterator);
  // The subscriber's new, then saved voice messages. A failure concerns this
  // subscriber only: the walk goes on with the next.
  HRESULT ProcessOneMailUser(IQoZadMailUser* pZadMailUser);

  // Declared so that destruction frees the strings, then releases the
  // session, then the manager.
  ComPtr<IQoZadManager> m_spZadManager;
  ComPtr<IQoZadSession> m_spZadSession;
  CBstr m_strOutputFolder;
  CBstr m_strSmtpDomain;
  CExtractionRecord m_record;
};

#endif  // KORVEL_TMMSGEXTRACTOR_MSGHELPER_H_
