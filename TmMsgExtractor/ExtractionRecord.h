// CExtractionRecord: ".KorvelMigration.extracted" in the output folder, the
// messages earlier runs committed there, one line each:
// "<message id>\t<file name>\t<size in bytes>". A line is appended and flushed
// before its file is renamed into place, so a run that is interrupted and run
// again writes no message twice: a message is skipped when its recorded file
// is still there with its recorded size.
#ifndef KORVEL_TMMSGEXTRACTOR_EXTRACTIONRECORD_H_
#define KORVEL_TMMSGEXTRACTOR_EXTRACTIONRECORD_H_

#include <cstdint>
#include <string>
#include <unordered_map>

#include "platform/files/posix_io.h"

class CExtractionRecord {
 public:
  CExtractionRecord() = default;
  CExtractionRecord(const CExtractionRecord&) = delete;
  CExtractionRecord& operator=(const CExtractionRecord&) = delete;

  // Reads what earlier runs recorded in `folder` (a line that does not parse
  // is passed over) and opens the record for appending. 0, or the system's
  // error number: the run then goes on without one.
  int Open(const std::string& folder);

  // Whether an earlier run committed message `id` and its file is still
  // there, whole.
  bool IsExtracted(std::int64_t id) const;

  // Notes a message whose file is about to be renamed into place; false when
  // the line could not be written.
  bool Add(std::int64_t id, const std::string& fileName, std::uint64_t size);

 private:
  struct Entry {
    std::string fileName;
    std::uint64_t size = 0;
  };

  std::string m_folder;
  std::unordered_map<std::int64_t, Entry> m_entries;
  files::FileDescriptor m_file;
};

#endif  // KORVEL_TMMSGEXTRACTOR_EXTRACTIONRECORD_H_
