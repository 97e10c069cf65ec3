#include "ColonySettings.h"

#include "XML_Settings.h"
#include "XML_Settings_Element.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

namespace {

const QString c_applicationName = QStringLiteral("zelvorin");
const QString c_applicationVersion = QStringLiteral("1.1.0");

const char* const c_colourNames[3] = {"Red", "Green", "Blue"};

QString tr(const char* text)
{
    return QCoreApplication::translate("ColonySettings", text);
}

// Reads the values of one group. A value that is missing keeps what the target holds; a
// value that is present but does not convert (or is not a finite number) marks the document
// as damaged, so that the load is refused instead of silently taking a default.
class GroupReader {
public:
    GroupReader(const XML_Settings_Element& element, const QString& path, QString& damage)
        : m_element(element), m_path(path), m_damage(damage)
    {
    }

    bool isNull() const { return m_element.isNull(); }

    GroupReader group(const QString& tag)
    {
        return GroupReader(m_element.getElement(tag), childPath(tag), m_damage);
    }

    template <typename T>
    bool read(const QString& tag, T& value)
    {
        if (m_element.isNull())
            return false;
        T parsed = value;
        bool ok = m_element.getValue(tag, parsed);
        if constexpr (std::is_floating_point_v<T>)
            ok = ok && std::isfinite(parsed);
        if (ok) {
            value = parsed;
            return true;
        }
        if (!m_element.element().firstChildElement(tag).isNull() && m_damage.isEmpty())
            m_damage = tr("The value \"%1\" is not readable.").arg(childPath(tag));
        return false;
    }

private:
    QString childPath(const QString& tag) const
    {
        return m_path.isEmpty() ? tag : m_path + QLatin1Char('/') + tag;
    }

