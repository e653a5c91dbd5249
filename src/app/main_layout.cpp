#include "app/main_layout.h"

#include <array>

#include "about/website.h"
#include "link/link_creation.h"
#include "mirafold_version.h"

namespace mirafold::app {
namespace {

using platform::Control;
using platform::ControlKind;
using platform::Font;
using enum platform::ControlKind;

constexpr Font kNormal{9, false};
constexpr Font kFrameCaption{12, false};
constexpr Font kBigBold{12, true};
constexpr unsigned kLink = platform::kLinkStyle;
constexpr unsigned kDisabled = platform::kDisabled;

// clang-format off
constexpr std::array kControls{
  //      name        kind        id            frame      caption                                              left   top  width height tab font
  Control{L"Frame1",  Frame,      id::kFrame1,  L"",       L"链接所在路径（在此处创建链接）",                        150,  150, 5415, 5490,  0, kFrameCaption},
  Control{L"Drive1",  DriveList,  id::kDrive1,  L"Frame1", L"",                                                   150,  825, 5115,  375,  1, kNormal},
  Control{L"Dir1",    FolderList, id::kDir1,    L"Frame1", L"",                                                   180, 1200, 5115, 3795,  2, kNormal},
  Control{L"Frame2",  Frame,      id::kFrame2,  L"",       L"链接目标（链接到此处）",                                5700,  150, 5415, 5490,  3, kFrameCaption},
  Control{L"Text1",   TextBox,    id::kText1,   L"Frame1", L"Text1",                                              150,  375, 4815,  315,  4, kNormal},
  Control{L"Text2",   TextBox,    id::kText2,   L"Frame2", L"Text1",                                              150,  375, 4815,  315,  5, kNormal},
  Control{L"Drive2",  DriveList,  id::kDrive2,  L"Frame2", L"",                                                   150,  825, 5115,  375,  6, kNormal},
  Control{L"Dir2",    FolderList, id::kDir2,    L"Frame2", L"",                                                   150, 1200, 5115, 3795,  7, kNormal},
  Control{L"Label1",  Label,      id::kLabel1,  L"Frame1", L"注意：请确定此处不存在与你将要创建的链接同名的文件夹",      150, 5100, 5115,  315,  8, kNormal},
  Control{L"Command1",Button,     id::kCommand1,L"",       link::kCreateLink,                                   9120, 6300, 2025,  525,  9, kBigBold},
  Control{L"Label2",  Label,      id::kLabel2,  L"",       L"版本：v" MIRAFOLD_VERSION_SHORT,                   120, 6120, 5025,  240, 10, kNormal},
  Control{L"Label3",  Label,      id::kLabel3,  L"",       about::kWebsiteCaption,                              120, 6375, 3495,  240, 11, kNormal, kLink},
  Control{L"Label4",  Label,      id::kLabel4,  L"",       L"命令行：",                                             150, 5775,  765,  240, 12, kNormal},
  Control{L"comd",    TextBox,    id::kComd,    L"",       L"",                                                   900, 5700, 9165,  315, 13, kNormal, kDisabled},
  Control{L"Command4",Button,     id::kCommand4,L"Frame1", L"→",                                                 4950,  375,  315,  315, 14, kNormal},
  Control{L"Command5",Button,     id::kCommand5,L"Frame2", L"→",                                                 4950,  375,  315,  315, 15, kNormal},
  Control{L"Check1",  CheckBox,   id::kCheck1,  L"",       L"自定义",                                            10200, 5775,  915,  240, 16, kNormal},
  Control{L"Label5",  Label,      id::kLabel5,  L"",       L"添加此程序到右键菜单",                                  120, 6660, 1935,  255, 17, kNormal, kLink},
  Control{L"Label7",  Label,      id::kLabel7,  L"",       L"关于",                                               2040, 6660,  555,  255, 18, kNormal, kLink},
};
// clang-format on

constexpr platform::WindowLayout kMainWindowLayout{L"Mirafold （文件夹映射工具）", 11310, 6975,
                                                   kControls};

}  // namespace

const platform::WindowLayout& mainWindowLayout() { return kMainWindowLayout; }

}  // namespace mirafold::app
