#include "base/rights.h"

namespace mirafold::base {

namespace {
constexpr std::uint32_t kAccessDenied = 5, kPrivilegeNotHeld = 1314, kElevationRequired = 740;
}  // namespace

bool isNoRightsError(std::uint32_t code) {
  return code == kAccessDenied || code == kPrivilegeNotHeld || code == kElevationRequired;
}

}  // namespace mirafold::base
