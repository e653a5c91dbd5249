#pragma once
// The Send To dialog's controls.

#include "platform/layout.h"

namespace mirafold::sendto {

namespace id {
inline constexpr int kCommand1 = 201;
inline constexpr int kCommand2 = 202;
inline constexpr int kLabel1 = 203;
inline constexpr int kLabel2 = 204;
inline constexpr int kLabel3 = 205;
inline constexpr int kLabel4 = 206;
inline constexpr int kImage1 = 207;
inline constexpr int kImage2 = 208;
}  // namespace id

inline constexpr std::wstring_view kTitle = L"添加右键菜单";

const platform::WindowLayout& sendToDialogLayout();

}  // namespace mirafold::sendto
