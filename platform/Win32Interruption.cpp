#include <windows.h>

#include <atomic>

#include "platform/Interruption.h"

namespace Dexal {
namespace {

std::atomic<bool> interrupted{false};

// Runs on a thread of its own that Windows starts for each event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (interrupted.exchange(true)) TerminateProcess(GetCurrentProcess(), kExitInterrupted);
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    // Windows ends the process as soon as this returns (a few seconds at most after the event):
    // wait here while the program stops and exits by itself.
    Sleep(INFINITE);
  }
  return TRUE;
}

}  // namespace

void CatchInterruptions() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

bool Interrupted() { return interrupted.load(); }

}  // namespace Dexal
