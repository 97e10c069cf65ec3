#pragma once

#include <cstdint>

namespace Halcon {

// Integer control values are 64 bits wide, so pixel addresses fit in a tuple.
using Hlong = std::int64_t;

// Every operator returns one of these: kSuccess or a failure number from HalconErrors.h.
using Herror = int;

constexpr Herror kSuccess = 2;
constexpr Herror H_MSG_TRUE = kSuccess;

} // namespace Halcon
