// SIGINT, SIGTERM and SIGHUP as a request to stop: the handler only notes the
// signal (and wakes an event loop through a pipe); the program's own work
// looks at the note at its safe points, removes what it has not finished,
// says so in its log and ends with 128 + the signal number.
#ifndef KORVEL_PLATFORM_INTERRUPT_INTERRUPT_H_
#define KORVEL_PLATFORM_INTERRUPT_INTERRUPT_H_

#include <string>

namespace interrupt {

// Installs the handlers; calling it again changes nothing. Blocking system
// calls are not restarted after the signal, so a wait ends at once.
void InstallHandlers();

// The first stop signal received, or 0.
int PendingSignal();

// Readable once a stop signal has arrived, for an event loop to watch; -1
// before InstallHandlers.
int WakeDescriptor();

// The exit status for a run ended by `signal`.
inline int ExitStatusFor(int signal) { return 128 + signal; }

// "SIGTERM", "SIGINT", "SIGHUP", or "signal N".
std::string SignalName(int signal);

}  // namespace interrupt

#endif  // KORVEL_PLATFORM_INTERRUPT_INTERRUPT_H_
