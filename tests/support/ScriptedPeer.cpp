#include "tests/support/ScriptedPeer.h"

#include <gtest/gtest.h>

namespace Dexal::testing {

ByteVector ReplyData(std::uint16_t code, std::uint16_t sequence, std::uint16_t status,
                     const ByteVector& payload, std::uint16_t status2) {
  ByteVector out;
  for (const std::uint16_t word : {code, sequence, status, status2}) PutWord(out, word);
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

std::vector<ByteVector> ReceiveFrames(FrameReceiver& receiver, const ByteVector& wire) {
  std::vector<ByteVector> frames;
  for (std::uint8_t byte : wire) {
    if (receiver.Feed(byte)) frames.push_back(receiver.Data());
  }
  return frames;
}

ByteVector ScriptedPeer::operator()(const ByteVector& written) {
  ByteVector out;
  for (const ByteVector& data : ReceiveFrames(receiver_, written)) {
    Request request;
    if (data.size() >= 4) {
      request.sequence = GetWord(data, 0);
      request.code = GetWord(data, 2);
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

LinkOverPeer::LinkOverPeer(ScriptedPeer::Answer answer) : peer(std::move(answer)) {
  EXPECT_TRUE(link->Open(L"COM1"));
  port->peer = [this](const ByteVector& bytes) { return peer(bytes); };
}

}  // namespace Dexal::testing
