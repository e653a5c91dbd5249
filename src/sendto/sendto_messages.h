#pragma once
// The Send To entry's file name and what the dialog says about it.

#include <string_view>

namespace mirafold::sendto {

// Appended to the Send To folder's path; the shell lists the entry under this name.
inline constexpr std::wstring_view kShortcutName = L"\\NTFS链接（仅文件夹）.lnk";

inline constexpr std::wstring_view kAlreadyAdded = L"此右键菜单已经被添加过，请勿重复添加";
inline constexpr std::wstring_view kAdded = L"右键菜单已添加";
inline constexpr std::wstring_view kRemoved = L"右键菜单已移除";
inline constexpr std::wstring_view kSendToFolderNotFound = L"未找到“发送到”文件夹";
// Each followed by the system's reason.
inline constexpr std::wstring_view kAddFailed = L"右键菜单添加失败：";
inline constexpr std::wstring_view kRemoveFailed = L"右键菜单移除失败：";

}  // namespace mirafold::sendto
