#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace Dexal::testing {

// A fresh directory for one test, named after it, removed again at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  [[nodiscard]] const std::filesystem::path& Path() const { return path_; }
  [[nodiscard]] std::filesystem::path operator/(const std::string& name) const {
    return path_ / name;
  }

 private:
  std::filesystem::path path_;
};

// Sets TZ for the life of the object and puts the previous zone back afterwards.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const std::string& zone);
  ~ScopedTimeZone();
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::string previous_;
  bool hadPrevious_ = false;
};

// The whole file as bytes; "" when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// A file under tests/testdata.
std::filesystem::path TestDataPath(const std::string& relative);

// The NAMEs of the files NAME`ext` in tests/testdata/`folder` whose NAME has no dot (so that
// "x.table.csv" is not taken for a ".csv"), sorted.
std::vector<std::string> TestDataStems(const std::string& folder, const std::string& ext);

// `text` with every `from` (not empty) replaced by `to`.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);

// Expects `bytes` to be the golden file's; with DEXAL_REGENERATE_GOLDEN set, writes them to it
// instead (read it before keeping it).
void ExpectGoldenFile(const std::string& bytes, const std::filesystem::path& golden);

}  // namespace Dexal::testing
