// Form descriptions: any bytes parse to windows or to nothing; what parses re-encodes to
// a description that parses to the same windows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "runtime/forms/form_description.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto windows = rt::ParseFormDescription({data, size});
  if (!windows) return 0;
  const auto bytes = rt::EncodeFormDescription(*windows);
  auto again = rt::ParseFormDescription(bytes);
  if (!again || *again != *windows) std::abort();
  return 0;
}
