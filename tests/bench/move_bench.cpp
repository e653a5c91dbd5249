#include "move_bench.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/path_rules.h"
#include "driver/driver.h"
#include "move/folder_mover.h"
#include "move/messages.h"
#include "move/move_planning.h"
#include "platform/clock.h"
#include "platform/win32/system/flush_pool.h"
#include "platform/win32/system/junction_tool_links.h"
#include "platform/win32/system/win32_move_file_system.h"

namespace mirafold::bench {
namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool writeFile(const std::wstring& path, std::uint64_t size) {
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  static const std::vector<char> chunk = [] {
    std::vector<char> bytes(1 << 20);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
  }();
  bool ok = true;
  for (std::uint64_t left = size; ok && left > 0;) {
    const DWORD part = static_cast<DWORD>(std::min<std::uint64_t>(left, chunk.size()));
    DWORD written = 0;
    ok = ::WriteFile(file, chunk.data(), part, &written, nullptr) && written == part;
    left -= part;
  }
  ::CloseHandle(file);
  return ok;
}

// `folders` × `perFolder` files of `size` bytes in numbered subfolders, plus `big` files of 100 MB.
bool makeTree(const std::wstring& root, int folders, int perFolder, std::uint64_t size, int big) {
  if (!::CreateDirectoryW(root.c_str(), nullptr)) return false;
  for (int f = 0; f < folders; ++f) {
    const std::wstring folder = root + L"\\part-" + std::to_wstring(f);
    if (!::CreateDirectoryW(folder.c_str(), nullptr)) return false;
    for (int i = 0; i < perFolder; ++i) {
      if (!writeFile(folder + L"\\file-" + std::to_wstring(i) + L".bin", size)) return false;
    }
  }
  for (int b = 0; b < big; ++b) {
    if (!writeFile(root + L"\\big-" + std::to_wstring(b) + L".bin", 100ull << 20)) return false;
  }
  return true;
}

// On the disk, as a copy must be before its original may go: what the seam's flush does.
bool flushed(const std::wstring& path) {
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = ::FlushFileBuffers(file) != FALSE;
  ::CloseHandle(file);
  return ok;
}

// Every file of `from` with its place below `to`, whose folders are made as they are met.
bool listCopies(const std::wstring& from, const std::wstring& to,
                std::vector<std::pair<std::wstring, std::wstring>>& files) {
  if (!::CreateDirectoryW(to.c_str(), nullptr)) return false;
  WIN32_FIND_DATAW found{};
  const HANDLE search =
      ::FindFirstFileExW((from + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                         nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring source = from + L"\\" + name, target = to + L"\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ok = listCopies(source, target, files);
    } else {
      files.emplace_back(source, target);
    }
  } while (ok && ::FindNextFileW(search, &found));
  ::FindClose(search);
  return ok;
}

// The baselines: what any copier must do at least, one CopyFileExW per file, and one that may
// delete the originals afterwards also flushes each copy.
bool bareCopy(const std::wstring& from, const std::wstring& to, bool flushEach) {
  std::vector<std::pair<std::wstring, std::wstring>> files;
  if (!listCopies(from, to, files)) return false;
  for (const auto& [source, target] : files) {
    if (!::CopyFileExW(source.c_str(), target.c_str(), nullptr, nullptr, nullptr,
                       COPY_FILE_FAIL_IF_EXISTS) ||
        (flushEach && !flushed(target))) {
      return false;
    }
  }
  return true;
}

// The flushing loop again, as robocopy's /MT runs it: the same CopyFileExW and flush per file, in
// `threads` threads taking the files in turn.
bool threadedCopy(const std::wstring& from, const std::wstring& to, unsigned threads) {
  struct Shared {
    std::vector<std::pair<std::wstring, std::wstring>> files;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> ok{true};
  } shared;
  if (!listCopies(from, to, shared.files)) return false;
  const auto work = [](void* data) -> DWORD {
    auto& all = *static_cast<Shared*>(data);
    for (std::size_t i; (i = all.next++) < all.files.size() && all.ok;) {
      const auto& [source, target] = all.files[i];
      if (!::CopyFileExW(source.c_str(), target.c_str(), nullptr, nullptr, nullptr,
                         COPY_FILE_FAIL_IF_EXISTS) ||
          !flushed(target)) {
        all.ok = false;
      }
    }
    return 0;
  };
  std::vector<HANDLE> started;
  for (unsigned i = 0; i < threads; ++i) {
    if (const HANDLE thread = ::CreateThread(nullptr, 0, work, &shared, 0, nullptr)) {
      started.push_back(thread);
    }
  }
  for (const HANDLE thread : started) {
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
  }
  return !started.empty() && shared.ok;
}

// As many flushes in flight as the move's copy keeps on the volume of `folder`.
unsigned copyWorkersOn(const std::wstring& folder) {
  const HANDLE opened =
      ::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return 1;
  const unsigned workers = win32::flushWorkersFor(opened);
  ::CloseHandle(opened);
  return workers;
}

// The real Win32 seam, noting when the copy into the partial folder begins and when its checked
// copy is renamed to its final name: the copy and its check, as the engine runs them.
class TimedFileSystem final : public win32::Win32MoveFileSystem {
 public:
  TimedFileSystem()
      : Win32MoveFileSystem(win32::junctionToolLinks(ui::buildFolder() + L"\\junction.exe"),
                            {.noJunctionTool = std::wstring(move::kNoJunctionTool),
                             .notALink = std::wstring(move::kNotALink),
                             .volumeMountPoint = std::wstring(move::kVolumeMountPoint)}) {}

