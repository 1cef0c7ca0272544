#include "korvel/sample/directory_writer.h"

#include <memory>

#include "korvel/sample/sqlite_file.h"

namespace korvel_sample {
namespace {

// Dial ids belong to call handlers (the primary one) and to subscribers (the
// alternates); each view shows its object's primary one as DTMFAccessID.
constexpr const char* kTables = R"sql(
CREATE TABLE Location (LocationObjectID TEXT PRIMARY KEY, Alias TEXT, DisplayName TEXT,
                       DialPrefix TEXT);
CREATE TABLE COS (COSObjectID TEXT PRIMARY KEY, Alias TEXT, DisplayName TEXT,
                  MaxMsgLength INTEGER);
CREATE TABLE CallHandler (CallHandlerObjectID TEXT PRIMARY KEY, Alias TEXT, DisplayName TEXT,
                          OwnerObjectID TEXT, LocationObjectID TEXT);
CREATE TABLE Subscriber (SubscriberObjectID TEXT PRIMARY KEY, Alias TEXT,
                         SubscriberType INTEGER NOT NULL, FirstName TEXT, LastName TEXT,
                         DisplayName TEXT, PWDTMF TEXT, BillingID TEXT, Language INTEGER,
                         ListInDirectory INTEGER, CallHandlerObjectID TEXT, COSObjectID TEXT,
                         LocationObjectID TEXT, StreamPath TEXT);
CREATE TABLE DTMFAccessID (DTMFAccessID TEXT NOT NULL, ParentObjectID TEXT NOT NULL,
                           IsPrimaryID INTEGER NOT NULL);
CREATE TABLE NotificationMWI (NotificationMWIObjectID TEXT NOT NULL,
                              ParentObjectID TEXT NOT NULL, Alias TEXT, MWIExtension TEXT);
CREATE TABLE ContactRule (ContactRuleObjectID TEXT NOT NULL, ParentObjectID TEXT NOT NULL,
                          Alias TEXT, Action INTEGER, TransferType INTEGER, Extension TEXT,
                          TransferRings INTEGER);
)sql";

// Made after the rows are in, which is faster than keeping them up to date.
// They serve the per-subscriber queries and the primary extension lookups.
constexpr const char* kIndexesAndViews = R"sql(
CREATE INDEX DTMFAccessIDByParent ON DTMFAccessID (ParentObjectID, IsPrimaryID);
CREATE INDEX NotificationMWIByParent ON NotificationMWI (ParentObjectID);
CREATE INDEX ContactRuleByParent ON ContactRule (ParentObjectID);
CREATE VIEW vw_Location AS
  SELECT LocationObjectID, Alias, DisplayName, DialPrefix FROM Location;
CREATE VIEW vw_COS AS
  SELECT COSObjectID, Alias, DisplayName, MaxMsgLength FROM COS;
CREATE VIEW vw_DTMFAccessID AS
  SELECT DTMFAccessID, ParentObjectID, IsPrimaryID FROM DTMFAccessID;
CREATE VIEW vw_CallHandler AS
  SELECT c.CallHandlerObjectID, c.Alias, c.DisplayName, c.OwnerObjectID, c.LocationObjectID,
         (SELECT d.DTMFAccessID FROM DTMFAccessID d
           WHERE d.ParentObjectID = c.CallHandlerObjectID AND d.IsPrimaryID = 1
           ORDER BY d.rowid LIMIT 1) AS DTMFAccessID
    FROM CallHandler c;
CREATE VIEW vw_Subscriber AS
  SELECT s.SubscriberObjectID, s.Alias, s.SubscriberType, s.FirstName, s.LastName,
         s.DisplayName, s.PWDTMF, s.BillingID, s.Language, s.ListInDirectory,
         s.CallHandlerObjectID, s.COSObjectID, s.LocationObjectID,
         (SELECT d.DTMFAccessID FROM DTMFAccessID d
           WHERE d.ParentObjectID = s.CallHandlerObjectID AND d.IsPrimaryID = 1
           ORDER BY d.rowid LIMIT 1) AS DTMFAccessID,
         s.StreamPath
    FROM Subscriber s;
)sql";

class DirectoryWriter {
 public:
  explicit DirectoryWriter(SqliteFile& file) : file_(file) {}

  Status Write(const Directory& directory) {
    Status status = Prepare();
    for (const Location& location : directory.locations) {
      if (!status.ok()) return status;
      location_->Bind(1, OptionalText(location.object_id));
      location_->Bind(2, OptionalText(location.alias));
      location_->Bind(3, OptionalText(location.display_name));
      location_->Bind(4, OptionalText(location.dial_prefix));
      status = location_->Run();
    }
    for (const ClassOfService& cos : directory.classes_of_service) {
      if (!status.ok()) return status;
      cos_->Bind(1, OptionalText(cos.object_id));
      cos_->Bind(2, OptionalText(cos.alias));
      cos_->Bind(3, OptionalText(cos.display_name));
      cos_->Bind(4, OptionalInt(cos.max_message_seconds));
      status = cos_->Run();
    }
    for (const CallHandler& handler : directory.call_handlers) {
      if (!status.ok()) return status;
      status = WriteCallHandler(handler);
    }
    for (const Subscriber& subscriber : directory.subscribers) {
      if (!status.ok()) return status;
      status = WriteSubscriber(subscriber);
    }
    return status;
  }

