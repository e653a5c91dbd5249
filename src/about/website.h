#pragma once
// The project's website: one address, used by the label's caption and by the command that opens it.

#include <string_view>

#define MIRAFOLD_WEBSITE L"https://mirafold.example"

namespace mirafold::about {

inline constexpr std::wstring_view kWebsite = MIRAFOLD_WEBSITE;
inline constexpr std::wstring_view kWebsiteCaption = L"作者网站：" MIRAFOLD_WEBSITE;

}  // namespace mirafold::about
