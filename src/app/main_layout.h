#pragma once
// The main window's controls, in tab order.

#include "platform/layout.h"

namespace mirafold::app {

namespace id {
inline constexpr int kFrame1 = 101;
inline constexpr int kDrive1 = 102;
inline constexpr int kDir1 = 103;
inline constexpr int kFrame2 = 104;
inline constexpr int kText1 = 105;
inline constexpr int kText2 = 106;
inline constexpr int kDrive2 = 107;
inline constexpr int kDir2 = 108;
inline constexpr int kLabel1 = 109;
inline constexpr int kCommand1 = 110;
inline constexpr int kLabel2 = 111;
inline constexpr int kLabel3 = 112;
inline constexpr int kLabel4 = 113;
inline constexpr int kComd = 114;
inline constexpr int kCommand4 = 115;
inline constexpr int kCommand5 = 116;
inline constexpr int kCheck1 = 117;
inline constexpr int kLabel5 = 118;
inline constexpr int kLabel7 = 119;
inline constexpr int kTimer1 = 1;
}  // namespace id

inline constexpr int kTimer1IntervalMs = 500;

const platform::WindowLayout& mainWindowLayout();

}  // namespace mirafold::app
