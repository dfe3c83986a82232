#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace Dexal {

// Files that are written all or none. Each goes under a temporary name beside its place and is
// moved into place only when every one is complete; on any failure every file and folder is as
// it was before, and nothing new is left behind. An output that exists and is neither a file nor
// a folder (a device, a pipe: /dev/stdout) cannot be put in place: it is written as it is, last.
class OutputFiles {
 public:
  // How a file gets its new name: MoveFileOnto; tests give one that fails.
  using Mover = std::function<bool(const std::filesystem::path& from,
                                   const std::filesystem::path& to, std::uint32_t& osError)>;
  OutputFiles();
  explicit OutputFiles(Mover move);

  // A file to write. A path that is a link to a file is written where it points, so that the
  // link stays.
  void Add(const std::filesystem::path& path, std::string bytes);
  // The same, made while it is written: `next` is called only by WriteAll (so what it refers to
  // must last until then), and at most until it gives no more.
  void Add(const std::filesystem::path& path, NextBytes next);
  // A folder the files go into, made (itself, not its parents) when it is missing.
  void AddFolder(const std::filesystem::path& folder);

  // Throws a std::runtime_error with the text for the user: "X: cannot be written (reason)",
  // "X: cannot make the folder (reason)".
  void WriteAll();

 private:
  struct File {
    std::filesystem::path path;
    std::string bytes;
    NextBytes next;                   // when it is made while written
    bool stream = false;              // a device or pipe, written as it is
    std::filesystem::path temporary;  // while it is written and until it is in place
    std::filesystem::path former;     // the file it replaces, moved aside until all are in place
    bool placed = false;
  };

  void MakeFolders();
  void WriteTemporaries();
  void PutInPlace();
  void WriteStreams();
  // Undoes what WriteAll did so far; says where former files are that it could not put back.
  std::string RollBack();

  Mover move_;
  std::vector<File> files_;
  std::vector<std::filesystem::path> folders_;
  std::vector<std::filesystem::path> madeFolders_;
};

}  // namespace Dexal
