#pragma once

// KV_ASAN is set when AddressSanitizer instruments the build, under GCC
// (__SANITIZE_ADDRESS__) and under clang (__has_feature).
#if defined(__SANITIZE_ADDRESS__)
#define KV_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KV_ASAN 1
#endif
#endif

#if defined(KV_ASAN)
#include <sanitizer/asan_interface.h>
#endif