  platform::MoveStatus createPrivateFolder(const std::wstring& path) override {
    if (path.ends_with(L".mirafold-partial")) copyStarted = Clock::now();
    return Win32MoveFileSystem::createPrivateFolder(path);
  }
  platform::MoveStatus rename(const std::wstring& from, const std::wstring& to) override {
    if (from.ends_with(L".mirafold-partial")) copyChecked = Clock::now();
    return Win32MoveFileSystem::rename(from, to);
  }

  Clock::time_point copyStarted{}, copyChecked{};
};

class Mover {
 public:
  explicit Mover(std::wstring journals) : journals_(std::move(journals)) {}

  // Runs a planned move; the time its steps took, or nothing when it did not end done.
  std::optional<double> run(const move::PlannedMove& planned) {
    if (planned.refusal) {
      std::printf("error: the move was refused: %ls\n", planned.refusal->c_str());
      return std::nullopt;
    }
    // Both folders the move changes held, as the engine holds them: every step below them is
    // taken through handles.
    for (const std::wstring& place : {planned.plan.origin, planned.plan.final}) {
      std::wstring final;
      if (!files.hold(std::wstring(base::parentOf(place)), final).ok()) {
        std::printf("error: %ls could not be held\n", place.c_str());
        return std::nullopt;
      }
    }
    reports.clear();
    move::CancelFlag cancel;
    move::FolderMover mover({files, clock_, cancel,
                             [this](const move::MoveProgress&) { reports.push_back(Clock::now()); },
                             journals_});
    const auto start = Clock::now();
    const move::MoveResult result = mover.run(planned.plan);
    const double ms = msBetween(start, Clock::now());
    if (result.outcome != move::MoveOutcome::Done) {
      std::printf("error: the move did not end done: %ls\n", result.reason.c_str());
      return std::nullopt;
    }
    return ms;
  }

  std::optional<double> away(const std::wstring& source, const std::wstring& destination) {
    return run(move::planMoveAway(files, source, destination, kSurroundings));
  }
  std::optional<double> back(const std::wstring& link) {
    return run(move::planMoveBack(files, link, kSurroundings));
  }

  TimedFileSystem files;
  std::vector<Clock::time_point> reports;

