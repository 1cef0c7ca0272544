// Where frmMain's controls go when the window is resized, in twips (1440 to
// the inch), as the window was designed. The window has a fixed width and a
// least height; the extra height goes to the data-item list, and the
// progress frame and the buttons move down with it.
#ifndef KORVEL_EXPORT_SHELL_MAIN_WINDOW_LAYOUT_H_
#define KORVEL_EXPORT_SHELL_MAIN_WINDOW_LAYOUT_H_

namespace shell {

inline constexpr int kTwipsPerInch = 1440;

inline constexpr int kMainWindowWidth = 5280;
inline constexpr int kMainWindowMinimumHeight = 6525;

struct MainWindowLayout {
  int window_width = 0;
  int window_height = 0;
  int list_frame_height = 0;   // frameListBox
  int list_height = 0;         // lstDataItems, inside the frame
  int progress_frame_top = 0;  // frameProgress
  int start_top = 0;           // cmdStart
  int exit_top = 0;            // cmdExit
};

// The layout for a window resized to `height` (its outer height; whatever
// width it was given, it gets its own back); `list_frame_top` is where
// frameListBox starts, which never changes.
MainWindowLayout LayoutForWindowHeight(int height, int list_frame_top);

// Twips to pixels and back at `dots_per_inch`, the screen's logical density.
int TwipsToPixels(int twips, double dots_per_inch);
int PixelsToTwips(int pixels, double dots_per_inch);

}  // namespace shell

#endif  // KORVEL_EXPORT_SHELL_MAIN_WINDOW_LAYOUT_H_
