// The program at the scaling the prefix sets (MIRAFOLD_TEST_DPI: 96, 120 or 144): both windows
// laid out from their twips at that DPI, and the user's roads through them still open.

#include <gtest/gtest.h>

#include <cstdlib>
#include <span>
#include <string>

#include "app/main_layout.h"
#include "driver/driver.h"
#include "driver/host_side.h"
#include "move/move_handlers.h"
#include "overview/link_overview.h"
#include "platform/win32/ui/table_dialog.h"
#include "sendto/sendto_layout.h"

// After windows.h, which the driver brings.
#include <commctrl.h>

namespace mirafold::ui {
namespace {

namespace main_id = app::id;
namespace sendto_id = sendto::id;

// Where a control stands in twips, relative to its frame (0: the window), as the design has it.
struct Place {
  const char* name;
  int id;
  int frame;
  int left, top, width, height;
};

// clang-format off
constexpr Place kMainPlaces[] = {
  {"Frame1",   main_id::kFrame1,   0,                 150,  150, 5415, 5490},
  {"Drive1",   main_id::kDrive1,   main_id::kFrame1,  150,  825, 5115,  375},
  {"Dir1",     main_id::kDir1,     main_id::kFrame1,  180, 1200, 5115, 3795},
  {"Frame2",   main_id::kFrame2,   0,                5700,  150, 5415, 5490},
  {"Text1",    main_id::kText1,    main_id::kFrame1,  150,  375, 4815,  315},
  {"Text2",    main_id::kText2,    main_id::kFrame2,  150,  375, 4815,  315},
  {"Drive2",   main_id::kDrive2,   main_id::kFrame2,  150,  825, 5115,  375},
  {"Dir2",     main_id::kDir2,     main_id::kFrame2,  150, 1200, 5115, 3795},
  {"Label1",   main_id::kLabel1,   main_id::kFrame1,  150, 5100, 5115,  315},
  {"Command1", main_id::kCommand1, 0,                9120, 6300, 2025,  525},
  {"Label2",   main_id::kLabel2,   0,                 120, 6120, 5025,  240},
  {"Label3",   main_id::kLabel3,   0,                 120, 6375, 3495,  240},
  {"Label4",   main_id::kLabel4,   0,                 150, 5775,  765,  240},
  {"comd",     main_id::kComd,     0,                 900, 5700, 9165,  315},
  {"Command4", main_id::kCommand4, main_id::kFrame1, 4950,  375,  315,  315},
  {"Command5", main_id::kCommand5, main_id::kFrame2, 4950,  375,  315,  315},
  {"Check1",   main_id::kCheck1,   0,               10200, 5775,  915,  240},
  {"Label5",   main_id::kLabel5,   0,                 120, 6660, 1935,  255},
  {"Label7",   main_id::kLabel7,   0,                2040, 6660,  555,  255},
};
constexpr Place kSendToPlaces[] = {
  {"Command2", sendto_id::kCommand2, 0, 1800, 7080,  1395,  495},
  {"Command1", sendto_id::kCommand1, 0,  240, 7080,  1395,  495},
  {"Image2",   sendto_id::kImage2,   0, 4920, 2460,  5250, 4155},
  {"Label4",   sendto_id::kLabel4,   0,  240, 1800,  9975,  495},
  {"Label3",   sendto_id::kLabel3,   0,  240, 1200,  9915,  555},
  {"Label2",   sendto_id::kLabel2,   0,  240,  600, 10035,  795},
  {"Label1",   sendto_id::kLabel1,   0,  240,  240,  8655,  315},
  {"Image1",   sendto_id::kImage1,   0,  240, 2460,  4500, 4260},
};
// The links overview, in the twips of its pixels at 96 dpi.
constexpr Place kLinksPlaces[] = {
  {"table",   win32::kTableId,   0,  180,  180, 9840, 5310},
  {"summary", win32::kTableSummaryId, 0,  180, 5700, 8100,  300},
  {"close",   IDCANCEL,              0, 8670, 5640, 1350,  420},
};
// clang-format on

struct ClientSize {
  int width, height;
};
constexpr ClientSize kLinksClient{10200, 6300};
constexpr ClientSize kMainClient{11310, 6975};
constexpr ClientSize kSendToClient{10395, 7950};

constexpr auto kLinkCreated = L"链接创建成功！";
constexpr auto kSendToTitle = L"添加右键菜单";

int testDpi() {
  const char* value = std::getenv("MIRAFOLD_TEST_DPI");
  return value ? std::atoi(value) : 96;
}

// Pixels as the design rounds them; a control inside a frame may be one pixel off, rounded once
// for the frame and once for itself.
int px(int twips) { return twips * testDpi() / 1440; }

// This test program reads the program's windows in real pixels, not in a 96-dpi picture of them.
void readInRealPixels() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  if (auto set = reinterpret_cast<SetContext>(
          reinterpret_cast<void*>(::GetProcAddress(user32, "SetProcessDpiAwarenessContext")))) {
    set(reinterpret_cast<HANDLE>(-4));  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
  }
}

void expectLaidOut(HWND window, const ClientSize& client, std::span<const Place> places) {
  RECT area{};
  ::GetClientRect(window, &area);
  EXPECT_NEAR(area.right, px(client.width), 1);
  EXPECT_NEAR(area.bottom, px(client.height), 1);
  for (const Place& place : places) {
    int left = place.left, top = place.top;
    for (const Place& frame : places) {
      if (frame.id == place.frame) left += frame.left, top += frame.top;
    }
    HWND control = ::GetDlgItem(window, place.id);
    ASSERT_NE(control, nullptr) << place.name;
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_NEAR(r.left, px(left), 1) << place.name;
    EXPECT_NEAR(r.top, px(top), 1) << place.name;
    EXPECT_NEAR(r.right - r.left, px(place.width), 1) << place.name;
    // A drop-down list sizes its own closed height from its font: it must still show it whole.
    if (place.id == main_id::kDrive1 || place.id == main_id::kDrive2) {
      const LRESULT field = ::SendMessageW(control, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
      EXPECT_GE(field, 9 * testDpi() / 72) << place.name;
      EXPECT_GE(r.bottom - r.top, field) << place.name;
    } else {
      EXPECT_NEAR(r.bottom - r.top, px(place.height), 1) << place.name;
    }
  }
}

class ScalingTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { readInRealPixels(); }
  void SetUp() override {
    program = root.makeFolder(L"program");
    links = root.makeFolder(L"links");
    target = root.makeFolder(L"games\\Steam");
    root.makeFile(L"games\\Steam\\save.dat", "progress");
    installProgram(program);
    app = std::make_unique<App>(program, L"", links);
    main = app->waitForMainWindow();
    ASSERT_NE(main, nullptr);
  }
  void TearDown() override {
    app.reset();
    for (const std::wstring& made : {links + L"\\Steam", root / L"overview\\set\\Steam"}) {
      if (exists(made)) {
        EXPECT_EQ(runJunction(L"-d \"" + made + L"\""), 0u);
      }
    }
  }
  TestFolder root;
  std::wstring program, links, target;
  std::unique_ptr<App> app;
  HWND main = nullptr;
};

TEST_F(ScalingTest, TheSystemRunsAtTheDpiOfThisRun) {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(dpi, testDpi()) << "the prefix's LogPixels did not take";
}

TEST_F(ScalingTest, TheMainWindowIsLaidOutAtItsDpi) {
  expectLaidOut(main, kMainClient, kMainPlaces);
  // The folder lists' rows grow with the text: at least a 9-point line.
  const LRESULT row = ::SendMessageW(app->control(main_id::kDir1), LB_GETITEMHEIGHT, 0, 0);
  EXPECT_GE(row, 9 * testDpi() / 72);
  EXPECT_LE(row, 2 * 9 * testDpi() / 72);
}

TEST_F(ScalingTest, TypedEntryThenALink) {
  app->setText(main_id::kText2, target);
  app->pressEnter(main_id::kText2);
  ASSERT_TRUE(app->waitForText(main_id::kDir2, target));
  const std::wstring games = root / L"games";
  app->setText(main_id::kText1, games);
  app->pressEnter(main_id::kText1);
  ASSERT_TRUE(app->waitForText(main_id::kDir1, games));
  app->setText(main_id::kText1, links);
  app->click(main_id::kCommand4);
  ASSERT_TRUE(app->waitForText(main_id::kDir1, links));

  app->click(main_id::kCommand1);
  EXPECT_EQ(app->acknowledge().value_or(L"<none>"), kLinkCreated);
  EXPECT_TRUE(exists(links + L"\\Steam\\save.dat"));
}

TEST_F(ScalingTest, TheAboutBox) {
  app->clickLabel(main_id::kLabel7);
  const auto text = app->acknowledge();
  ASSERT_TRUE(text);
  EXPECT_TRUE(text->starts_with(L"Mirafold （文件夹映射工具）v1.04 (Build 52)\r\n")) << testDpi();
}

TEST_F(ScalingTest, TheSendToDialogIsLaidOutAtItsDpiAndModal) {
  app->clickLabel(main_id::kLabel5);
  HWND dialog = app->waitForWindow(kSendToTitle);
  ASSERT_NE(dialog, nullptr);
  expectLaidOut(dialog, kSendToClient, kSendToPlaces);
  // The pictures are decoded at the scaled size that the places above measured.
  const auto bitmap = reinterpret_cast<HBITMAP>(
      ::SendMessageW(::GetDlgItem(dialog, sendto_id::kImage1), STM_GETIMAGE, IMAGE_BITMAP, 0));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_FALSE(::IsWindowEnabled(main));
  EXPECT_EQ(::GetWindow(dialog, GW_OWNER), main);
  EXPECT_FALSE(::GetWindowLongW(dialog, GWL_STYLE) & WS_MINIMIZEBOX) << "a dialog is closed";
  app->closeWindow(dialog);
  for (int i = 0; i < 100 && !::IsWindowEnabled(main); ++i) ::Sleep(50);
  EXPECT_TRUE(::IsWindowEnabled(main));
}

TEST_F(ScalingTest, TheLinksOverviewIsLaidOutAtItsDpi) {
  const std::wstring folder = root.makeFolder(L"overview");
  root.makeFolder(L"overview\\set");
  ASSERT_EQ(runJunction(L"\"" + folder + L"\\set\\Steam\" \"" + target + L"\""), 0u);
  app->setText(main_id::kText1, folder);
  app->pressEnter(main_id::kText1);
  ASSERT_TRUE(app->waitForText(main_id::kDir1, folder));
  ASSERT_TRUE(app->chooseRowCommand(main_id::kDir1, 0, overview::kCommandLinksBelow));
  HWND window = app->waitForWindow(L"本文件夹中的链接", 20s, win32::kTableClassName);
  ASSERT_NE(window, nullptr);
  expectLaidOut(window, kLinksClient, kLinksPlaces);
  EXPECT_EQ(app->tableRows(window, win32::kTableId), 1);
  const HWND table = ::GetDlgItem(window, win32::kTableId);
  EXPECT_NEAR(static_cast<int>(::SendMessageW(table, LVM_GETCOLUMNWIDTH, 1, 0)), px(332 * 15), 1);
  screenshotIfAsked();
  app->closeWindow(window);
}

}  // namespace
}  // namespace mirafold::ui
