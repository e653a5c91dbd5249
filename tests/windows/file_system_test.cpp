// The directory-entry tests against real files and folders with their attributes.

#include "platform/win32/file_system.h"

#include <gtest/gtest.h>

#include "temp_tree.h"

namespace mirafold::win32 {
namespace {

using testing::TempTree;

constexpr DWORD kFolder = FILE_ATTRIBUTE_DIRECTORY;

struct EntryCase {
  const wchar_t* name;
  DWORD attributes;  // kFolder marks a folder; the rest are set on the entry
  bool plainFile;
  bool folderOrFile;
};

// clang-format off
constexpr EntryCase kEntries[] = {
  {L"normal.txt",      FILE_ATTRIBUTE_NORMAL,                          true,  true},
  {L"readonly.txt",    FILE_ATTRIBUTE_READONLY,                        true,  true},
  {L"archive.txt",     FILE_ATTRIBUTE_ARCHIVE,                         true,  true},
  {L"ro-archive.txt",  FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, true, true},
  {L"hidden.txt",      FILE_ATTRIBUTE_HIDDEN,                          false, false},
  {L"system.txt",      FILE_ATTRIBUTE_SYSTEM,                          false, false},
  {L"hidden-sys.txt",  FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,  false, false},
  {L"junction.exe",    kFolder,                                        false, true},
  {L"readonly-folder", kFolder | FILE_ATTRIBUTE_READONLY,              false, true},
  {L"hidden-folder",   kFolder | FILE_ATTRIBUTE_HIDDEN,                false, false},
  {L"system-folder",   kFolder | FILE_ATTRIBUTE_SYSTEM,                false, false},
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
    EXPECT_EQ(files.isPlainFile(path), entry.plainFile) << path;
    EXPECT_EQ(files.isFolderOrFile(path), entry.folderOrFile) << path;
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
    EXPECT_FALSE(files.isPlainFile(path)) << path;
    EXPECT_FALSE(files.isFolderOrFile(path)) << path;
  }
  EXPECT_TRUE(files.isPlainFile(tree.at(L"tool.exe")));
  EXPECT_TRUE(files.isFolderOrFile(tree.at(L"dir")));
}

TEST_F(FileSystemTest, RelativePathsAndForwardSlashes) {
  tree.folder(L"sub");
  tree.file(L"sub\\tool.exe");
  const testing::CurrentFolder here(tree.path());
  EXPECT_TRUE(files.isPlainFile(L"sub\\tool.exe"));
  EXPECT_TRUE(files.isPlainFile(L"sub/tool.exe"));
  EXPECT_TRUE(files.isFolderOrFile(L"sub"));
  EXPECT_FALSE(files.isPlainFile(L"sub"));
}

TEST_F(FileSystemTest, DriveRootIsAFolderNotAFile) {
  const std::wstring root = tree.path().substr(0, 3);
  EXPECT_TRUE(files.isFolderOrFile(root)) << root;
  EXPECT_FALSE(files.isPlainFile(root)) << root;
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
  EXPECT_FALSE(files.isFolderOrFile(root));
  EXPECT_FALSE(files.isPlainFile(root + L"junction.exe"));
  EXPECT_FALSE(files.isFolderOrFile(root + L"folder"));
  EXPECT_FALSE(files.fileExists(root + L"junction.exe"));
}

TEST_F(FileSystemTest, LongPathsBeyondTheClassicLimit) {
  std::wstring relative;
  while (tree.path().size() + relative.size() < 300) relative += L"a-rather-long-folder-name\\";
  tree.folder(relative);
  const std::wstring file = tree.file(relative + L"junction.exe");
  ASSERT_GT(file.size(), static_cast<std::size_t>(MAX_PATH));
  EXPECT_TRUE(files.isPlainFile(file));
  EXPECT_TRUE(files.isFolderOrFile(file));
  EXPECT_TRUE(files.fileExists(file));
  EXPECT_TRUE(files.deleteFile(file));
  EXPECT_FALSE(files.fileExists(file));
}

TEST_F(FileSystemTest, FileExistsForAnyFileButNotFolders) {
  EXPECT_TRUE(files.fileExists(tree.file(L"plain.lnk")));
  EXPECT_TRUE(files.fileExists(tree.file(L"hidden.lnk", FILE_ATTRIBUTE_HIDDEN)));
  EXPECT_FALSE(files.fileExists(tree.folder(L"folder.lnk")));
  EXPECT_FALSE(files.fileExists(tree.at(L"missing.lnk")));
  EXPECT_FALSE(files.fileExists(L""));
}

TEST_F(FileSystemTest, DeleteFileRemovesOnlyFiles) {
  const std::wstring file = tree.file(L"shortcut.lnk");
  EXPECT_TRUE(files.deleteFile(file));
  EXPECT_EQ(::GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(files.deleteFile(file));
  const std::wstring folder = tree.folder(L"folder.lnk");
  EXPECT_FALSE(files.deleteFile(folder));
  EXPECT_NE(::GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace mirafold::win32
