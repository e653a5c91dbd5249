// The file-system name query against the real native calls.

#include <windows.h>
#include <gtest/gtest.h>

#include "platform/win32/system/win32_nt_volume.h"
#include "volume/file_system_name.h"

namespace mirafold {
namespace {

wchar_t letterWithoutDrive() {
  const DWORD drives = ::GetLogicalDrives();
  for (wchar_t letter = L'q'; letter <= L'y'; ++letter) {
    if (!(drives & (1u << (letter - L'a')))) return letter;
  }
  return 0;
}

TEST(NtVolumeTest, TheSystemDriveIsNtfs) {
  win32::Win32NtVolume nt;
  for (const wchar_t* drive : {L"c:\\", L"C:\\"}) {
    const volume::FileSystemName result = volume::GetFileSystemName(nt, drive);
    EXPECT_EQ(result.name, L"NTFS") << drive;
    EXPECT_EQ(result.status, 0) << drive;
  }
}

TEST(NtVolumeTest, ALetterWithoutADriveGivesNothingAndANonZeroStatus) {
  const wchar_t letter = letterWithoutDrive();
  ASSERT_NE(letter, 0);
  win32::Win32NtVolume nt;
  const wchar_t drive[] = {letter, L':', L'\\', L'\0'};
  const volume::FileSystemName result = volume::GetFileSystemName(nt, drive);
  EXPECT_EQ(result.name, L"");
  EXPECT_NE(result.status, 0);
}

}  // namespace
}  // namespace mirafold
