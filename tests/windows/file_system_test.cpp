// The directory-entry tests against real files and folders with their attributes.

#include "platform/win32/system/file_system.h"

#include <gtest/gtest.h>

#include "base/win32/entry_reader.h"
#include "base/win32/handles.h"
#include "temp_tree.h"

namespace mirafold::win32 {
namespace {

// Runs the junction.exe built beside this test and waits for it; its exit code.
DWORD runJunction(const std::wstring& arguments) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring tool = self;
  tool = tool.substr(0, tool.find_last_of(L'\\')) + L"\\junction.exe";
  std::wstring line = L"\"" + tool + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(tool.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &info)) {
    return ::GetLastError();
  }
  ::WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 1;
  ::GetExitCodeProcess(info.hProcess, &code);
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return code;
}

using testing::TempTree;

constexpr DWORD kFolder = FILE_ATTRIBUTE_DIRECTORY;

struct EntryCase {
  const wchar_t* name;
  DWORD attributes;  // kFolder marks a folder; the rest are set on the entry
  bool plainFile;
  bool folderOrFile;
  bool folder;
};

// clang-format off
constexpr EntryCase kEntries[] = {
  {L"normal.txt",      FILE_ATTRIBUTE_NORMAL,                          true,  true,  false},
  {L"readonly.txt",    FILE_ATTRIBUTE_READONLY,                        true,  true,  false},
  {L"archive.txt",     FILE_ATTRIBUTE_ARCHIVE,                         true,  true,  false},
  {L"ro-archive.txt",  FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, true, true, false},
  {L"hidden.txt",      FILE_ATTRIBUTE_HIDDEN,                          false, false, false},
  {L"system.txt",      FILE_ATTRIBUTE_SYSTEM,                          false, false, false},
  {L"hidden-sys.txt",  FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,  false, false, false},
  {L"junction.exe",    kFolder,                                        false, true,  true},
  {L"readonly-folder", kFolder | FILE_ATTRIBUTE_READONLY,              false, true,  true},
  {L"hidden-folder",   kFolder | FILE_ATTRIBUTE_HIDDEN,                false, false, false},
  {L"system-folder",   kFolder | FILE_ATTRIBUTE_SYSTEM,                false, false, false},
};
// clang-format on

class FileSystemTest : public ::testing::Test {
 protected:
  std::wstring make(const EntryCase& entry) {
    if (entry.attributes & kFolder) return tree.folder(entry.name, entry.attributes & ~kFolder);
    return tree.file(entry.name, entry.attributes);
  }

  TempTree tree;
  Win32FileSystem files;
};

