// clsWKS: the workstation information the message-store account check asks
// for: the name of the user running the program (of its effective user id).
#ifndef KORVEL_EXPORT_MONITOR_CLS_WKS_H_
#define KORVEL_EXPORT_MONITOR_CLS_WKS_H_

#include <QString>

namespace monitor {

class clsWKS {
 public:
  clsWKS();  // filled at once

  // Empty when the system cannot name the user.
  const QString& UserName() const { return user_name_; }

 private:
  QString user_name_;
};

}  // namespace monitor

#endif  // KORVEL_EXPORT_MONITOR_CLS_WKS_H_
