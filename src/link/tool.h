#pragma once
// The contract with junction.exe, which lies beside the program.

#include <string>
#include <string_view>

namespace mirafold::link {

inline constexpr std::wstring_view kToolMissing =
    L"junction.exe不存在，请把它与本程序放在同一文件夹";
// Named without a folder: the system's program search looks in the program's own folder first.
inline constexpr std::wstring_view kPreliminaryRun = L"junction.exe /accepteula";

std::wstring toolPath(std::wstring_view programFolder);

}  // namespace mirafold::link
