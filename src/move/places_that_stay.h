#pragma once
// The folders no move may take, whichever road it goes (the move, its undo, a recovery, the
// helper with administrator rights): judged by where the folder really is, so that a link or a
// second name for it changes nothing.

#include <optional>
#include <string>

#include "platform/services.h"

namespace mirafold::move {

// Why `folder` stays where it is, in the user's words; none when it may move.
std::optional<std::wstring> whyItStays(const std::wstring& folder,
                                       const platform::SystemPlaces& places);

}  // namespace mirafold::move
