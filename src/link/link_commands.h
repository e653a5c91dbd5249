#pragma once
// A link row's own commands: its target opened in the list, and the link deleted with its target
// kept. A deletion refused for rights is retried by our junction tool as administrator when the
// user agrees.

#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/controls.h"
#include "platform/link_state.h"
#include "platform/move_file_system.h"
#include "platform/services.h"

namespace mirafold::link {

// The rows' menu commands; never 0, which a menu reserves for "nothing chosen".
enum LinkCommand : int {
  kCommandOpenTarget = 0x7211,
  kCommandDeleteLink,
};

inline constexpr std::wstring_view kOpenLinkTarget = L"打开链接目标";
inline constexpr std::wstring_view kDeleteLinkOnly = L"删除链接（目标文件夹不受影响）";
inline constexpr std::wstring_view kConfirmDeleteLink =
    L"将删除链接“%1”（指向“%2”），目标文件夹及其中的文件不受影响。是否继续？";
inline constexpr std::wstring_view kDeleteLinkNoRights =
    L"删除链接失败：权限不足。是否以管理员身份重试？";
inline constexpr std::wstring_view kDeleteLinkFailed = L"删除链接失败：%1";

// A target as a link stores it may carry the NT prefix; the user and the lists want a plain path.
std::wstring plainPath(std::wstring target);

struct LinkCommandControls {
  platform::FolderList& dir1;
  platform::FolderList& dir2;
};

struct LinkCommandServices {
  platform::MoveFileSystem& links;  // what a row is, where a link leads, the link removed
  platform::LinkProbe& probe;       // whether its target is there
  platform::MessageBoxes& messages;
  platform::Processes& processes;
  platform::ErrorTexts& errors;
  const platform::Clock& clock;
  std::wstring programPath;  // our junction tool lies beside it
};

class LinkCommands {
 public:
  LinkCommands(LinkCommandControls controls, LinkCommandServices services);
  LinkCommands(const LinkCommands&) = delete;
  LinkCommands& operator=(const LinkCommands&) = delete;

  // The row menu's part: both commands on any link's row, 打开链接目标 greyed when its target
  // is gone. A greyed or absent command does nothing, however it arrives.
  std::vector<platform::MenuItem> menuFor(platform::ListSide side, const std::wstring& folder);
  void choose(platform::ListSide side, const std::wstring& folder, int command);

  // The roads behind the commands, also taken from the links overview's rows.
  void openTarget(platform::ListSide side, const std::wstring& link);
  void deleteLink(const std::wstring& link);

 private:
  void deleteAsAdministrator(const std::wstring& link);
  void refreshLists();

  LinkCommandControls c_;
  LinkCommandServices s_;
};

}  // namespace mirafold::link
