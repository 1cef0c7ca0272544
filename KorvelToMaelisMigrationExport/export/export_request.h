// The inputs of one export run, as the main window's controls or the
// headless mode's options give them.
#ifndef KORVEL_EXPORT_EXPORT_EXPORT_REQUEST_H_
#define KORVEL_EXPORT_EXPORT_EXPORT_REQUEST_H_

#include <vector>

#include <QString>

#include "KorvelToMaelisMigrationExport/export/data_items.h"

namespace export_engine {

struct ExportRequest {
  QString output_path;                   // the CSV file
  std::vector<DataItemEntry> data_items;  // the list, in its order
  bool include_messages = false;
  // The program was started with command-line text: the run ends the
  // program instead of offering to open the files it wrote.
  bool started_with_arguments = false;
};

}  // namespace export_engine

#endif  // KORVEL_EXPORT_EXPORT_EXPORT_REQUEST_H_