    XML_Settings_Element m_element;
    QString m_path;
    QString& m_damage;
};

void readReferencePoints(GroupReader group, ColonySettingsData::ReferencePointsData& points)
{
    if (group.isNull())
        return;
    group.read(QStringLiteral("DistanceX"), points.DistanceX);
    group.read(QStringLiteral("DistanceY"), points.DistanceY);
    // A listed group gives every search position; a missing one lies at 0, not the default.
    for (ColonySettingsData::SearchPositionPoint& position : points.SearchPosition) {
        position = ColonySettingsData::SearchPositionPoint();
        GroupReader element = group.group(QStringLiteral("SearchPosition"));
        element.read(QStringLiteral("X"), position.X);
        element.read(QStringLiteral("Y"), position.Y);
    }
    group.read(QStringLiteral("FixedPosition"), points.FixedPosition);
    group.read(QStringLiteral("SearchPositionWidth"), points.SearchPositionWidth);
    group.read(QStringLiteral("SearchPositionHeight"), points.SearchPositionHeight);
    group.read(QStringLiteral("RefPointTopLeftX"), points.RefPointTopLeftX);
    group.read(QStringLiteral("RefPointTopLeftY"), points.RefPointTopLeftY);
    group.read(QStringLiteral("RefPointTopRightX"), points.RefPointTopRightX);
    group.read(QStringLiteral("RefPointTopRightY"), points.RefPointTopRightY);
    group.read(QStringLiteral("RefPointBottomLeftX"), points.RefPointBottomLeftX);
    group.read(QStringLiteral("RefPointBottomLeftY"), points.RefPointBottomLeftY);
    group.read(QStringLiteral("DistanceCameraToRefPointPlane"), points.DistanceCameraToRefPointPlane);
    group.read(QStringLiteral("DistanceRefPointPlaneToAgarPlane"), points.DistanceRefPointPlaneToAgarPlane);
    group.read(QStringLiteral("RefPointRadius"), points.RefPointRadius);
    group.read(QStringLiteral("RefPointPointMinimumScore"), points.RefPointPointMinimumScore);
    group.read(QStringLiteral("RefPointPointMinimumContrast"), points.RefPointPointMinimumContrast);
    group.read(QStringLiteral("RefPointPointScaleRange"), points.RefPointPointScaleRange);
}

void readLabware(GroupReader group, ColonySettingsData::LabwareData& labware)
{
    group.read(QStringLiteral("PositionDirection"), labware.PositionDirection);
    group.read(QStringLiteral("RoundArea"), labware.RoundArea);
    group.read(QStringLiteral("Angle"), labware.Angle);
    group.read(QStringLiteral("PositionX"), labware.PositionX);
    group.read(QStringLiteral("PositionY"), labware.PositionY);
    group.read(QStringLiteral("SizeX"), labware.SizeX);
    group.read(QStringLiteral("SizeY"), labware.SizeY);
    group.read(QStringLiteral("GapX"), labware.GapX);
    group.read(QStringLiteral("GapY"), labware.GapY);
    group.read(QStringLiteral("SectionsX"), labware.SectionsX);
    group.read(QStringLiteral("SectionsY"), labware.SectionsY);
    group.read(QStringLiteral("PickingOrder"), labware.PickingOrder);
}

void readColony(GroupReader group, ColonySettingsData& data)
{
    if (group.isNull())
        return;
    ColonySettingsData::ColonyData& colony = data.Colony;
    group.read(QStringLiteral("PreprocessingMedianEnabled"), colony.PreprocessingMedianEnabled);
    group.read(QStringLiteral("PreprocessingMedianMode"), colony.PreprocessingMedianMode);
    group.read(QStringLiteral("PreprocessingMeanEnabled"), colony.PreprocessingMeanEnabled);
    group.read(QStringLiteral("PreprocessingMeanMode"), colony.PreprocessingMeanMode);
    group.read(QStringLiteral("WhiteOnBlack"), colony.WhiteOnBlack);
    group.read(QStringLiteral("AnalysisMode"), colony.AnalysisMode);
    GroupReader dynamic = group.group(QStringLiteral("AnalysisDynThreshold"));
    dynamic.read(QStringLiteral("Offset"), colony.Offset);
    dynamic.read(QStringLiteral("MaxColonyDiameter"), colony.MaxColonyDiameter);
    GroupReader standard = group.group(QStringLiteral("AnalysisStandard"));
    standard.read(QStringLiteral("GrayMargin"), colony.GrayMargin);
    standard.read(QStringLiteral("GrayCenter"), colony.GrayCenter);
    standard.read(QStringLiteral("GrayPercentOver"), colony.GrayPercentOver);
    standard.read(QStringLiteral("GrayPercentUnder"), colony.GrayPercentUnder);
    group.read(QStringLiteral("FastCalculation"), colony.FastCalculation);
    group.read(QStringLiteral("AreaMin"), colony.AreaMin);
    group.read(QStringLiteral("AreaMax"), colony.AreaMax);
    group.read(QStringLiteral("AreaWeight"), colony.AreaWeight);
    group.read(QStringLiteral("CircularityMin"), colony.CircularityMin);
    group.read(QStringLiteral("CircularityMaxNorm"), colony.CircularityMaxNorm);
    // Older files carry the misspelt key; it wins when both are present.
    if (!group.read(QStringLiteral("CircualrityWeight"), colony.CircularityWeight))
        group.read(QStringLiteral("CircularityWeight"), colony.CircularityWeight);
    group.read(QStringLiteral("NeighborDistanceMin"), colony.NeighborDistanceMin);
    group.read(QStringLiteral("NeighborDistanceMaxNorm"), colony.NeighborDistanceMaxNorm);
    group.read(QStringLiteral("NeighborDistanceWeight"), colony.NeighborDistanceWeight);
    group.read(QStringLiteral("MarginDistanceMin"), colony.MarginDistanceMin);
    group.read(QStringLiteral("MarginDistanceMaxNorm"), colony.MarginDistanceMaxNorm);
    group.read(QStringLiteral("MarginDistanceWeight"), colony.MarginDistanceWeight);
    group.read(QStringLiteral("ThresholdColorRedWeight"), colony.ThresholdColorRedWeight);
    group.read(QStringLiteral("ThresholdColorGreenWeight"), colony.ThresholdColorGreenWeight);
    group.read(QStringLiteral("ThresholdColorBlueWeight"), colony.ThresholdColorBlueWeight);

    struct Channel {
        bool& inverse;
        double& max;
        double& minNorm;
        double& maxNorm;
        double& min;
    };
    Channel channels[3] = {
        {colony.ThresholdColorRedInverse, colony.ThresholdColorRedMax, colony.ThresholdColorRedMinNorm,
         colony.ThresholdColorRedMaxNorm, colony.ThresholdColorRedMin},
        {colony.ThresholdColorGreenInverse, colony.ThresholdColorGreenMax, colony.ThresholdColorGreenMinNorm,
         colony.ThresholdColorGreenMaxNorm, colony.ThresholdColorGreenMin},
        {colony.ThresholdColorBlueInverse, colony.ThresholdColorBlueMax, colony.ThresholdColorBlueMinNorm,
         colony.ThresholdColorBlueMaxNorm, colony.ThresholdColorBlueMin}};
    for (int c = 0; c < 3; ++c) {
        const QString prefix = QStringLiteral("ThresholdColor") + QLatin1String(c_colourNames[c]);
        group.read(prefix + QStringLiteral("Inverse"), channels[c].inverse);
        group.read(prefix + QStringLiteral("Max"), channels[c].max);
        group.read(prefix + QStringLiteral("MinNorm"), channels[c].minNorm);
        group.read(prefix + QStringLiteral("MaxNorm"), channels[c].maxNorm);
        group.read(prefix + QStringLiteral("Min"), channels[c].min);
    }

    // The older switch of the RGB thresholds; a "ColorModel" read later overrides it.
    bool thresholdColorEnabled = false;
    if (group.read(QStringLiteral("ThresholdColorEnabled"), thresholdColorEnabled) && thresholdColorEnabled)
        data.ColorModel = ColonySettingsData::ColorModelRgb;
}

void readColonyColor(GroupReader group, ColonySettingsData& data)
{
    if (group.isNull())
        return;
    group.read(QStringLiteral("ColorModel"), data.ColorModel);
    GroupReader hsv = group.group(QStringLiteral("ColorHsv"));
    if (hsv.isNull())
        return;
    ColonySettingsData::ColonyColorData& color = data.ColonyColor;
    GroupReader filter = hsv.group(QStringLiteral("Filter"));
    filter.read(QStringLiteral("MedianUsed"), color.MedianUsed);
    filter.read(QStringLiteral("MedianMode"), color.MedianMode);
    filter.read(QStringLiteral("MeanUsed"), color.MeanUsed);
    filter.read(QStringLiteral("MeanMode"), color.MeanMode);
    GroupReader range = hsv.group(QStringLiteral("Color"));
    range.read(QStringLiteral("MeasureAlgorithm"), color.MeasureAlgorithm);
    range.read(QStringLiteral("StartHue"), color.StartHue);
    range.read(QStringLiteral("StartHuePercent"), color.StartHuePercent);
    range.read(QStringLiteral("StartSaturation"), color.StartSaturation);
    range.read(QStringLiteral("StartSaturationPercent"), color.StartSaturationPercent);
    range.read(QStringLiteral("StartIntensity"), color.StartIntensity);
    range.read(QStringLiteral("StartIntensityPercent"), color.StartIntensityPercent);
    range.read(QStringLiteral("EndHue"), color.EndHue);
    range.read(QStringLiteral("EndHuePercent"), color.EndHuePercent);
    range.read(QStringLiteral("EndSaturation"), color.EndSaturation);
    range.read(QStringLiteral("EndSaturationPercent"), color.EndSaturationPercent);
    range.read(QStringLiteral("EndIntensity"), color.EndIntensity);
    range.read(QStringLiteral("EndIntensityPercent"), color.EndIntensityPercent);
    range.read(QStringLiteral("HueUsed"), color.HueUsed);
    range.read(QStringLiteral("SaturationUsed"), color.SaturationUsed);
    range.read(QStringLiteral("IntensityUsed"), color.IntensityUsed);
    range.read(QStringLiteral("RangeGoods"), color.RangeGoods);
    range.read(QStringLiteral("CombinedAreaPercent"), color.CombinedAreaPercent);
}

} // namespace

