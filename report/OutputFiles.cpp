#include "report/OutputFiles.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

#include "platform/FileSystem.h"
#include "platform/OsError.h"
#include "platform/WideText.h"
#include "report/OrderedWork.h"

namespace Dexal {
namespace {

[[noreturn]] void Fail(const std::filesystem::path& path, const char* what,
                       const std::string& reason) {
  throw std::runtime_error(Utf8FromPath(path) + ": " + what + " (" + reason + ")");
}

bool Exists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// A name beside `path` that nothing has yet: "report.html.tmp-3f9a0c12".
std::filesystem::path FreeNameBeside(const std::filesystem::path& path, const char* kind) {
  static std::mt19937 random{std::random_device{}()};
  for (;;) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%s-%08lx", kind,
                  static_cast<unsigned long>(random() & 0xFFFFFFFFu));
    std::filesystem::path name = path;
    name += suffix;
    if (!Exists(name)) return name;
  }
}

// The pieces of `next` gathered into blocks of some 256 KB, for fewer and larger writes.
NextBytes Gathered(const NextBytes& next) {
  constexpr std::size_t kBlockBytes = std::size_t{256} << 10;
  return [&next, done = false](std::string& out) mutable {
    while (!done && out.size() < kBlockBytes) done = !next(out);
    return !out.empty();
  };
}

}  // namespace

OutputFiles::OutputFiles() : OutputFiles(MoveFileOnto) {}

OutputFiles::OutputFiles(Mover move) : move_(std::move(move)) {}

void OutputFiles::Add(const std::filesystem::path& path, std::string bytes) {
  File& file = files_.emplace_back();
  const WriteTarget target = WriteTargetOf(path);
  file.path = target.path;
  file.stream = target.stream;
  file.bytes = std::move(bytes);
}

void OutputFiles::Add(const std::filesystem::path& path, NextBytes next) {
  Add(path, std::string());
  files_.back().next = std::move(next);
}

void OutputFiles::AddFolder(const std::filesystem::path& folder) { folders_.push_back(folder); }

void OutputFiles::WriteAll() {
  try {
    MakeFolders();
    for (const File& file : files_) {
      std::error_code error;
      if (std::filesystem::is_directory(file.path, error)) {
        Fail(file.path, "cannot be written", "it is a folder");
      }
    }
    WriteTemporaries();
    PutInPlace();
  } catch (const std::runtime_error& e) {
    const std::string notRestored = RollBack();
    if (notRestored.empty()) throw;
    throw std::runtime_error(e.what() + notRestored);
  } catch (...) {  // a file that failed while it was made (no memory)
    RollBack();
    throw;
  }
  std::error_code ignored;
  for (const File& file : files_) {
    if (!file.former.empty()) std::filesystem::remove(file.former, ignored);
  }
  WriteStreams();
}

void OutputFiles::MakeFolders() {
  for (const std::filesystem::path& folder : folders_) {
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) continue;
    std::uint32_t osError = 0;
    if (!MakeFolder(folder, osError)) {
      Fail(folder, "cannot make the folder", OsErrorReason(osError));
    }
    madeFolders_.push_back(folder);
  }
}

void OutputFiles::WriteTemporaries() {
  for (File& file : files_) {
    if (!file.stream) file.temporary = FreeNameBeside(file.path, "tmp");
  }
  // The files made and written side by side (the page and the table take the longest); a
  // failure is told for the first file in order that failed.
  struct Written {
    bool done = true;
    std::uint32_t osError = 0;
  };
  const auto write = [this](std::size_t i) {
    const File& file = files_[i];
    Written written;
    if (file.stream) return written;
    written.done = file.next ? WriteNewFile(file.temporary, Gathered(file.next), written.osError)
                             : WriteNewFile(file.temporary, file.bytes, written.osError);
    return written;
  };
  const auto check = [this](std::size_t i, const Written& written) {
    if (!written.done) Fail(files_[i].path, "cannot be written", OsErrorReason(written.osError));
  };
  MakeInParallelTakeInOrder<Written>(files_.size(), WorkingThreads(), files_.size(), write, check);
}

void OutputFiles::PutInPlace() {
  for (File& file : files_) {
    if (file.stream) continue;
    std::uint32_t osError = 0;
    if (Exists(file.path)) {
      const std::filesystem::path aside = FreeNameBeside(file.path, "old");
      if (!move_(file.path, aside, osError)) {
        Fail(file.path, "cannot be written", OsErrorReason(osError));
      }
      file.former = aside;
    }
    if (!move_(file.temporary, file.path, osError)) {
      Fail(file.path, "cannot be written", OsErrorReason(osError));
    }
    file.placed = true;
    file.temporary.clear();
  }
}

void OutputFiles::WriteStreams() {
  for (const File& file : files_) {
    if (!file.stream) continue;
    std::ofstream out(file.path, std::ios::binary);
    out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
    std::string piece;
    while (out && file.next && file.next(piece)) {
      out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
      piece.clear();
    }
    out.close();
    if (!out) Fail(file.path, "cannot be written", OsErrorReason(LastOsError()));
  }
}

std::string OutputFiles::RollBack() {
  std::string notRestored;
  std::error_code ignored;
  for (auto file = files_.rbegin(); file != files_.rend(); ++file) {
    if (!file->temporary.empty()) std::filesystem::remove(file->temporary, ignored);
    if (file->placed && file->former.empty()) std::filesystem::remove(file->path, ignored);
    std::uint32_t osError = 0;
    if (!file->former.empty() && !move_(file->former, file->path, osError)) {
      notRestored += "; " + Utf8FromPath(file->path) + " is now " + Utf8FromPath(file->former);
    }
  }
  for (auto folder = madeFolders_.rbegin(); folder != madeFolders_.rend(); ++folder) {
    std::filesystem::remove(*folder, ignored);
  }
  return notRestored;
}

}  // namespace Dexal
