#include "results/DexalTestTypes.h"

namespace Dexal {

const DexalTestType* TestTypeFromCode(std::uint8_t code) {
  for (const DexalTestType& type : kDexalTestTypes) {
    if (type.code == code) return &type;
  }
  return nullptr;
}

const DexalTestType* TestTypeFromDisplayName(std::string_view displayName) {
  for (const DexalTestType& type : kDexalTestTypes) {
    if (type.displayName == displayName) return &type;
  }
  return nullptr;
}

}  // namespace Dexal
