#pragma once
// The folder move, measured on Wine's file system with drive D: mapped: a copy to another drive
// beside a bare CopyFileExW loop, the progress reports' rate, and a same-volume move beside the
// walk before it. Prints "copy-other-drive", "move-other-drive", "progress" and "same-volume".

namespace mirafold::bench {

void benchMove(int runs);

}  // namespace mirafold::bench
