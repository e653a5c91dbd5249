#pragma once
// What the user reads in the window of a folder's subfolders by size.

#include <string_view>

namespace mirafold::sizes {

inline constexpr std::wstring_view kFolderSizesItem = L"查看文件夹大小…";
inline constexpr std::wstring_view kFolderSizesTitle = L"文件夹大小";
inline constexpr std::wstring_view kColumnFolder = L"文件夹";
inline constexpr std::wstring_view kColumnSize = L"大小";
inline constexpr std::wstring_view kColumnFiles = L"文件数";
inline constexpr std::wstring_view kColumnLastChange = L"最后修改";
inline constexpr std::wstring_view kColumnNote = L"备注";

inline constexpr std::wstring_view kNoteWaiting = L"等待计算";
inline constexpr std::wstring_view kNoteLink = L"链接，不计入";
inline constexpr std::wstring_view kNoteCloud = L"在云端，未计入";
inline constexpr std::wstring_view kNoteCancelled = L"已取消，未算完";
inline constexpr std::wstring_view kNoteUnreadable = L"%1 个文件夹无法读取";

// While walking: folders seen, files counted.
inline constexpr std::wstring_view kWalking = L"正在计算：已查看 %1 个文件夹、%2 个文件";
inline constexpr std::wstring_view kSummary = L"“%1”中有 %2 个子文件夹，合计 %3";
inline constexpr std::wstring_view kSummaryCancelled = L"已取消：算完 %1 个子文件夹，合计 %2";
inline constexpr std::wstring_view kFolderUnreadable = L"无法读取“%1”";

inline constexpr std::wstring_view kMoveHere = L"移动到右侧文件夹，并在原处创建链接";
inline constexpr std::wstring_view kSortByName = L"按文件夹排序";
inline constexpr std::wstring_view kSortBySize = L"按大小排序";
inline constexpr std::wstring_view kSortByFiles = L"按文件数排序";
inline constexpr std::wstring_view kSortByLastChange = L"按最后修改排序";

}  // namespace mirafold::sizes
