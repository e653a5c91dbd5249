#pragma once
// The contract with junction.exe, which lies beside the program.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mirafold::link {

inline constexpr std::wstring_view kToolMissing =
    L"junction.exe不存在，请把它与本程序放在同一文件夹";

std::wstring toolPath(std::wstring_view programFolder);
// The tool's path as the first word of a command line: quoted when it holds a space, so that the
// system cannot start a different program named by its first word.
std::wstring toolCommand(std::wstring_view programFolder);
// The run that accepts the tool's licence, by the tool's full path: neither the current folder
// nor PATH can supply another junction.exe.
std::wstring preliminaryRun(std::wstring_view programFolder);
// What follows the tool in a command line that starts it; nothing when the line starts another
// program.
std::optional<std::wstring> toolParameters(std::wstring_view commandLine,
                                           std::wstring_view programFolder);

// An exit code of the tool's own (the customer bit set: a usage error, a step without a system
// code), which the system has no message for.
bool isToolsOwnCode(std::uint32_t exitCode);

}  // namespace mirafold::link
