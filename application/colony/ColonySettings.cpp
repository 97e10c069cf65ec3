#include "ColonySettings.h"

#include "XML_Settings.h"
#include "XML_Settings_Element.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>
#include <variant>

namespace {

const QString c_applicationName = QStringLiteral("zelvorin");
const QString c_applicationVersion = QStringLiteral("1.1.0");

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

// One value of a group: its tag and the member that holds it. A tag of older files, read
// first and winning when present, may stand beside it.
template <typename Record>
struct Field {
    const char* tag;
    std::variant<bool Record::*, int Record::*, double Record::*> member;
    const char* olderTag = nullptr;
};

template <typename Record, size_t N>
void readFields(GroupReader& group, const Field<Record> (&fields)[N], Record& record)
{
    for (const Field<Record>& field : fields) {
        std::visit(
            [&](auto member) {
                if (!field.olderTag || !group.read(QLatin1String(field.olderTag), record.*member))
                    group.read(QLatin1String(field.tag), record.*member);
            },
            field.member);
    }
}

template <typename Record, size_t N>
void writeFields(XML_Settings_Element& group, const Field<Record> (&fields)[N], const Record& record)
{
    for (const Field<Record>& field : fields)
        std::visit([&](auto member) { group.addValue(QLatin1String(field.tag), record.*member); }, field.member);
}

// The groups' values in the order of the file; the search positions and FixedPosition,
// whose places differ between reading and writing, stand apart.
using Points = ColonySettingsData::ReferencePointsData;
const Field<Points> kPointsDistances[] = {
    {"DistanceX", &Points::DistanceX},
    {"DistanceY", &Points::DistanceY},
};
const Field<Points> kPointsSearch[] = {
    {"SearchPositionWidth", &Points::SearchPositionWidth},
    {"SearchPositionHeight", &Points::SearchPositionHeight},
    {"RefPointTopLeftX", &Points::RefPointTopLeftX},
    {"RefPointTopLeftY", &Points::RefPointTopLeftY},
    {"RefPointTopRightX", &Points::RefPointTopRightX},
    {"RefPointTopRightY", &Points::RefPointTopRightY},
    {"RefPointBottomLeftX", &Points::RefPointBottomLeftX},
    {"RefPointBottomLeftY", &Points::RefPointBottomLeftY},
    {"DistanceCameraToRefPointPlane", &Points::DistanceCameraToRefPointPlane},
    {"DistanceRefPointPlaneToAgarPlane", &Points::DistanceRefPointPlaneToAgarPlane},
    {"RefPointRadius", &Points::RefPointRadius},
    {"RefPointPointMinimumScore", &Points::RefPointPointMinimumScore},
    {"RefPointPointMinimumContrast", &Points::RefPointPointMinimumContrast},
    {"RefPointPointScaleRange", &Points::RefPointPointScaleRange},
};

using Labware = ColonySettingsData::LabwareData;
const Field<Labware> kLabware[] = {
    {"PositionDirection", &Labware::PositionDirection},
    {"RoundArea", &Labware::RoundArea},
    {"Angle", &Labware::Angle},
    {"PositionX", &Labware::PositionX},
    {"PositionY", &Labware::PositionY},
    {"SizeX", &Labware::SizeX},
    {"SizeY", &Labware::SizeY},
    {"GapX", &Labware::GapX},
    {"GapY", &Labware::GapY},
    {"SectionsX", &Labware::SectionsX},
    {"SectionsY", &Labware::SectionsY},
    {"PickingOrder", &Labware::PickingOrder},
};

using Colony = ColonySettingsData::ColonyData;
const Field<Colony> kColonyPreprocessing[] = {
    {"PreprocessingMedianEnabled", &Colony::PreprocessingMedianEnabled},
    {"PreprocessingMedianMode", &Colony::PreprocessingMedianMode},
    {"PreprocessingMeanEnabled", &Colony::PreprocessingMeanEnabled},
    {"PreprocessingMeanMode", &Colony::PreprocessingMeanMode},
    {"WhiteOnBlack", &Colony::WhiteOnBlack},
    {"AnalysisMode", &Colony::AnalysisMode},
};
const Field<Colony> kColonyDynThreshold[] = {
    {"Offset", &Colony::Offset},
    {"MaxColonyDiameter", &Colony::MaxColonyDiameter},
};
const Field<Colony> kColonyStandard[] = {
    {"GrayMargin", &Colony::GrayMargin},
    {"GrayCenter", &Colony::GrayCenter},
    {"GrayPercentOver", &Colony::GrayPercentOver},
    {"GrayPercentUnder", &Colony::GrayPercentUnder},
};
const Field<Colony> kColonyLimits[] = {
    {"FastCalculation", &Colony::FastCalculation},
    {"AreaMin", &Colony::AreaMin},
    {"AreaMax", &Colony::AreaMax},
    {"AreaWeight", &Colony::AreaWeight},
    {"CircularityMin", &Colony::CircularityMin},
    {"CircularityMaxNorm", &Colony::CircularityMaxNorm},
    // Older files carry the misspelt key.
    {"CircularityWeight", &Colony::CircularityWeight, "CircualrityWeight"},
    {"NeighborDistanceMin", &Colony::NeighborDistanceMin},
    {"NeighborDistanceMaxNorm", &Colony::NeighborDistanceMaxNorm},
    {"NeighborDistanceWeight", &Colony::NeighborDistanceWeight},
    {"MarginDistanceMin", &Colony::MarginDistanceMin},
    {"MarginDistanceMaxNorm", &Colony::MarginDistanceMaxNorm},
    {"MarginDistanceWeight", &Colony::MarginDistanceWeight},
    {"ThresholdColorRedWeight", &Colony::ThresholdColorRedWeight},
    {"ThresholdColorGreenWeight", &Colony::ThresholdColorGreenWeight},
    {"ThresholdColorBlueWeight", &Colony::ThresholdColorBlueWeight},
    {"ThresholdColorRedInverse", &Colony::ThresholdColorRedInverse},
    {"ThresholdColorRedMax", &Colony::ThresholdColorRedMax},
    {"ThresholdColorRedMinNorm", &Colony::ThresholdColorRedMinNorm},
    {"ThresholdColorRedMaxNorm", &Colony::ThresholdColorRedMaxNorm},
    {"ThresholdColorRedMin", &Colony::ThresholdColorRedMin},
    {"ThresholdColorGreenInverse", &Colony::ThresholdColorGreenInverse},
    {"ThresholdColorGreenMax", &Colony::ThresholdColorGreenMax},
    {"ThresholdColorGreenMinNorm", &Colony::ThresholdColorGreenMinNorm},
    {"ThresholdColorGreenMaxNorm", &Colony::ThresholdColorGreenMaxNorm},
    {"ThresholdColorGreenMin", &Colony::ThresholdColorGreenMin},
    {"ThresholdColorBlueInverse", &Colony::ThresholdColorBlueInverse},
    {"ThresholdColorBlueMax", &Colony::ThresholdColorBlueMax},
    {"ThresholdColorBlueMinNorm", &Colony::ThresholdColorBlueMinNorm},
    {"ThresholdColorBlueMaxNorm", &Colony::ThresholdColorBlueMaxNorm},
    {"ThresholdColorBlueMin", &Colony::ThresholdColorBlueMin},
};

using Color = ColonySettingsData::ColonyColorData;
const Field<Color> kColorFilter[] = {
    {"MedianUsed", &Color::MedianUsed},
    {"MedianMode", &Color::MedianMode},
    {"MeanUsed", &Color::MeanUsed},
    {"MeanMode", &Color::MeanMode},
};
const Field<Color> kColorRange[] = {
    {"MeasureAlgorithm", &Color::MeasureAlgorithm},
    {"StartHue", &Color::StartHue},
    {"StartHuePercent", &Color::StartHuePercent},
    {"StartSaturation", &Color::StartSaturation},
    {"StartSaturationPercent", &Color::StartSaturationPercent},
    {"StartIntensity", &Color::StartIntensity},
    {"StartIntensityPercent", &Color::StartIntensityPercent},
    {"EndHue", &Color::EndHue},
    {"EndHuePercent", &Color::EndHuePercent},
    {"EndSaturation", &Color::EndSaturation},
    {"EndSaturationPercent", &Color::EndSaturationPercent},
    {"EndIntensity", &Color::EndIntensity},
    {"EndIntensityPercent", &Color::EndIntensityPercent},
    {"HueUsed", &Color::HueUsed},
    {"SaturationUsed", &Color::SaturationUsed},
    {"IntensityUsed", &Color::IntensityUsed},
    {"RangeGoods", &Color::RangeGoods},
    {"CombinedAreaPercent", &Color::CombinedAreaPercent},
};

void readReferencePoints(GroupReader group, Points& points)
{
    if (group.isNull())
        return;
    readFields(group, kPointsDistances, points);
    // A listed group gives every search position; a missing one lies at 0, not the default.
    for (ColonySettingsData::SearchPositionPoint& position : points.SearchPosition) {
        position = ColonySettingsData::SearchPositionPoint();
        GroupReader element = group.group(QStringLiteral("SearchPosition"));
        element.read(QStringLiteral("X"), position.X);
        element.read(QStringLiteral("Y"), position.Y);
    }
    group.read(QStringLiteral("FixedPosition"), points.FixedPosition);
    readFields(group, kPointsSearch, points);
}

void readColony(GroupReader group, ColonySettingsData& data)
{
    if (group.isNull())
        return;
    readFields(group, kColonyPreprocessing, data.Colony);
    GroupReader dynamic = group.group(QStringLiteral("AnalysisDynThreshold"));
    readFields(dynamic, kColonyDynThreshold, data.Colony);
    GroupReader standard = group.group(QStringLiteral("AnalysisStandard"));
    readFields(standard, kColonyStandard, data.Colony);
    readFields(group, kColonyLimits, data.Colony);

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
    GroupReader filter = hsv.group(QStringLiteral("Filter"));
    readFields(filter, kColorFilter, data.ColonyColor);
    GroupReader range = hsv.group(QStringLiteral("Color"));
    readFields(range, kColorRange, data.ColonyColor);
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
    const Points& points = data.ReferencePoints;
    XML_Settings_Element group = root.addElement(QStringLiteral("ReferencePoints"));
    writeFields(group, kPointsDistances, points);
    group.addValue(QStringLiteral("FixedPosition"), points.FixedPosition);
    for (const ColonySettingsData::SearchPositionPoint& position : points.SearchPosition) {
        XML_Settings_Element element = group.addElement(QStringLiteral("SearchPosition"));
        element.addValue(QStringLiteral("X"), position.X);
        element.addValue(QStringLiteral("Y"), position.Y);
    }
    writeFields(group, kPointsSearch, points);

    group = root.addElement(QStringLiteral("Labware"));
    writeFields(group, kLabware, data.Labware);

    group = root.addElement(QStringLiteral("Colony"));
    writeFields(group, kColonyPreprocessing, data.Colony);
    XML_Settings_Element sub = group.addElement(QStringLiteral("AnalysisDynThreshold"));
    writeFields(sub, kColonyDynThreshold, data.Colony);
    sub = group.addElement(QStringLiteral("AnalysisStandard"));
    writeFields(sub, kColonyStandard, data.Colony);
    writeFields(group, kColonyLimits, data.Colony);

    group = root.addElement(QStringLiteral("ColonyColor"));
    group.addValue(QStringLiteral("ColorModel"), data.ColorModel);
    XML_Settings_Element hsv = group.addElement(QStringLiteral("ColorHsv"));
    sub = hsv.addElement(QStringLiteral("Filter"));
    writeFields(sub, kColorFilter, data.ColonyColor);
    sub = hsv.addElement(QStringLiteral("Color"));
    writeFields(sub, kColorRange, data.ColonyColor);
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
    readFields(labware, kLabware, data.Labware);
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
