#pragma once
// The move's road with administrator rights: the program started again, elevated and without a
// window, to run one move the window asks for over a private pipe, telling the window how it goes.
// It trusts nothing a user's program can change: a fresh move is planned and checked again on the
// disk as it is; an unfinished one is taken only from its own journal, in a folder only
// administrators can change; nothing is read from the user's journal folder.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "move/move_planning.h"
#include "platform/clock.h"
#include "platform/message_pipe.h"
#include "platform/move_file_system.h"
#include "platform/nt_volume.h"
#include "platform/services.h"
#include "platform/user_rights.h"

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
  std::wstring pipeName;
  std::uint32_t window = 0;  // the process serving the pipe
};

// The helper's arguments, switch first, and back.
std::vector<std::wstring> helperArguments(const HelperRequest& request);
std::optional<HelperRequest> parseHelperArguments(const std::vector<std::wstring>& arguments);

// What the checks need to know of the system around a move whose link is made at `linkPlace`.
MoveSurroundings surroundingsOf(platform::SystemFolders& systemFolders, platform::NtVolume& volume,
                                const std::wstring& linkPlace);

struct HelperServices {
  // The helper's own journal folder, which only administrators can change; empty when it could not
  // be made so, and then the helper refuses every task.
  std::wstring journalFolder;
  platform::MoveFileSystem& files;
  platform::SystemFolders& systemFolders;
  platform::NtVolume& volume;
  const platform::Clock& clock;
  platform::MessagePipe& pipe;
  // The helper's own boxes: it asks the user itself before it acts, where no program of the
  // user (which runs with fewer rights) can answer for them.
  platform::MessageBoxes& messages;
  // What the user could do themselves: the helper does no more for them.
  platform::UserRights& user;
};

// Waits for the window's start, which names the move, checks it again, asks the user, runs it
// and tells the window its end; returns once the move has ended. If the window goes away, the move
// stops at its next operation and its journal stays for recovery; gone before its start, nothing is
// touched.
void runElevatedMove(const HelperRequest& request, HelperServices services);

}  // namespace mirafold::move
