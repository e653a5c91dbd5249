#pragma once
// The folder sizes' walk of a tree, measured beside a bare FindFirstFileExW walk of the same
// tree, and the window's answers while it walks. Prints "folder-sizes <ms> <bare ms> <files>" and
// "folder-sizes-window <longest answer in ms> <answers>".

#include <string>

namespace mirafold::bench {

void benchSizes(const std::wstring& tree, int runs);

}  // namespace mirafold::bench
