#pragma once
// The move's road with administrator rights: the program started again, elevated and without a
// window, to run one journal entry the window wrote, telling the window how it goes over a
// private pipe. It trusts nothing it is handed: the entry must lie in the journal folder under
// the name its own move gives it, and the plan in it passes the move's checks again.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "move/move_planning.h"
#include "move/move_progress.h"
#include "platform/message_pipe.h"
#include "platform/move_file_system.h"
#include "platform/nt_volume.h"
#include "platform/services.h"

namespace mirafold::move {

// The first argument that makes the program the helper.
inline constexpr std::wstring_view kHelperSwitch = L"--elevated-move";

enum class HelperTask {
  Move,      // a fresh move whose entry the window wrote before its first step
  Complete,  // an unfinished move, finished
  Undo,      // an unfinished move, undone
};

struct HelperRequest {
  HelperTask task = HelperTask::Move;
  std::wstring journalPath;
  std::wstring journalFolder;
  std::wstring pipeName;
};

// The helper's arguments, switch first, and back.
std::vector<std::wstring> helperArguments(const HelperRequest& request);
std::optional<HelperRequest> parseHelperArguments(const std::vector<std::wstring>& arguments);

// What the checks need to know of the system around a move whose link is made at `linkPlace`.
MoveSurroundings surroundingsOf(platform::SystemFolders& systemFolders, platform::NtVolume& volume,
                                const std::wstring& linkPlace);

struct HelperServices {
  platform::MoveFileSystem& files;
  platform::SystemFolders& systemFolders;
  platform::NtVolume& volume;
  const Clock& clock;
  platform::MessagePipe& pipe;
};

// Waits for the window's start, runs the request and tells the window its end; returns once the
// move has ended. If the window goes away, the move stops at its next operation and its journal
// stays for recovery; gone before its start, nothing is touched.
void runElevatedMove(const HelperRequest& request, HelperServices services);

}  // namespace mirafold::move
