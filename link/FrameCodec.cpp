#include "link/FrameCodec.h"

#include "link/Crc32.h"
#include "link/LittleEndian.h"

namespace Dexal {
namespace {

void PutEscaped(ByteVector& out, std::uint8_t byte) {
  if (byte == kFrameStart || byte == kFrameEnd || byte == kFrameEscape) {
    out.push_back(kFrameEscape);
    out.push_back(static_cast<std::uint8_t>(byte + 3));
  } else {
    out.push_back(byte);
  }
}

}  // namespace

ByteVector EncodeFrame(const ByteVector& data) {
  // The CRC covers the length and the data; everything between the markers is escaped.
  ByteVector body;
  body.reserve(data.size() + 6);
  AppendWord(body, static_cast<std::uint16_t>(data.size()));
  body.insert(body.end(), data.begin(), data.end());
  AppendLong(body, CrcUpdate(kCrcInitial, body.data(), body.size()));
  ByteVector out;
  out.reserve(MaxEncodedFrameSize(data.size()));
  out.push_back(kFrameStart);
  for (std::uint8_t byte : body) PutEscaped(out, byte);
  out.push_back(kFrameEnd);
  return out;
}

void FrameReceiver::Drop() {
  state_ = State::Idle;
  data_.clear();
}

bool FrameReceiver::Feed(std::uint8_t byte) {
  const bool escaped = escape_;
  escape_ = false;
  if (byte == kFrameStart) {
    data_.clear();
    length_ = 0;
    lengthBytes_ = 0;
    crcBytes_ = 0;
    crc_ = kCrcInitial;
    state_ = State::Length;
    return false;
  }
  if (byte == kFrameEnd) {
    if (state_ == State::Complete && crc_ == 0) {
      state_ = State::Idle;
      return true;
    }
    Drop();
    return false;
  }
  if (byte == kFrameEscape) {
    if (state_ == State::Idle || state_ == State::Complete || escaped) {
      Drop();
    } else {
      escape_ = true;
    }
    return false;
  }
  if (escaped) {
    if (byte < 0xFD) {
      Drop();
      return false;
    }
    byte = static_cast<std::uint8_t>(byte - 3);
  }
  crc_ = CrcUpdate(crc_, byte);
  switch (state_) {
    case State::Length:
      length_ |= static_cast<std::uint32_t>(byte) << (8 * lengthBytes_);
      if (++lengthBytes_ == 2) {
        if (length_ == 0 || length_ > kMaxFrameData) {
          Drop();
        } else {
          data_.reserve(length_);
          state_ = State::Data;
        }
      }
      break;
    case State::Data:
      data_.push_back(byte);
      if (data_.size() == length_) state_ = State::Crc;
      break;
    case State::Crc:
      if (++crcBytes_ == 4) state_ = State::Complete;
      break;
    case State::Complete:
      Drop();
      break;
    case State::Idle:
      break;
  }
  return false;
}

}  // namespace Dexal
