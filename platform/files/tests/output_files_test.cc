// Output files in a folder others can write into: complete or absent, never
// written through a planted link, and one writer per folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include <gtest/gtest.h>

#include "platform/eventlog/tests/temp_folder.h"
#include "platform/files/folder_lock.h"
#include "platform/files/output_file.h"

namespace files {
namespace {

bool Exists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

void WriteAll(int fd, const std::string& bytes) {
  ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

TEST(PartialFileTest, AppearsUnderItsFinalNameOnlyWhenCommitted) {
  TempFolder folder;
  const std::string final_path = folder / "a.msg";
  {
    PartialFile file;
    ASSERT_EQ(file.Create(folder.path(), "a.msg"), 0);
    EXPECT_EQ(file.temporary_path(), folder / ".a.msg.partial");
    WriteAll(file.fd(), "half");
    EXPECT_FALSE(Exists(final_path));
  }  // dropped without a commit
  EXPECT_FALSE(Exists(folder / ".a.msg.partial"));
  EXPECT_FALSE(Exists(final_path));

  PartialFile file;
  ASSERT_EQ(file.Create(folder.path() + "/", "a.msg"), 0);
  WriteAll(file.fd(), "whole");
  ASSERT_EQ(file.Commit(), 0);
  EXPECT_EQ(ReadFile(final_path), "whole");
  EXPECT_FALSE(Exists(folder / ".a.msg.partial"));
}

TEST(PartialFileTest, LinksPlantedUnderEitherNameAreReplacedNotFollowed) {
  TempFolder folder;
  TempFolder outside;
  WriteFile(outside / "victim", "keep");
  ASSERT_EQ(::symlink((outside / "victim").c_str(), (folder / "a.WAV").c_str()), 0);
  ASSERT_EQ(::symlink((outside / "victim").c_str(), (folder / ".a.WAV.partial").c_str()), 0);
  ASSERT_EQ(::mkfifo((folder / "b.WAV").c_str(), 0600), 0);

  for (const char* name : {"a.WAV", "b.WAV"}) {
    PartialFile file;
    ASSERT_EQ(file.Create(folder.path(), name), 0) << name;
    WriteAll(file.fd(), name);
    ASSERT_EQ(file.Commit(), 0) << name;
    EXPECT_EQ(ReadFile(folder / name), name);
  }
  EXPECT_EQ(ReadFile(outside / "victim"), "keep");

  ASSERT_EQ(::mkdir((folder / "c.WAV").c_str(), 0700), 0);
  PartialFile file;
  ASSERT_EQ(file.Create(folder.path(), "c.WAV"), 0);
  EXPECT_NE(file.Commit(), 0);
  EXPECT_FALSE(Exists(folder / ".c.WAV.partial"));
}

TEST(OwnFileTest, LogsAreNeverOpenedThroughALinkOrAPipe) {
  TempFolder folder;
  TempFolder outside;
  WriteFile(outside / "victim", "keep");
  ASSERT_EQ(::symlink((outside / "victim").c_str(), (folder / "sym.log").c_str()), 0);
  ASSERT_EQ(::link((outside / "victim").c_str(), (folder / "hard.log").c_str()), 0);
  ASSERT_EQ(::mkfifo((folder / "fifo.log").c_str(), 0600), 0);
  WriteFile(folder / "own.log", "earlier ");

  for (const char* name : {"sym.log", "hard.log", "fifo.log", "own.log"}) {
    const int fd = OpenOwnFileForWriting(folder / name, O_WRONLY | O_CREAT | O_APPEND);
    ASSERT_GE(fd, 0) << name;
    WriteAll(fd, "line");
    ::close(fd);
  }
  EXPECT_EQ(ReadFile(outside / "victim"), "keep");
  EXPECT_EQ(ReadFile(folder / "hard.log"), "line");
  EXPECT_EQ(ReadFile(folder / "fifo.log"), "line");
  EXPECT_EQ(ReadFile(folder / "own.log"), "earlier line");
}

TEST(LeftoverTest, OnlyTheKitsOwnTemporaryFilesGo) {
  TempFolder folder;
  for (const char* name : {".x.msg.partial", ".y.msg.partial", ".notes.txt.partial", "z.msg.partial", "keep.msg"}) {
    WriteFile(folder / name, "x");
  }
  ASSERT_EQ(::symlink("/nowhere", (folder / ".l.msg.partial").c_str()), 0);
  RemoveLeftoverPartials(folder.path(), [](std::string_view name) { return name.ends_with(".msg"); });
  for (const char* gone : {".x.msg.partial", ".y.msg.partial", ".l.msg.partial"}) EXPECT_FALSE(Exists(folder / gone));
  for (const char* kept : {".notes.txt.partial", "z.msg.partial", "keep.msg"}) EXPECT_TRUE(Exists(folder / kept));
}

TEST(FolderLockTest, OneHolderAtATimeAndHandedOverToAStartedProgram) {
  TempFolder folder;
  FolderLock first;
  ASSERT_EQ(first.Acquire(folder.path()), FolderLock::Result::kAcquired);
  FolderLock second;
  EXPECT_EQ(second.Acquire(folder.path()), FolderLock::Result::kHeldElsewhere);

  // The started program takes the lock over and keeps it after its starter
  // has let go; a stranger's hand-over variable gives nothing.
  int ready[2];
  int finish[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(finish), 0);
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

  ::setenv(kHandedOverLockVariable, "0", 1);
  FolderLock third;
  EXPECT_EQ(third.Acquire(folder.path()), FolderLock::Result::kHeldElsewhere);
  EXPECT_EQ(std::getenv(kHandedOverLockVariable), nullptr);
}

}  // namespace
}  // namespace files
