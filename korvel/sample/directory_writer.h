// Writes the directory into a new SQLite file with the tables and views the
// export's queries read.
#ifndef KORVEL_SAMPLE_DIRECTORY_WRITER_H_
#define KORVEL_SAMPLE_DIRECTORY_WRITER_H_

#include <string>

#include "korvel/sample/sample_model.h"
#include "korvel/sample/status.h"

namespace korvel_sample {

Status WriteDirectoryDatabase(const Directory& directory, const std::string& path);

}  // namespace korvel_sample

#endif  // KORVEL_SAMPLE_DIRECTORY_WRITER_H_
