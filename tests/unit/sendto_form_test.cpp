// The Send To dialog's two buttons, against a fake shell and file system.

#include <gtest/gtest.h>

#include "fakes/fake_controls.h"
#include "fakes/fake_shell.h"
#include "fakes/main_window.h"
#include "sendto/sendto_form.h"

namespace mirafold {
namespace {

using Texts = std::vector<std::wstring>;

constexpr auto kAdded = L"右键菜单已添加";
constexpr auto kAlreadyAdded = L"此右键菜单已经被添加过，请勿重复添加";
constexpr auto kRemoved = L"右键菜单已移除";
constexpr auto kNotFound = L"未找到“发送到”文件夹";
constexpr auto kEntry =
    L"C:\\Users\\张三\\AppData\\Roaming\\Microsoft\\Windows\\SendTo\\NTFS链接（仅文件夹）.lnk";

class RenamedProgram : public fakes::FakeProgramInfo {
 public:
  std::wstring programPath() const override { return L"D:\\Tools\\mirafold-1.04.exe"; }
};

template <typename Program = fakes::FakeProgramInfo>
struct Dialog {
  fakes::FakeFileSystem files;
  fakes::FakeShell shell{files};
  Program program;
  fakes::FakeMessageBoxes messages;
  fakes::FakeButton command1{L"添加右键菜单"}, command2{L"移除右键菜单"};
  sendto::SendToForm form{{command1, command2}, {shell, files, program, messages}};

