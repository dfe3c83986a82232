#pragma once

#include <cstdint>
#include <string>

namespace Dexal {

// Display texts of the codes a result carries. Every code yields a text; none of them throws.

std::string StringFromTestType(std::uint8_t testType);
// 1 pass, 2 fail; any other verdict is "???".
std::string StringFromPassFail(int verdict);
std::string StringFromPacerModel(std::uint16_t pacerModel);
std::string StringFromWaveform(std::uint8_t waveform);
// Unit of the waveform's rate; empty for a code without one.
std::string UnitFromWaveform(std::uint8_t waveform);
std::string StringFromEcgInverted(std::uint8_t ecgInverted);

}  // namespace Dexal
