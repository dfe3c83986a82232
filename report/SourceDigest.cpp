#include "report/SourceDigest.h"

#include <gcrypt.h>

#include <array>
#include <stdexcept>

namespace Dexal {
namespace {

void StartGcryptOnce() {
  // gcry_check_version initialises the library; it must run before any other call.
  static const bool started = [] {
    if (gcry_check_version(GCRYPT_VERSION) == nullptr) {
      throw std::runtime_error("libgcrypt " GCRYPT_VERSION " or later is needed");
    }
    // Only digests are computed: no keys to keep out of swapped memory.
    gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    return true;
  }();
  (void)started;
}

}  // namespace

Sha256::Sha256() {
  StartGcryptOnce();
  if (gcry_md_open(&handle_, GCRY_MD_SHA256, 0) != 0) {
    throw std::runtime_error("SHA-256 is not available from libgcrypt");
  }
}

Sha256::~Sha256() { gcry_md_close(handle_); }

void Sha256::Add(std::string_view bytes) { gcry_md_write(handle_, bytes.data(), bytes.size()); }

std::string Sha256::HexText() const {
  const unsigned char* digest = gcry_md_read(handle_, GCRY_MD_SHA256);
  const std::size_t length = gcry_md_get_algo_dlen(GCRY_MD_SHA256);
  static constexpr std::array<char, 16> kHex = {'0', '1', '2', '3', '4', '5', '6', '7',
                                                '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 0x0F];
  }
  return text;
}

std::array<unsigned char, 32> Sha256Of(std::string_view bytes) {
  StartGcryptOnce();
  std::array<unsigned char, 32> digest{};
  gcry_md_hash_buffer(GCRY_MD_SHA256, digest.data(), bytes.data(), bytes.size());
  return digest;
}

std::size_t DigestingSource::Read(char* into, std::size_t most) {
  const std::size_t got = inner_->Read(into, most);
  digest_.Add(std::string_view(into, got));
  size_ += got;
  return got;
}

SourceFacts DigestingSource::Finish(std::string fileName) {
  std::array<char, 4096> rest{};
  while (Read(rest.data(), rest.size()) != 0) {
  }
  return {std::move(fileName), size_, digest_.HexText(), {}, {}};
}

}  // namespace Dexal
