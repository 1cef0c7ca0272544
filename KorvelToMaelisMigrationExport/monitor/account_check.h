// Module1: whether the program runs under the account of the message-store
// service, the account that can read every mailbox. An export with messages
// asks before going on under any other account.
#ifndef KORVEL_EXPORT_MONITOR_ACCOUNT_CHECK_H_
#define KORVEL_EXPORT_MONITOR_ACCOUNT_CHECK_H_

#include <QStringView>

namespace monitor {

// The suffix rule: true when `service_account` ends with `user_name`,
// ignoring case. The domain part is not looked at and no backslash is needed
// before the user name ("CORP\jimbob" matches "bob"); an empty user name
// (one the system could not tell) always matches.
bool AccountIsMessageStoreFacing(QStringView service_account, QStringView user_name);

// The rule applied to the QoTmMgr service's "ObjectName" in the registry
// and the name of the user running the program.
bool bCheckIfRunningAccountIsMessageStoreFacing();

}  // namespace monitor

#endif  // KORVEL_EXPORT_MONITOR_ACCOUNT_CHECK_H_
