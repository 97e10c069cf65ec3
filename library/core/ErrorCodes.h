#pragma once

#include "Errors.h"

// Codes of the library's own table (Errors) that several parts of the program return.
inline constexpr Errors::Type_Error kNoError = 0;
inline constexpr Errors::Type_Error kNoPicture = 15;
inline constexpr Errors::Type_Error kHalconFailed = 40;
inline constexpr Errors::Type_Error kNoImage = 41;
inline constexpr Errors::Type_Error kEmptyObject = 42;
inline constexpr Errors::Type_Error kPathMissing = 50;
inline constexpr Errors::Type_Error kFileMissing = 51;
inline constexpr Errors::Type_Error kPathNotWritable = 52;
inline constexpr Errors::Type_Error kDiskFull = 53;
inline constexpr Errors::Type_Error kCannotLoad = 54;
inline constexpr Errors::Type_Error kCannotSave = 55;
inline constexpr Errors::Type_Error kNotColor = 56;
inline constexpr Errors::Type_Error kNotGray = 57;
