#include "sendto/sendto_layout.h"

#include <array>

#include "resource_ids.h"

namespace mirafold::sendto {
namespace {

using platform::Control;
using enum platform::ControlKind;

constexpr platform::Font kNormal{9, false};

constexpr std::wstring_view kText1 =
    L"如果你比较经常使用此程序，你可以尝试把它添加到文件右键菜单的“发送到”选项里";
constexpr std::wstring_view kText2 =
    L"添加后，你只需要在需要创建链接的目标文件夹上点击右键，并依次选择“发送到>NTFS链接（仅文件夹）”"
    L"即可呼出本程序（如左图），之后你只需要选择在哪里创建链接即可";
constexpr std::wstring_view kText3 =
    L"需要注意的是，你需要把本程序的所有文件放置好才能开始添加此菜单选项，而且在添加后，本程序的文"
    L"件"
    L"一旦被删除或者移动，选项将会失效，你也可以在这里选择移除此菜单选项";
constexpr std::wstring_view kText4 =
    L"另外，即使你不添加此菜单选项，你也可以通过直接将需要链接的目标文件夹拖动到本程序的图标上来呼"
    L"出本"
    L"程序（如右图）";

// Each picture's control is its picture's size at 15 twips a pixel: 300 x 284 and 350 x 277.
// clang-format off
constexpr std::array kControls{
  //      name        kind     id             frame caption            left   top  width height tab font     style            resource
  Control{L"Command2", Button,  id::kCommand2, L"",  L"移除右键菜单",    1800, 7080, 1395,  495,  1, kNormal},
  Control{L"Command1", Button,  id::kCommand1, L"",  L"添加右键菜单",     240, 7080, 1395,  495,  0, kNormal},
  Control{L"Image2",   Picture, id::kImage2,   L"",  L"",              4920, 2460, 5250, 4155, -1, kNormal, platform::kPlain, IDR_DRAG_ONTO_ICON_PICTURE},
  Control{L"Label4",   Label,   id::kLabel4,   L"",  kText4,            240, 1800, 9975,  495,  5, kNormal},
  Control{L"Label3",   Label,   id::kLabel3,   L"",  kText3,            240, 1200, 9915,  555,  4, kNormal},
  Control{L"Label2",   Label,   id::kLabel2,   L"",  kText2,            240,  600, 10035, 795,  3, kNormal},
  Control{L"Label1",   Label,   id::kLabel1,   L"",  kText1,            240,  240, 8655,  315,  2, kNormal},
  Control{L"Image1",   Picture, id::kImage1,   L"",  L"",               240, 2460, 4500, 4260, -1, kNormal, platform::kPlain, IDR_SENDTO_MENU_PICTURE},
};
// clang-format on

constexpr platform::WindowLayout kSendToDialogLayout{kTitle, 10395, 7950, kControls};

}  // namespace

const platform::WindowLayout& sendToDialogLayout() { return kSendToDialogLayout; }

}  // namespace mirafold::sendto
