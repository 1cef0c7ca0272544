// A long check runs in stages, each announced by name before its progress
// starts again from zero.
#ifndef KORVEL_EXPORT_RECONCILE_STAGES_H_
#define KORVEL_EXPORT_RECONCILE_STAGES_H_

#include <cstddef>

#include <QString>

#include "KorvelToMaelisMigrationExport/export/export_front_end.h"
#include "KorvelToMaelisMigrationExport/reconcile/report.h"

namespace reconcile {

void BeginStage(export_engine::ExportFrontEnd& front_end, const Announce& announce, const QString& stage,
                std::size_t steps);

}  // namespace reconcile

#endif  // KORVEL_EXPORT_RECONCILE_STAGES_H_
