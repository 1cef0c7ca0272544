// Result of one step of writing the sample: success, or a message for the user
// that names what failed and where.
#ifndef KORVEL_SAMPLE_STATUS_H_
#define KORVEL_SAMPLE_STATUS_H_

#include <string>
#include <utility>

namespace korvel_sample {

class Status {
 public:
  static Status Ok() { return Status(); }
  static Status Error(std::string message) { return Status(std::move(message)); }

  bool ok() const { return !failed_; }
  const std::string& message() const { return message_; }

 private:
  Status() = default;
  explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}

  bool failed_ = false;
  std::string message_;
};

}  // namespace korvel_sample

#endif  // KORVEL_SAMPLE_STATUS_H_
