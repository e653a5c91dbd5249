// The move's file system below a held folder, against another program that swaps what it acts
// on: a folder turned into a host link to a victim folder between a listing and an action, a
// file turned into a link to a victim file, the held folder itself renamed and replaced. The
// swaps are made on the host, where no sharing rule of Wine's stops them.

#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host_script.h"
#include "junction_links.h"
#include "platform/win32/system/win32_move_file_system.h"
#include "temp_tree.h"

namespace mirafold {
namespace {

using platform::EntryKind;
using platform::MoveStatus;

std::string contentOf(const std::wstring& path) {
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  char buffer[256];
  DWORD got = 0;
  ::ReadFile(file, buffer, sizeof buffer, &got, nullptr);
  ::CloseHandle(file);
  return std::string(buffer, got);
}

void write(const std::wstring& path, const std::string& text) {
  const HANDLE file =
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << ::GetLastError();
  DWORD written = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
}

// Names, contents and attributes of every entry below `folder`, as one text.
std::wstring picture(const std::wstring& folder) {
  std::wstring seen;
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return L"<gone>";
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    seen += name + L":" + std::to_wstring(found.dwFileAttributes) + L"=";
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      seen += L"[" + picture(path) + L"]";
    } else {
      for (const char c : contentOf(path)) seen += static_cast<wchar_t>(c);
    }
    seen += L";";
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return seen;
}

class HeldFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    held_ = tree_.folder(L"held");
    tree_.folder(L"held\\folder\\sub");
    tree_.folder(L"victim\\keep");
    tree_.folder(L"elsewhere");
    write(held_ + L"\\folder\\file.txt", "original");
    write(held_ + L"\\folder\\sub\\inner.txt", "inner");
    write(tree_.at(L"victim\\inner.txt"), "victim's");
    write(tree_.at(L"victim\\file.txt"), "victim's file");
    write(tree_.at(L"elsewhere\\new.txt"), "new");
    victim_ = picture(tree_.at(L"victim"));
    std::wstring final;
    ASSERT_TRUE(files_.hold(held_, final).ok());
    EXPECT_EQ(final, held_);
  }

  void TearDown() override {
    // Host links are left by the scratch remover: they go first, on the host.
    EXPECT_TRUE(testing::runOnHost(tree_.path(), L"find . -type l -delete"));
  }

  // Another program's swap, on the host: `entry` (relative to the held folder) moved away and a
  // link to `target` (relative to the scratch folder) put in its place.
  void swapForLink(const std::wstring& entry, const std::wstring& target) {
    ASSERT_TRUE(testing::runOnHost(tree_.path(), L"mv 'held/" + entry + L"' 'held/" + entry +
                                                     L".away' && ln -s \"$PWD/" + target +
                                                     L"\" 'held/" + entry + L"'"));
  }

  testing::TempTree tree_;
  win32::Win32MoveFileSystem files_{testing::junctionToolLinks(), testing::moveTexts()};
  std::wstring held_;
  std::wstring victim_;
};

struct Action {
  const char* what;
  std::function<MoveStatus(platform::MoveFileSystem&, const std::wstring& sub)> run;
};

// Each action on or through held\folder\sub after it became a link to the victim folder.
const Action kThroughSwappedFolder[] = {
    {"list",
     [](auto& fs, const std::wstring& sub) {
       std::vector<platform::FolderEntry> entries;
       return fs.list(sub, entries);
     }},
    {"delete a file",
     [](auto& fs, const std::wstring& sub) { return fs.deleteFile(sub + L"\\inner.txt"); }},
    {"remove the folder",
     [](auto& fs, const std::wstring& sub) { return fs.removeEmptyFolder(sub + L"\\keep"); }},
    {"set attributes",
     [](auto& fs, const std::wstring& sub) {
       return fs.setAttributes(sub + L"\\inner.txt", FILE_ATTRIBUTE_READONLY);
     }},
    {"set times",
     [](auto& fs, const std::wstring& sub) {
       return fs.setTimes(sub + L"\\inner.txt", {1, 1});
     }},
    {"copy from",
     [](auto& fs, const std::wstring& sub) {
       return fs.copyFile(sub + L"\\inner.txt", sub + L".copied", [](auto) { return true; });
     }},
    {"copy into",
     [](auto& fs, const std::wstring& sub) {
       const std::wstring from = sub.substr(0, sub.find(L"\\held\\")) + L"\\elsewhere\\new.txt";
       return fs.copyFile(from, sub + L"\\new.txt", [](auto) { return true; });
     }},
    {"rename out",
     [](auto& fs, const std::wstring& sub) {
       return fs.rename(sub + L"\\inner.txt", sub + L".renamed");
     }},
    {"create a folder",
     [](auto& fs, const std::wstring& sub) { return fs.createFolder(sub + L"\\made"); }},
    {"copy permissions",
     [](auto& fs, const std::wstring& sub) {
       return fs.copySecurity(sub + L".away\\inner.txt", sub + L"\\inner.txt", false);
     }},
};

