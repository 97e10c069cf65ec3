#pragma once

#include <Errors.h>
#include <HalconFunctions.h>
#include <HalconTypes.h>

// Result codes of model matching; their texts live in the library's error table.
namespace ModelMatchingErrors {

constexpr Errors::Type_Error NoError = 0;
constexpr Errors::Type_Error GeneralError = 10000;
constexpr Errors::Type_Error IllegalParameter = 10001;
constexpr Errors::Type_Error NoModelPicture = 10002;
constexpr Errors::Type_Error CannotLoadModel = 10010;
constexpr Errors::Type_Error CannotSaveModel = 10011;
constexpr Errors::Type_Error CannotCreateModel = 10012;
constexpr Errors::Type_Error TooFewModelPoints = 10013;
constexpr Errors::Type_Error CannotFindModel = 10014;
constexpr Errors::Type_Error FindTimeout = 10015;
constexpr Errors::Type_Error NoModel = 10016;

// True when a layer call failed: its code is kept in status and recorded as the process's
// last layer error.
inline bool LayerFailed(Halcon::Herror error, int& status)
{
    if (error == Halcon::kSuccess)
        return false;
    status = error;
    HalconRecordError(error);
    return true;
}

} // namespace ModelMatchingErrors
