#include "KorvelToMaelisMigrationExport/reconcile/stages.h"

#include <algorithm>
#include <cstdint>

namespace reconcile {

void BeginStage(export_engine::ExportFrontEnd& front_end, const Announce& announce, const QString& stage,
                std::size_t steps) {
  // Ending the running state ends the last stage's bar, so the name stands on
  // a line of its own and the new stage's rate and time left start afresh.
  front_end.ShowRunning(false);
  announce(stage);
  front_end.ShowRunning(true);
  front_end.SetProgressRange(static_cast<int>(std::min<std::size_t>(steps, INT32_MAX)));
}

}  // namespace reconcile
