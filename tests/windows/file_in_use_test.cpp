// Naming the file that holds a folder in place, on the real (Wine's) file system: the search
// itself, and the rename of a folder that cannot move, which reports it.

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/win32/handles.h"
#include "junction_links.h"
#include "platform/win32/system/file_in_use.h"
#include "platform/win32/system/win32_move_file_system.h"
#include "temp_tree.h"

namespace mirafold {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

base::win32::UniqueFileHandle holdOpen(const std::wstring& path, DWORD share, DWORD flags = 0) {
  return base::win32::UniqueFileHandle(
      ::CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, flags, nullptr));
}

class FileInUseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game_ = tree_.folder(L"game");
    tree_.file(L"game\\top.txt");
    tree_.folder(L"game\\a\\b");
    tree_.file(L"game\\a\\b\\deep.txt");
    tree_.folder(L"outside");
    tree_.file(L"outside\\beyond.txt");
    ASSERT_TRUE(testing::runJunctionTool({tree_.at(L"game\\via-link"), tree_.at(L"outside")}).ok());
  }
  void TearDown() override { testing::runJunctionTool({L"-d", tree_.at(L"game\\via-link")}); }

  testing::TempTree tree_;
  std::wstring game_;
};

TEST_F(FileInUseTest, FindsTheFileAnotherHandleHoldsWhateverItShares) {
  const struct {
    const char* name;
    std::optional<std::wstring> held;  // below the scratch folder
    DWORD share;
    std::wstring found;  // below the scratch folder, or empty
  } cases[] = {
      {"nothing held", std::nullopt, 0, L""},
      {"held without sharing, deep down", L"game\\a\\b\\deep.txt", 0, L"game\\a\\b\\deep.txt"},
      {"held sharing everything", L"game\\top.txt", kShareAll, L"game\\top.txt"},
      {"held beyond a link inside", L"outside\\beyond.txt", 0, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    base::win32::UniqueFileHandle held;
    if (c.held) {
      held = holdOpen(tree_.at(*c.held), c.share);
      ASSERT_TRUE(held) << ::GetLastError();
    }
    EXPECT_EQ(win32::firstFileInUse(game_), c.found.empty() ? L"" : tree_.at(c.found));
  }
}

TEST_F(FileInUseTest, GivesUpAfterItsBudget) {
  const base::win32::UniqueFileHandle held = holdOpen(tree_.at(L"game\\a\\b\\deep.txt"), 0);
  ASSERT_TRUE(held);
  const std::wstring a = tree_.at(L"game\\a");  // holds "b" alone, which holds the file alone
  EXPECT_EQ(win32::firstFileInUse(a, 1), L"");
  EXPECT_EQ(win32::firstFileInUse(a, 2), tree_.at(L"game\\a\\b\\deep.txt"));
}

// Windows refuses to rename a folder with a file open in it; Wine renames it anyway, but not a
// folder that is itself held without leave to delete. Either way the file is named.
TEST_F(FileInUseTest, AFolderThatWillNotMoveNamesTheFileInIt) {
  const base::win32::UniqueFileHandle file = holdOpen(tree_.at(L"game\\a\\b\\deep.txt"), 0);
  const base::win32::UniqueFileHandle folder = holdOpen(
      tree_.at(L"game\\a"), FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_FLAG_BACKUP_SEMANTICS);
  ASSERT_TRUE(file && folder);
  win32::Win32MoveFileSystem files(testing::junctionToolLinks(), testing::moveTexts());
  const platform::MoveStatus st = files.rename(tree_.at(L"game\\a"), tree_.at(L"game\\moved"));
  EXPECT_EQ(st.code, platform::MoveStatus::Code::InUse);
  EXPECT_EQ(st.path, tree_.at(L"game\\a\\b\\deep.txt"));
  EXPECT_EQ(::GetFileAttributesW(tree_.at(L"game\\moved").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A folder's permissions replaced by these, given in the system's own notation: "O:BA" and so on.
bool setPermissions(const std::wstring& path, const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
    return false;
  }
  const base::win32::UniqueLocalMemory<PSECURITY_DESCRIPTOR> owned(descriptor);
  return ::SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor);
}

// "No rights" is what the permissions say, asked by an access check: adding the folder where it
// goes. (Wine keeps a folder's permissions as its host mode bits and always lets the owner delete,
// so the entry's DELETE and its folder's FILE_DELETE_CHILD are not shown here.)
TEST_F(FileInUseTest, PermissionsDecideWhetherARenameMayGo) {
  const wchar_t* kReadOnly = L"D:P(A;OICI;FRFX;;;WD)";  // protected; everyone reads and lists
  const wchar_t* kAll = L"D:P(A;OICI;FA;;;WD)";
  const struct {
    const char* name;
    const wchar_t* parent;       // of the folder that moves
    const wchar_t* destination;  // the folder it moves into
    bool intoItsParent;          // renamed beside itself, as a move first hides it
    bool allowed;
  } cases[] = {
      {"as made", nullptr, nullptr, false, true},
      {"nothing may be added where it goes", nullptr, kReadOnly, false, false},
      {"its own folder unchangeable, renamed beside itself", kReadOnly, nullptr, true, false},
      {"its own folder unchangeable, moved elsewhere", kReadOnly, nullptr, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempTree tree;
    const std::wstring parent = tree.folder(L"parent");
    const std::wstring source = tree.folder(L"parent\\game");
    const std::wstring destination = tree.folder(L"store");
    for (const auto& [path, sddl] :
         {std::pair{parent, c.parent}, std::pair{destination, c.destination}}) {
      if (sddl) {
        ASSERT_TRUE(setPermissions(path, sddl));
      }
    }
    const std::wstring to = (c.intoItsParent ? parent : destination) + L"\\game.moving";
    EXPECT_EQ(win32::permissionsAllowRename(source, to), c.allowed);
    for (const std::wstring& p : {parent, destination}) setPermissions(p, kAll);
  }
}

}  // namespace
}  // namespace mirafold
