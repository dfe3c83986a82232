// Arbitrary line bytes into the frame receiver: every frame it accepts must re-encode to a
// frame that decodes to the same data, and nothing may crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "link/FrameCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Dexal::FrameReceiver receiver;
  for (std::size_t i = 0; i < size; ++i) {
    if (!receiver.Feed(data[i])) continue;
    const Dexal::ByteVector frame = receiver.Data();
    if (frame.empty() || frame.size() > Dexal::kMaxFrameData) std::abort();
    Dexal::FrameReceiver again;
    bool accepted = false;
    for (std::uint8_t byte : Dexal::EncodeFrame(frame)) accepted = again.Feed(byte);
    if (!accepted || again.Data() != frame) std::abort();
  }
  return 0;
}
