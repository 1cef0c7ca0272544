// The guarantee that one user runs one copy of the program at a time, in the
// window or headless. The locks die with the process, so a copy that crashed
// never blocks the next start.
//
// A copy started from a desktop session has a runtime folder
// ($XDG_RUNTIME_DIR); one started by cron, su or a bare ssh often has none.
// Both kinds must see each other, so there are two lock files:
// - the user's own folder under the temporary folder ($TMPDIR when that is an
//   existing folder, else /tmp): a copy without a runtime folder locks it
//   exclusively, a copy with one shares it;
// - the runtime folder's: a copy with one locks it exclusively.
// A copy without a runtime folder is thus refused while any copy runs, and a
// copy with one while a copy without one, or one with the same folder, runs.
// A runtime folder that does not exist counts as none.
#ifndef KORVEL_EXPORT_SHELL_SINGLE_COPY_LOCK_H_
#define KORVEL_EXPORT_SHELL_SINGLE_COPY_LOCK_H_

#include <QString>

namespace shell {

class SingleCopyLock {
 public:
  enum class Result { kAcquired, kAnotherCopyRuns, kFailed };

  SingleCopyLock() = default;
  SingleCopyLock(const SingleCopyLock&) = delete;
  SingleCopyLock& operator=(const SingleCopyLock&) = delete;
  ~SingleCopyLock();

  // Takes the locks for the copy of `program_name`. kFailed leaves what went
  // wrong in failure().
  Result Acquire(const QString& program_name);
  void Release();

  const QString& failure() const { return failure_; }

 private:
  // The lock file in the user's own folder under the temporary folder (made
  // for the purpose, readable by the user alone); empty, with `failure` set,
  // when that folder cannot be made or is not safe to use.
  static QString PrivateLockFilePath(const QString& program_name, QString* failure);
  // The lock file in the runtime folder; empty when there is none.
  static QString RuntimeLockFilePath(const QString& program_name);
  Result Lock(const QString& path, int operation, int* fd);

  int private_fd_ = -1;
  int runtime_fd_ = -1;
  QString failure_;
};

}  // namespace shell

#endif  // KORVEL_EXPORT_SHELL_SINGLE_COPY_LOCK_H_
