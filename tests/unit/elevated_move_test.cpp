#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "fakes/fake_move_file_system.h"
#include "fakes/fake_nt_volume.h"
#include "fakes/fake_pipes.h"
#include "fakes/fake_system.h"
#include "fakes/stepping_clock.h"
#include "move/elevated_move.h"
#include "move/helper_messages.h"
#include "move/messages.h"
#include "move/move_paths.h"

namespace mirafold::move {
namespace {

using platform::EntryKind;

constexpr auto kJournals = L"C:\\Journals";

// C:\Games\Game, two files, to go into D:\Store; the helper run on a thread, the test as window.
struct Helper {
  Helper() {
    disk.addVolume(L'C');
    disk.addVolume(L'D');
    disk.addFile(L"C:\\Games\\Game\\save.dat", L"progress");
    disk.addFile(L"C:\\Games\\Game\\sub\\level.bin", L"0123456789");
    disk.addFolder(L"D:\\Store");
    disk.addFolder(kJournals);
  }
  // Writes the entry as the window would, and returns its path.
  std::wstring entry(const MovePlan& plan, Phase phase = Phase::Hide) {
    const std::wstring path = journalPathFor(kJournals, plan);
    disk.writeJournal(path, journalText({plan, phase}));
    return path;
  }
  // Runs the request; the window's end starts it, reads until the end, or goes after
  // `leaveAfter` messages.
  std::vector<HelperMessage> run(HelperRequest request, int leaveAfter = -1, bool start = true) {
    auto [window, helper] = fakes::pipePair(leaveAfter >= 0 ? leaveAfter + 1 : 0, "\n\n");
    if (start) window->send(encodeMessage({.kind = HelperMessage::Kind::Start}));
    std::thread helperThread([&, request, pipe = helper.get()] {
      runElevatedMove(request, {.files = disk,
                                .systemFolders = systemFolders,
                                .volume = volume,
                                .clock = clock,
                                .pipe = *pipe});
    });
    std::vector<HelperMessage> heard;
    HelperMessageReader reader;
    std::string bytes;
    while (static_cast<int>(heard.size()) != leaveAfter && window->receive(bytes)) {
      reader.feed(bytes);
      bytes.clear();
      while (auto message = reader.next()) heard.push_back(*message);
      if (!heard.empty() && heard.back().kind == HelperMessage::Kind::End) break;
    }
    window.reset();
    helperThread.join();
    return heard;
  }
  EntryKind kindAt(const std::wstring& path) const {
    const auto* node = disk.find(path);
    return node ? node->kind : EntryKind::Missing;
  }

