#pragma once
// Changing where a junction leads: to the folder open on the right, or to one picked in the
// system's folder dialog. Our junction tool replaces the junction's data in place, so the link
// is never missing; the checks are a creation's, and a refusal for rights is retried as
// administrator when the user agrees.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/controls.h"
#include "platform/folder_picker.h"
#include "platform/move_file_system.h"
#include "platform/services.h"

namespace mirafold::link {

// The rows' menu commands; never 0, which a menu reserves for "nothing chosen".
enum TargetCommand : int {
  kCommandPointAtRight = 0x7201,
  kCommandChangeTarget,
};

inline constexpr std::wstring_view kPointAtRight = L"将链接改为指向右侧文件夹";
inline constexpr std::wstring_view kChangeTarget = L"更改链接目标…";
inline constexpr std::wstring_view kPickNewTarget = L"选择链接的新目标";
inline constexpr std::wstring_view kConfirmChange =
    L"将把链接“%1”改为指向“%2”（原为“%3”）。是否继续？";
inline constexpr std::wstring_view kTargetChanged = L"链接目标已更改";
inline constexpr std::wstring_view kChangeFailed = L"更改失败：%1。链接未改变";
inline constexpr std::wstring_view kChangeNoRights =
    L"更改链接目标失败：权限不足。是否以管理员身份重试？";
// Reasons, shown after "更改失败：".
inline constexpr std::wstring_view kNewTargetMissing = L"链接目标不存在";
inline constexpr std::wstring_view kNewTargetOnNetwork = L"链接目标不可位于网络位置";
inline constexpr std::wstring_view kNewTargetIsRoot = L"不可将根目录作为链接目标";
inline constexpr std::wstring_view kLinkWouldBeInsideTarget = L"链接不可位于链接目标之内";
inline constexpr std::wstring_view kUnknownReason = L"原因未知";
inline constexpr std::wstring_view kToolNotStarted = L"junction.exe 未能启动";

struct TargetChangeControls {
  platform::FolderList& dir1;
  platform::FolderList& dir2;
};

struct TargetChangeServices {
  platform::ProgramInfo& program;
  platform::FileSystem& files;
  platform::MoveFileSystem& links;  // what a row is, where a link leads
  platform::FolderPicker& picker;
  platform::Processes& processes;
  platform::MessageBoxes& messages;
  platform::ErrorTexts& errors;
  const platform::Clock& clock;
};

class LinkTargetChange {
 public:
  LinkTargetChange(TargetChangeControls controls, TargetChangeServices services);
  LinkTargetChange(const LinkTargetChange&) = delete;
  LinkTargetChange& operator=(const LinkTargetChange&) = delete;

  // The row menu's part: on a junction's row, both commands on the left, the picker's on the
  // right. The menu runs only what a row offers.
  std::vector<platform::MenuItem> menuFor(platform::ListSide side, const std::wstring& folder);
  void choose(platform::ListSide side, const std::wstring& folder, int command);

  // The whole road for one link: the picker, the checks, the question, the tool, the end.
  void changeLinkTarget(const std::wstring& link);
  // The same with the new target already chosen.
  void changeLinkTarget(const std::wstring& link, const std::wstring& newTarget);

 private:
  bool isJunction(const std::wstring& path);
  // The first failing check's reason, or nothing when the link may lead there.
  std::optional<std::wstring_view> failedCheck(const std::wstring& link,
                                               const std::wstring& newTarget);
  struct ToolEnd {
    enum class How { Ended, TimedOut, NotStarted, Declined } how;
    std::uint32_t code;  // the exit code; NotStarted: the system's error, 0 when none
  };
  // Runs the tool's change, as administrator when asked, and waits for its end.
  ToolEnd runTool(const std::wstring& parameters, bool elevated);
  void tellEnd(const std::wstring& link, const std::wstring& newTarget, const ToolEnd& end);
  void refreshLists();

  TargetChangeControls c_;
  TargetChangeServices s_;
};

}  // namespace mirafold::link
