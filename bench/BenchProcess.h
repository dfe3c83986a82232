// What the download benchmarks share: the notices of an in-process download and starting the
// programs under test.
#pragma once

#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "download/DexalNotices.h"

extern char** environ;

namespace Dexal {

class LastNotice final : public DexalNotices {
 public:
  void Notify(const std::string& caption, const std::string& text, NoticeKind) override {
    last = "[" + caption + "] " + text;
  }
  [[nodiscard]] bool Complete() const { return last == "[Download] Download complete"; }
  std::string last;
};

// Starts the program args[0] with the other arguments; -1 when it cannot be started.
inline pid_t Spawn(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, args[0].c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

inline bool ExitedWithZero(int status) { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }

}  // namespace Dexal
