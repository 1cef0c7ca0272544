// Writing whole files, with failures that name the file.
#ifndef KORVEL_SAMPLE_FILE_OUTPUT_H_
#define KORVEL_SAMPLE_FILE_OUTPUT_H_

#include <filesystem>
#include <string_view>

#include "korvel/sample/status.h"

namespace korvel_sample {

// Creates or replaces the file with exactly `bytes`.
Status WriteWholeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace korvel_sample

#endif  // KORVEL_SAMPLE_FILE_OUTPUT_H_
