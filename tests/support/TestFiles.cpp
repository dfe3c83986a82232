#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>

namespace Dexal::testing {

namespace fs = std::filesystem;

namespace {

void SetZone(const char* zone) {
#ifdef _WIN32
  _putenv_s("TZ", zone ? zone : "");
  _tzset();
#else
  if (zone) {
    setenv("TZ", zone, 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
#endif
}

}  // namespace

TempDir::TempDir() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "dexal-test";
  if (info) name += std::string("-") + info->test_suite_name() + "-" + info->name();
  for (char& c : name) {
    if (c == '/' || c == '\\') c = '_';
  }
  path_ = fs::temp_directory_path() / name;
  fs::remove_all(path_);
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

ScopedTimeZone::ScopedTimeZone(const std::string& zone) {
  if (const char* now = std::getenv("TZ")) {
    previous_ = now;
    hadPrevious_ = true;
  }
  SetZone(zone.c_str());
}

ScopedTimeZone::~ScopedTimeZone() { SetZone(hadPrevious_ ? previous_.c_str() : nullptr); }

std::string ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

fs::path TestDataPath(const std::string& relative) { return fs::path(DEXAL_TESTDATA) / relative; }

}  // namespace Dexal::testing
