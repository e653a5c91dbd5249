#include <gtest/gtest.h>

#include <string>

#include "base/command_line.h"
#include "base/long_path.h"
#include "junction/paths.h"
#include "junction/text.h"

namespace junction {
namespace {

struct PathRow {
  std::wstring in;
  std::wstring out;
};

class ExtendedPath : public testing::TestWithParam<PathRow> {};
TEST_P(ExtendedPath, LiftsTheLengthLimit) {
  EXPECT_EQ(mirafold::base::toLongPath(GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(
    Table, ExtendedPath,
    testing::Values(PathRow{L"C:\\a\\b", L"\\\\?\\C:\\a\\b"}, PathRow{L"C:\\", L"\\\\?\\C:\\"},
                    PathRow{L"\\\\server\\share\\x", L"\\\\?\\UNC\\server\\share\\x"},
                    PathRow{L"\\\\?\\C:\\a", L"\\\\?\\C:\\a"},
                    PathRow{L"\\\\?\\UNC\\s\\x", L"\\\\?\\UNC\\s\\x"},
                    PathRow{L"\\\\.\\pipe\\x", L"\\\\.\\pipe\\x"},
                    PathRow{L"\\??\\C:\\a", L"\\??\\C:\\a"}));

TEST(ExtendedPath, KeepsAPathOverTheOldLimitWhole) {
  const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\" + std::wstring(300, L'e');
  EXPECT_EQ(mirafold::base::toLongPath(deep), L"\\\\?\\" + deep);
  EXPECT_EQ(mirafold::base::withoutLongPathPrefix(mirafold::base::toLongPath(deep)), deep);
}

class Trimmed : public testing::TestWithParam<PathRow> {};
TEST_P(Trimmed, KeepsOnlyADriveRootsBackslash) {
  EXPECT_EQ(trimTrailingSeparators(GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Table, Trimmed,
                         testing::Values(PathRow{L"C:\\a\\", L"C:\\a"},
                                         PathRow{L"C:\\a\\\\", L"C:\\a"}, PathRow{L"C:\\", L"C:\\"},
                                         PathRow{L"C:\\\\", L"C:\\"}, PathRow{L"C:\\a", L"C:\\a"}));

TEST(JunctionTarget, IsAPlainLocalDrivePath) {
  EXPECT_EQ(junctionTargetPath(L"C:\\data\\"), L"C:\\data");
  EXPECT_EQ(junctionTargetPath(L"\\\\?\\D:\\x\\y"), L"D:\\x\\y");
  EXPECT_EQ(junctionTargetPath(L"E:\\"), L"E:\\");
  // Junctions point to local folders: shares and device paths are refused.
  EXPECT_FALSE(junctionTargetPath(L"\\\\server\\share\\x"));
  EXPECT_FALSE(junctionTargetPath(L"\\\\?\\UNC\\server\\share"));
  EXPECT_FALSE(junctionTargetPath(L"\\\\?\\Volume{1234}\\x"));
}

TEST(LocalDrivePath, FollowsSubstLettersAndRefusesNetworkDrives) {
  const DriveDevices devices = [](wchar_t letter) -> DriveDevice {
    switch (letter) {
      case L'S':
        return {false, L"\\??\\C:\\real"};
      case L'T':
        return {false, L"\\??\\S:\\deeper\\"};  // a SUBST of a SUBST letter
      case L'L':
        return {false, L"\\??\\L:\\"};  // a loop
      case L'M':
        return {true, L"\\Device\\HarddiskVolume9"};
      case L'N':
        return {false, L"\\Device\\LanmanRedirector\\;N:0000\\srv\\share"};
      case L'U':
        return {false, L"\\??\\unc\\srv\\share"};
      default:
        return {false, L"\\Device\\HarddiskVolume1"};
    }
  };
  const struct {
    const wchar_t* in;
    std::optional<std::wstring> out;
  } rows[] = {
      {L"C:\\x", L"C:\\x"},
      {L"S:\\", L"C:\\real"},
      {L"S:\\a\\b", L"C:\\real\\a\\b"},
      {L"T:\\a", L"C:\\real\\deeper\\a"},
      {L"L:\\a", std::nullopt},
      {L"M:\\a", std::nullopt},
      {L"N:\\a", std::nullopt},
      {L"U:\\a", std::nullopt},
  };
  for (const auto& row : rows) EXPECT_EQ(localDrivePath(row.in, devices), row.out) << row.in;
}

class Quoting : public testing::TestWithParam<PathRow> {};
TEST_P(Quoting, SurvivesTheReceiversSplitting) {
  EXPECT_EQ(mirafold::base::quoteArgument(GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(
    Table, Quoting,
    testing::Values(PathRow{L"plain", L"\"plain\""}, PathRow{L"", L"\"\""},
                    PathRow{L"with space", L"\"with space\""},
                    PathRow{L"say \"hi\"", L"\"say \\\"hi\\\"\""},
                    PathRow{L"C:\\dir\\", L"\"C:\\dir\\\\\""},    // doubled before the end quote
                    PathRow{L"a\\\\\"b", L"\"a\\\\\\\\\\\"b\""},  // two backslashes then a quote
                    PathRow{L"a\\b", L"\"a\\b\""},                // lone backslashes stay
                    PathRow{L"/tmp/中文 目录", L"\"/tmp/中文 目录\""}));

TEST(JoinArguments, SeparatesWithOneSpace) {
  EXPECT_EQ(mirafold::base::joinArguments({L"sh", L"-c", L"echo \"$1\""}),
            L"\"sh\" \"-c\" \"echo \\\"$1\\\"\"");
}

TEST(OneLine, FoldsSystemMessages) {
  EXPECT_EQ(oneLine(L"Access is denied.\r\n"), L"Access is denied.");
  EXPECT_EQ(oneLine(L"ln: failed\nFile exists\n"), L"ln: failed File exists");
  EXPECT_EQ(oneLine(L"  \r\n"), L"");
}

}  // namespace
}  // namespace junction