ColonySettings::ColonySettings(QObject* parent)
    : Settings_Change_Helper(false, 500, parent)
    , m_XML_Settings(new XML_Settings(c_applicationName, c_applicationVersion, rootTag(),
                                      configVersionText(), fileExtension(), &name, this))
{
    setDefaults();
}

ColonySettings::~ColonySettings()
{
    delete m_XML_Settings;
}

void ColonySettings::setDefaults()
{
    data() = standardDefaults();
    setChanged(0);
}

void ColonySettings::setDefaultsLightTable()
{
    data() = lightTableDefaults();
    setChanged(0);
}

bool ColonySettings::validate(const ColonySettingsData& data, QString& message)
{
    message.clear();
    const auto fail = [&message](const char* text) {
        message = tr(text);
        return false;
    };
    const ColonySettingsData::ColonyData& colony = data.Colony;
    const bool rgb = data.ColorModel == ColorModelRgb;

    // Negated comparisons, so that a value that is not a number fails as well.
    if (!(colony.AreaMin < colony.AreaMax))
        return fail("Area \"Maximum\" must be larger than \"Minimum\"!");
    if (!(colony.CircularityMin < colony.CircularityMaxNorm))
        return fail("Circularity \"Normalized Maximum\" must be larger than \"Minimum\"!");
    if (!(colony.NeighborDistanceMin < colony.NeighborDistanceMaxNorm))
        return fail("Next Neighbor \"Normalized Maximum\" must be larger than \"Minimum\"!");
    if (!(colony.MarginDistanceMin < colony.MarginDistanceMaxNorm))
        return fail("Distance to margin \"Normalized Maximum\" must be larger than \"Minimum\"!");

    // The weights are the divisor of the total score: a sum of zero or below is useless.
    double weights = colony.AreaWeight + colony.CircularityWeight + colony.NeighborDistanceWeight
        + colony.MarginDistanceWeight;
    if (rgb)
        weights += colony.ThresholdColorRedWeight + colony.ThresholdColorGreenWeight + colony.ThresholdColorBlueWeight;
    if (!(weights > 0.0))
        return fail("At least one weight must be larger than zero!");

    if (rgb) {
        struct Channel {
            bool inverse;
            double max, minNorm, maxNorm, min;
            const char* inverseMessage;
            const char* normalMessage;
        };
        const Channel channels[3] = {
            {colony.ThresholdColorRedInverse, colony.ThresholdColorRedMax, colony.ThresholdColorRedMinNorm,
             colony.ThresholdColorRedMaxNorm, colony.ThresholdColorRedMin,
             QT_TRANSLATE_NOOP("ColonySettings", "Color red \"Maximum\" must be larger than \"Minimum Normalized\"!"),
             QT_TRANSLATE_NOOP("ColonySettings", "Color red \"Maximum Normalized\" must be larger than \"Minimum\"!")},
            {colony.ThresholdColorGreenInverse, colony.ThresholdColorGreenMax, colony.ThresholdColorGreenMinNorm,
             colony.ThresholdColorGreenMaxNorm, colony.ThresholdColorGreenMin,
             QT_TRANSLATE_NOOP("ColonySettings", "Color green \"Maximum\" must be larger than \"Minimum Normalized\"!"),
             QT_TRANSLATE_NOOP("ColonySettings", "Color green \"Maximum Normalized\" must be larger than \"Minimum\"!")},
            {colony.ThresholdColorBlueInverse, colony.ThresholdColorBlueMax, colony.ThresholdColorBlueMinNorm,
             colony.ThresholdColorBlueMaxNorm, colony.ThresholdColorBlueMin,
             QT_TRANSLATE_NOOP("ColonySettings", "Color blue \"Maximum\" must be larger than \"Minimum Normalized\"!"),
             QT_TRANSLATE_NOOP("ColonySettings", "Color blue \"Maximum Normalized\" must be larger than \"Minimum\"!")}};
        for (const Channel& channel : channels) {
            if (channel.inverse ? !(channel.minNorm < channel.max) : !(channel.min < channel.maxNorm))
                return fail(channel.inverse ? channel.inverseMessage : channel.normalMessage);
        }
    }

    // The grid geometry divides by the section counts and labels rows with one letter each;
    // the plate coordinate system divides by the reference distances.
    const ColonySettingsData::LabwareData& labware = data.Labware;
    if (labware.SectionsX < 1)
        return fail("Labware \"Sections X\" must be at least 1!");
    if (labware.SectionsY < 1)
        return fail("Labware \"Sections Y\" must be at least 1!");
    if (labware.SectionsY > MaximumRows) {
        message = tr("Labware \"Sections Y\" must not be larger than %1!").arg(MaximumRows);
        return false;
    }
    if (!(data.ReferencePoints.DistanceX > 0.0))
        return fail("Reference points \"Distance X\" must be larger than zero!");
    if (!(data.ReferencePoints.DistanceY > 0.0))
        return fail("Reference points \"Distance Y\" must be larger than zero!");
    return true;
}

