#pragma once

#include <cstdint>
#include <string>

namespace Dexal {

// Display texts of the coded values in a result. A code outside its table gives "???",
// except for UnitFromWaveform, which gives an empty unit.
std::string StringFromTestType(std::uint8_t testType);
std::string StringFromPassFail(std::int32_t verdict);  // 1 pass, 2 fail
std::string StringFromPacerModel(std::uint16_t pacerModel);
std::string StringFromWaveform(std::uint8_t waveform);
std::string UnitFromWaveform(std::uint8_t waveform);
std::string StringFromEcgInverted(std::uint8_t ecgInverted);

}  // namespace Dexal
