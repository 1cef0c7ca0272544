// The guarantee that one user runs one copy of the program at a time, in the
// window or headless: the first copy holds an exclusive lock on a file in the
// user's runtime folder until it ends. The lock dies with the process, so a
// copy that crashed never blocks the next start.
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

  // Takes the lock for the copy of `program_name`. kFailed leaves what went
  // wrong in failure().
  Result Acquire(const QString& program_name);
  void Release();

  const QString& failure() const { return failure_; }

  // The lock file: in $XDG_RUNTIME_DIR, else in a folder of the user's own
  // under /tmp (made for the purpose, readable by the user alone).
  static QString LockFilePath(const QString& program_name, QString* failure);

 private:
  int fd_ = -1;
  QString failure_;
};

}  // namespace shell

#endif  // KORVEL_EXPORT_SHELL_SINGLE_COPY_LOCK_H_
