#include "korvel/sample/stream_files_writer.h"

#include <set>
#include <system_error>

#include "korvel/sample/file_output.h"
#include "korvel/sample/wave.h"

namespace korvel_sample {

Status WriteStreamFiles(const Directory& directory, const std::filesystem::path& stream_folder,
                        int* files_written) {
  *files_written = 0;
  std::set<std::filesystem::path> folders_made;
  folders_made.insert(stream_folder / "");
  std::error_code error;
  std::filesystem::create_directories(stream_folder, error);
  if (error) {
    return Status::Error(stream_folder.string() + ": cannot create the folder (" +
                         error.message() + ")");
  }
  for (const Subscriber& subscriber : directory.subscribers) {
    if (!subscriber.voice_file) continue;
    const std::filesystem::path path = stream_folder / subscriber.voice_file->relative_path;
    const std::filesystem::path folder = path.parent_path();
    if (folders_made.insert(folder).second) {
      std::filesystem::create_directories(folder, error);
      if (error) {
        return Status::Error(folder.string() + ": cannot create the folder (" + error.message() +
                             ")");
      }
    }
    Status status = WriteWholeFile(path, EncodeToneWave(subscriber.voice_file->tone));
    if (!status.ok()) return status;
    ++*files_written;
  }
  return Status::Ok();
}

}  // namespace korvel_sample