  fakes::FakeMoveFileSystem disk;
  fakes::FakeSystemFolders systemFolders;
  fakes::FakeNtVolume volume;
  fakes::SteppingClock clock;
  const MovePlan away{Direction::Away, L"C:\\Games\\Game", L"D:\\Store\\Game", false, 0};
};

TEST(ElevatedMove, RunsTheEntryTheWindowWroteAndTellsItsProgressAndEnd) {
  Helper h;
  const std::wstring journal = h.entry(h.away);
  const auto heard = h.run({HelperTask::Move, journal, kJournals, L"pipe"});
  ASSERT_GE(heard.size(), 2u);
  EXPECT_EQ(heard.front().kind, HelperMessage::Kind::Progress);
  EXPECT_EQ(heard.back().kind, HelperMessage::Kind::End);
  EXPECT_EQ(heard.back().result.outcome, MoveOutcome::Done);
  EXPECT_EQ(h.kindAt(L"C:\\Games\\Game"), EntryKind::Link);
  EXPECT_EQ(h.kindAt(journal), EntryKind::Missing);
}

// Nothing it is handed is believed: each of these ends in a refusal before anything is touched.
TEST(ElevatedMove, RefusesWhatIsNotAMovesOwnEntryOrWhatTheChecksRefuse) {
  const struct {
    const char* what;
    std::function<HelperRequest(Helper&)> request;
    std::wstring refusal;  // empty: the untrusted-entry text for the request's path
  } cases[] = {
      {"an entry outside the journal folder",
       [](Helper& h) {
         const std::wstring path = L"C:\\Elsewhere\\" + nameOf(journalPathFor(kJournals, h.away));
         h.disk.addFolder(L"C:\\Elsewhere");
         h.disk.writeJournal(path, journalText({h.away, Phase::Hide}));
         return HelperRequest{HelperTask::Move, path, kJournals, L"pipe"};
       },
       {}},
      {"a way out of the folder",
       [](Helper& h) {
         h.entry(h.away);
         return HelperRequest{
             HelperTask::Move,
             L"C:\\Journals\\..\\Journals\\" + nameOf(journalPathFor(kJournals, h.away)), kJournals,
             L"pipe"};
       },
       {}},
      {"an entry under another move's name",
       [](Helper& h) {
         const std::wstring path = L"C:\\Journals\\move-0000000000000000.journal";
         h.disk.writeJournal(path, journalText({h.away, Phase::Hide}));
         return HelperRequest{HelperTask::Move, path, kJournals, L"pipe"};
       },
       {}},
      {"no journal",
       [](Helper& h) {
         const std::wstring path = journalPathFor(kJournals, h.away);
         h.disk.writeJournal(path, L"mirafold-move 1\nend\n");
         return HelperRequest{HelperTask::Move, path, kJournals, L"pipe"};
       },
       {}},
      {"a fresh move past its first step",
       [](Helper& h) {
         return HelperRequest{HelperTask::Move, h.entry(h.away, Phase::Link), kJournals, L"pipe"};
       },
       {}},
      {"a place that stays",
       [](Helper& h) {
         h.systemFolders.list.own.push_back(L"C:\\Games");
         return HelperRequest{HelperTask::Move, h.entry(h.away), kJournals, L"pipe"};
       },
       fillIn(kStaysOwn, {L"C:\\Games\\Game"})},
      {"a destination inside the folder",
       [](Helper& h) {
         const MovePlan inside{Direction::Away, L"C:\\Games\\Game", L"C:\\Games\\Game\\sub\\Game",
                               true, 0};
         return HelperRequest{HelperTask::Undo, h.entry(inside, Phase::Place), kJournals, L"pipe"};
       },
       std::wstring(kDestinationInsideSource)},
      {"no room on the destination",
       [](Helper& h) {
         h.disk.addVolume(L'D', {.freeBytes = 4});
         return HelperRequest{HelperTask::Move, h.entry(h.away), kJournals, L"pipe"};
       },
       L"目标分区空间不足：需要 18 B，可用 4 B"},
  };
  for (const auto& c : cases) {
    Helper h;
    const HelperRequest request = c.request(h);
    const auto heard = h.run(request);
    ASSERT_EQ(heard.size(), 1u) << c.what;
    EXPECT_EQ(heard[0].kind, HelperMessage::Kind::End) << c.what;
    EXPECT_EQ(heard[0].refusal.value_or(L"<none>"),
              c.refusal.empty() ? fillIn(kUntrustedEntry, {request.journalPath}) : c.refusal)
        << c.what;
    EXPECT_EQ(h.kindAt(L"C:\\Games\\Game"), EntryKind::Folder) << c.what;
    EXPECT_EQ(h.kindAt(L"D:\\Store\\Game"), EntryKind::Missing) << c.what;
  }
}

// The window gone in the middle: the helper stops at its next operation, its journal stays, and
// recovery at the next start finishes the move.
TEST(ElevatedMove, AWindowThatGoesAwayLeavesTheJournalForRecovery) {
  Helper h;
  const std::wstring journal = h.entry(h.away);
  const auto heard = h.run({HelperTask::Move, journal, kJournals, L"pipe"}, 1);
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(h.kindAt(L"C:\\Games\\Game"), EntryKind::Missing) << "stopped half way";
  const auto pending = findPendingMoves(h.disk, kJournals);
  ASSERT_EQ(pending.size(), 1u);
  const auto again = h.run({HelperTask::Complete, journal, kJournals, L"pipe"});
  ASSERT_FALSE(again.empty());
  EXPECT_EQ(again.back().result.outcome, MoveOutcome::Done);
  EXPECT_EQ(h.disk.find(L"D:\\Store\\Game\\sub\\level.bin")->content, L"0123456789");
  EXPECT_EQ(h.kindAt(L"C:\\Games\\Game"), EntryKind::Link);
  EXPECT_TRUE(findPendingMoves(h.disk, kJournals).empty());
}

TEST(ElevatedMove, AWindowThatGoesAwayBeforeItsStartHasNothingTouched) {
  Helper h;
  const std::wstring journal = h.entry(h.away);
  EXPECT_TRUE(h.run({HelperTask::Move, journal, kJournals, L"pipe"}, 0, false).empty());
  EXPECT_EQ(h.kindAt(L"C:\\Games\\Game"), EntryKind::Folder);
  EXPECT_EQ(h.disk.find(journal)->content, journalText({h.away, Phase::Hide}));
}

TEST(HelperMessages, ReadBackWhatWasWrittenWhateverTheTextsHoldAndRefuseGarbage) {
  HelperMessage progress{.kind = HelperMessage::Kind::Progress};
  progress.progress = {5, 18, 1, 2, L"C:\\a\tb\\c\nd\\\\e 文件"};
  HelperMessage end{.kind = HelperMessage::Kind::End};
  end.result = {MoveOutcome::Failed, L"拒绝访问。\r\n (C:\\x)", L"C:\\left", true};
  HelperMessage refused{.kind = HelperMessage::Kind::End, .refusal = L"不能移动系统文件夹"};
  const std::string all = encodeMessage(progress) + encodeMessage(end) + encodeMessage(refused) +
                          encodeMessage({.kind = HelperMessage::Kind::Cancel}) +
                          encodeMessage({.kind = HelperMessage::Kind::Start});
  HelperMessageReader reader;
  for (const char c : all) reader.feed(std::string_view(&c, 1));  // however the bytes arrive
  const auto first = reader.next(), second = reader.next(), third = reader.next(),
             fourth = reader.next();
  ASSERT_TRUE(first && second && third && fourth);
  EXPECT_EQ(first->progress.currentFile, progress.progress.currentFile);
  EXPECT_EQ(first->progress.bytesTotal, 18u);
  EXPECT_EQ(first->progress.filesDone, 1u);
  EXPECT_EQ(second->result.reason, end.result.reason);
  EXPECT_EQ(second->result.leftover, L"C:\\left");
  EXPECT_TRUE(second->result.noRights);
  EXPECT_EQ(second->result.outcome, MoveOutcome::Failed);
  EXPECT_EQ(third->refusal.value_or(L""), L"不能移动系统文件夹");
  EXPECT_EQ(fourth->kind, HelperMessage::Kind::Cancel);
  EXPECT_EQ(reader.next().value_or(HelperMessage{}).kind, HelperMessage::Kind::Start);
  EXPECT_FALSE(reader.next());

  for (const char* garbage :
       {"progress\t1\t2\n", "end\tdone\t2\t\t\t\n", "hello\n", "progress\t1\t2\t3\t4\tbad\\q\n"}) {
    HelperMessageReader bad;
    bad.feed(garbage);
    bad.feed(encodeMessage({.kind = HelperMessage::Kind::Cancel}));
    EXPECT_FALSE(bad.next()) << garbage;
    EXPECT_FALSE(bad.next()) << "nothing after garbage is believed: " << garbage;
    EXPECT_TRUE(bad.garbled());
  }
  HelperMessageReader endless;
  endless.feed(std::string(300 * 1024, 'x'));
  EXPECT_TRUE(endless.garbled());
}

TEST(HelperArguments, ReadBackAndRefuseAnythingElse) {
  const HelperRequest request{HelperTask::Undo, L"C:\\J\\move-1.journal", L"C:\\J", L"\\\\.\\p"};
  const auto back = parseHelperArguments(helperArguments(request));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->task, HelperTask::Undo);
  EXPECT_EQ(back->journalPath, request.journalPath);
  EXPECT_EQ(back->journalFolder, request.journalFolder);
  EXPECT_EQ(back->pipeName, request.pipeName);
  const std::vector<std::vector<std::wstring>> refused{
      {},
      {L"--elevated-move", L"move", L"a", L"b"},
      {L"--elevated-move", L"delete", L"a", L"b", L"c"},
      {L"--other", L"move", L"a", L"b", L"c"},
      {L"--elevated-move", L"move", L"", L"b", L"c"},
  };
  for (const auto& arguments : refused) EXPECT_FALSE(parseHelperArguments(arguments));
}

}  // namespace
}  // namespace mirafold::move
