#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "csv/CsvByteSource.h"

struct gcry_md_handle;

namespace Dexal {

// SHA-256 of bytes given in pieces, computed by libgcrypt.
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void Add(std::string_view bytes);
  // The digest of everything added, as 64 lower-case hex digits.
  [[nodiscard]] std::string HexText() const;

 private:
  gcry_md_handle* handle_ = nullptr;
};

// The SHA-256 of bytes given at once.
std::array<unsigned char, 32> Sha256Of(std::string_view bytes);

// What ties a page to the file it was made from.
struct SourceFacts {
  std::string fileName;
  std::uint64_t size = 0;
  std::string sha256;                     // hex
  std::string testerSerial, serviceDate;  // as its tester header gives them
};

// A byte source that hashes and counts what passes through it, so that the file is read once
// for the report and its digest.
class DigestingSource final : public CsvByteSource {
 public:
  explicit DigestingSource(std::unique_ptr<CsvByteSource> inner) : inner_(std::move(inner)) {}
  std::size_t Read(char* into, std::size_t most) override;
  // Reads what the reader left (nothing, for a whole file) and gives the facts.
  SourceFacts Finish(std::string fileName);

 private:
  std::unique_ptr<CsvByteSource> inner_;
  Sha256 digest_;
  std::uint64_t size_ = 0;
};

}  // namespace Dexal
