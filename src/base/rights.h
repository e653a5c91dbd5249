#pragma once
// The one rule that tells "the user may not do this" from every other failure, for the link
// road's retry as administrator and for the move alike.

#include <cstdint>

namespace mirafold::base {

// A Windows error code that more rights would overcome: ERROR_ACCESS_DENIED,
// ERROR_PRIVILEGE_NOT_HELD, ERROR_ELEVATION_REQUIRED. An access denial that a file held open
// explains is no such case; the caller looks for that file first.
bool isNoRightsError(std::uint32_t code);

}  // namespace mirafold::base