 private:
  Status Prepare() {
    Status status = file_.Prepare("INSERT INTO Location VALUES (?1, ?2, ?3, ?4)", &location_);
    if (status.ok()) status = file_.Prepare("INSERT INTO COS VALUES (?1, ?2, ?3, ?4)", &cos_);
    if (status.ok()) {
      status = file_.Prepare("INSERT INTO CallHandler VALUES (?1, ?2, ?3, ?4, ?5)", &handler_);
    }
    if (status.ok()) {
      status = file_.Prepare(
          "INSERT INTO Subscriber VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13,"
          " ?14)",
          &subscriber_);
    }
    if (status.ok()) {
      status = file_.Prepare("INSERT INTO DTMFAccessID VALUES (?1, ?2, ?3)", &dial_id_);
    }
    if (status.ok()) {
      status = file_.Prepare("INSERT INTO NotificationMWI VALUES (?1, ?2, ?3, ?4)", &mwi_);
    }
    if (status.ok()) {
      status = file_.Prepare("INSERT INTO ContactRule VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)", &rule_);
    }
    return status;
  }

  Status WriteDialId(const std::string& extension, const std::string& parent, bool primary) {
    dial_id_->Bind(1, OptionalText(extension));
    dial_id_->Bind(2, OptionalText(parent));
    dial_id_->Bind(3, OptionalInt(primary ? 1 : 0));
    return dial_id_->Run();
  }

  Status WriteCallHandler(const CallHandler& handler) {
    handler_->Bind(1, OptionalText(handler.object_id));
    handler_->Bind(2, OptionalText(handler.alias));
    handler_->Bind(3, OptionalText(handler.display_name));
    handler_->Bind(4, handler.owner_id);
    handler_->Bind(5, OptionalText(handler.location_id));
    Status status = handler_->Run();
    if (status.ok() && handler.primary_extension) {
      status = WriteDialId(*handler.primary_extension, handler.object_id, true);
    }
    for (const ContactRule& rule : handler.contact_rules) {
      if (!status.ok()) break;
      rule_->Bind(1, OptionalText(rule.object_id));
      rule_->Bind(2, OptionalText(handler.object_id));
      rule_->Bind(3, OptionalText(rule.alias));
      rule_->Bind(4, rule.action);
      rule_->Bind(5, rule.transfer_type);
      rule_->Bind(6, rule.extension);
      rule_->Bind(7, rule.transfer_rings);
      status = rule_->Run();
    }
    return status;
  }

  Status WriteSubscriber(const Subscriber& subscriber) {
    subscriber_->Bind(1, OptionalText(subscriber.object_id));
    subscriber_->Bind(2, subscriber.alias);
    subscriber_->Bind(3, OptionalInt(subscriber.type));
    subscriber_->Bind(4, subscriber.first_name);
    subscriber_->Bind(5, subscriber.last_name);
    subscriber_->Bind(6, subscriber.display_name);
    subscriber_->Bind(7, subscriber.pwdtmf);
    subscriber_->Bind(8, subscriber.billing_id);
    subscriber_->Bind(9, subscriber.language);
    subscriber_->Bind(10, subscriber.list_in_directory);
    subscriber_->Bind(11, OptionalText(subscriber.call_handler_id));
    subscriber_->Bind(12, OptionalText(subscriber.cos_id));
    subscriber_->Bind(13, OptionalText(subscriber.location_id));
    subscriber_->Bind(14, subscriber.stream_path);
    Status status = subscriber_->Run();
    for (const std::string& extension : subscriber.alternate_extensions) {
      if (!status.ok()) break;
      status = WriteDialId(extension, subscriber.object_id, false);
    }
    for (const MwiDevice& device : subscriber.mwi_devices) {
      if (!status.ok()) break;
      mwi_->Bind(1, OptionalText(device.object_id));
      mwi_->Bind(2, OptionalText(subscriber.object_id));
      mwi_->Bind(3, OptionalText(device.alias));
      mwi_->Bind(4, device.extension);
      status = mwi_->Run();
    }
    return status;
  }

  SqliteFile& file_;
  std::unique_ptr<SqliteStatement> location_, cos_, handler_, subscriber_, dial_id_, mwi_, rule_;
};

}  // namespace

Status WriteDirectoryDatabase(const Directory& directory, const std::string& path) {
  std::unique_ptr<SqliteFile> file;
  Status status = SqliteFile::Create(path, &file);
  if (status.ok()) status = file->Execute("BEGIN");
  if (status.ok()) status = file->Execute(kTables);
  if (status.ok()) status = DirectoryWriter(*file).Write(directory);
  if (status.ok()) status = file->Execute(kIndexesAndViews);
  if (status.ok()) status = file->Execute("COMMIT");
  if (status.ok()) status = file->Close();
  return status;
}

}  // namespace korvel_sample
