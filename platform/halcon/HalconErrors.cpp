#include "HalconErrors.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace Halcon {

namespace {

Herror numbered(Herror first, int n, int count)
{
    return (n >= 1 && n <= count) ? Herror(first + n - 1) : first;
}

// Fixed texts; numbered families are built in errorText().
const char *fixedText(Hlong number)
{
    switch (number) {
    case kSuccess:
        return "No error";
    case kErrEmptyObject:
        return "Input object is empty";
    case kErrObjectCountMismatch:
        return "Numbers of input objects do not match";
    case kErrWrongChannelCount:
        return "Wrong number of channels";
    case kErrWrongPixelType:
        return "Wrong pixel type of image";
    case kErrImageSizeMismatch:
        return "Image sizes do not match";
    case kErrEmptyDomain:
        return "Image domain is empty";
    case kErrImageTooSmall:
        return "Image too small for this operation";
    case kErrImageTooLarge:
        return "Image too large";
    case kErrFileOpen:
        return "File cannot be opened";
    case kErrNotAPicture:
        return "File is not a picture or is damaged";
    case kErrWrongFileFormat:
        return "Wrong or unsupported picture file format";
    case kErrFileWrite:
        return "File cannot be written";
    case kErrFileFormatContent:
        return "File content is not in the expected format";
    case kErrUnknownParameter:
        return "Unknown parameter name";
    case kErrNotAvailable:
        return "Operation not available";
    case kErrOutOfMemory:
        return "Not enough memory";
    case kErrInternal:
        return "Internal error of the vision layer";
    case kErrTooFewModelPoints:
        return "Too few points in the model";
    case kErrTimeout:
        return "Time-out";
    case kErrInvalidHandle:
        return "Invalid handle";
    case kErrParallelLines:
        return "Lines are parallel";
    case kErrAopForeignKnowledge:
        return "Operator knowledge is for another machine or layer version";
    case kErrAcqInterface:
        return "Image acquisition interface not available";
    case kErrAcqDeviceNotFound:
        return "Image acquisition device not found";
    case kErrAcqDeviceBusy:
        return "Image acquisition device is in use";
    case kErrAcqGrabFailed:
        return "Image acquisition device delivered no image";
    case kErrAcqTimeout:
        return "Timeout while grabbing an image";
    default:
        return nullptr;
    }
}

std::string errorText(Hlong number)
{
    if (const char *text = fixedText(number))
        return text;
    char buffer[kMaxErrorTextLength + 1];
    if (number >= kErrWrongObjectClass1 && number <= kErrWrongObjectClass4)
        std::snprintf(buffer, sizeof buffer, "Wrong object class of input object %d", int(number - kErrWrongObjectClass1 + 1));
    else if (number >= kErrWrongValue1 && number <= kErrWrongValue9)
        std::snprintf(buffer, sizeof buffer, "Wrong value of control parameter %d", int(number - kErrWrongValue1 + 1));
    else if (number >= kErrWrongCount1 && number <= kErrWrongCount9)
        std::snprintf(buffer, sizeof buffer, "Wrong number of values of control parameter %d", int(number - kErrWrongCount1 + 1));
    else if (number >= kErrWrongType1 && number <= kErrWrongType9)
        std::snprintf(buffer, sizeof buffer, "Wrong type of control parameter %d", int(number - kErrWrongType1 + 1));
    else if (number >= kErrWrongValue10 && number <= kErrWrongValue12)
        std::snprintf(buffer, sizeof buffer, "Wrong value of control parameter %d", int(number - kErrWrongValue10 + 10));
    else if (number >= kErrWrongCount10 && number <= kErrWrongCount12)
        std::snprintf(buffer, sizeof buffer, "Wrong number of values of control parameter %d", int(number - kErrWrongCount10 + 10));
    else if (number >= kErrWrongType10 && number <= kErrWrongType12)
        std::snprintf(buffer, sizeof buffer, "Wrong type of control parameter %d", int(number - kErrWrongType10 + 10));
    else
        std::snprintf(buffer, sizeof buffer, "Unknown error number %lld", static_cast<long long>(number));
    return buffer;
}

} // namespace

Herror wrongObjectClass(int input)
{
    return numbered(kErrWrongObjectClass1, input, 4);
}

Herror wrongValue(int parameter)
{
    return numbered(kErrWrongValue1, parameter, 9);
}

Herror wrongCount(int parameter)
{
    return numbered(kErrWrongCount1, parameter, 9);
}

Herror wrongType(int parameter)
{
    return numbered(kErrWrongType1, parameter, 9);
}

Herror get_error_text(Hlong errorNumber, HTuple *errorText_)
{
    if (errorText_)
        *errorText_ = HTuple(errorText(errorNumber));
    return kSuccess;
}

Herror get_error_text(Hlong errorNumber, char *errorText_)
{
    if (errorText_) {
        const std::string text = errorText(errorNumber);
        const size_t n = std::min(text.size(), size_t(kMaxErrorTextLength));
        std::memcpy(errorText_, text.data(), n);
        errorText_[n] = '\0';
    }
    return kSuccess;
}

} // namespace Halcon
