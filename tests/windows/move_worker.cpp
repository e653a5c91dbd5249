// For the move tests: moves SOURCE into DESTINATION with the journal in JOURNALS, slowly, and
// creates MARKER once a few files are copied, so that the test can kill it in the middle of the
// copy. Exit code 0 when the move was done.

#include <windows.h>
#include <shellapi.h>

#include "junction_links.h"
#include "move/folder_mover.h"
#include "move/move_planning.h"
#include "platform/clock.h"

int main() {
  int count = 0;
  wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!args || count != 5) return 2;
  const std::wstring source = args[1], destination = args[2], journals = args[3], marker = args[4];
  ::LocalFree(args);

  mirafold::win32::Win32MoveFileSystem files(mirafold::testing::junctionToolLinks(),
                                             mirafold::testing::moveTexts());
  const mirafold::move::PlannedMove planned =
      mirafold::move::planMoveAway(files, source, destination, {{}, L"NTFS"});
  if (planned.refusal || !mirafold::testing::holdPlaces(files, planned.plan)) return 3;
  const mirafold::platform::SteadyClock clock;
  const mirafold::move::CancelFlag cancel;
  mirafold::move::FolderMover mover({files, clock, cancel,
                                     [&](const mirafold::move::MoveProgress& p) {
                                       if (p.filesDone == 3) {
                                         ::CloseHandle(::CreateFileW(marker.c_str(), GENERIC_WRITE,
                                                                     0, nullptr, CREATE_ALWAYS, 0,
                                                                     nullptr));
                                       }
                                       ::Sleep(50);
                                     },
                                     journals});
  return mover.run(planned.plan).outcome == mirafold::move::MoveOutcome::Done ? 0 : 1;
}
