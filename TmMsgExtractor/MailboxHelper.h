// CMailboxHelper: turns one filtered message list of one subscriber (the new
// or the saved voice messages) into message files, one per message: it works
// out the headers from the message's properties, joins the audio attachments
// into one WAV and has CMimeHelper write the file. A message that fails
// leaves no file behind, is counted and sets the errors-encountered flag; the
// list goes on.
#ifndef KORVEL_TMMSGEXTRACTOR_MAILBOXHELPER_H_
#define KORVEL_TMMSGEXTRACTOR_MAILBOXHELPER_H_

#include "TmMsgExtractor/CombinedAudio.h"
#include "TmMsgExtractor/ExtractionRecord.h"
#include "TmMsgExtractor/diagnostics/bstr.h"
#include "korvel/zad/zad.h"
#include "platform/com/hresult.h"
#include "platform/com/stream.h"
#include "platform/wintypes.h"

class CMimeHelper;
class CPropertyRequest;

class CMailboxHelper {
 public:
  // `lRead` is 0 for the new messages, 1 for the saved ones. The alias and
  // the domain may be empty.
  // `record` (may be null) has the messages earlier runs wrote, which are
  // skipped, and gets every message committed.
  CMailboxHelper(const CBstr& ownerAlias, const CBstr& outputFolder, const CBstr& smtpDomain, LONG lRead,
                 CExtractionRecord* record = nullptr);
  CMailboxHelper(const CMailboxHelper&) = delete;
  CMailboxHelper& operator=(const CMailboxHelper&) = delete;

  // Every message of the list; fails only when the list itself does, or
  // with E_ABORT when a stop signal ends it.
  HRESULT Extract(IQoZadIterator* pMsgIterator);
  // One message into one committed file, unless an earlier run wrote it.
  HRESULT ProcessOneMsg(IQoZadMessage* pZadMsg);
  // Joins the attachments into one WAVE file in `audio`, which must be
  // empty: the first attachment whole, the samples of every further one
  // appended, then the RIFF and data sizes of the first one's header
  // rewritten to match.
  HRESULT CombineAudioStreams(IQoZadAudioList* spAllAudioStreams, CCombinedAudio& audio);
  // Reads one message as ProcessOneMsg does, its properties, sender and
  // subject, and joins its audio into `audio` (as for CombineAudioStreams),
  // without writing a message file: what a check of an extraction compares,
  // and where it finds the failures a run would meet.
  HRESULT ReadOneMsg(IQoZadMessage* pZadMsg, CCombinedAudio& audio);

 private:
  // The message's attachments joined into `audio` (see CombineAudioStreams).
  HRESULT GetCombinedAudio(IQoZadMessage* pZadMsg, CCombinedAudio& audio);
  // The From value, from the properties asked for in ProcessOneMsg.
  HRESULT GetSender(IQoZadMessage* pZadMsg, const CPropertyRequest& properties, CBstr& strSender);
  HRESULT WriteHeaders(CMimeHelper& oMimeHelper, IQoZadMessage* pZadMsg, const CPropertyRequest& properties,
                       const CBstr& strSender);
  // Rewrites the sizes once every attachment is in; the header walk stays
  // within the first attachment.
  HRESULT RewriteWaveHeader(CCombinedAudio& audio);

  CBstr m_strOwnerAlias;
  CBstr m_strOutputFolder;
  CBstr m_strSmtpDomain;
  LONG m_lRead;
  CExtractionRecord* m_pRecord;
};

#endif  // KORVEL_TMMSGEXTRACTOR_MAILBOXHELPER_H_
