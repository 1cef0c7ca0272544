#include "TmMsgExtractor/ExtractionRecord.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <sstream>

#include "platform/files/folder_lock.h"
#include "platform/files/output_file.h"
#include "platform/files/posix_io.h"

namespace {

// A recorded name is a plain file name of this folder, nothing else.
bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace

int CExtractionRecord::Open(const std::string& folder) {
  m_folder = folder;
  const std::string path = files::JoinPath(folder, files::kExtractionRecordFileName);
  m_file = files::FileDescriptor(files::OpenOwnFileForWriting(path, O_RDWR | O_CREAT | O_APPEND));
  if (!m_file.valid()) return errno;
  // What cannot be read is recorded again as its messages are written again.
  std::string text;
  files::ReadAll(m_file.get(), &text);
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const size_t first = line.find('\t');
    const size_t last = line.rfind('\t');
    if (first == std::string::npos || first == last) continue;
    Entry entry;
    entry.fileName = line.substr(first + 1, last - first - 1);
    std::int64_t id = 0;
    const char* const begin = line.data();
    const auto parsedId = std::from_chars(begin, begin + first, id);
    const auto parsedSize = std::from_chars(begin + last + 1, begin + line.size(), entry.size);
    if (parsedId.ec == std::errc() && parsedId.ptr == begin + first && parsedSize.ec == std::errc() &&
        parsedSize.ptr == begin + line.size() && IsPlainFileName(entry.fileName)) {
      m_entries[id] = std::move(entry);
    }
  }
  return 0;
}

bool CExtractionRecord::IsExtracted(std::int64_t id) const {
  const auto found = m_entries.find(id);
  if (found == m_entries.end()) return false;
  struct stat status {};
  const std::string path = files::JoinPath(m_folder, found->second.fileName);
  return lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
         static_cast<std::uint64_t>(status.st_size) == found->second.size;
}

bool CExtractionRecord::Add(std::int64_t id, const std::string& fileName, std::uint64_t size) {
  if (!m_file.valid()) return false;
  const std::string line = std::to_string(id) + '\t' + fileName + '\t' + std::to_string(size) + '\n';
  // With O_APPEND the line lands after every line already there.
  return files::WriteAll(m_file.get(), line) == 0;
}
