#pragma once
// Text in the encodings the system's records and pipes use, whatever the width of wchar_t; and
// the user's texts filled in.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace mirafold::base {

// On Windows wchar_t is already UTF-16; elsewhere it holds code points, paired here as surrogates.
std::u16string toUtf16(std::wstring_view text);
std::wstring fromUtf16(std::u16string_view text);

// UTF-8 for pipes and files; an unpaired surrogate becomes U+FFFD.
std::string toUtf8(std::wstring_view text);
// Back from UTF-8; a byte that starts no whole, shortest sequence becomes U+FFFD.
std::wstring fromUtf8(std::string_view bytes);

// Replaces %1, %2, ... with the values in order; a blank without a value stays as it is.
std::wstring fillIn(std::wstring_view text, std::initializer_list<std::wstring_view> values);

// Bytes as Explorer shows them: "512 B", "1.5 KB", "20.0 MB", "3.2 GB".
std::wstring formatSize(std::uint64_t bytes);

}  // namespace mirafold::base
