// The one-writer lock of an output folder: an exclusive flock on
// ".KorvelMigration.lock" in it, held from a run's start to its end. A program
// that starts another to finish its work in the same folder hands the lock
// over: the started program inherits the lock's open file and takes it over,
// so the folder stays locked until the last of them ends.
#ifndef KORVEL_PLATFORM_FILES_FOLDER_LOCK_H_
#define KORVEL_PLATFORM_FILES_FOLDER_LOCK_H_

#include <string>

namespace files {

inline constexpr char kFolderLockFileName[] = ".KorvelMigration.lock";
// The other bookkeeping file of an output folder: the messages extractions
// into it committed, which lets a later one skip them.
inline constexpr char kExtractionRecordFileName[] = ".KorvelMigration.extracted";
// Names the inherited descriptor of a lock handed over.
inline constexpr char kHandedOverLockVariable[] = "KORVEL_MIGRATION_LOCK_FD";

class FolderLock {
 public:
  enum class Result { kAcquired, kHeldElsewhere, kFailed };

  FolderLock() = default;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock();

  // Takes the lock of `folder` without waiting, or takes over the one handed
  // to this process for the same folder. kFailed (see error()) when the
  // lock file cannot be made.
  Result Acquire(const std::string& folder);

  // Lets the programs started until EndHandOver inherit the lock.
  void BeginHandOver();
  void EndHandOver();

  // Lets go of this process's hold; a program the lock was handed to keeps it.
  void Release();

  bool held() const { return fd_ >= 0; }
  int error() const { return error_; }

 private:
  bool TakeOverHandedLock(const std::string& path);

  int fd_ = -1;
  int error_ = 0;
};

}  // namespace files

#endif  // KORVEL_PLATFORM_FILES_FOLDER_LOCK_H_
