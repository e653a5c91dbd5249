// The image's load configuration, which MSVC's runtime brings and mingw-w64's does not: here for
// its DependentLoadFlags, so that the libraries the loader maps before the program's first line
// (those it imports that are not known system ones) come from the system folder only. It lies in a
// section of its own, which the build points the image's load-configuration directory at.

#include <windows.h>

#include <cstddef>

#if defined(__MINGW32__)

// The header names the field by its older, reserved name.
static_assert(offsetof(IMAGE_LOAD_CONFIG_DIRECTORY, Reserved1) == (sizeof(void*) == 8 ? 78 : 54));

extern "C" __attribute__((section(".lcfg"), used))
const IMAGE_LOAD_CONFIG_DIRECTORY _load_config_used = {
    .Size = sizeof(IMAGE_LOAD_CONFIG_DIRECTORY),
    .Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32,
};

#endif
