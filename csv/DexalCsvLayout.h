#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace Dexal {

// The file's dialect: cells separated by a comma, every line ended by CR LF on every platform.
inline constexpr char kCsvSeparator = ',';
inline constexpr std::string_view kCsvLineEnd = "\r\n";

// The first line of every file, above the tester's serial number and service date.
inline constexpr std::array<std::string_view, 2> kTesterHeaders = {"Serial", "Service Date"};

// The common columns that begin every section's header and value lines, in file order, and
// their number.
enum CommonColumn : std::size_t {
  kAssetIdColumn,
  kAssetMakeColumn,
  kAssetModelColumn,
  kAssetSerialColumn,
  kDateColumn,
  kTestTypeColumn,
  kStatusColumn,
  kCommentColumn,
  kNominalLoadColumn,
  kCommonColumns
};

inline constexpr std::array<std::string_view, kCommonColumns> kCommonHeaders = {
    "Asset ID",  "Asset Make", "Asset Model", "Asset Serial", "Date",
    "Test Type", "Status",     "Comment",     "NominalLoad"};

// The header of a section's graph lines: time, current, voltage. A pacer's pulse is in mA and mV.
using GraphHeaders = std::array<std::string_view, 3>;
inline constexpr GraphHeaders kDefibGraphHeaders = {"Time (ms)", "Current (A)", "Voltage (V)"};
inline constexpr GraphHeaders kPacerGraphHeaders = {"Time (ms)", "Current (mA)", "Voltage (mV)"};

}  // namespace Dexal
