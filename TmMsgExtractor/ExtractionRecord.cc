#include "TmMsgExtractor/ExtractionRecord.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <sstream>

#include "platform/files/folder_lock.h"
#include "platform/files/output_file.h"

namespace {

// A recorded name is a plain file name of this folder, nothing else.
bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace

CExtractionRecord::~CExtractionRecord() {
  if (m_fd >= 0) close(m_fd);
}

int CExtractionRecord::Open(const std::string& folder) {
  m_folder = folder;
  const std::string path = files::JoinPath(folder, files::kExtractionRecordFileName);
  m_fd = files::OpenOwnFileForWriting(path, O_RDWR | O_CREAT | O_APPEND);
  if (m_fd < 0) return errno;
  std::string text;
  char buffer[65536];
  for (ssize_t got; (got = pread(m_fd, buffer, sizeof buffer, static_cast<off_t>(text.size()))) != 0;) {
    if (got < 0) {
      if (errno == EINTR) continue;
      break;
    }
    text.append(buffer, static_cast<size_t>(got));
  }
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
  if (m_fd < 0) return false;
  const std::string line = std::to_string(id) + '\t' + fileName + '\t' + std::to_string(size) + '\n';
  // One write of one line: with O_APPEND it lands whole or not at all.
  for (;;) {
    const ssize_t written = write(m_fd, line.data(), line.size());
    if (written < 0 && errno == EINTR) continue;
    return written == static_cast<ssize_t>(line.size());
  }
}