TEST_F(FileSystemTest, EntriesCountByKindAndAttributes) {
  for (const EntryCase& entry : kEntries) {
    const std::wstring path = make(entry);
    // The attribute must really be on the entry, or the row proves nothing.
    const DWORD stored = ::GetFileAttributesW(path.c_str());
    ASSERT_NE(stored, INVALID_FILE_ATTRIBUTES) << path;
    ASSERT_EQ(stored & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              entry.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
        << path;
    EXPECT_EQ(files.isVisibleFile(path), entry.plainFile) << path;
    EXPECT_EQ(files.isVisibleEntry(path), entry.folderOrFile) << path;
    EXPECT_EQ(files.isVisibleFolder(path), entry.folder) << path;
  }
}

TEST_F(FileSystemTest, NamesAreExactNotPatterns) {
  tree.file(L"tool.exe");
  tree.folder(L"dir");
  const std::wstring notFound[] = {
      tree.at(L"missing.exe"), tree.at(L"tool.*"),
      tree.at(L"too?.exe"),    tree.at(L"*"),
      tree.at(L"tool<"),       tree.at(L"missing\\tool.exe"),
      tree.at(L"dir\\"),       L"",
      tree.at(L"tool.exe\\"),
  };
  for (const std::wstring& path : notFound) {
    EXPECT_FALSE(files.isVisibleFile(path)) << path;
    EXPECT_FALSE(files.isVisibleEntry(path)) << path;
  }
  EXPECT_TRUE(files.isVisibleFile(tree.at(L"tool.exe")));
  EXPECT_TRUE(files.isVisibleEntry(tree.at(L"dir")));
}

TEST_F(FileSystemTest, RelativePathsAndForwardSlashes) {
  tree.folder(L"sub");
  tree.file(L"sub\\tool.exe");
  const testing::CurrentFolder here(tree.path());
  EXPECT_TRUE(files.isVisibleFile(L"sub\\tool.exe"));
  EXPECT_TRUE(files.isVisibleFile(L"sub/tool.exe"));
  EXPECT_TRUE(files.isVisibleEntry(L"sub"));
  EXPECT_FALSE(files.isVisibleFile(L"sub"));
}

TEST_F(FileSystemTest, DriveRootIsAFolderNotAFile) {
  const std::wstring root = tree.path().substr(0, 3);
  EXPECT_TRUE(files.isVisibleEntry(root)) << root;
  EXPECT_FALSE(files.isVisibleFile(root)) << root;
}

std::wstring unusedDriveRoot() {
  const DWORD drives = ::GetLogicalDrives();
  for (int i = 25; i >= 3; --i) {
    if ((drives & (1u << i)) == 0) return std::wstring{static_cast<wchar_t>(L'A' + i), L':', L'\\'};
  }
  return {};
}

TEST_F(FileSystemTest, UnknownDriveIsNotFound) {
  const std::wstring root = unusedDriveRoot();
  ASSERT_FALSE(root.empty());
  EXPECT_FALSE(files.isVisibleEntry(root));
  EXPECT_FALSE(files.isVisibleFile(root + L"junction.exe"));
  EXPECT_FALSE(files.isVisibleEntry(root + L"folder"));
  EXPECT_FALSE(files.isAnyFile(root + L"junction.exe"));
}

TEST_F(FileSystemTest, LongPathsBeyondTheClassicLimit) {
  std::wstring relative;
  while (tree.path().size() + relative.size() < 300) relative += L"a-rather-long-folder-name\\";
  tree.folder(relative);
  const std::wstring file = tree.file(relative + L"junction.exe");
  ASSERT_GT(file.size(), static_cast<std::size_t>(MAX_PATH));
  EXPECT_TRUE(files.isVisibleFile(file));
  EXPECT_TRUE(files.isVisibleEntry(file));
  EXPECT_TRUE(files.isAnyFile(file));
  EXPECT_TRUE(files.deleteFile(file).ok);
  EXPECT_FALSE(files.isAnyFile(file));
}

TEST_F(FileSystemTest, FileExistsForAnyFileButNotFolders) {
  EXPECT_TRUE(files.isAnyFile(tree.file(L"plain.lnk")));
  EXPECT_TRUE(files.isAnyFile(tree.file(L"hidden.lnk", FILE_ATTRIBUTE_HIDDEN)));
  EXPECT_FALSE(files.isAnyFile(tree.folder(L"folder.lnk")));
  EXPECT_FALSE(files.isAnyFile(tree.at(L"missing.lnk")));
  EXPECT_FALSE(files.isAnyFile(L""));
}

TEST_F(FileSystemTest, DeleteFileRemovesOnlyFilesAndSaysWhyNot) {
  const std::wstring file = tree.file(L"shortcut.lnk");
  EXPECT_TRUE(files.deleteFile(file).ok);
  EXPECT_EQ(::GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(files.deleteFile(file).ok);
  const std::wstring folder = tree.folder(L"folder.lnk");
  const platform::Outcome refused = files.deleteFile(folder);
  EXPECT_FALSE(refused.ok);
  EXPECT_FALSE(refused.reason.empty());
  EXPECT_NE(::GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);

  // Held open by another program without leave to delete: refused, with the system's reason.
  const std::wstring held = tree.file(L"held.lnk");
  const HANDLE open = ::CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(open, INVALID_HANDLE_VALUE);
  const platform::Outcome busy = files.deleteFile(held);
  ::CloseHandle(open);
  EXPECT_FALSE(busy.ok);
  EXPECT_FALSE(busy.reason.empty());
  EXPECT_TRUE(files.isAnyFile(held));
}

TEST_F(FileSystemTest, ResolvedPathTakesTheStoredNamesAndKeepsWhatDoesNotExist) {
  tree.folder(L"Data\\Saves");
  const std::wstring upper = tree.at(L"DATA\\SAVES");
  EXPECT_EQ(files.resolvedPath(upper), tree.at(L"Data\\Saves"));
  EXPECT_EQ(files.resolvedPath(tree.at(L"data\\saves\\New Link")),
            tree.at(L"Data\\Saves\\New Link"));
  EXPECT_EQ(files.resolvedPath(tree.at(L"Data\\missing\\deeper")),
            tree.at(L"Data\\missing\\deeper"));
}

TEST_F(FileSystemTest, ResolvedPathFollowsALinkOnTheWay) {
  const std::wstring target = tree.folder(L"real\\Saves");
  const std::wstring link = tree.at(L"link");
  ASSERT_EQ(runJunction(L"\"" + link + L"\" \"" + target + L"\""), 0u);
  EXPECT_EQ(files.resolvedPath(link + L"\\New Link"), target + L"\\New Link");
  EXPECT_EQ(files.resolvedPath(link), target);
  runJunction(L"-d \"" + link + L"\"");
}

// The one reading asked of the system: a path, a handle open on the entry and a listing agree,
// and a host link leads where the system gets through it.
TEST_F(FileSystemTest, OneReadingFromAPathAHandleAndAListing) {
  using base::EntryKind;
  const std::wstring target = tree.folder(L"real");
  const std::wstring link = tree.at(L"link");
  ASSERT_EQ(runJunction(L"\"" + link + L"\" \"" + target + L"\""), 0u);
  const struct {
    std::wstring path;
    EntryKind kind;
    std::wstring target;
  } rows[] = {{target, EntryKind::Folder, L""},
              {tree.file(L"file.txt"), EntryKind::File, L""},
              {link, EntryKind::HostLink, target},
              {tree.at(L"missing"), EntryKind::Missing, L""}};
  for (const auto& row : rows) {
    const base::EntryReading reading = base::win32::readEntry(row.path);
    EXPECT_EQ(reading.kind, row.kind) << row.path;
    EXPECT_EQ(reading.target, row.target) << row.path;
    if (row.kind == EntryKind::Missing) continue;
    WIN32_FIND_DATAW found{};
    const base::win32::UniqueFindHandle search(::FindFirstFileExW(
        row.path.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
    ASSERT_TRUE(search) << row.path;
    EXPECT_EQ(base::win32::listedKind(found), row.kind) << row.path;
    const base::win32::UniqueFileHandle entry(::CreateFileW(
        row.path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    ASSERT_TRUE(entry) << row.path;
    // Wine 8 opens what a host link leads to even when asked for the link itself.
    const EntryKind opened = row.kind == EntryKind::HostLink ? EntryKind::Folder : row.kind;
    EXPECT_EQ(base::win32::readEntry(entry.get()).kind, opened) << row.path;
  }
  runJunction(L"-d \"" + link + L"\"");
}

}  // namespace
}  // namespace mirafold::win32
