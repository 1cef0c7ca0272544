#include "korvel/sample/store_writer.h"

#include <memory>

#include "korvel/sample/sqlite_file.h"

namespace korvel_sample {
namespace {

// The store's file layout, as the message store library expects it. The
// tables holding data are STRICT so that an ANY column keeps the type a value
// was written with: in an ordinary table it has numeric affinity, and a
// numeric-looking text such as an AMIS address or an alias would come back as
// an integer, which the store hands out with the wrong type. Fault is left
// empty and ordinary: it is for administrators rehearsing failures by hand.
constexpr const char* kStoreSchema = R"sql(
CREATE TABLE MailUser (MailUserID INTEGER PRIMARY KEY, Alias ANY, DisplayName ANY,
                       IsSubscriber INTEGER NOT NULL DEFAULT 1) STRICT; -- subscriber filter keeps 1
CREATE TABLE Message (MessageID INTEGER PRIMARY KEY, OwnerID INTEGER NOT NULL,
                      Folder INTEGER NOT NULL,                      -- 6 new voice, 13 saved voice
                      DeliveryTime ANY, HasUnknownSender ANY, SenderID INTEGER,
                      SenderAddressType ANY, SenderEmailAddress ANY,
                      Importance ANY, Sensitivity ANY, Subject ANY) STRICT;
CREATE TABLE AudioStream (MessageID INTEGER NOT NULL, Seq INTEGER NOT NULL, Data ANY NOT NULL,
                          PRIMARY KEY (MessageID, Seq)) STRICT;      -- Data: a whole RIFF WAVE file
CREATE TABLE Fault (Method TEXT NOT NULL, ObjectID INTEGER, HResult INTEGER NOT NULL); -- optional
)sql";

Status WriteRows(SqliteFile& file, const MessageStore& store) {
  std::unique_ptr<SqliteStatement> user, message, audio;
  Status status = file.Prepare("INSERT INTO MailUser VALUES (?1, ?2, ?3, ?4)", &user);
  if (status.ok()) {
    status = file.Prepare(
        "INSERT INTO Message VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)", &message);
  }
  if (status.ok()) status = file.Prepare("INSERT INTO AudioStream VALUES (?1, ?2, ?3)", &audio);

  for (const MailUser& mail_user : store.mail_users) {
    if (!status.ok()) return status;
    user->Bind(1, OptionalInt(mail_user.id));
    user->Bind(2, mail_user.alias);
    user->Bind(3, mail_user.display_name);
    user->Bind(4, OptionalInt(mail_user.is_subscriber ? 1 : 0));
    status = user->Run();
  }
  for (const Message& m : store.messages) {
    if (!status.ok()) return status;
    message->Bind(1, OptionalInt(m.id));
    message->Bind(2, OptionalInt(m.owner_id));
    message->Bind(3, OptionalInt(m.folder));
    message->Bind(4, m.delivery_time);
    message->Bind(5, m.has_unknown_sender);
    message->Bind(6, m.sender_id);
    message->Bind(7, m.sender_address_type);
    message->Bind(8, m.sender_email_address);
    message->Bind(9, m.importance);
    message->Bind(10, m.sensitivity);
    message->Bind(11, m.subject);
    status = message->Run();
    std::int64_t seq = 0;
    for (const Tone& tone : m.attachments) {
      if (!status.ok()) break;
      audio->Bind(1, OptionalInt(m.id));
      audio->Bind(2, OptionalInt(++seq));
      audio->BindBlob(3, EncodeToneWave(tone));
      status = audio->Run();
    }
  }
  return status;
}

}  // namespace

Status WriteMessageStore(const MessageStore& store, const std::string& path) {
  std::unique_ptr<SqliteFile> file;
  Status status = SqliteFile::Create(path, &file);
  if (status.ok()) status = file->Execute("BEGIN");
  if (status.ok()) status = file->Execute(kStoreSchema);
  if (status.ok()) status = WriteRows(*file, store);
  if (status.ok()) status = file->Execute("COMMIT");
  if (status.ok()) status = file->Close();
  return status;
}

}  // namespace korvel_sample
