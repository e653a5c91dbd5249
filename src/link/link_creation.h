#pragma once
// The create button: the checks before a link is made, the start of the tool, and the tool's
// verdict afterwards.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/controls.h"
#include "platform/nt_volume.h"
#include "platform/services.h"

namespace mirafold::link {

inline constexpr std::wstring_view kCreateLink = L"创建链接！";
inline constexpr std::wstring_view kCreating = L"创建中...";
inline constexpr std::wstring_view kOnNetwork = L"链接创建失败！链接目标不可位于网络位置";
inline constexpr std::wstring_view kRootTarget = L"链接创建失败！不可将根目录作为链接目标";
inline constexpr std::wstring_view kSameName = L"链接创建失败！链接所在路径已存在同名文件夹";
inline constexpr std::wstring_view kTargetMissing = L"链接创建失败！链接目标不存在";
inline constexpr std::wstring_view kLinkInsideTarget = L"链接创建失败！链接不可位于链接目标之内";
inline constexpr std::wstring_view kLinkCreated = L"链接创建成功！";
// Followed by the system's message for the tool's exit code.
inline constexpr std::wstring_view kCreationFailed = L"链接创建失败！";
inline constexpr std::wstring_view kUnknownFailure = L"链接创建失败！原因未知。";
inline constexpr std::wstring_view kRetryAsAdministrator =
    L"链接创建失败！权限不足，是否以管理员身份重试？";
inline constexpr std::wstring_view kSubmitted = L"命令已提交，请自行检查链接是否成功";
inline constexpr std::wstring_view kStartFailed = L"命令启动失败，请检查命令行";

// A tool still running is given this many ticks (10 s at 500 ms) before the link path alone
// decides.
inline constexpr int kTicksBeforeGivingUp = 20;

struct LinkCreationControls {
  platform::FolderList& dir1;
  platform::FolderList& dir2;
  platform::TextBox& comd;
  platform::CheckBox& check1;
  platform::Button& command1;
  platform::Timer& timer1;
};

struct LinkCreationServices {
  platform::ProgramInfo& program;
  platform::FileSystem& files;
  platform::Processes& processes;
  platform::MessageBoxes& messages;
  platform::NtVolume& volume;
  platform::ErrorTexts& errors;
};

class LinkCreation {
 public:
  // Takes the button's clicks and the timer's ticks.
  LinkCreation(LinkCreationControls controls, LinkCreationServices services);
  LinkCreation(const LinkCreation&) = delete;
  LinkCreation& operator=(const LinkCreation&) = delete;

  void Command1_Click();
  void Timer1_Timer();

 private:
  // The first failing check's message, or nothing when the link may be made.
  std::wstring_view failedCheck(const std::wstring& linkPath);
  // The verdict on a tool that has ended; false when it goes on as administrator.
  bool reportEnded(std::uint32_t exitCode);
  // Asks, and starts the same tool line elevated; false when the user or the system says no.
  bool retryAsAdministrator();
  void show(std::wstring_view text);
  void becomeIdle();

  LinkCreationControls c_;
  LinkCreationServices s_;

  // What the running creation started: its link, mode and process, not the selections at the tick.
  struct Started {
    std::wstring linkPath;
    bool customMode = false;
    // What follows the tool in the started line, for a retry as administrator; nothing when the
    // line was not the tool's or already ran elevated.
    std::optional<std::wstring> parameters;
    std::unique_ptr<platform::Process> process;
    int ticks = 0;
  } started_;
};

}  // namespace mirafold::link
