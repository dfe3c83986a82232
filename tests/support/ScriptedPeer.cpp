#include "tests/support/ScriptedPeer.h"

namespace Dexal::testing {

void PutWord(ByteVector& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutLong(ByteVector& out, std::uint32_t value) {
  PutWord(out, static_cast<std::uint16_t>(value & 0xFFFF));
  PutWord(out, static_cast<std::uint16_t>(value >> 16));
}

ByteVector ReplyData(std::uint16_t code, std::uint16_t sequence, std::uint16_t status,
                     const ByteVector& payload, std::uint16_t status2) {
  ByteVector out;
  PutWord(out, code);
  PutWord(out, sequence);
  PutWord(out, status);
  PutWord(out, status2);
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

ByteVector ScriptedPeer::operator()(const ByteVector& written) {
  ByteVector out;
  for (std::uint8_t byte : written) {
    if (!receiver_.Feed(byte)) continue;
    const ByteVector& data = receiver_.Data();
    Request request;
    if (data.size() >= 4) {
      request.sequence = static_cast<std::uint16_t>(data[0] | (data[1] << 8));
      request.code = static_cast<std::uint16_t>(data[2] | (data[3] << 8));
      request.payload.assign(data.begin() + 4, data.end());
    }
    requests.push_back(request);
    if (auto reply = answer_(request)) {
      const ByteVector frame = EncodeFrame(*reply);
      out.insert(out.end(), frame.begin(), frame.end());
    }
  }
  return out;
}

}  // namespace Dexal::testing
