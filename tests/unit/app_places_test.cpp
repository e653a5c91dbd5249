// The table of apps' places as the move reads it: each place, a folder inside it, one beside it,
// one reached through a junction (compared by its final path), and one that holds it.

#include <gtest/gtest.h>

#include <set>

#include "move/app_places.h"

namespace mirafold::move {
namespace {

constexpr auto kLocal = L"C:\\Users\\me\\AppData\\Local";

TEST(AppPlaces, InsideRefusedBesideFreeHoldingWarned) {
  const platform::AppFolders folders{
      .localAppData = kLocal,
      .programData = L"C:\\ProgramData",
      .oneDrive = {L"C:\\Users\\me\\OneDrive", L"D:\\OneDrive - Contoso"}};
  const std::set<std::wstring> onDisk{
      L"C:\\Users\\me\\AppData\\Local\\Packages",
      L"C:\\Users\\me\\AppData\\Local\\Docker\\wsl",
      L"C:\\Users\\me\\AppData\\Local\\Docker\\wsl\\disk\\ext4.vhdx",
      L"C:\\ProgramData\\DockerDesktop",
      L"E:\\WSL\\Ubuntu\\ext4.vhdx",
      L"C:\\Users\\me\\OneDrive",
  };
  enum Verdict { Free, Refused, Warned };
  const struct {
    const wchar_t* folder;
    const wchar_t* finalPath;
    Verdict verdict;
    const wchar_t* begins;  // the maker's advice
    const wchar_t* place;
  } cases[] = {
      {L"C:\\ProgramData\\DockerDesktop", L"", Refused, L"Docker Desktop 不支持",
       L"C:\\ProgramData\\DockerDesktop"},
      {L"C:\\ProgramData\\DockerDesktop\\vm-data", L"", Refused, L"Docker Desktop 不支持",
       L"C:\\ProgramData\\DockerDesktop"},
      {L"C:\\ProgramData\\DockerDesktopOld", L"", Free, L"", L""},
      {L"C:\\Users\\me\\AppData\\Local\\Docker\\wsl\\disk", L"", Refused,
       L"这是 Docker Desktop 的磁盘映像文件夹", L"C:\\Users\\me\\AppData\\Local\\Docker\\wsl"},
      {L"C:\\Users\\me\\AppData\\Local\\Docker", L"", Warned,
       L"注意：这是 Docker Desktop 的磁盘映像文件夹",
       L"C:\\Users\\me\\AppData\\Local\\Docker\\wsl"},
      {L"E:\\WSL\\Ubuntu", L"", Refused, L"这是 WSL 发行版的磁盘文件夹", L"E:\\WSL\\Ubuntu"},
      {L"E:\\WSL\\Ubuntu\\snapshots", L"", Refused, L"这是 WSL 发行版的磁盘文件夹",
       L"E:\\WSL\\Ubuntu"},
      {L"E:\\WSL\\Debian", L"", Free, L"", L""},
      {L"C:\\Users\\me\\AppData\\Local\\Packages\\Microsoft.App_8wekyb3d8bbwe", L"", Refused,
       L"这是 Microsoft Store 应用的数据文件夹", L"C:\\Users\\me\\AppData\\Local\\Packages"},
      {L"c:\\users\\ME\\appdata\\local\\packages", L"", Refused,
       L"这是 Microsoft Store 应用的数据文件夹", L"C:\\Users\\me\\AppData\\Local\\Packages"},
      {L"C:\\Users\\me\\AppData\\Local\\PackagesCache", L"", Free, L"", L""},
      {L"C:\\Users\\me\\AppData\\Local", L"", Warned, L"注意：这是 Docker Desktop 的磁盘映像文件夹",
       L"C:\\Users\\me\\AppData\\Local\\Docker\\wsl"},
      {L"C:\\Users\\me\\OneDrive\\Photos", L"", Refused, L"这是 OneDrive 文件夹",
       L"C:\\Users\\me\\OneDrive"},
      {L"C:\\Users\\me\\OneDriveBackup", L"", Free, L"", L""},
      {L"D:\\OneDrive - Contoso", L"", Refused, L"这是 OneDrive 文件夹", L"D:\\OneDrive - Contoso"},
      // Reached through a junction: only the final path lies in the place.
      {L"D:\\Links\\AppData\\Packages\\App", L"C:\\Users\\me\\AppData\\Local\\Packages\\App",
       Refused, L"这是 Microsoft Store 应用的数据文件夹",
       L"C:\\Users\\me\\AppData\\Local\\Packages"},
      {L"D:\\Links\\Docker", L"C:\\ProgramData\\DockerDesktop", Refused, L"Docker Desktop 不支持",
       L"C:\\ProgramData\\DockerDesktop"},
      {L"D:\\Links\\Games", L"E:\\Games", Free, L"", L""},
      // A junction that leads out of a place: the final path decides, not the name.
      {L"C:\\Users\\me\\OneDrive\\Linked", L"E:\\Elsewhere", Refused, L"这是 OneDrive 文件夹",
       L"C:\\Users\\me\\OneDrive"},
  };
  const auto exists = [&](const std::wstring& path) { return onDisk.count(path) > 0; };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.folder, c.folder + std::wcslen(c.folder)));
    const auto found = appPlaceFinding(c.folder, c.finalPath, folders, exists);
    if (c.verdict == Free) {
      EXPECT_FALSE(found);
      continue;
    }
    ASSERT_TRUE(found);
    EXPECT_EQ(found->refused, c.verdict == Refused);
    EXPECT_TRUE(found->text.starts_with(c.begins));
    EXPECT_NE(found->text.find(std::wstring(L"：") + c.place), std::wstring::npos);
  }
}

}  // namespace
}  // namespace mirafold::move
