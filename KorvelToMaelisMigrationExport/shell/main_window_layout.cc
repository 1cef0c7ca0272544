#include "KorvelToMaelisMigrationExport/shell/main_window_layout.h"

#include <algorithm>
#include <cmath>

namespace shell {

MainWindowLayout LayoutForWindowHeight(int height, int list_frame_top) {
  MainWindowLayout layout;
  layout.window_width = kMainWindowWidth;
  layout.window_height = std::max(height, kMainWindowMinimumHeight);
  layout.list_frame_height = layout.window_height - 3500;
  layout.list_height = layout.list_frame_height - 405;
  layout.progress_frame_top = list_frame_top + layout.list_frame_height + 105;
  layout.start_top = layout.window_height - 1190;
  layout.exit_top = layout.start_top;
  return layout;
}

int TwipsToPixels(int twips, double dots_per_inch) {
  return static_cast<int>(std::lround(twips * dots_per_inch / kTwipsPerInch));
}

int PixelsToTwips(int pixels, double dots_per_inch) {
  return static_cast<int>(std::lround(pixels * kTwipsPerInch / dots_per_inch));
}

}  // namespace shell
