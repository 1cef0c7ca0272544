#include "platform/interrupt/interrupt.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace interrupt {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> g_pending_signal{0};
int g_wake_pipe[2] = {-1, -1};

void NoteSignal(int signal) {
  const int saved_errno = errno;
  int none = 0;
  g_pending_signal.compare_exchange_strong(none, signal);
  if (g_wake_pipe[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_wake_pipe[1], &byte, 1);
  }
  errno = saved_errno;
}

}  // namespace

void InstallHandlers() {
  if (g_wake_pipe[0] >= 0) return;
  if (::pipe2(g_wake_pipe, O_CLOEXEC | O_NONBLOCK) != 0) g_wake_pipe[0] = g_wake_pipe[1] = -1;
  struct sigaction action {};
  action.sa_handler = NoteSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  for (int signal : kStopSignals) ::sigaction(signal, &action, nullptr);
}

int PendingSignal() { return g_pending_signal.load(std::memory_order_relaxed); }

int WakeDescriptor() { return g_wake_pipe[0]; }

std::string SignalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "signal " + std::to_string(signal);
  }
}

}  // namespace interrupt
