// What a copy carries besides the bytes, on the real (Wine's) file system: a sparse file's holes,
// the volume's identity, named streams, permissions given after the times and taken back.

#include <windows.h>
#include <sddl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/win32/handles.h"
#include "junction_links.h"
#include "platform/win32/system/file_copy.h"
#include "platform/win32/system/privileges.h"
#include "platform/win32/system/win32_move_file_system.h"
#include "temp_tree.h"

namespace mirafold::win32 {
namespace {

using platform::MoveStatus;

constexpr LONGLONG kMiB = 1 << 20;

void writeAt(HANDLE file, LONGLONG offset, const std::string& bytes) {
  LARGE_INTEGER at{};
  at.QuadPart = offset;
  DWORD written = 0;
  ASSERT_TRUE(::SetFilePointerEx(file, at, nullptr, FILE_BEGIN));
  ASSERT_TRUE(::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

std::string contentsOf(const std::wstring& path) {
  const base::win32::UniqueFileHandle file(::CreateFileW(
      path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return "<missing>";
  std::string bytes;
  std::vector<char> buffer(kMiB);
  DWORD got = 0;
  while (::ReadFile(file.get(), buffer.data(), kMiB, &got, nullptr) && got) {
    bytes.append(buffer.data(), got);
  }
  return bytes;
}

LONGLONG allocatedBytes(const std::wstring& path) {
  const base::win32::UniqueFileHandle file(::CreateFileW(
      path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  FILE_STANDARD_INFO info{};
  if (!file || !::GetFileInformationByHandleEx(file.get(), FileStandardInfo, &info, sizeof info)) {
    return -1;
  }
  return info.AllocationSize.QuadPart;
}

std::wstring securityOf(const std::wstring& path) {
  std::vector<std::uint8_t> stored(4096);
  DWORD needed = 0;
  LPWSTR text = nullptr;
  if (!::GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, stored.data(),
                          static_cast<DWORD>(stored.size()), &needed) ||
      !::ConvertSecurityDescriptorToStringSecurityDescriptorW(
          stored.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return L"<unreadable>";
  }
  std::wstring result = text;
  ::LocalFree(text);
  return result;
}

class CopyFidelityTest : public ::testing::Test {
 protected:
  testing::TempTree tree;
  Win32MoveFileSystem files{testing::junctionToolLinks(), testing::moveTexts()};
};

// A sparse file stays sparse (FSCTL_SET_SPARSE on the copy, only the ranges that hold data
// written): a 64 MiB disk image holding 192 KiB takes no more than its data on the destination
// and reads back the same. Wine reports no file sparse and has no allocated-range query (the whole
// file is one range then): what it shows is the copy of the ranges between handles, zeros left as
// holes. The copy through the seam goes the same way without the holes; cancelled, it leaves no
// file, and it never replaces one.
TEST_F(CopyFidelityTest, SparseFileKeepsItsHoles) {
  const std::wstring image = tree.at(L"disk.vhdx");
  {
    const base::win32::UniqueFileHandle file(::CreateFileW(
        image.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << ::GetLastError();
    for (const LONGLONG at : {LONGLONG{0}, 32 * kMiB, 64 * kMiB - 65536}) {
      writeAt(file.get(), at, std::string(65536, static_cast<char>('a' + at % 26)));
    }
  }
  if (allocatedBytes(image) >= 32 * kMiB) {
    GTEST_SKIP() << "the host's file system keeps no holes here";
  }
  const std::wstring copy = tree.at(L"copy.vhdx");
  {
    const base::win32::UniqueFileHandle from(::CreateFileW(
        image.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    const base::win32::UniqueFileHandle to(::CreateFileW(copy.c_str(), GENERIC_READ | GENERIC_WRITE,
                                                         0, nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_TRUE(from && to);
    std::uint64_t last = 0;
    bool ordered = true;
    EXPECT_EQ(copyContents(from.get(), to.get(), 64 * kMiB, true,
                           [&](std::uint64_t copied) {
                             ordered = ordered && copied > last;
                             last = copied;
                             return true;
                           }),
              ERROR_SUCCESS);
    EXPECT_TRUE(ordered) << "progress goes forward";
    EXPECT_EQ(last, static_cast<std::uint64_t>(64 * kMiB));
  }
  EXPECT_TRUE(contentsOf(copy) == contentsOf(image)) << "same bytes, holes read as zeros";
  EXPECT_LT(allocatedBytes(copy), 4 * kMiB) << "the holes take no room";

  const std::wstring cancelled = tree.at(L"cancelled.vhdx");
  const MoveStatus stopped =
      files.copyFile(image, cancelled, [](std::uint64_t copied) { return copied < 32 * kMiB; });
  EXPECT_EQ(stopped.code, MoveStatus::Code::Cancelled);
  EXPECT_EQ(::GetFileAttributesW(cancelled.c_str()), INVALID_FILE_ATTRIBUTES) << "no copy left";
  EXPECT_EQ(files.copyFile(image, copy, [](std::uint64_t) { return true; }).ok(), false)
      << "never replaces";
}

// Same volume by the volume's 64-bit serial (FILE_ID_INFO), not the 32-bit one cloned disks
// share; the exFAT drive keeps no named streams (FILE_NAMED_STREAMS), nor does Wine say any other
// does.
TEST_F(CopyFidelityTest, VolumesAreToldApartAndSayWhatTheyKeep) {
  platform::VolumeInfo here, there, other;
  ASSERT_TRUE(files.volumeInfo(tree.folder(L"a"), here).ok());
  ASSERT_TRUE(files.volumeInfo(tree.folder(L"b\\c"), there).ok());
  EXPECT_EQ(here.id, there.id);
  EXPECT_EQ(here.id.size(), 16u) << "the 64-bit serial, in hex";
  ASSERT_EQ(::GetDriveTypeW(L"D:\\"), static_cast<UINT>(DRIVE_FIXED))
      << "drive D: is mapped by the windows.map_move_drive fixture";
  ASSERT_TRUE(files.volumeInfo(L"D:\\", other).ok());
  EXPECT_NE(here.id, other.id);
  platform::VolumeInfo exfat;
  if (!files.volumeInfo(L"E:\\", exfat).ok()) {
    GTEST_SKIP() << "no drive E:: windows.exfat_drive_up says why the machine cannot mount one";
  }
  EXPECT_NE(exfat.id, other.id);
  EXPECT_FALSE(exfat.keepsStreams);
}

// A file with no named stream has none to name (FindFirstStreamW ends at once with
// ERROR_HANDLE_EOF, no failure); a missing one is a failure, never "none".
TEST_F(CopyFidelityTest, NamedStreamsAreLookedFor) {
  bool has = true;
  ASSERT_TRUE(files.hasStreams(tree.file(L"plain.txt"), has).ok());
  EXPECT_FALSE(has);
  EXPECT_FALSE(files.hasStreams(tree.at(L"missing.txt"), has).ok());
}

// A copy's permissions come after its times (the owner of an entry implicitly has only
// READ_CONTROL and WRITE_DAC): a source that grants everyone reading only is copied whole, and the
// copy is taken back (reclaim: permissions that grant this user everything) and deleted.
// Permissions are compared only where Wine keeps a descriptor that was set.
TEST_F(CopyFidelityTest, PermissionsComeLastAndTheCopyIsTakenBack) {
  const std::wstring from = tree.file(L"readable.txt");
  const std::wstring to = tree.at(L"copy.txt");
  PSECURITY_DESCRIPTOR readOnly = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(A;;FR;;;WD)", SDDL_REVISION_1, &readOnly, nullptr));
  ASSERT_TRUE(::SetFileSecurityW(from.c_str(), DACL_SECURITY_INFORMATION, readOnly));
  ::LocalFree(readOnly);

  ASSERT_TRUE(files.copyFile(from, to, [](std::uint64_t) { return true; }).ok());
  const platform::EntryTimes born{131000000000000000ull, 131000000010000000ull};
  const MoveStatus finished = files.finishCopy(from, to, born, true, [] { return true; });
  ASSERT_TRUE(finished.ok()) << std::string(finished.reason.begin(), finished.reason.end());
  ASSERT_TRUE(files.settleCopies([] { return true; }).ok());
  WIN32_FILE_ATTRIBUTE_DATA copied{};
  ASSERT_TRUE(::GetFileAttributesExW(to.c_str(), GetFileExInfoStandard, &copied));
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  EXPECT_EQ(ticks(copied.ftLastWriteTime), born.lastWrite);
  ASSERT_TRUE(files.reclaim(to).ok());
  EXPECT_TRUE(files.deleteFile(to).ok());
  if (securityOf(from).find(L"(A;;FR;;;WD)") == std::wstring::npos) {
    std::printf("the order is not shown: Wine keeps no permissions that are set here (%ls)\n",
                securityOf(from).c_str());
  }
}

// Whether `token` holds the restore privilege, and whether it is on.
struct RestoreState {
  bool holds = false, on = false;
};

RestoreState restoreIn(HANDLE token) {
  LUID restore{};
  EXPECT_TRUE(::LookupPrivilegeValueW(nullptr, SE_RESTORE_NAME, &restore));
  std::vector<std::uint8_t> buffer(4096);
  DWORD size = 0;
  EXPECT_TRUE(::GetTokenInformation(token, TokenPrivileges, buffer.data(),
                                    static_cast<DWORD>(buffer.size()), &size));
  const auto* held = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
  RestoreState state;
  for (DWORD i = 0; i < held->PrivilegeCount; ++i) {
    const LUID& one = held->Privileges[i].Luid;
    if (one.LowPart != restore.LowPart || one.HighPart != restore.HighPart) continue;
    state.holds = true;
    state.on = held->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED;
  }
  return state;
}

// Owners are kept only with the restore privilege (SetSecurityInfo gives another owner only with
// SeRestorePrivilege on): a token that holds it, as Wine's and an elevated administrator's do, can
// keep them, but has it on only while an owner is given, never from the asking, and then on the
// giving thread's own token only: with the process's on, any other thread's opening for backup
// would pass by every permission.
TEST_F(CopyFidelityTest, OwnersAreKeptWhereTheRestorePrivilegeIsHeld) {
  bool can = false;
  ASSERT_TRUE(files.canKeepOwners(can).ok());
  HANDLE opened = nullptr;
  ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened));
  const base::win32::UniqueKernelHandle process(opened);
  EXPECT_EQ(can, restoreIn(process.get()).holds);
  EXPECT_FALSE(restoreIn(process.get()).on) << "switched on for good";
  if (!can) std::printf("this token lacks the restore privilege: its switch is not shown\n");
  if (can) {
    {
      const RestorePrivilege restoring;
      ASSERT_TRUE(::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, &opened));
      const base::win32::UniqueKernelHandle thread(opened);
      EXPECT_TRUE(restoreIn(thread.get()).on);
      EXPECT_FALSE(restoreIn(process.get()).on) << "on for every thread of the process";
    }
    EXPECT_FALSE(::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, &opened))
        << "the thread still on its own token";
  }

  // What this process made is its own: no owner for the confirmation to name.
  const std::wstring mine = tree.at(L"mine.txt");
  ASSERT_TRUE(base::win32::UniqueFileHandle(::CreateFileW(
      mine.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
  bool other = true;
  ASSERT_TRUE(files.ownedByOther(mine, other).ok());
  EXPECT_FALSE(other);
  EXPECT_FALSE(files.ownedByOther(tree.at(L"gone.txt"), other).ok());
}

}  // namespace
}  // namespace mirafold::win32
