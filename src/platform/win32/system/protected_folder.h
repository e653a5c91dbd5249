#pragma once
// The elevated helper's own journal folder: one only administrators can change, so that nothing
// a user's program writes there is ever taken for the helper's journal, and no link planted there
// turns its writes elsewhere.

#include <string>

namespace mirafold::win32 {

// Makes %ProgramData%\Mirafold\moves owned by the administrators, SYSTEM and administrators in
// full, every other signed-in user reading only, nothing inherited. A journal folder found there
// that no elevated program made (or a link in its place) is put aside unread and a new one made.
// Empty when it could not be made so (not elevated, say).
std::wstring makeProtectedJournalFolder();

}  // namespace mirafold::win32
