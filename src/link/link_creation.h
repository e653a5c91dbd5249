#pragma once
// The create button: the checks before a link is made, the start of the tool, and the look for
// the link afterwards.

#include <string>
#include <string_view>

#include "app/main_controls.h"

namespace mirafold::link {

inline constexpr std::wstring_view kCreateLink = L"创建链接！";
inline constexpr std::wstring_view kCreating = L"创建中...";
inline constexpr std::wstring_view kNotNtfs = L"链接创建失败！链接所在分区的文件系统类型必须为NTFS";
inline constexpr std::wstring_view kRootTarget = L"链接创建失败！不可将根目录作为链接目标";
inline constexpr std::wstring_view kSameName = L"链接创建失败！链接所在路径已存在同名文件夹";
inline constexpr std::wstring_view kTargetMissing = L"链接创建失败！链接目标不存在";
inline constexpr std::wstring_view kLinkCreated = L"链接创建成功！";
inline constexpr std::wstring_view kUnknownFailure = L"链接创建失败！原因未知。";
inline constexpr std::wstring_view kSubmitted = L"命令已提交，请自行检查链接是否成功";
inline constexpr std::wstring_view kStartFailed = L"命令启动失败，请检查命令行";

// A slow tool is given this many ticks (10 s at 500 ms) before its link is reported missing.
inline constexpr int kTicksBeforeGivingUp = 20;

class LinkCreation {
 public:
  LinkCreation(app::MainControls& controls, app::Services& services);

  void Command1_Click();
  void Timer1_Timer();

 private:
  // The first failing check's message, or nothing when the link may be made.
  std::wstring_view failedCheck(const std::wstring& linkPath);
  void becomeIdle();

  app::MainControls& c_;
  app::Services& s_;

  // What the running creation started: its link and mode, not the selections at the tick.
  struct Started {
    std::wstring linkPath;
    bool customMode = false;
    int ticks = 0;
  } started_;
};

}  // namespace mirafold::link
