// Arbitrary criteria and data segments through CreateResult and the record decoder. The first
// byte says how many of the rest form the criteria segment. Decoding may refuse the input with
// a standard exception; anything else escaping, a crash, or a profile that contradicts its own
// samples is a fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <memory>

#include "fuzz/ProfileChecks.h"
#include "link/DexalCmd.h"
#include "results/CreateResult.h"
#include "results/DexalResultDecoder.h"
#include "results/SampleDecoder.h"

namespace {

using namespace Dexal;

// The profile of whichever pulse record it is, after decoding got as far as it could.
const DexalProfile* ProfileOf(const DexalResult& record) {
  if (const auto* r = dynamic_cast<const DexalDefibPulseTest*>(&record)) return r->profile.get();
  if (const auto* r = dynamic_cast<const DexalDefibChargeTest*>(&record)) return r->profile.get();
  if (const auto* r = dynamic_cast<const DexalDefibSynchTest*>(&record)) return r->profile.get();
  if (const auto* r = dynamic_cast<const DexalAEDPulseTest*>(&record)) return r->profile.get();
  if (const auto* r = dynamic_cast<const DexalPacerPulseTest*>(&record)) return r->profile.get();
  return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t rest = size - 1;
  const std::size_t split = data[0] % (rest + 1);
  DexalCmdResultData result(nullptr, "T1");
  result.criteriaSegment.assign(data + 1, data + 1 + split);
  result.dataSegment.assign(data + 1 + split, data + size);
  std::unique_ptr<DexalResult> record;
  try {
    record = CreateResult(&result);
    if (!record) return 0;
    DexalResultDecoder decoder;
    if (!record->accept(decoder)) std::abort();  // the decoder reports by exceptions only
  } catch (const std::exception&) {
    // Refused: the record keeps what was read before the failure.
  }
  const DexalProfile* profile = record ? ProfileOf(*record) : nullptr;
  if (profile != nullptr && !profile->samples.empty()) {
    fuzzing::CheckProfile(*profile, profile->samples.size());
  }
  return 0;
}
