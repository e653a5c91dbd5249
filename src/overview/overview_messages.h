#pragma once
// What the user reads in the overview of a folder's links.

#include <string_view>

namespace mirafold::overview {

inline constexpr std::wstring_view kLinksBelowItem = L"本文件夹中的链接…";
inline constexpr std::wstring_view kLinksBelowTitle = L"本文件夹中的链接";
inline constexpr std::wstring_view kColumnLink = L"链接";
inline constexpr std::wstring_view kColumnTarget = L"目标";
inline constexpr std::wstring_view kColumnState = L"状态";
inline constexpr std::wstring_view kStateNormal = L"正常";
inline constexpr std::wstring_view kStateTargetMissing = L"目标不存在";
inline constexpr std::wstring_view kStateNetwork = L"网络位置";
inline constexpr std::wstring_view kClose = L"关闭";
inline constexpr std::wstring_view kTargetUnreadable = L"（无法读取）";

// While walking: folders seen, links found.
inline constexpr std::wstring_view kWalkCounts = L"已查看 %1 个文件夹，找到 %2 个链接";
inline constexpr std::wstring_view kSummary = L"“%1”中共有 %2 个链接";
inline constexpr std::wstring_view kSummaryCancelled = L"已取消：只列出了找到的 %1 个链接";
inline constexpr std::wstring_view kUnreadableFolders = L"，%1 个文件夹无法读取";

inline constexpr std::wstring_view kSortByLink = L"按链接排序";
inline constexpr std::wstring_view kSortByTarget = L"按目标排序";
inline constexpr std::wstring_view kSortByState = L"按状态排序";

}  // namespace mirafold::overview
