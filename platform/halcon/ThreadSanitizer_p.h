#pragma once

// Layer-private: happens-before edges that ThreadSanitizer cannot see by itself, because the
// synchronisation behind them runs inside a library not built for it (OpenCV's thread pool on
// TBB). Without the sanitizer they are nothing.

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace Halcon::Detail {

// What this thread did so far happens before whatever follows a later happensAfter(token).
inline void happensBefore([[maybe_unused]] const void *token)
{
#if defined(__SANITIZE_THREAD__)
    __tsan_release(const_cast<void *>(token));
#endif
}

inline void happensAfter([[maybe_unused]] const void *token)
{
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(const_cast<void *>(token));
#endif
}

} // namespace Halcon::Detail
