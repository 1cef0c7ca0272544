// The pre-flight of an export: the run's checks and questions, and the whole
// export and message walk done in memory by the export's own engine, writing
// nothing: what would be written and skipped, what would fail, and whether it
// all fits on the output folder's file system.
#ifndef KORVEL_EXPORT_RECONCILE_PREFLIGHT_H_
#define KORVEL_EXPORT_RECONCILE_PREFLIGHT_H_

#include <cstdint>
#include <utility>
#include <vector>

#include <QString>

#include "KorvelToMaelisMigrationExport/export/export_front_end.h"
#include "KorvelToMaelisMigrationExport/export/export_request.h"
#include "KorvelToMaelisMigrationExport/export/table_cache.h"
#include "KorvelToMaelisMigrationExport/reconcile/report.h"

namespace reconcile {

// A front end's questions as the pre-flight hears them: `front_end` answers
// them (from its options), and each one asked is kept with its answer.
class QuestionRecorder {
 public:
  virtual ~QuestionRecorder() = default;
  virtual std::vector<std::pair<QString, bool>> questions() const = 0;
};

// Progress goes to `front_end`, and `announce` is told the name of each stage
// as it begins. The bytes an export of `request` would write are set against
// the free space of the file system holding its folder (or the folder's
// nearest existing parent).
Report PreflightExport(const export_engine::ExportRequest& request, export_engine::TableCache& tables,
                       std::int64_t subscriber_count, export_engine::ExportFrontEnd& front_end,
                       const QuestionRecorder& questions, const Announce& announce);

}  // namespace reconcile

#endif  // KORVEL_EXPORT_RECONCILE_PREFLIGHT_H_
