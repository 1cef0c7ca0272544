// Every query the export program sends to the directory database. An object
// id goes in as a bound value (the ?), never pasted into the text, so an id
// holding a quote can neither break a query nor change what it selects.
#ifndef KORVEL_EXPORT_EXPORT_DIRECTORY_QUERIES_H_
#define KORVEL_EXPORT_EXPORT_DIRECTORY_QUERIES_H_

namespace export_engine::directory_query {

// Start-up: how many subscribers the export will walk.
inline constexpr char16_t kSubscriberCount[] = u"SELECT count(*) FROM Subscriber WHERE SubscriberType IN (1,3)";

// The cached tables, in the order they are opened.
inline constexpr char16_t kCallHandlers[] = u"Select * from vw_CallHandler";
inline constexpr char16_t kSubscribers[] = u"Select * from vw_Subscriber WHERE SubscriberType IN (1,3)";
inline constexpr char16_t kClassesOfService[] = u"Select * from vw_COS order by COSObjectID";
inline constexpr char16_t kLocations[] = u"Select * from vw_Location";

// Read whole once per run; a subscriber's rows are found by ParentObjectID:
// its id for the alternate extensions and the MWI device, the id of its
// primary call handler for the contact rule.
inline constexpr char16_t kAlternateExtensions[] = u"SELECT * FROM DTMFAccessID WHERE IsPrimaryID='0'";
inline constexpr char16_t kPrimaryMwiDevices[] = u"SELECT * FROM NotificationMWI WHERE Alias='MWI-1'";
inline constexpr char16_t kAlternateContactRules[] = u"SELECT * FROM ContactRule WHERE Alias='Alternate'";

}  // namespace export_engine::directory_query

#endif  // KORVEL_EXPORT_EXPORT_DIRECTORY_QUERIES_H_