 private:
  inline static const move::MoveSurroundings kSurroundings{{}, L"NTFS"};
  std::wstring journals_;
  platform::SteadyClock clock_;
};

// Reports a second while the copy ran; over the whole move, deletion of the old folder included,
// the most reports in any one second and the longest gap between two.
struct ProgressFigures {
  double perSecond = 0;
  double mostInASecond = 0;
  double longestGapMs = 0;
};

ProgressFigures progressFigures(const std::vector<Clock::time_point>& reports,
                                Clock::time_point copyStarted, Clock::time_point copyChecked) {
  ProgressFigures figures;
  const auto during = std::count_if(reports.begin(), reports.end(), [&](Clock::time_point t) {
    return t >= copyStarted && t <= copyChecked;
  });
  figures.perSecond = static_cast<double>(during) * 1000.0 / msBetween(copyStarted, copyChecked);
  for (std::size_t i = 0; i < reports.size(); ++i) {
    if (i > 0) {
      figures.longestGapMs = std::max(figures.longestGapMs, msBetween(reports[i - 1], reports[i]));
    }
    std::size_t end = i;
    while (end < reports.size() && msBetween(reports[i], reports[end]) < 1000.0) ++end;
    figures.mostInASecond = std::max(figures.mostInASecond, static_cast<double>(end - i));
  }
  return figures;
}

void benchCopyToOtherDrive(const ui::TestFolder& root, int runs) {
  ui::OtherDriveFolder drive;
  const std::wstring source = root / L"game";
  if (drive.path().empty() || !makeTree(source, 100, 100, 4096, 3)) {
    std::printf("error: the copy tree could not be made (is D: mapped?)\n");
    return;
  }
  Mover mover(root / L"journals");
  const unsigned workers = copyWorkersOn(drive.path());
  std::vector<double> bare, bareFlushing, threaded, copied, whole, perSecond, most, longest;
  for (int i = 0; i < runs; ++i) {
    for (const bool flushEach : {false, true}) {
      const ui::OtherDriveFolder copies;  // removed, with the copy, at the end of this block
      const auto start = Clock::now();
      if (!bareCopy(source, copies.path() + L"\\bare", flushEach)) {
        std::printf("error: the bare copy failed\n");
      }
      (flushEach ? bareFlushing : bare).push_back(msBetween(start, Clock::now()));
    }
    {
      const ui::OtherDriveFolder copies;
      const auto start = Clock::now();
      if (!threadedCopy(source, copies.path() + L"\\threads", workers)) {
        std::printf("error: the threaded copy failed\n");
      }
      threaded.push_back(msBetween(start, Clock::now()));
    }

    const std::optional<double> ms = mover.away(source, drive.path());
    if (!ms) return;
    whole.push_back(*ms);
    copied.push_back(msBetween(mover.files.copyStarted, mover.files.copyChecked));
    const ProgressFigures figures =
        progressFigures(mover.reports, mover.files.copyStarted, mover.files.copyChecked);
    perSecond.push_back(figures.perSecond);
    most.push_back(figures.mostInASecond);
    longest.push_back(figures.longestGapMs);
    if (!mover.back(source)) return;
  }
  std::printf("copy-other-drive %.1f %.1f %.1f %.1f %u\n", median(copied), median(bare),
              median(bareFlushing), median(threaded), workers);
  std::printf("move-other-drive %.1f\n", median(whole));
  std::printf("progress %.1f %.0f %.1f\n", median(perSecond), median(most), median(longest));
  std::fflush(stdout);  // seen before the same-volume figures, which take long to make
}

void benchSameVolume(const ui::TestFolder& root, int runs) {
  const std::wstring many = root / L"many";
  const std::wstring one = root / L"one";
  const std::wstring store = root.makeFolder(L"store");
  if (!makeTree(many, 100, 1000, 0, 0) || !makeTree(one, 1, 1, 0, 0)) {
    std::printf("error: the same-volume trees could not be made\n");
    return;
  }
  Mover mover(root / L"journals");
  std::vector<double> walk, steps, oneSteps;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    const move::PlannedMove planned = move::planMoveAway(mover.files, many, store, {{}, L"NTFS"});
    walk.push_back(msBetween(start, Clock::now()));
    if (planned.summary.files != 100000) std::printf("error: the walk counted wrong\n");
    const std::optional<double> ms = mover.run(planned);
    if (!ms || !mover.back(many)) return;
    steps.push_back(*ms);

    const std::optional<double> oneMs = mover.away(one, store);
    if (!oneMs || !mover.back(one)) return;
    oneSteps.push_back(*oneMs);
  }
  std::printf("same-volume %.1f %.1f %.1f\n", median(walk), median(steps), median(oneSteps));
}

}  // namespace

void benchMove(int runs) {
  ui::TestFolder root;
  benchCopyToOtherDrive(root, runs);
  benchSameVolume(root, runs);
}

}  // namespace mirafold::bench