int ColonySettings::packDirection(bool vertical, bool right, bool bottom, bool fourth)
{
    if (fourth)
        return 8;
    return (vertical ? 1 : 0) | (right ? 2 : 0) | (bottom ? 4 : 0);
}

void ColonySettings::unpackDirection(int code, bool& vertical, bool& right, bool& bottom, bool& fourth)
{
    vertical = (code & 1) != 0;
    right = (code & 2) != 0;
    bottom = (code & 4) != 0;
    fourth = (code & 8) != 0;
}

double ColonySettings::truncateToStep(double value, double factor)
{
    if (factor == 0.0 || !std::isfinite(factor))
        return value;
    return std::trunc(value * factor) / factor;
}

void ColonySettings::computePickOrder(int rows, int columns, bool reverse, int pickingOrder,
                                      QList<int>* order, QList<int>* rank)
{
    if (!order && !rank)
        return;
    // Counts from a damaged record must not overflow the index type.
    const qint64 count64 = (rows > 0 && columns > 0) ? qint64(rows) * qint64(columns) : 0;
    const int count = count64 <= std::numeric_limits<int>::max() ? int(count64) : 0;
    if (order)
        order->clear();
    if (rank)
        rank->fill(0, count);
    if (count == 0 || pickingOrder < 0 || pickingOrder > 7)
        return;

    const bool vertical = (pickingOrder & 1) != 0;
    const bool right = (pickingOrder & 2) != 0;
    const bool bottom = (pickingOrder & 4) != 0;
    const int first = (bottom ? count - columns : 0) + (right ? columns - 1 : 0);
    const int stepColumn = right ? -1 : 1;
    const int stepRow = bottom ? -columns : columns;
    const int lines = vertical ? columns : rows;
    const int perLine = vertical ? rows : columns;
    const int stepAlong = vertical ? stepRow : stepColumn;
    const int stepAcross = vertical ? stepColumn : stepRow;

    if (order)
        order->reserve(count);
    int k = 1;
    for (int line = 0; line < lines; ++line) {
        int index = first + line * stepAcross;
        for (int i = 0; i < perLine; ++i, index += stepAlong, ++k) {
            if (order)
                order->append(index);
            if (rank)
                (*rank)[index] = k;
        }
    }
    if (reverse) {
        if (order)
            std::reverse(order->begin(), order->end());
        if (rank)
            std::reverse(rank->begin(), rank->end());
    }
}

