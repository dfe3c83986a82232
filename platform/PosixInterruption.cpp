#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "platform/Interruption.h"

namespace Dexal {
namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void OnInterruption(int /*signal*/) {
  if (interrupted.exchange(true)) _exit(kExitInterrupted);
}

}  // namespace

void CatchInterruptions() {
  struct sigaction action {};
  action.sa_handler = OnInterruption;
  sigemptyset(&action.sa_mask);
  // Reads and waits on the port see EINTR and go on; file writes are restarted.
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction before {};
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

bool Interrupted() { return interrupted.load(); }

}  // namespace Dexal
