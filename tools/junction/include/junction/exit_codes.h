#pragma once
// The tool's exit codes: 0 on success, otherwise the Win32 error code of the step that failed, so
// that a caller can show the system's own message for it. The values are Win32's, spelled out here
// because the tool's rules are portable.

#include <cstdint>

namespace junction::exit_code {

inline constexpr std::uint32_t kSuccess = 0;
inline constexpr std::uint32_t kFileNotFound = 2;     // ERROR_FILE_NOT_FOUND: no LINK there
inline constexpr std::uint32_t kPathNotFound = 3;     // ERROR_PATH_NOT_FOUND: no TARGET there
inline constexpr std::uint32_t kNotEnoughMemory = 8;  // ERROR_NOT_ENOUGH_MEMORY
inline constexpr std::uint32_t kNotSupported = 50;    // ERROR_NOT_SUPPORTED
inline constexpr std::uint32_t kCannotMake = 82;      // ERROR_CANNOT_MAKE
inline constexpr std::uint32_t kBadPathname = 161;  // ERROR_BAD_PATHNAME: TARGET on no local drive
inline constexpr std::uint32_t kAlreadyExists = 183;    // ERROR_ALREADY_EXISTS: LINK is taken
inline constexpr std::uint32_t kFilenameTooLong = 206;  // ERROR_FILENAME_EXCED_RANGE
inline constexpr std::uint32_t kNotAFolder = 267;       // ERROR_DIRECTORY: TARGET is no folder
inline constexpr std::uint32_t kTimeout = 1460;         // ERROR_TIMEOUT
// ERROR_CANT_RESOLVE_FILENAME, what the system says of a loop of links: LINK inside its TARGET.
inline constexpr std::uint32_t kCannotResolve = 1921;
inline constexpr std::uint32_t kNotAReparsePoint = 4390;    // ERROR_NOT_A_REPARSE_POINT
inline constexpr std::uint32_t kReparseTagMismatch = 4394;  // ERROR_REPARSE_TAG_MISMATCH

// The arguments were not understood. The customer bit (0x20000000) keeps it apart from every
// system error code, which no failing step can then be mistaken for.
inline constexpr std::uint32_t kUsage = 0x20000001;
// A step failed and the system gave no error code for it; never 0, which would say success.
inline constexpr std::uint32_t kNoSystemCode = 0x20000002;

}  // namespace junction::exit_code
