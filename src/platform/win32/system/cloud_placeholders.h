#pragma once
// Cloud files seen as what they are: a process the system takes for an old program may be shown a
// provider's placeholder disguised as a plain file, whose copy would download it and whose
// deletion would delete it from the cloud.

namespace mirafold::win32 {

// For the whole process, at its start; nothing where the system has no placeholders.
void exposeCloudPlaceholders();

}  // namespace mirafold::win32
