#pragma once
// The folder sizes' walk of a tree, measured beside a bare FindFirstFileExW walk of the same
// tree. Prints "folder-sizes <ms> <bare ms> <files>".

#include <string>

namespace mirafold::bench {

void benchSizes(const std::wstring& tree, int runs);

}  // namespace mirafold::bench
