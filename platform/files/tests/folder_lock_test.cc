// One writer per output folder, also across the hand-over to a program the
// holder starts.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/files/folder_lock.h"
#include "tests/support/temp_folder.h"

namespace files {
namespace {

using korvel::test::TempFolder;

TEST(FolderLockTest, OneHolderAtATimeAndHandedOverToAStartedProgram) {
  TempFolder folder;
  FolderLock first;
  ASSERT_EQ(first.Acquire(folder.path()), FolderLock::Result::kAcquired);
  FolderLock second;
  EXPECT_EQ(second.Acquire(folder.path()), FolderLock::Result::kHeldElsewhere);

  // The started program takes the lock over and keeps it after its starter
  // has let go.
  int ready[2], finish[2];
  ASSERT_EQ(::pipe(ready) | ::pipe(finish), 0);
  first.BeginHandOver();
  const pid_t child = ::fork();
  if (child == 0) {
    FolderLock taken;
    char byte = taken.Acquire(folder.path()) == FolderLock::Result::kAcquired ? 'y' : 'n';
    [[maybe_unused]] ssize_t io = ::write(ready[1], &byte, 1);
    io = ::read(finish[0], &byte, 1);
    ::_exit(0);
  }
  first.EndHandOver();
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  EXPECT_EQ(byte, 'y');
  first.Release();
  EXPECT_EQ(second.Acquire(folder.path()), FolderLock::Result::kHeldElsewhere);
  ASSERT_EQ(::write(finish[1], "x", 1), 1);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(second.Acquire(folder.path()), FolderLock::Result::kAcquired);
}

}  // namespace
}  // namespace files
