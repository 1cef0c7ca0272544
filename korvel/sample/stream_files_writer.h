// Places the subscribers' voice-name recordings in the stream file folder.
#ifndef KORVEL_SAMPLE_STREAM_FILES_WRITER_H_
#define KORVEL_SAMPLE_STREAM_FILES_WRITER_H_

#include <filesystem>

#include "korvel/sample/sample_model.h"
#include "korvel/sample/status.h"

namespace korvel_sample {

// Writes every recording the directory names into `stream_folder`, creating
// the folder and its sub-folders; counts the files in *files_written.
Status WriteStreamFiles(const Directory& directory, const std::filesystem::path& stream_folder,
                        int* files_written);

}  // namespace korvel_sample

#endif  // KORVEL_SAMPLE_STREAM_FILES_WRITER_H_
