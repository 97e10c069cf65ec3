#pragma once

#include "HTuple.h"
#include "HalconTypes.h"

namespace Halcon {

// Failure numbers of the layer; success is kSuccess (2). Numbers below 1000 are never
// used for failures, so callers can tell a layer failure from their own codes.
// "Input n" / "parameter n" count from 1 in the operator's argument order, iconic
// objects and control values separately.
enum : Herror {
    kErrWrongObjectClass1 = 1001,   // wrong object class of iconic input 1 (..4)
    kErrWrongObjectClass2 = 1002,
    kErrWrongObjectClass3 = 1003,
    kErrWrongObjectClass4 = 1004,
    kErrEmptyObject = 1010,         // an input object holds no element
    kErrObjectCountMismatch = 1011, // inputs that must pair up hold different counts
    kErrWrongChannelCount = 1020,
    kErrWrongPixelType = 1021,
    kErrImageSizeMismatch = 1022,
    kErrEmptyDomain = 1023,         // an image whose domain has no pixel
    kErrImageTooSmall = 1024,       // the image is too small for the operation or file format
    kErrImageTooLarge = 1025,       // a picture file, or a model's extent, beyond the layer's bound
    kErrWrongValue1 = 1031,         // wrong value of control parameter 1 (..9)
    kErrWrongValue2 = 1032,
    kErrWrongValue3 = 1033,
    kErrWrongValue4 = 1034,
    kErrWrongValue5 = 1035,
    kErrWrongValue6 = 1036,
    kErrWrongValue7 = 1037,
    kErrWrongValue8 = 1038,
    kErrWrongValue9 = 1039,
    kErrWrongCount1 = 1041,         // wrong number of values of control parameter 1 (..9)
    kErrWrongCount2 = 1042,
    kErrWrongCount3 = 1043,
    kErrWrongCount4 = 1044,
    kErrWrongCount5 = 1045,
    kErrWrongCount6 = 1046,
    kErrWrongCount7 = 1047,
    kErrWrongCount8 = 1048,
    kErrWrongCount9 = 1049,
    kErrWrongType1 = 1051,          // wrong type of control parameter 1 (..9), e.g. text for a number
    kErrWrongType2 = 1052,
    kErrWrongType3 = 1053,
    kErrWrongType4 = 1054,
    kErrWrongType5 = 1055,
    kErrWrongType6 = 1056,
    kErrWrongType7 = 1057,
    kErrWrongType8 = 1058,
    kErrWrongType9 = 1059,
    kErrFileOpen = 1060,            // file cannot be opened (missing, no access)
    kErrNotAPicture = 1061,         // the file is not a picture or is damaged
    kErrWrongFileFormat = 1062,     // unknown or unsupported picture format name
    kErrFileWrite = 1063,           // file cannot be written
    kErrFileFormatContent = 1064,   // file exists but its content is not in the layer's format
    kErrUnknownParameter = 1070,    // unknown system or operator parameter name
    kErrNotAvailable = 1071,        // operation not available in this build
    kErrOutOfMemory = 1080,
    kErrInternal = 1090,            // unexpected failure inside the layer (caught exception)
    kErrTooFewModelPoints = 8510,
    kErrTimeout = 9400,
    // Control parameters 10 .. 12 of the shape-model operators, which take more than nine.
    kErrWrongValue10 = 1100,
    kErrWrongValue11 = 1101,
    kErrWrongValue12 = 1102,
    kErrWrongCount10 = 1110,
    kErrWrongCount11 = 1111,
    kErrWrongCount12 = 1112,
    kErrWrongType10 = 1120,
    kErrWrongType11 = 1121,
    kErrWrongType12 = 1122,
    kErrInvalidHandle = 1130,       // a handle that names no live model (never made or cleared)
    kErrParallelLines = 1140,       // two lines meet nowhere (or everywhere): no single intersection
    kErrAopForeignKnowledge = 1150, // operator knowledge measured on another machine or layer version
    // Image acquisition.
    kErrAcqInterface = 5300,        // unknown acquisition interface, or its driver is not installed
    kErrAcqDeviceNotFound = 5301,   // no connected camera answers to the camera type and device
    kErrAcqDeviceBusy = 5302,       // the camera is open through another handle
    kErrAcqGrabFailed = 5303,       // the camera delivered no picture
    kErrAcqTimeout = 5322,          // no picture within the grab time-out (also: no trigger)
};

// Failure numbers for the n-th input / parameter (n from 1); n out of range gives the first.
Herror wrongObjectClass(int input);
Herror wrongValue(int parameter);
Herror wrongCount(int parameter);
Herror wrongType(int parameter);

// Longest text get_error_text can give, without the terminating zero.
constexpr int kMaxErrorTextLength = 255;

// Text of an error number: a specific text for every known number (and for kSuccess),
// a generic text with the number otherwise. Always returns kSuccess.
Herror get_error_text(Hlong errorNumber, HTuple *errorText);
// The same into a caller buffer of at least kMaxErrorTextLength + 1 characters (ASCII).
Herror get_error_text(Hlong errorNumber, char *errorText);

} // namespace Halcon
