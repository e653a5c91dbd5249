#pragma once
// The tool's view of the one reading of an entry (base/entry_reading.h): only a junction (and,
// under Wine, a host link) is the tool's to show as a junction and to remove; a volume mount point
// is shown but never removed; every other link is "a link of another kind".

#include "base/entry_reading.h"
#include "junction/system.h"

namespace junction {

// Unreadable carries the error code; its message is for the caller to add.
Entry entryOf(const mirafold::base::EntryReading& reading);

}  // namespace junction
