#pragma once
// A symbolic link made again by the system's own call from what its bytes hold.

#include <string>

#include "base/reparse_data.h"

namespace mirafold::base {

// The stored target in the form CreateSymbolicLinkW takes and stores back unchanged: an absolute
// name "\??\X" as "\\?\X" (given "\??\Volume{...}\x", the call would take it for a path from the
// current drive's root and store it as relative); a relative one as it stands.
std::wstring symbolicLinkTargetForSystem(const SymbolicLink& link);

}  // namespace mirafold::base