void ColonySettings::writeGroups(const ColonySettingsData& data, XML_Settings_Element& root)
{
    const ColonySettingsData::ReferencePointsData& points = data.ReferencePoints;
    XML_Settings_Element group = root.addElement(QStringLiteral("ReferencePoints"));
    group.addValue(QStringLiteral("DistanceX"), points.DistanceX);
    group.addValue(QStringLiteral("DistanceY"), points.DistanceY);
    group.addValue(QStringLiteral("FixedPosition"), points.FixedPosition);
    for (const ColonySettingsData::SearchPositionPoint& position : points.SearchPosition) {
        XML_Settings_Element element = group.addElement(QStringLiteral("SearchPosition"));
        element.addValue(QStringLiteral("X"), position.X);
        element.addValue(QStringLiteral("Y"), position.Y);
    }
    group.addValue(QStringLiteral("SearchPositionWidth"), points.SearchPositionWidth);
    group.addValue(QStringLiteral("SearchPositionHeight"), points.SearchPositionHeight);
    group.addValue(QStringLiteral("RefPointTopLeftX"), points.RefPointTopLeftX);
    group.addValue(QStringLiteral("RefPointTopLeftY"), points.RefPointTopLeftY);
    group.addValue(QStringLiteral("RefPointTopRightX"), points.RefPointTopRightX);
    group.addValue(QStringLiteral("RefPointTopRightY"), points.RefPointTopRightY);
    group.addValue(QStringLiteral("RefPointBottomLeftX"), points.RefPointBottomLeftX);
    group.addValue(QStringLiteral("RefPointBottomLeftY"), points.RefPointBottomLeftY);
    group.addValue(QStringLiteral("DistanceCameraToRefPointPlane"), points.DistanceCameraToRefPointPlane);
    group.addValue(QStringLiteral("DistanceRefPointPlaneToAgarPlane"), points.DistanceRefPointPlaneToAgarPlane);
    group.addValue(QStringLiteral("RefPointRadius"), points.RefPointRadius);
    group.addValue(QStringLiteral("RefPointPointMinimumScore"), points.RefPointPointMinimumScore);
    group.addValue(QStringLiteral("RefPointPointMinimumContrast"), points.RefPointPointMinimumContrast);
    group.addValue(QStringLiteral("RefPointPointScaleRange"), points.RefPointPointScaleRange);

    const ColonySettingsData::LabwareData& labware = data.Labware;
    group = root.addElement(QStringLiteral("Labware"));
    group.addValue(QStringLiteral("PositionDirection"), labware.PositionDirection);
    group.addValue(QStringLiteral("RoundArea"), labware.RoundArea);
    group.addValue(QStringLiteral("Angle"), labware.Angle);
    group.addValue(QStringLiteral("PositionX"), labware.PositionX);
    group.addValue(QStringLiteral("PositionY"), labware.PositionY);
    group.addValue(QStringLiteral("SizeX"), labware.SizeX);
    group.addValue(QStringLiteral("SizeY"), labware.SizeY);
    group.addValue(QStringLiteral("GapX"), labware.GapX);
    group.addValue(QStringLiteral("GapY"), labware.GapY);
    group.addValue(QStringLiteral("SectionsX"), labware.SectionsX);
    group.addValue(QStringLiteral("SectionsY"), labware.SectionsY);
    group.addValue(QStringLiteral("PickingOrder"), labware.PickingOrder);

    const ColonySettingsData::ColonyData& colony = data.Colony;
    group = root.addElement(QStringLiteral("Colony"));
    group.addValue(QStringLiteral("PreprocessingMedianEnabled"), colony.PreprocessingMedianEnabled);
    group.addValue(QStringLiteral("PreprocessingMedianMode"), colony.PreprocessingMedianMode);
    group.addValue(QStringLiteral("PreprocessingMeanEnabled"), colony.PreprocessingMeanEnabled);
    group.addValue(QStringLiteral("PreprocessingMeanMode"), colony.PreprocessingMeanMode);
    group.addValue(QStringLiteral("WhiteOnBlack"), colony.WhiteOnBlack);
    group.addValue(QStringLiteral("AnalysisMode"), colony.AnalysisMode);
    XML_Settings_Element sub = group.addElement(QStringLiteral("AnalysisDynThreshold"));
    sub.addValue(QStringLiteral("Offset"), colony.Offset);
    sub.addValue(QStringLiteral("MaxColonyDiameter"), colony.MaxColonyDiameter);
    sub = group.addElement(QStringLiteral("AnalysisStandard"));
    sub.addValue(QStringLiteral("GrayMargin"), colony.GrayMargin);
    sub.addValue(QStringLiteral("GrayCenter"), colony.GrayCenter);
    sub.addValue(QStringLiteral("GrayPercentOver"), colony.GrayPercentOver);
    sub.addValue(QStringLiteral("GrayPercentUnder"), colony.GrayPercentUnder);
    group.addValue(QStringLiteral("FastCalculation"), colony.FastCalculation);
    group.addValue(QStringLiteral("AreaMin"), colony.AreaMin);
    group.addValue(QStringLiteral("AreaMax"), colony.AreaMax);
    group.addValue(QStringLiteral("AreaWeight"), colony.AreaWeight);
    group.addValue(QStringLiteral("CircularityMin"), colony.CircularityMin);
    group.addValue(QStringLiteral("CircularityMaxNorm"), colony.CircularityMaxNorm);
    group.addValue(QStringLiteral("CircularityWeight"), colony.CircularityWeight);
    group.addValue(QStringLiteral("NeighborDistanceMin"), colony.NeighborDistanceMin);
    group.addValue(QStringLiteral("NeighborDistanceMaxNorm"), colony.NeighborDistanceMaxNorm);
    group.addValue(QStringLiteral("NeighborDistanceWeight"), colony.NeighborDistanceWeight);
    group.addValue(QStringLiteral("MarginDistanceMin"), colony.MarginDistanceMin);
    group.addValue(QStringLiteral("MarginDistanceMaxNorm"), colony.MarginDistanceMaxNorm);
    group.addValue(QStringLiteral("MarginDistanceWeight"), colony.MarginDistanceWeight);
    group.addValue(QStringLiteral("ThresholdColorRedWeight"), colony.ThresholdColorRedWeight);
    group.addValue(QStringLiteral("ThresholdColorGreenWeight"), colony.ThresholdColorGreenWeight);
    group.addValue(QStringLiteral("ThresholdColorBlueWeight"), colony.ThresholdColorBlueWeight);
    const struct {
        bool inverse;
        double max, minNorm, maxNorm, min;
    } channels[3] = {
        {colony.ThresholdColorRedInverse, colony.ThresholdColorRedMax, colony.ThresholdColorRedMinNorm,
         colony.ThresholdColorRedMaxNorm, colony.ThresholdColorRedMin},
        {colony.ThresholdColorGreenInverse, colony.ThresholdColorGreenMax, colony.ThresholdColorGreenMinNorm,
         colony.ThresholdColorGreenMaxNorm, colony.ThresholdColorGreenMin},
        {colony.ThresholdColorBlueInverse, colony.ThresholdColorBlueMax, colony.ThresholdColorBlueMinNorm,
         colony.ThresholdColorBlueMaxNorm, colony.ThresholdColorBlueMin}};
    for (int c = 0; c < 3; ++c) {
        const QString prefix = QStringLiteral("ThresholdColor") + QLatin1String(c_colourNames[c]);
        group.addValue(prefix + QStringLiteral("Inverse"), channels[c].inverse);
        group.addValue(prefix + QStringLiteral("Max"), channels[c].max);
        group.addValue(prefix + QStringLiteral("MinNorm"), channels[c].minNorm);
        group.addValue(prefix + QStringLiteral("MaxNorm"), channels[c].maxNorm);
        group.addValue(prefix + QStringLiteral("Min"), channels[c].min);
    }

    const ColonySettingsData::ColonyColorData& color = data.ColonyColor;
    group = root.addElement(QStringLiteral("ColonyColor"));
    group.addValue(QStringLiteral("ColorModel"), data.ColorModel);
    XML_Settings_Element hsv = group.addElement(QStringLiteral("ColorHsv"));
    sub = hsv.addElement(QStringLiteral("Filter"));
    sub.addValue(QStringLiteral("MedianUsed"), color.MedianUsed);
    sub.addValue(QStringLiteral("MedianMode"), color.MedianMode);
    sub.addValue(QStringLiteral("MeanUsed"), color.MeanUsed);
    sub.addValue(QStringLiteral("MeanMode"), color.MeanMode);
    sub = hsv.addElement(QStringLiteral("Color"));
    sub.addValue(QStringLiteral("MeasureAlgorithm"), color.MeasureAlgorithm);
    sub.addValue(QStringLiteral("StartHue"), color.StartHue);
    sub.addValue(QStringLiteral("StartHuePercent"), color.StartHuePercent);
    sub.addValue(QStringLiteral("StartSaturation"), color.StartSaturation);
    sub.addValue(QStringLiteral("StartSaturationPercent"), color.StartSaturationPercent);
    sub.addValue(QStringLiteral("StartIntensity"), color.StartIntensity);
    sub.addValue(QStringLiteral("StartIntensityPercent"), color.StartIntensityPercent);
    sub.addValue(QStringLiteral("EndHue"), color.EndHue);
    sub.addValue(QStringLiteral("EndHuePercent"), color.EndHuePercent);
    sub.addValue(QStringLiteral("EndSaturation"), color.EndSaturation);
    sub.addValue(QStringLiteral("EndSaturationPercent"), color.EndSaturationPercent);
    sub.addValue(QStringLiteral("EndIntensity"), color.EndIntensity);
    sub.addValue(QStringLiteral("EndIntensityPercent"), color.EndIntensityPercent);
    sub.addValue(QStringLiteral("HueUsed"), color.HueUsed);
    sub.addValue(QStringLiteral("SaturationUsed"), color.SaturationUsed);
    sub.addValue(QStringLiteral("IntensityUsed"), color.IntensityUsed);
    sub.addValue(QStringLiteral("RangeGoods"), color.RangeGoods);
    sub.addValue(QStringLiteral("CombinedAreaPercent"), color.CombinedAreaPercent);
}

