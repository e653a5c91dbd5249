// The user's own token, as the elevated helper judges by it: that of the window's process, and
// where it cannot be opened the linked token of this elevated process (as under Wine), each the
// user's own and one the system's access check takes.
// Wine cannot show a refusal: a DACL it is given becomes the folder's mode bits, and the owner
// stays the host's owner, who may always change the permissions.

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/win32/system/privileges.h"
#include "platform/win32/system/win32_user_rights.h"
#include "temp_tree.h"

namespace mirafold::win32 {
namespace {

std::vector<std::uint8_t> tokenUser(HANDLE token) {
  DWORD size = 0;
  ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<std::uint8_t> user(size);
  if (!size || !::GetTokenInformation(token, TokenUser, user.data(), size, &size)) return {};
  return user;
}

TEST(UserRights, TheUsersOwnTokenJudgesTheirOwnFolders) {
  testing::TempTree tree;
  const std::wstring folder = tree.folder(L"own");
  for (const DWORD window : {::GetCurrentProcessId(), DWORD{0}}) {  // 0: no such process
    const base::win32::UniqueKernelHandle user = userToken(window);
    ASSERT_TRUE(user);
    HANDLE opened = nullptr;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened));
    const base::win32::UniqueKernelHandle own(opened);
    const auto theirs = tokenUser(user.get()), ours = tokenUser(own.get());
    ASSERT_FALSE(theirs.empty());
    ASSERT_FALSE(ours.empty());
    EXPECT_TRUE(::EqualSid(reinterpret_cast<const TOKEN_USER*>(theirs.data())->User.Sid,
                           reinterpret_cast<const TOKEN_USER*>(ours.data())->User.Sid));

    // The access check takes it (an identification token at least) and grants the user DELETE on
    // a folder of their own.
    DWORD size = 0;
    constexpr SECURITY_INFORMATION kParts =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    ::GetFileSecurityW(folder.c_str(), kParts, nullptr, 0, &size);
    std::vector<std::uint8_t> security(size);
    ASSERT_TRUE(size && ::GetFileSecurityW(folder.c_str(), kParts, security.data(), size, &size));
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                            FILE_ALL_ACCESS};
    PRIVILEGE_SET privileges{};
    DWORD privilegesSize = sizeof privileges, granted = 0;
    BOOL allowed = FALSE;
    ASSERT_TRUE(::AccessCheck(security.data(), user.get(), MAXIMUM_ALLOWED, &mapping, &privileges,
                              &privilegesSize, &granted, &allowed))
        << ::GetLastError();
    EXPECT_TRUE(allowed && (granted & DELETE));
    EXPECT_EQ(Win32UserRights(window).mayReplace(folder), true);
  }
}

}  // namespace
}  // namespace mirafold::win32