TEST_F(HeldFoldersTest, AFolderSwappedForALinkIsNeverActedThrough) {
  std::vector<platform::FolderEntry> entries;
  ASSERT_TRUE(files_.list(held_ + L"\\folder", entries).ok());
  ASSERT_EQ(entries.size(), 2u);
  swapForLink(L"folder/sub", L"victim");
  const std::wstring sub = held_ + L"\\folder\\sub";
  for (const Action& action : kThroughSwappedFolder) {
    const MoveStatus status = action.run(files_, sub);
    EXPECT_EQ(status.code, MoveStatus::Code::Changed) << action.what << ": " << status.reason;
    EXPECT_EQ(status.path, sub) << action.what;
  }
  EXPECT_EQ(picture(tree_.at(L"victim")), victim_);
  EXPECT_EQ(contentOf(held_ + L"\\folder\\sub.away\\inner.txt"), "inner");
  // The link is seen as the link it is, not entered, and removed itself.
  platform::EntryInfo info;
  ASSERT_TRUE(files_.inspect(sub, info).ok());
  EXPECT_EQ(info.kind, EntryKind::Link);
  std::wstring target;
  ASSERT_TRUE(files_.readLink(sub, target).ok());
  EXPECT_EQ(target, tree_.at(L"victim"));
}

TEST_F(HeldFoldersTest, AFileSwappedForALinkIsNotDeletedThrough) {
  swapForLink(L"folder/file.txt", L"victim/file.txt");
  const std::wstring file = held_ + L"\\folder\\file.txt";
  for (const auto& action : std::vector<std::function<MoveStatus()>>{
           [&] { return files_.deleteFile(file); },
           [&] { return files_.rename(file, held_ + L"\\renamed.txt"); },
           [&] { return files_.setAttributes(file, FILE_ATTRIBUTE_HIDDEN); }}) {
    const MoveStatus status = action();
    // Windows deletes, renames or changes the link itself; Wine, which cannot open a host link
    // itself, must refuse.
    EXPECT_TRUE(status.ok() || status.code == MoveStatus::Code::Changed) << status.reason;
  }
  EXPECT_EQ(picture(tree_.at(L"victim")), victim_);
}

