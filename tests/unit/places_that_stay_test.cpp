#include <gtest/gtest.h>

#include <map>

#include "base/text.h"
#include "move/messages.h"
#include "move/places_that_stay.h"

namespace mirafold::move {
namespace {

// A system as the known folders name it, with a few links: the final path is what is judged.
platform::SystemPlaces system() {
  static const std::map<std::wstring, std::wstring> kLinks{
      {L"D:\\Shortcut", L"C:\\Windows\\System32"},
      {L"D:\\Mine", L"C:\\Users\\me"},
      {L"D:\\Games", L"E:\\Games"},
      {L"C:\\Users\\me\\Link", L"C:\\Program Files"},
  };
  return {.windows = L"C:\\Windows",
          .programFiles = L"C:\\Program Files",
          .programFilesX86 = L"C:\\Program Files (x86)",
          .programData = L"C:\\ProgramData",
          .users = L"C:\\Users",
          .profile = L"E:\\Profiles\\me",
          .own = {L"C:\\Users\\me\\Downloads\\Mirafold", L"C:\\ProgramData\\Mirafold"},
          .finalPathOf = [](const std::wstring& path) {
            const auto link = kLinks.find(path);
            return link == kLinks.end() ? path : link->second;
          }};
}

TEST(PlacesThatStay, RefuseByWhereTheFolderReallyIsAndSayWhy) {
  const struct {
    const wchar_t* folder;
    std::wstring_view reason;  // empty: it may move
    const wchar_t* named;      // the path the text names, when not the folder itself
  } cases[] = {
      {L"C:\\", kStaysVolumeRoot, nullptr},
      {L"e:", kStaysVolumeRoot, nullptr},
      {L"c:\\WINDOWS\\", kStaysWindows, L"c:\\WINDOWS"},
      {L"C:\\Windows\\System32", kStaysWindows, nullptr},
      {L"C:\\Windows\\Installer\\x", kStaysWindows, nullptr},
      {L"C:\\Windows2", {}, nullptr},
      {L"D:\\Shortcut", kStaysWindows, L"C:\\Windows\\System32"},
      {L"C:\\Program Files\\WindowsApps\\App_1.0", kStaysStoreApps, nullptr},
      {L"C:\\Program Files", kStaysSystemRoot, nullptr},
      {L"C:\\Program Files\\Game", {}, nullptr},
      {L"C:\\Program Files (x86)", kStaysSystemRoot, nullptr},
      {L"C:\\ProgramData", kStaysSystemRoot, nullptr},
      {L"C:\\ProgramData\\Vendor", {}, nullptr},
      {L"C:\\Users", kStaysSystemRoot, nullptr},
      {L"C:\\Users\\me\\Link", kStaysSystemRoot, L"C:\\Program Files"},
      {L"D:\\System Volume Information", kStaysSystemRoot, nullptr},
      {L"D:\\$Recycle.Bin\\S-1-5-21", kStaysSystemRoot, nullptr},
      {L"D:\\Data\\System Volume Information", {}, nullptr},
      {L"C:\\Users\\other", kStaysProfile, nullptr},
      {L"C:\\Users\\other\\AppData\\Roaming", kStaysProfile, nullptr},
      {L"C:\\Users\\other\\AppData\\LocalLow", kStaysProfile, nullptr},
      {L"C:\\Users\\other\\AppData\\Local\\Vendor", {}, nullptr},
      {L"C:\\Users\\other\\Documents", {}, nullptr},
      {L"D:\\Mine", kStaysProfile, L"C:\\Users\\me"},
      {L"E:\\Profiles\\me", kStaysProfile, nullptr},
      {L"E:\\Profiles\\me\\AppData\\Local", kStaysProfile, nullptr},
      {L"E:\\Profiles\\me\\Saved Games", {}, nullptr},
      {L"C:\\Users\\me\\Downloads\\Mirafold", kStaysOwn, nullptr},
      {L"C:\\ProgramData\\Mirafold\\moves", kStaysOwn, nullptr},
      {L"C:\\Users\\me\\Downloads", {}, nullptr},
      {L"D:\\Games", {}, nullptr},
  };
  for (const auto& c : cases) {
    const auto why = whyItStays(c.folder, system());
    if (c.reason.empty()) {
      EXPECT_FALSE(why) << testing::PrintToString(std::wstring(c.folder));
    } else {
      EXPECT_EQ(why.value_or(L"<may move>"), base::fillIn(c.reason, {c.named ? c.named : c.folder}))
          << testing::PrintToString(std::wstring(c.folder));
    }
  }
}

}  // namespace
}  // namespace mirafold::move