bool ColonySettings::writeXml()
{
    XML_Settings_Element root = m_XML_Settings->createDocument();
    writeGroups(data(), root);
    return true;
}

QString ColonySettings::toXmlString()
{
    writeXml();
    return m_XML_Settings->toString();
}

bool ColonySettings::saveToFile(const QString& fileName)
{
    writeXml();
    return m_XML_Settings->save(fileName);
}

bool ColonySettings::readDocument(const QString& text, ColonySettingsData& data, double& version,
                                  QString& reason)
{
    data = standardDefaults();
    // A document of its own, so that the live record's document and name stay untouched.
    XML_Settings parser(c_applicationName, c_applicationVersion, rootTag(), configVersionText(),
                        fileExtension(), &data.name);
    QString versionText;
    XML_Settings_Element root = parser.parse(text, versionText);
    if (root.isNull()) {
        reason = tr("The text is not a colony settings document.");
        return false;
    }

    bool isNumber = false;
    version = versionText.toDouble(&isNumber);
    if (!isNumber)
        version = 0.0;
    if (version > ConfigVersion) {
        reason = tr("The configuration version %1 is newer than %2.").arg(versionText, configVersionText());
        return false;
    }

    QString damage;
    GroupReader rootReader(root, QString(), damage);
    readReferencePoints(rootReader.group(QStringLiteral("ReferencePoints")), data.ReferencePoints);
    GroupReader labware = rootReader.group(QStringLiteral("Labware"));
    readLabware(labware, data.Labware);
    readColony(rootReader.group(QStringLiteral("Colony")), data);
    readColonyColor(rootReader.group(QStringLiteral("ColonyColor")), data);

    if (labware.isNull()) {
        reason = tr("The group \"Labware\" is missing.");
        return false;
    }
    if (!damage.isEmpty()) {
        reason = damage;
        return false;
    }
    return validate(data, reason);
}

bool ColonySettings::fromXmlString(const QString& text, QString* reason)
{
    ColonySettingsData parsed;
    double version = 0.0;
    QString why;
    const bool accepted = readDocument(text, parsed, version, why);
    if (reason)
        *reason = why;
    if (!accepted)
        return false;
    data() = parsed;
    m_fileVersion = version;
    setChanged(0);
    return true;
}

bool ColonySettings::loadFromFile(const QString& fileName, QString* reason)
{
    // readFile would take the name from the path at once; the name read from the document
    // replaces it anyway, and only when the whole load succeeds.
    QString fileNameFromPath;
    XML_Settings reader(c_applicationName, c_applicationVersion, rootTag(), configVersionText(),
                        fileExtension(), &fileNameFromPath);
    QString text;
    if (!reader.readFile(text, fileName)) {
        if (reason)
            *reason = tr("The file \"%1\" cannot be read.").arg(reader.filePath(fileName));
        return false;
    }
    return fromXmlString(text, reason);
}

void ColonySettings::emitCustom(Enum_CustomSignal number, const QVariant& data)
{
    emit signal_custom(number, data);
}
