// Reading the version record from any bytes stays inside them.

#include "platform/version_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)mirafold::platform::fileVersionOf(std::span(data, size));
  return 0;
}
