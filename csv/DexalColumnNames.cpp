#include "csv/DexalColumnNames.h"

#include <algorithm>
#include <array>

namespace Dexal {
namespace {

// Ohms as the plots write them, in UTF-8 like every text of the report and its tables.
constexpr std::array<DexalColumnName, 26> kColumnNames = {{
    {"NominalLoad", "Nominal load", "\xCE\xA9"},
    {"DefibChargeTime", "Charge time", "s"},
    {"Synch Time (ms)", "Sync time", "ms"},
    {"ECG Waveform", "ECG waveform", ""},
    {"ECG Waveform rate", "ECG rate", "", true},
    {"ECG Waveform peak (mV)", "ECG amplitude", "mV"},
    {"ECG Signal inverted", "ECG polarity", ""},
    {"Pacer Model", "Pacer model", ""},
    {"Pacer Pulse Rate (ppm)", "Pacing rate", "ppm"},
    {"Pacer Pulsed Refractory Period - PRP (ms)", "Pulsed refractory period (PRP)", "ms"},
    {"Pacer Sensed Refractory Period - SRP (ms)", "Sensed refractory period (SRP)", "ms"},
    {"Pulse Width (ms):", "Pulse width", "ms"},
    {"Pacer Sensitivity (mV)", "Sensitivity", "mV"},
    {"Description", "Description", ""},
    {"Defib Energy (J)", "Energy", "J"},
    {"Defib Peak Voltage (V)", "Peak voltage", "V"},
    {"Defib Peak Current (A)", "Peak current", "A"},
    {"Defib Min Voltage (V)", "Lowest voltage", "V"},
    {"Defib Max Voltage (V)", "Highest voltage", "V"},
    {"Defib Pulse Width (ms)", "Pulse width", "ms"},
    {"Pacer Pulse Energy (mJ)", "Energy", "mJ"},
    {"Pacer Pulse Peak Voltage (mV)", "Peak voltage", "mV"},
    {"Pacer Pulse Peak Current (mA)", "Peak current", "mA"},
    {"Pacer Pulse Min Voltage (mV)", "Lowest voltage", "mV"},
    {"Pacer Pulse Max Voltage (mV)", "Highest voltage", "mV"},
    {"Pacer Pulse Width (ms)", "Pulse width", "ms"},
}};

}  // namespace

const DexalColumnName* ColumnNameFromHeader(std::string_view header) {
  const auto* row = std::find_if(kColumnNames.begin(), kColumnNames.end(),
                                 [&](const DexalColumnName& r) { return r.header == header; });
  return row == kColumnNames.end() ? nullptr : &*row;
}

}  // namespace Dexal
