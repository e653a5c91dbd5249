#include "move/elevated_move.h"

#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "base/path_rules.h"
#include "move/folder_mover.h"
#include "move/helper_messages.h"
#include "move/messages.h"
#include "move/move_paths.h"
#include "move/stopping_file_system.h"
#include "volume/file_system_name.h"

namespace mirafold::move {
namespace {

constexpr std::array<std::pair<HelperTask, std::wstring_view>, 3> kTaskNames{{
    {HelperTask::Move, L"move"},
    {HelperTask::Complete, L"complete"},
    {HelperTask::Undo, L"undo"},
}};

// An absolute path with no part that could lead out of where it seems to lie.
bool isPlainAbsolutePath(std::wstring_view path) {
  const std::size_t root = base::rootLength(path);
  if (root == 0 || path.find(L'/') != std::wstring_view::npos) return false;
  std::wstring_view rest = path.substr(root);
  while (!rest.empty()) {
    const std::size_t cut = rest.find(L'\\');
    const std::wstring_view part = rest.substr(0, cut);
    if (part.empty() || part == L"." || part == L"..") return false;
    if (cut == std::wstring_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  return true;
}

bool samePlace(const MovePlan& a, const MovePlan& b) {
  return a.direction == b.direction && samePath(a.origin, b.origin) && samePath(a.final, b.final) &&
         a.sameVolume == b.sameVolume;
}

class HelperRun {
 public:
  HelperRun(const HelperRequest& request, HelperServices& services)
      : r_(request), s_(services), files_(services.files) {}

  void run() {
    // The window's word: a cancel, or its going away, which stops the move where it stands.
    std::thread listener([this] {
      HelperMessageReader reader;
      std::string bytes;
      while (s_.pipe.receive(bytes)) {
        reader.feed(bytes);
        bytes.clear();
        while (const auto message = reader.next()) {
          if (message->kind == HelperMessage::Kind::Start) begin(true);
          if (message->kind == HelperMessage::Kind::Cancel) cancel_.request();
        }
        if (reader.garbled()) break;
      }
      files_.stop();
      begin(false);
    });
    // Nothing is touched before the window's start: a window that gave up waiting for this
    // helper (its 取消, or gone) has told the user that nothing changed.
    if (!waitForStart()) {
      s_.pipe.interrupt();
      listener.join();
      return;
    }
    HelperMessage end{.kind = HelperMessage::Kind::End};
    if (const auto refusal = refusalOfRequest()) {
      end.refusal = refusal;
    } else {
      end.result = work();
    }
    tell(end);
    s_.pipe.interrupt();
    listener.join();
  }

 private:
  void begin(bool start) {
    const std::lock_guard hold(lock_);
    if (!started_) started_ = start;
    beginning_.notify_all();
  }

  bool waitForStart() {
    std::unique_lock hold(lock_);
    beginning_.wait(hold, [&] { return started_.has_value(); });
    return *started_;
  }

  std::optional<std::wstring> refusalOfRequest() {
    const std::wstring untrusted = fillIn(kUntrustedEntry, {r_.journalPath});
    if (!isPlainAbsolutePath(r_.journalFolder) || !isPlainAbsolutePath(r_.journalPath)) {
      return untrusted;
    }
    std::wstring text;
    if (!files_.readJournal(r_.journalPath, text).ok()) return untrusted;
    const auto parsed = parseJournal(text);
    // Only the entry a move of this plan would write, in the folder named: nothing elsewhere.
    if (!parsed || !samePath(r_.journalPath, journalPathFor(r_.journalFolder, parsed->plan))) {
      return untrusted;
    }
    entry_ = *parsed;
    if (r_.task == HelperTask::Move) return refusalOfFreshMove();
    return refusalOfRecovery();
  }

  // The window's checks again, on the disk as it is now.
  std::optional<std::wstring> refusalOfFreshMove() {
    if (entry_.phase != Phase::Hide) return fillIn(kUntrustedEntry, {r_.journalPath});
    const MovePlan& plan = entry_.plan;
    const PlannedMove planned =
        plan.direction == Direction::Away
            ? planMoveAway(files_, plan.origin, parentOf(plan.final), surroundings(plan.origin))
            : planMoveBack(files_, plan.final, surroundings(plan.final));
    if (planned.refusal) return planned.refusal;
    if (!samePlace(planned.plan, plan)) return fillIn(kUntrustedEntry, {r_.journalPath});
    entry_.plan = planned.plan;
    return std::nullopt;
  }

  // Half done, the folder cannot be walked or measured again; what never changes is checked:
  // neither end a system folder, the destination not inside the folder, no network.
  std::optional<std::wstring> refusalOfRecovery() {
    const MovePlan& plan = entry_.plan;
    MoveFacts facts;
    facts.source = plan.origin;
    facts.destinationFolder = parentOf(plan.final);
    facts.systemFolders = s_.systemFolders.places();
    facts.sameVolume = true;  // the room it needs was there when it started
    facts.linkVolumeFileSystem = plan.direction == Direction::Away
                                     ? surroundings(plan.origin).linkVolumeFileSystem
                                     : L"NTFS";
    if (auto refusal = refusalOf(facts)) return refusal;
    facts.source = plan.final;
    if (auto refusal = refusalOf(facts)) return refusal;
    return std::nullopt;
  }

  MoveSurroundings surroundings(const std::wstring& linkPlace) {
    return surroundingsOf(s_.systemFolders, s_.volume, linkPlace);
  }

  MoveResult work() {
    FolderMover mover({.files = files_,
                       .clock = s_.clock,
                       .cancel = cancel_,
                       .progress =
                           [&](const MoveProgress& p) {
                             tell({.kind = HelperMessage::Kind::Progress, .progress = p});
                           },
                       .journalFolder = r_.journalFolder});
    if (r_.task == HelperTask::Move) return mover.run(entry_.plan);
    const Recovery choice = r_.task == HelperTask::Complete ? Recovery::Complete : Recovery::Undo;
    return mover.recover({r_.journalPath, entry_}, choice);
  }

  void tell(const HelperMessage& message) {
    if (!s_.pipe.send(encodeMessage(message))) files_.stop();
  }

  const HelperRequest& r_;
  HelperServices& s_;
  StoppingFileSystem files_;
  CancelFlag cancel_;
  JournalEntry entry_;
  std::mutex lock_;
  std::condition_variable beginning_;
  std::optional<bool> started_;  // the window's start, or its going first
};

}  // namespace

std::vector<std::wstring> helperArguments(const HelperRequest& request) {
  std::wstring task;
  for (const auto& [t, name] : kTaskNames) {
    if (t == request.task) task = name;
  }
  return {std::wstring(kHelperSwitch), task, request.journalPath, request.journalFolder,
          request.pipeName};
}

std::optional<HelperRequest> parseHelperArguments(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 5 || arguments[0] != kHelperSwitch) return std::nullopt;
  HelperRequest request;
  bool named = false;
  for (const auto& [task, name] : kTaskNames) {
    if (arguments[1] == name) {
      request.task = task;
      named = true;
    }
  }
  if (!named || arguments[2].empty() || arguments[3].empty() || arguments[4].empty()) {
    return std::nullopt;
  }
  request.journalPath = arguments[2];
  request.journalFolder = arguments[3];
  request.pipeName = arguments[4];
  return request;
}

MoveSurroundings surroundingsOf(platform::SystemFolders& systemFolders, platform::NtVolume& volume,
                                const std::wstring& linkPlace) {
  return {systemFolders.places(),
          volume::GetFileSystemName(volume, volume::volumeRootOf(linkPlace)).name};
}

void runElevatedMove(const HelperRequest& request, HelperServices services) {
  HelperRun(request, services).run();
}

}  // namespace mirafold::move
