// The user's own rights, judged by the system's access check against the permissions the disk
// keeps (Wine keeps a DACL it was given, though it enforces none).

#include <windows.h>
#include <sddl.h>
#include <gtest/gtest.h>

#include "platform/win32/system/privileges.h"
#include "platform/win32/system/win32_user_rights.h"
#include "temp_tree.h"

namespace mirafold::win32 {
namespace {

bool setSecurity(const std::wstring& folder, const wchar_t* text, SECURITY_INFORMATION parts) {
  PSECURITY_DESCRIPTOR security = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(text, SDDL_REVISION_1, &security,
                                                              nullptr)) {
    return false;
  }
  const bool set = ::SetFileSecurityW(folder.c_str(), parts, security);
  ::LocalFree(security);
  return set;
}

// Owned by SYSTEM, protected, everyone may read it and nothing more; open to all again after.
class Locked {
 public:
  explicit Locked(const std::wstring& folder)
      : folder_(folder),
        held_(setSecurity(folder, L"O:SYG:SYD:P(A;;FRFX;;;WD)",
                          OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                              PROTECTED_DACL_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION)) {}
  ~Locked() { setSecurity(folder_, L"D:(A;;FA;;;WD)", DACL_SECURITY_INFORMATION); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
  bool held() const { return held_; }

 private:
  std::wstring folder_;
  bool held_;
};

TEST(UserRights, AFolderIsReplaceableWhereItOrItsParentLetsTheUser) {
  testing::TempTree tree;
  const std::wstring locked = tree.folder(L"locked"), inner = tree.folder(L"locked\\inner");
  Win32UserRights user;
  EXPECT_TRUE(user.mayReplace(inner)) << "the user's own folders";
  EXPECT_TRUE(user.mayReplace(tree.at(L"not yet")));
  if (!userToken()) GTEST_SKIP() << "no token of the user to judge by";
  const Locked innerLocked(inner), parentLocked(locked);
  if (!innerLocked.held() || !parentLocked.held()) {
    GTEST_SKIP() << "the permissions could not be set here";
  }
  EXPECT_FALSE(user.mayReplace(inner)) << "neither it nor its parent lets the user";
  EXPECT_FALSE(user.mayReplace(locked + L"\\not yet")) << "a folder not yet made, by its parent";
  EXPECT_TRUE(user.mayReplace(locked)) << "its parent, the user's, lets them delete it";
}

}  // namespace
}  // namespace mirafold::win32
