// The verification of a finished export folder against the server as it is
// now: every subscriber a CSV row or a logged skip, every row equal to the
// one the export engine makes now, every voice name equal to its recording,
// and, when the folder holds messages, every stored message matched by its
// audio to one message file of its owner.
#ifndef KORVEL_EXPORT_RECONCILE_VERIFICATION_H_
#define KORVEL_EXPORT_RECONCILE_VERIFICATION_H_

#include <cstdint>

#include <QString>

#include "KorvelToMaelisMigrationExport/export/export_front_end.h"
#include "KorvelToMaelisMigrationExport/export/table_cache.h"
#include "KorvelToMaelisMigrationExport/reconcile/report.h"

namespace reconcile {

// `folder` ends in '/'. Progress goes to `front_end`, and `announce` is told
// the name of each stage as it begins. The report is ok when every finding is
// explained.
Report VerifyExportFolder(const QString& folder, export_engine::TableCache& tables, std::int64_t subscriber_count,
                          export_engine::ExportFrontEnd& front_end, const Announce& announce);

// Whether a finding of this kind leaves the folder accounted for.
bool IsExplained(const Finding& finding);

}  // namespace reconcile

#endif  // KORVEL_EXPORT_RECONCILE_VERIFICATION_H_
