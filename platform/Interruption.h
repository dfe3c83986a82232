#pragma once

namespace Dexal {

// The exit status of a program that was interrupted (128 + SIGINT, as shells report it).
constexpr int kExitInterrupted = 130;

// From now on Ctrl-C and SIGTERM or SIGHUP (on Windows Ctrl-C, Ctrl-Break and the console
// closing) ask the program to stop: the first is noted for the program to act on where it
// safely can, a second ends the process at once with kExitInterrupted. A signal that the
// program was started with ignored (a background job's Ctrl-C) stays ignored.
void CatchInterruptions();

// Whether an interruption has been asked for since CatchInterruptions.
bool Interrupted();

}  // namespace Dexal
