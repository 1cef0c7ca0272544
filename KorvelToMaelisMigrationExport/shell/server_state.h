// The voice-mail server's state object, as far as start-up asks it: whether
// the server is running. The server keeps the state in the registry value
// "Server State" of its Trellium key.
#ifndef KORVEL_EXPORT_SHELL_SERVER_STATE_H_
#define KORVEL_EXPORT_SHELL_SERVER_STATE_H_

#include <QtGlobal>

namespace shell {

inline constexpr qint32 kServerStateRunning = 32;

// The server's state; 0 when no server has recorded one.
qint32 ReadServerState();

}  // namespace shell

#endif  // KORVEL_EXPORT_SHELL_SERVER_STATE_H_
