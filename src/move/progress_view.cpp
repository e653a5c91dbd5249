#include "move/progress_view.h"

#include <algorithm>

#include "base/text.h"
#include "move/messages.h"

namespace mirafold::move {
namespace {

std::wstring durationText(std::uint64_t seconds) {
  if (seconds < 60) return base::fillIn(kSeconds, {std::to_wstring(seconds)});
  return base::fillIn(kMinutes, {std::to_wstring(seconds / 60), std::to_wstring(seconds % 60)});
}

}  // namespace

platform::ProgressView progressViewOf(const MoveProgress& progress,
                                      std::chrono::steady_clock::duration elapsed) {
  platform::ProgressView view;
  if (progress.bytesTotal > 0) {
    const std::uint64_t done = std::min(progress.bytesDone, progress.bytesTotal);
    view.permille = static_cast<unsigned>(done * 1000 / progress.bytesTotal);
  } else if (progress.filesTotal > 0) {
    view.permille = static_cast<unsigned>(progress.filesDone * 1000 / progress.filesTotal);
  }
  view.currentFile = progress.currentFile;
  view.counts =
      base::fillIn(kProgressCounts,
                   {std::to_wstring(progress.filesDone), std::to_wstring(progress.filesTotal),
                    base::formatSize(progress.bytesDone), base::formatSize(progress.bytesTotal)});
  const double seconds = std::chrono::duration<double>(elapsed).count();
  if (progress.bytesDone > 0 && seconds > 0) {
    const double perSecond = static_cast<double>(progress.bytesDone) / seconds;
    const std::uint64_t left =
        progress.bytesTotal > progress.bytesDone ? progress.bytesTotal - progress.bytesDone : 0;
    const auto secondsLeft =
        static_cast<std::uint64_t>(static_cast<double>(left) / perSecond + 0.5);
    view.rate = base::fillIn(
        kProgressRate,
        {base::formatSize(static_cast<std::uint64_t>(perSecond)), durationText(secondsLeft)});
  }
  return view;
}

}  // namespace mirafold::move