  void add() { command1.click(); }
  void remove() { command2.click(); }
};

TEST(SendToFormTest, AddWritesTheEntryPointingAtTheProgram) {
  Dialog d;
  d.add();
  EXPECT_EQ(d.messages.shown, Texts{kAdded});
  ASSERT_EQ(d.shell.made.size(), 1u);
  EXPECT_EQ(d.shell.made[0].path, kEntry);
  EXPECT_EQ(d.shell.made[0].target, L"D:\\Tools\\mirafold.exe");
  EXPECT_TRUE(d.files.isAnyFile(kEntry));
  EXPECT_EQ(d.shell.foldersAskedFor, std::vector<int>{9});
}

TEST(SendToFormTest, ARenamedProgramGetsAnEntryForItsOwnName) {
  Dialog<RenamedProgram> d;
  d.add();
  ASSERT_EQ(d.shell.made.size(), 1u);
  EXPECT_EQ(d.shell.made[0].target, L"D:\\Tools\\mirafold-1.04.exe");
}

TEST(SendToFormTest, AddingAgainRefusesAndLeavesTheEntryAlone) {
  Dialog d;
  d.add();
  d.add();
  EXPECT_EQ(d.messages.shown, (Texts{kAdded, kAlreadyAdded}));
  EXPECT_EQ(d.shell.made.size(), 1u);
  EXPECT_TRUE(d.files.deleted.empty());
  EXPECT_TRUE(d.files.isAnyFile(kEntry));
}

TEST(SendToFormTest, AnEntryPutThereByOtherMeansCountsAsAdded) {
  Dialog d;
  d.files.addFile(kEntry);
  d.add();
  EXPECT_TRUE(d.shell.made.empty());
  d.remove();
  EXPECT_EQ(d.messages.shown, (Texts{kAlreadyAdded, kRemoved}));
  EXPECT_EQ(d.files.deleted, Texts{kEntry});
}

TEST(SendToFormTest, RemoveDeletesTheEntry) {
  Dialog d;
  d.add();
  d.remove();
  EXPECT_EQ(d.messages.shown, (Texts{kAdded, kRemoved}));
  EXPECT_EQ(d.files.deleted, Texts{kEntry});
  EXPECT_FALSE(d.files.isAnyFile(kEntry));
}

TEST(SendToFormTest, ARemovalThatFailsSaysSoWithTheReasonAndKeepsTheEntry) {
  Dialog d;
  d.add();
  d.files.undeletable[kEntry] = L"another program has it open";
  d.remove();
  EXPECT_EQ(d.messages.shown, (Texts{kAdded, L"右键菜单移除失败：another program has it open"}));
  EXPECT_TRUE(d.files.isAnyFile(kEntry));
}

TEST(SendToFormTest, RemoveWithNothingThereStillSaysRemoved) {
  Dialog d;
  d.remove();
  d.remove();
  EXPECT_EQ(d.messages.shown, (Texts{kRemoved, kRemoved}));
  EXPECT_TRUE(d.files.deleted.empty());
}

TEST(SendToFormTest, AddAfterRemoveWritesTheEntryAgain) {
  Dialog d;
  d.add();
  d.remove();
  d.add();
  EXPECT_EQ(d.messages.shown, (Texts{kAdded, kRemoved, kAdded}));
  EXPECT_EQ(d.shell.made.size(), 2u);
  EXPECT_TRUE(d.files.isAnyFile(kEntry));
}

TEST(SendToFormTest, WithoutASendToFolderNothingIsWrittenOrDeleted) {
  // A file of the bare name where the folder-less path would point must stay untouched.
  constexpr auto kBare = L"\\NTFS链接（仅文件夹）.lnk";
  for (const bool adding : {true, false}) {
    Dialog d;
    d.shell.sendTo.clear();
    d.files.addFile(kBare);
    adding ? d.add() : d.remove();
    EXPECT_EQ(d.messages.shown, Texts{kNotFound}) << adding;
    EXPECT_TRUE(d.shell.made.empty()) << adding;
    EXPECT_TRUE(d.files.deleted.empty()) << adding;
    EXPECT_TRUE(d.files.isAnyFile(kBare)) << adding;
  }
}

TEST(SendToFormTest, AFailedAddGivesTheReasonAndTheDialogStaysUsable) {
  Dialog d;
  d.shell.automation = {platform::ShortcutResult::Outcome::Failed, L"拒绝访问。"};
  d.add();
  EXPECT_EQ(d.messages.shown, Texts{L"右键菜单添加失败：拒绝访问。"});
  EXPECT_FALSE(d.files.isAnyFile(kEntry));
  EXPECT_EQ(d.shell.tried, std::vector{fakes::Writer::Automation})
      << "a refusal is the answer: the other writer is not tried over it";

  d.shell.automation = {};
  d.add();
  EXPECT_EQ(d.messages.shown.back(), kAdded);
  EXPECT_TRUE(d.files.isAnyFile(kEntry));
}

TEST(SendToFormTest, TheShellsOwnShortcutObjectWritesWhenTheAutomationObjectCannot) {
  using Outcome = platform::ShortcutResult::Outcome;
  struct Row {
    const char* what;
    platform::ShortcutResult shellLink;
    Texts messages;
    bool written;
  };
  const Row rows[] = {
      {"written by the shell link", {}, {kAdded}, true},
      {"the shell link refuses too",
       {Outcome::Failed, L"磁盘已满。"},
       {L"右键菜单添加失败：磁盘已满。"},
       false},
  };
  for (const Row& row : rows) {
    Dialog d;
    d.shell.automation = {Outcome::Unavailable, {}};
    d.shell.shellLink = row.shellLink;
    d.add();
    EXPECT_EQ(d.messages.shown, row.messages) << row.what;
    EXPECT_EQ(d.shell.tried, (std::vector{fakes::Writer::Automation, fakes::Writer::ShellLink}))
        << row.what;
    EXPECT_EQ(d.files.isAnyFile(kEntry), row.written) << row.what;
    if (row.written) {
      EXPECT_EQ(d.shell.made.at(0).writer, fakes::Writer::ShellLink);
    }
  }
}

TEST(SendToFormTest, Label5OfTheMainWindowOpensTheDialogOnEveryClick) {
  fakes::MainWindow w;
  ASSERT_TRUE(w.load());
  int openings = 0;
  w.form().onOpenSendTo([&] { ++openings; });
  w.label5.click();
  w.label5.click();
  EXPECT_EQ(openings, 2);
  EXPECT_TRUE(w.messages.shown.empty());
}

}  // namespace
}  // namespace mirafold
