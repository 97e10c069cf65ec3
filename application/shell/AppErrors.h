#pragma once

#include "Errors.h"

#include <QString>

// Texts of the application's own result codes and of vision-layer error numbers (1000 and
// above), for the library's Errors, which asks here for every code it does not know.
// Stateless: any thread may ask.
class AppErrors : public Errors::CallbackFunctions {
public:
    enum Code : Errors::Type_Error {
        AnalysingPictureAborted = 100,
        AnalysingPictureInProgress = 101,
        NoPictureData = 102,
        UnusableColorImage = 103,
        ParameterIncorrect = 104,
        UnexpectedCharactersInChannelPattern = 106,
        ColorNotHomogeneous = 107,
        NotImplemented = 110,
        RackBarcodeNotFound = 120,
        RackIdNotFound = 121,
        ContainerIdNotFound = 122,
        UnknownDatabaseType = 123,
        MoreThanOneContainerId = 124,
        FileOperationFailed = 130,
        ColorPictureExpected = 131,
        CannotLoadColonySettings = 150,
        IncorrectColonySettingsCriteria = 152,
        NotEnoughReferencePoints = 160,
        TooManyReferencePoints = 161,
        ReferencePointsAngleOutOfTolerance = 162,
        ReferencePointsNotEvaluated = 163,
        ReferencePointCoordinatesInvalid = 164,
        PicturePositionOutOfRange = 200,
        StitcherCrossNotFound = 201,
        CannotLoadImageStitcherSettings = 202,
        ImageStitcherAborted = 210,
        ImageStitcherInUse = 211,
        InvalidImageStitcherPictureCount = 212,
        // From here on a code is a vision-layer error number.
        HalconErrorBase = 1000
    };

    AppErrors();
    ~AppErrors() override;

    // Never empty: a code without a text reads "Unknow error <code>".
    QString errorText(Errors::Type_Error code) override;
};
