#pragma once

#include <QString>

// The plain value of the colony settings, copied into each analysis run. Members take the
// standard defaults; positions and sizes in percent are percent of the longer picture side.
class ColonySettingsData {
public:
    struct SearchPositionPoint {
        double X = 0.0; // left edge of the search area, %
        double Y = 0.0; // upper edge of the search area, %
        bool operator==(const SearchPositionPoint& other) const = default;
    };

    struct ReferencePointsData {
        double DistanceX = 90.0; // mm, top-left to top-right point
        double DistanceY = 92.0; // mm, top-left to bottom-left point
        SearchPositionPoint SearchPosition[4] = {{11.0, 1.0}, {71.0, 1.0}, {11.0, 63.0}, {71.0, 63.0}};
        double SearchPositionWidth = 15.0; // %, shared by the four search areas
        double SearchPositionHeight = 11.0;
        bool FixedPosition = false; // use the fixed points below instead of searching
        double DistanceCameraToRefPointPlane = 239.8; // mm
        double DistanceRefPointPlaneToAgarPlane = 0.0; // mm
        double RefPointTopLeftX = 0.0; // %
        double RefPointTopLeftY = 0.0;
        double RefPointTopRightX = 0.0;
        double RefPointTopRightY = 0.0;
        double RefPointBottomLeftX = 0.0;
        double RefPointBottomLeftY = 0.0;
        double RefPointRadius = 21.0; // px
        double RefPointPointMinimumScore = 0.85;
        int RefPointPointMinimumContrast = 5;
        double RefPointPointScaleRange = 5.0; // %
        bool operator==(const ReferencePointsData& other) const = default;
    };

    enum Enum_PositionDirection { LeftToRight = 1, RightToLeft = 2 };

    struct LabwareData {
        int PositionDirection = LeftToRight; // 2 also reverses the pick order
        bool RoundArea = false; // round containers
        double Angle = 0.0; // degrees, counter-clockwise
        double PositionX = 8.9; // %
        double PositionY = 11.8;
        double SizeX = 80.6;
        double SizeY = 50.9;
        double GapX = 0.0;
        double GapY = 0.0;
        qint32 SectionsX = 1; // container columns
        qint32 SectionsY = 1; // container rows
        int PickingOrder = 0; // code 0 to 7
        bool operator==(const LabwareData& other) const = default;
    };

    struct ColonyData {
        bool FastCalculation = false;
        bool PreprocessingMeanEnabled = false;
        int PreprocessingMeanMode = 2; // strength 1 to 6
        bool PreprocessingMedianEnabled = false;
        int PreprocessingMedianMode = 2;
        bool WhiteOnBlack = false;
        int AnalysisMode = 1; // 0 standard, 1 dynamic threshold
        double GrayMargin = 1.5;
        double GrayCenter = 0.45;
        int GrayPercentUnder = 0;
        int GrayPercentOver = 0;
        double MaxColonyDiameter = 4.5; // mm
        double Offset = 15.0;
        double AreaMin = 1.0; // mm²
        double AreaMax = 5.0;
        double AreaWeight = 0.3;
        double CircularityMin = 0.7;
        double CircularityMaxNorm = 0.9;
        double CircularityWeight = 0.2;
        double NeighborDistanceMin = 0.3; // mm
        double NeighborDistanceMaxNorm = 4.0;
        double NeighborDistanceWeight = 0.4;
        double MarginDistanceMin = 0.5; // mm
        double MarginDistanceMaxNorm = 3.0;
        double MarginDistanceWeight = 0.1;
        double ThresholdColorRedWeight = 0.0;
        double ThresholdColorGreenWeight = 0.0;
        double ThresholdColorBlueWeight = 0.0;
        bool ThresholdColorRedInverse = false;
        double ThresholdColorRedMax = 130.0;
        double ThresholdColorRedMinNorm = 0.0;
        double ThresholdColorRedMaxNorm = 255.0;
        double ThresholdColorRedMin = 130.0;
        bool ThresholdColorGreenInverse = false;
        double ThresholdColorGreenMax = 255.0;
        double ThresholdColorGreenMinNorm = 0.0;
        double ThresholdColorGreenMaxNorm = 255.0;
        double ThresholdColorGreenMin = 0.0;
        bool ThresholdColorBlueInverse = false;
        double ThresholdColorBlueMax = 255.0;
        double ThresholdColorBlueMinNorm = 0.0;
        double ThresholdColorBlueMaxNorm = 255.0;
        double ThresholdColorBlueMin = 0.0;
        bool operator==(const ColonyData& other) const = default;
    };

    struct ColonyColorData {
        bool MedianUsed = false;
        int MedianMode = 2;
        bool MeanUsed = true;
        int MeanMode = 2;
        int MeasureAlgorithm = 2;
        double StartHue = 0.0;
        double StartHuePercent = 0.0;
        double StartSaturation = 0.0;
        double StartSaturationPercent = 0.0;
        double StartIntensity = 0.0;
        double StartIntensityPercent = 0.0;
        double EndHue = 0.0;
        double EndHuePercent = 0.0;
        double EndSaturation = 0.0;
        double EndSaturationPercent = 0.0;
        double EndIntensity = 0.0;
        double EndIntensityPercent = 0.0;
        bool HueUsed = true;
        bool SaturationUsed = false;
        bool IntensityUsed = false;
        bool RangeGoods = true; // colours inside the range are the good ones
        double CombinedAreaPercent = 50.0;
        bool operator==(const ColonyColorData& other) const = default;
    };

    enum Enum_ColorModel { ColorModelNone = 0, ColorModelRgb = 1, ColorModelHsi = 2 };

    QString name; // display name; the base name of the file
    ReferencePointsData ReferencePoints;
    LabwareData Labware;
    ColonyData Colony;
    int ColorModel = ColorModelNone;
    ColonyColorData ColonyColor;

    bool operator==(const ColonySettingsData& other) const = default;

    // The two named default sets, with an empty name.
    static ColonySettingsData standardDefaults();
    static ColonySettingsData lightTableDefaults();
};
