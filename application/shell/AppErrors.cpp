#include "AppErrors.h"

#include "HalconFunctions.h"

#include <QObject>

#include <algorithm>
#include <array>

namespace {

struct ApplicationError {
    Errors::Type_Error code;
    const char* text;
};

// Sorted by code: looked up by binary search.
constexpr std::array<ApplicationError, 28> c_applicationErrors{{
    {AppErrors::AnalysingPictureAborted, QT_TRANSLATE_NOOP("QObject", "Analysing picture aborted")},
    {AppErrors::AnalysingPictureInProgress, QT_TRANSLATE_NOOP("QObject", "Analysing picture in progress")},
    {AppErrors::NoPictureData, QT_TRANSLATE_NOOP("QObject", "No picture data available")},
    {AppErrors::UnusableColorImage, QT_TRANSLATE_NOOP("QObject", "Unusable color image")},
    {AppErrors::ParameterIncorrect, QT_TRANSLATE_NOOP("QObject", "The parameter is incorrect or not supported")},
    {AppErrors::UnexpectedCharactersInChannelPattern,
     QT_TRANSLATE_NOOP("QObject", "Unexpected characters in channel pattern")},
    {AppErrors::ColorNotHomogeneous, QT_TRANSLATE_NOOP("QObject", "Color not homogen")},
    {AppErrors::NotImplemented, QT_TRANSLATE_NOOP("QObject", "Not implemented")},
    {AppErrors::RackBarcodeNotFound, QT_TRANSLATE_NOOP("QObject", "Rack barcode not found")},
    {AppErrors::RackIdNotFound, QT_TRANSLATE_NOOP("QObject", "RackID not found or no rack-container found")},
    {AppErrors::ContainerIdNotFound, QT_TRANSLATE_NOOP("QObject", "ContainerID not found")},
    {AppErrors::UnknownDatabaseType, QT_TRANSLATE_NOOP("QObject", "Unknown database type specified")},
    {AppErrors::MoreThanOneContainerId, QT_TRANSLATE_NOOP("QObject", "More than one containerID found")},
    {AppErrors::FileOperationFailed, QT_TRANSLATE_NOOP("QObject", "An error occured on a file operation")},
    {AppErrors::ColorPictureExpected,
     QT_TRANSLATE_NOOP("QObject",
                       "Expect a color picture according to the colony settings with activated color "
                       "settings")},
    {AppErrors::CannotLoadColonySettings, QT_TRANSLATE_NOOP("QObject", "Cannot load the colony settings")},
    {AppErrors::IncorrectColonySettingsCriteria,
     QT_TRANSLATE_NOOP("QObject", "Incorrect criteria in colony settings encountered")},
    {AppErrors::NotEnoughReferencePoints, QT_TRANSLATE_NOOP("QObject", "Not enough reference points found")},
    {AppErrors::TooManyReferencePoints, QT_TRANSLATE_NOOP("QObject", "Too many reference points found")},
    {AppErrors::ReferencePointsAngleOutOfTolerance,
     QT_TRANSLATE_NOOP("QObject", "Angle of reference points rectangle is outside tolerance")},
    {AppErrors::ReferencePointsNotEvaluated, QT_TRANSLATE_NOOP("QObject", "Reference points not evaluated")},
    {AppErrors::ReferencePointCoordinatesInvalid,
     QT_TRANSLATE_NOOP("QObject",
                       "Reference point coordinates are not valid. Failed to calculate coordinate "
                       "system.")},
    {AppErrors::PicturePositionOutOfRange,
     QT_TRANSLATE_NOOP("QObject", "Picture position is out of range (Range is 0..5)")},
    {AppErrors::StitcherCrossNotFound, QT_TRANSLATE_NOOP("QObject", "Stitcher cross not found")},
    {AppErrors::CannotLoadImageStitcherSettings,
     QT_TRANSLATE_NOOP("QObject", "Cannot load the Image Stitcher settings")},
    {AppErrors::ImageStitcherAborted, QT_TRANSLATE_NOOP("QObject", "Image Stitcher aborted")},
    {AppErrors::ImageStitcherInUse, QT_TRANSLATE_NOOP("QObject", "Image Stitcher is in use")},
    {AppErrors::InvalidImageStitcherPictureCount,
     QT_TRANSLATE_NOOP("QObject", "Invalid number of pictures available for Image Stitcher")},
}};

static_assert(std::is_sorted(c_applicationErrors.begin(), c_applicationErrors.end(),
                             [](const ApplicationError& a, const ApplicationError& b) { return a.code < b.code; }),
              "application error table must stay sorted by code");

} // namespace

AppErrors::AppErrors() = default;

AppErrors::~AppErrors() = default;

QString AppErrors::errorText(Errors::Type_Error code)
{
    const auto it
        = std::lower_bound(c_applicationErrors.begin(), c_applicationErrors.end(), code,
                           [](const ApplicationError& entry, Errors::Type_Error value) { return entry.code < value; });
    if (it != c_applicationErrors.end() && it->code == code)
        return QObject::tr(it->text);
    if (code >= HalconErrorBase)
        return QObject::tr("Halcon function fails with error %1: %2").arg(QString::number(code), HalconErrorText(code));
    return QObject::tr("Unknow error %1").arg(code);
}
