// The message store read as the extractor reads it: the subscribers in store
// order, each one's new and then saved voice messages, each message's audio
// joined by the extractor's own code and reduced to a digest. Nothing is
// written.
#ifndef KORVEL_EXPORT_RECONCILE_MESSAGE_STORE_WALK_H_
#define KORVEL_EXPORT_RECONCILE_MESSAGE_STORE_WALK_H_

#include <functional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace reconcile {

struct StoredMessage {
  bool saved = false;  // else new
  QString failure;     // why the extractor would fail it; empty when it would not
  QByteArray digest;
  qint64 audio_bytes = 0;
};

struct StoredMailbox {
  QString alias;         // empty when it cannot be read
  QString display_name;
  QString failure;       // why its messages cannot all be walked; empty when they can
  std::vector<StoredMessage> messages;
};

// Logs in to the store and visits every subscriber's mailbox. False, with
// `error` set, when the store cannot be opened or its subscribers listed.
// `started` is told the number of mailboxes before the first is visited.
bool WalkMessageStore(const std::function<void(int mailbox_count)>& started,
                      const std::function<void(StoredMailbox&&)>& visit, QString* error);

}  // namespace reconcile

#endif  // KORVEL_EXPORT_RECONCILE_MESSAGE_STORE_WALK_H_
