// mdlPriority: the program's own scheduling priority.
#ifndef KORVEL_EXPORT_MONITOR_PRIORITY_H_
#define KORVEL_EXPORT_MONITOR_PRIORITY_H_

namespace monitor {

// Puts the program one class below normal: 5 nice steps lower than it was
// started with, at most to the lowest priority there is. True when the
// priority was set. On this system the nice value belongs to the thread, so
// this is called on the main thread, where all the work happens, before any
// other thread is started: threads inherit it.
bool LowerOwnPriorityBelowNormal();

}  // namespace monitor

#endif  // KORVEL_EXPORT_MONITOR_PRIORITY_H_
