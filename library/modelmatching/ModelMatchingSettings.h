#pragma once

#include <XML_Settings_Element.h>

#include <QList>

// One model region of interest. Positions and sizes are percent of the longer side of the
// template picture; the angle turns the region about its centre, in degrees.
struct ModelMatchingRoi {
    enum Enum_Type { Type_Rectangle = 1, Type_Ellipse = 2 };

    int Type = Type_Rectangle; // other values are kept but make no region
    double PositionX = 0.0;    // left edge of the bounding rectangle
    double PositionY = 0.0;    // top edge
    double SizeX = 0.0;        // width (an ellipse: twice its first radius)
    double SizeY = 0.0;        // height
    double Angle = 0.0;

    bool MakesRegion() const { return Type == Type_Rectangle || Type == Type_Ellipse; }
    bool operator==(const ModelMatchingRoi& other) const = default;
};

// In the order in which they were drawn.
using ModelMatchingRoiList = QList<ModelMatchingRoi>;

// Everything model creation and search need besides the template picture: a plain value
// record that its owner embeds in its own settings file as the element "ModelMatching".
// Percent values refer to the longer side of the template picture; angles are degrees.
class ModelMatchingSettings {
public:
    // A file's angle tolerance above this (or below 0) is not read: the value stays.
    static constexpr double MaximumAngleTolerance = 180.0;

    struct SearchPositionData {
        double PositionX = 10.0;
        double PositionY = 10.0;
        double SizeX = 30.0;
        double SizeY = 30.0;
        double Angle = 0.0;
        bool operator==(const SearchPositionData& other) const = default;
    };

    struct SearchToleranceData {
        bool Used = true;             // replaces the tolerances of a search request
        double AngleTolerance = 3.0;  // degrees, each side
        double ScaleTolerance = 0.05; // each side of 1.0
        int CheckTolerance = 30;      // percent the acceptance check widens both tolerances
        bool operator==(const SearchToleranceData& other) const = default;
    };

    // One pre-filter: strength Mode 1 to 9.
    struct FilterStepData {
        bool Used = false;
        int Mode = 3;
        bool operator==(const FilterStepData& other) const = default;
    };

    struct FilterData {
        FilterStepData Median;
        FilterStepData Shock;
        FilterStepData Emphasize;
        bool operator==(const FilterData& other) const = default;
    };

    struct AnalyseData {
        int PyramidLevels = 0; // 0: automatic
        double MinimumScore = 0.7;
        bool operator==(const AnalyseData& other) const = default;
    };

    struct PictureData {
        int MinContrast = 0; // below 1: automatic
        bool operator==(const PictureData& other) const = default;
    };

    enum Enum_MatchMetric {
        MatchMetric_UsePolarity = 1,
        MatchMetric_IgnoreGlobalPolarity = 2,
        MatchMetric_IgnoreLocalPolarity = 3,
        MatchMetric_IgnoreColorPolarity = 4
    };

    struct ModelData {
        int ContrastLow = 0;    // below 1: automatic
        int ContrastHigh = 0;   // below 1: automatic
        int MinElementSize = 0; // below 1: automatic
        int MatchMetric = MatchMetric_IgnoreColorPolarity;
        ModelMatchingRoiList ROI;
        bool operator==(const ModelData& other) const = default;
    };

    // A cross model has a handful of regions; a file with more is no model of this system.
    static constexpr int MaximumRoiCount = 1000;
    // How far, in percent of the template's longer side, a region read from a file may reach
    // beyond the template.
    static constexpr double TemplateMargin = 10.0;

    ModelMatchingSettings() = default;

    // Both set every field to its default and empty the region list.
    void SetDefaults();
    void Reset();

    // Appends "ModelMatching" with its whole tree as the last child of parent.
    XML_Settings_Element WriteXml(XML_Settings_Element& parent) const;
    // Reads the next "ModelMatching" child of parent (through parent's read cursor). Missing
    // or unreadable values, and numbers that are not finite, keep what the record held; the
    // regions are replaced only when the file holds at least one. The search rectangle and
    // each region are cut to the template and TemplateMargin around it; a side of the search
    // rectangle left without extent keeps what it had. A tree with more than MaximumRoiCount
    // regions, or with a rectangle or ellipse whose width or height is then not a positive
    // number, is refused: the record stays as it was and accepted (when given) becomes false.
    // Returns the element, null when there is none.
    XML_Settings_Element ReadXml(XML_Settings_Element& parent, bool* accepted = nullptr);

    bool operator==(const ModelMatchingSettings& other) const = default;

    SearchPositionData SearchPosition;
    SearchToleranceData SearchTolerance;
    FilterData Filter;
    AnalyseData Analyse;
    PictureData Picture;
    ModelData Model;
};
