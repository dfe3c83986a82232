#include "results/DexalResult.h"

namespace Dexal {

DexalResult::DexalResult(const DexalCmdResultData* data)
    : resultData(data), testerSerial(data != nullptr ? data->testerSerial : std::string()) {}

}  // namespace Dexal