TEST_F(HeldFoldersTest, AHeldFolderRenamedAndReplacedIsStillTheOneActedOnOrNone) {
  std::vector<platform::FolderEntry> entries;
  ASSERT_TRUE(files_.list(held_ + L"\\folder", entries).ok());
  ASSERT_TRUE(
      testing::runOnHost(tree_.path(),
                         L"mv held held.away && mkdir -p held/folder/sub && echo replacement > "
                         L"held/folder/file.txt && echo replacement > held/folder/sub/inner.txt"));
  const std::wstring replacement = picture(held_);
  const std::wstring inner = held_ + L"\\folder\\sub\\inner.txt";
  const MoveStatus attributes = files_.setAttributes(inner, FILE_ATTRIBUTE_HIDDEN);
  const MoveStatus deleted = files_.deleteFile(held_ + L"\\folder\\file.txt");
  const MoveStatus renamed = files_.rename(inner, held_ + L"\\folder\\renamed.txt");
  const MoveStatus listed = files_.list(held_ + L"\\folder", entries);
  EXPECT_EQ(picture(held_), replacement);
  const std::wstring away = tree_.at(L"held.away\\folder");
  if (deleted.ok()) {
    EXPECT_EQ(contentOf(away + L"\\file.txt"), "<missing>");
  }
  if (renamed.ok()) {
    EXPECT_EQ(contentOf(away + L"\\renamed.txt"), "inner");
  }
  if (attributes.ok() && !renamed.ok()) {
    EXPECT_TRUE(::GetFileAttributesW((away + L"\\sub\\inner.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);
  }
  if (listed.ok()) {
    EXPECT_EQ(entries.size(), 2u);
  }
  for (const MoveStatus* status : {&attributes, &deleted, &renamed, &listed}) {
    EXPECT_TRUE(status->ok() || status->code == MoveStatus::Code::Changed) << status->reason;
  }
}

// A folder reached (held open by its listing) and then swapped for a link to the victim: a copy
// from it or into it goes on through the folder that was reached, or stops Changed; it never reads
// the victim's file nor writes into the victim, as a copy by path would.
TEST_F(HeldFoldersTest, ACopyNeverFollowsAFolderSwappedAfterItWasReached) {
  const std::wstring sub = held_ + L"\\folder\\sub";
  std::vector<platform::FolderEntry> entries;
  ASSERT_TRUE(files_.list(sub, entries).ok());
  swapForLink(L"folder/sub", L"victim");
  const auto all = [](auto) { return true; };
  const std::wstring copied = held_ + L"\\copied.txt";
  const MoveStatus from = files_.copyFile(sub + L"\\inner.txt", copied, all);
  const MoveStatus into = files_.copyFile(tree_.at(L"elsewhere\\new.txt"), sub + L"\\new.txt", all);
  ASSERT_TRUE(files_.settleCopies([] { return true; }).ok());
  for (const MoveStatus* status : {&from, &into}) {
    EXPECT_TRUE(status->ok() || status->code == MoveStatus::Code::Changed) << status->reason;
  }
  EXPECT_EQ(contentOf(copied), from.ok() ? "inner" : "<missing>");
  EXPECT_EQ(picture(tree_.at(L"victim")), victim_);
}

// A walk opens each folder inside its parent's handle: a folder swapped for a link after its parent
// was listed is reported, not entered; the folder itself, renamed away, is still listed by name.
TEST_F(HeldFoldersTest, AWalkNeverEntersAFolderSwappedAfterItsParentWasListed) {
  std::vector<platform::FolderEntry> entries;
  std::unique_ptr<platform::HeldFolder> folder, sub;
  ASSERT_TRUE(files_.listInside(nullptr, held_ + L"\\folder", folder, entries).ok());
  swapForLink(L"folder/sub", L"victim");
  const MoveStatus swapped = files_.listInside(folder.get(), L"sub", sub, entries);
  EXPECT_EQ(swapped.code, MoveStatus::Code::Changed) << swapped.reason;
  EXPECT_TRUE(entries.empty());
  ASSERT_TRUE(files_.listInside(folder.get(), L"sub.away", sub, entries).ok());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, L"inner.txt");
}

// The everyday work below a held folder, through handles: what the move does to a tree.
TEST_F(HeldFoldersTest, AMoveSWorkBelowAHeldFolder) {
  const std::wstring folder = held_ + L"\\folder";
  ASSERT_TRUE(files_.createPrivateFolder(held_ + L"\\copy").ok());
  ASSERT_TRUE(files_.createFolder(held_ + L"\\copy\\sub").ok());
  ASSERT_TRUE(files_
                  .copyFile(folder + L"\\file.txt", held_ + L"\\copy\\sub\\f.txt",
                            [](auto) { return true; })
                  .ok());
  ASSERT_TRUE(files_
                  .finishCopy(folder + L"\\file.txt", held_ + L"\\copy\\sub\\f.txt", {1, 1}, false,
                              [] { return true; })
                  .ok());
  ASSERT_TRUE(files_.settleCopies([] { return true; }).ok());
  ASSERT_TRUE(files_.setAttributes(held_ + L"\\copy\\sub\\f.txt", FILE_ATTRIBUTE_READONLY).ok());
  ASSERT_TRUE(
      files_.setTimes(held_ + L"\\copy\\sub", {131000000000000000, 131000000000000000}).ok());
  platform::EntryInfo info;
  ASSERT_TRUE(files_.inspect(held_ + L"\\copy\\sub", info).ok());
  EXPECT_EQ(info.kind, EntryKind::Folder);
  EXPECT_EQ(info.times.lastWrite, 131000000000000000u);
  ASSERT_TRUE(files_.inspect(held_ + L"\\copy\\sub\\f.txt", info).ok());
  EXPECT_EQ(info.kind, EntryKind::File);
  EXPECT_EQ(info.size, 8u);
  EXPECT_TRUE(info.attributes & FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(files_.inspect(held_ + L"\\copy\\missing", info).ok());
  EXPECT_EQ(info.kind, EntryKind::Missing);
  ASSERT_TRUE(files_.inspect(held_ + L"\\missing\\deeper", info).ok());
  EXPECT_EQ(info.kind, EntryKind::Missing);
  // Never replaces; a read-only file is deleted all the same; a full folder stays.
  EXPECT_FALSE(files_.rename(held_ + L"\\copy", folder).ok());
  EXPECT_FALSE(files_.removeEmptyFolder(held_ + L"\\copy").ok());
  // To a one-letter name: the shortest a rename's structure carries.
  ASSERT_TRUE(files_.rename(held_ + L"\\copy", held_ + L"\\r").ok());
  ASSERT_TRUE(files_.deleteFile(held_ + L"\\r\\sub\\f.txt").ok());
  ASSERT_TRUE(files_.removeEmptyFolder(held_ + L"\\r\\sub").ok());
  ASSERT_TRUE(files_.removeEmptyFolder(held_ + L"\\r").ok());
  std::vector<platform::FolderEntry> entries;
  ASSERT_TRUE(files_.list(held_, entries).ok());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, L"folder");
  // Out of and into a held folder.
  ASSERT_TRUE(files_.rename(folder, tree_.at(L"elsewhere\\folder")).ok());
  ASSERT_TRUE(files_.rename(tree_.at(L"elsewhere\\folder"), folder).ok());
  EXPECT_EQ(contentOf(folder + L"\\file.txt"), "original");
}

}  // namespace
}  // namespace mirafold
