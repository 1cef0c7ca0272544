// Files a program writes for other programs to read, in an output folder that
// others may write into as well. A file appears under its final name only
// when it is whole: it is written under ".<final name>.partial" in the same
// folder and renamed when done. Nothing is ever written through a link: a
// symbolic link, a pipe, a device or a hard link planted under a name the
// program writes is replaced, never opened.
#ifndef KORVEL_PLATFORM_FILES_OUTPUT_FILE_H_
#define KORVEL_PLATFORM_FILES_OUTPUT_FILE_H_

#include <functional>
#include <string>
#include <string_view>

namespace files {

// "dir" and "name" joined by one '/'.
std::string JoinPath(std::string_view folder, std::string_view name);

// The name a file is written under until it is whole.
std::string PartialName(std::string_view final_name);

// Opens `path` for writing with `flags` (O_WRONLY or O_RDWR, O_CREAT, and
// O_APPEND or O_TRUNC), mode 0666 less the umask for a new file. An entry
// under the name that is not a regular file with one link is removed first,
// so the file opened is always one of this folder's own. Gives the
// descriptor (close-on-exec), or -1 with errno set.
int OpenOwnFileForWriting(const std::string& path, int flags);

// One file written under its temporary name and renamed into place.
class PartialFile {
 public:
  PartialFile() = default;
  PartialFile(const PartialFile&) = delete;
  PartialFile& operator=(const PartialFile&) = delete;
  // Removes the temporary file unless it was committed.
  ~PartialFile();

  // Creates ".<final_name>.partial" in `folder`, empty, replacing whatever
  // was under that name. 0, or the system's error number.
  int Create(std::string_view folder, std::string_view final_name);

  int fd() const { return fd_; }
  bool is_open() const { return fd_ >= 0; }
  const std::string& final_path() const { return final_path_; }
  const std::string& temporary_path() const { return temporary_path_; }

  // Closes the file and renames it to its final name, replacing the entry
  // there (a link is replaced, not followed). 0, or the system's error number
  // with the temporary file removed. The caller flushes its own buffers first.
  int Commit();

  // Closes and removes the temporary file.
  void Discard();

 private:
  int fd_ = -1;
  std::string temporary_path_;
  std::string final_path_;
};

// Removes from `folder` every ".<name>.partial" regular file, or link, whose
// final name `is_own` accepts: what a killed run left behind. Subfolders are
// not visited.
void RemoveLeftoverPartials(const std::string& folder, const std::function<bool(std::string_view)>& is_own);

}  // namespace files

#endif  // KORVEL_PLATFORM_FILES_OUTPUT_FILE_H_
