// The whole text of a log file that another program is still writing, read
// the way the progress window reads it: opened only for the read, never
// created, never locked, and decoded from the system's ANSI code page.
#ifndef KORVEL_EXPORT_MONITOR_LOG_FILE_TEXT_H_
#define KORVEL_EXPORT_MONITOR_LOG_FILE_TEXT_H_

#include <QString>

#include "KorvelToMaelisMigrationExport/export/status.h"

namespace monitor {

struct LogFileText {
  enum class State {
    kMissing,  // no file at the path (a folder there is not a file either)
    kFailed,   // the file is there but could not be read: see `failure`
    kRead,     // `text` holds the whole file
  };
  State state = State::kMissing;
  QString text;
  export_engine::Status failure;
};

LogFileText ReadLogFileText(const QString& path);

}  // namespace monitor

#endif  // KORVEL_EXPORT_MONITOR_LOG_FILE_TEXT_H_
