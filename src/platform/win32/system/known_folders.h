#pragma once
// The system's own folders, from the shell's known-folder list: the places a move must leave, and
// where the move keeps its journals.

#include <string>

#include "platform/services.h"

namespace mirafold::win32 {

class Win32SystemFolders final : public platform::SystemFolders {
 public:
  platform::SystemPlaces places() const override;
};

// Where the helper with administrator rights keeps its journal: %ProgramData%\Mirafold\moves,
// which only administrators may change once the helper has made it.
std::wstring protectedJournalFolder();

}  // namespace mirafold::win32
