#include "size_bench.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include <atomic>
#include <thread>

#include "platform/win32/system/folder_listing.h"
#include "platform/win32/system/local_time.h"
#include "platform/win32/ui/table_dialog.h"
#include "sizes/folder_sizes.h"
#include "sizes/size_overview.h"

namespace mirafold::bench {
namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Totals {
  std::uint64_t bytes = 0, files = 0;
};

// The baseline: every file's size added up, links not entered, nothing else.
void bareWalk(const std::wstring& folder, Totals& totals) {
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring_view name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      bareWalk(folder + L"\\" + data.cFileName, totals);
    } else {
      totals.bytes += (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      ++totals.files;
    }
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
}

// As the window's worker walks: the folder listed, then each subfolder measured in turn.
Totals sizesWalk(const std::wstring& tree) {
  win32::Win32FolderListing listing;
  std::vector<platform::FolderEntry> entries;
  Totals totals;
  std::unique_ptr<platform::HeldFolder> held;
  if (!listing.listInside(nullptr, tree, held, entries).ok()) return totals;
  sizes::SeenFiles seen;
  for (const platform::FolderEntry& entry : entries) {
    if (entry.info.kind == platform::EntryKind::File) {
      totals.bytes += entry.info.allocated;
      ++totals.files;
    }
    if (entry.info.kind != platform::EntryKind::Folder) continue;
    sizes::FolderSize size;
    sizes::measureFolder(
        listing, tree + L"\\" + entry.name, size, seen, [] { return false; },
        [](const sizes::FolderSize&) {}, held.get());
    totals.bytes += size.onDisk;
    totals.files += size.files;
  }
  return totals;
}

// The window's thread asked, every 10 ms while the walk behind it goes on, to answer a message
// sent from another thread: each wait in ms.
using Answers = std::vector<double>;

Answers windowAnswers(const std::wstring& tree) {
  win32::Win32FolderListing listing;
  win32::Win32TableDialog window(
      nullptr, {.title = L"sizes bench",
                .columns = {std::begin(sizes::kSizeColumns), std::end(sizes::kSizeColumns)},
                .close = L"close",
                .cancel = L"cancel"});
  sizes::SizeOverview overview(
      {.files = listing, .window = window, .timeText = win32::localTimeText});
  Answers answers;
  std::atomic<bool> done = false;
  std::thread asker([&] {
    HWND shown = nullptr;
    while (!shown && !done) {
      shown = ::FindWindowW(win32::kTableClassName, nullptr);
      ::Sleep(1);
    }
    wchar_t button[16] = L"";
    for (;;) {
      const auto sent = Clock::now();
      DWORD_PTR answer = 0;
      if (!::SendMessageTimeoutW(shown, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer)) break;
      answers.push_back(msSince(sent));
      ::GetWindowTextW(::GetDlgItem(shown, IDCANCEL), button, 16);
      if (std::wstring_view(button) == L"close") break;
      ::Sleep(10);
    }
    ::PostMessageW(shown, WM_CLOSE, 0, 0);
  });
  overview.show(tree, {});
  done = true;
  asker.join();
  return answers;
}

}  // namespace

void benchSizes(const std::wstring& tree, int runs) {
  std::vector<double> ours, bare;
  Totals ourTotals, bareTotals;
  // Alternated, so that neither walk has the cache to itself.
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    ourTotals = sizesWalk(tree);
    ours.push_back(msSince(start));
    start = Clock::now();
    bareTotals = {};
    bareWalk(tree, bareTotals);
    bare.push_back(msSince(start));
  }
  // The bare walk adds the files' lengths, ours the room they take on the disk (none for the
  // bench's files, made by truncate, which leaves them sparse on the host): only counts compare.
  if (ourTotals.files != bareTotals.files) {
    std::printf(
        "error: the walks disagree: %llu files taking %llu bytes, the bare one %llu of %llu\n",
        static_cast<unsigned long long>(ourTotals.files),
        static_cast<unsigned long long>(ourTotals.bytes),
        static_cast<unsigned long long>(bareTotals.files),
        static_cast<unsigned long long>(bareTotals.bytes));
  }
  std::printf("folder-sizes %.1f %.1f %llu\n", median(ours), median(bare),
              static_cast<unsigned long long>(ourTotals.files));
  Answers all;
  for (int i = 0; i < runs; ++i) {
    const Answers answers = windowAnswers(tree);
    all.insert(all.end(), answers.begin(), answers.end());
  }
  // The longest, how many, and the wait 95 in 100 answers stay within.
  std::sort(all.begin(), all.end());
  const double longest = all.empty() ? 0 : all.back();
  const double within = all.empty() ? 0 : all[all.size() * 95 / 100];
  std::printf("folder-sizes-window %.1f %zu %.1f\n", longest, all.size(), within);
}

}  // namespace mirafold::bench
