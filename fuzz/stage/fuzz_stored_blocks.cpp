// The stage's and the templates' stored property blocks, as the form description holds
// them: the first byte picks the block kind, the rest is the block. A block that parses
// holds values inside their ranges, and writing it back gives a block that parses to the
// same settings.
#include <cstddef>
#include <cstdint>
#include <span>

#include "stage/component/stored_blocks.h"

namespace {

template <typename Settings>
void RoundTrip(const std::optional<Settings>& parsed,
               std::optional<Settings> (*parse)(std::span<const uint8_t>),
               std::vector<uint8_t> (*write)(const Settings&), void (*clamp)(Settings&)) {
  if (!parsed) return;
  Settings clamped = *parsed;
  clamp(clamped);
  if (!(clamped == *parsed)) __builtin_trap();  // out-of-range values got through
  const auto again = parse(write(*parsed));
  if (!again || !(*again == *parsed)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::span<const uint8_t> block(data + 1, size - 1);
  if (data[0] & 1)
    RoundTrip(stage::ParseTemplateBlock(block), stage::ParseTemplateBlock,
              stage::WriteTemplateBlock, stage::ClampTemplateSettings);
  else
    RoundTrip(stage::ParseStageBlock(block), stage::ParseStageBlock, stage::WriteStageBlock,
              stage::ClampStageSettings);
  return 0;
}
