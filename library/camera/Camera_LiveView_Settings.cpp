#include "Camera_LiveView_Settings.h"

#include "Camera_LiveView_Aids.h"
#include "LibraryFunctions.h"
#include "QuendralLibrary.h"
#include "ReplacingFile.h"
#include "XML_Settings.h"
#include "XML_Settings_Element.h"

#include <QDomElement>

#include <cmath>
#include <initializer_list>

namespace {

using Data = Camera_LiveView_Settings_Data;

void writeLabware(XML_Settings_Element& group, const Data::LabwareGroup& labware)
{
    XML_Settings_Element element = group.addElement(QStringLiteral("Labware"));
    element.addValue(QStringLiteral("Angle"), labware.Angle);
    element.addValue(QStringLiteral("PositionX"), labware.PositionX);
    element.addValue(QStringLiteral("PositionY"), labware.PositionY);
    element.addValue(QStringLiteral("SizeX"), labware.SizeX);
    element.addValue(QStringLiteral("SizeY"), labware.SizeY);
}

// Stored values are taken as they read: what is no finite number counts as 0.
double numberOf(const QDomElement& element)
{
    bool ok = false;
    const double value = element.text().toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

int integerOf(const QDomElement& element)
{
    bool ok = false;
    const int value = element.text().trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

// A field of the record that a leaf element of that tag sets.
struct Leaf {
    const char* tag;
    double* number = nullptr;
    qint32* integer = nullptr;
};

// Each child element of group whose tag names a field sets it; a later one wins.
void readLeaves(const QDomElement& group, std::initializer_list<Leaf> leaves)
{
    for (QDomElement element = group.firstChildElement(); !element.isNull(); element = element.nextSiblingElement()) {
        for (const Leaf& leaf : leaves) {
            if (element.tagName() != QLatin1String(leaf.tag))
                continue;
            if (leaf.number)
                *leaf.number = numberOf(element);
            else
                *leaf.integer = integerOf(element);
        }
    }
}

// One aid group: its Labware and its value group.
void readAid(const QDomElement& aid, Data::LabwareGroup& labware, const char* valueTag,
             std::initializer_list<Leaf> values)
{
    for (QDomElement group = aid.firstChildElement(); !group.isNull(); group = group.nextSiblingElement()) {
        if (group.tagName() == QLatin1String("Labware"))
            readLeaves(group, {{"Angle", &labware.Angle},
                               {"PositionX", &labware.PositionX},
                               {"PositionY", &labware.PositionY},
                               {"SizeX", &labware.SizeX},
                               {"SizeY", &labware.SizeY}});
        else if (group.tagName() == QLatin1String(valueTag))
            readLeaves(group, values);
    }
}

void readDocument(const QDomElement& root, Data& d)
{
    for (QDomElement child = root.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        const QString tag = child.tagName();
        if (tag == QLatin1String("Name")) {
            const QDomElement name = child.firstChildElement(QStringLiteral("Name"));
            if (!name.isNull())
                d.Name = name.text();
        } else if (tag == QLatin1String("CameraFocus")) {
            Data::GradientValueGroup& values = d.CameraFocus.GradientValue;
            readAid(child, d.CameraFocus.Labware, "GradientValue",
                    {{"Threshold", &values.Threshold}, {"Sensibility", &values.Sensibility}});
        } else if (tag == QLatin1String("CameraAperture")) {
            Data::GrayValueGroup& values = d.CameraAperture.GrayValue;
            readAid(child, d.CameraAperture.Labware, "GrayValue",
                    {{"Center", &values.Center}, {"Sensibility", &values.Sensibility}});
        } else if (tag == QLatin1String("CameraHomogeneous")) {
            Data::HomogeneousGroup& values = d.CameraHomogeneous.Homogeneous;
            readAid(child, d.CameraHomogeneous.Labware, "Homogeneous",
                    {{"Threshold", &values.Threshold},
                     {"FilterMeanMode", nullptr, &values.FilterMeanMode},
                     {"Sensibility", &values.Sensibility}});
        }
    }
}

// A value the aids cannot measure with (a sensibility or size of 0, an area far off the
// picture, an unknown filter mode) would show as the limit of its spin box while the aid
// never reports: it is refused, and the field keeps what the record held before the read.
template <typename T, typename Usable>
void keepUsable(T& read, const T& before, Usable usable)
{
    if (!usable(read))
        read = before;
}

void keepUsableArea(Data::LabwareGroup& read, const Data::LabwareGroup& before)
{
    keepUsable(read.PositionX, before.PositionX, Camera_LiveView_Aids::IsValidPosition);
    keepUsable(read.PositionY, before.PositionY, Camera_LiveView_Aids::IsValidPosition);
    keepUsable(read.SizeX, before.SizeX, Camera_LiveView_Aids::IsValidSize);
    keepUsable(read.SizeY, before.SizeY, Camera_LiveView_Aids::IsValidSize);
}

void keepUsableValues(Data& read, const Data& before)
{
    keepUsableArea(read.CameraFocus.Labware, before.CameraFocus.Labware);
    keepUsableArea(read.CameraAperture.Labware, before.CameraAperture.Labware);
    keepUsableArea(read.CameraHomogeneous.Labware, before.CameraHomogeneous.Labware);
    keepUsable(read.CameraFocus.GradientValue.Sensibility, before.CameraFocus.GradientValue.Sensibility,
               Camera_LiveView_Aids::IsValidSensibility);
    keepUsable(read.CameraAperture.GrayValue.Sensibility, before.CameraAperture.GrayValue.Sensibility,
               Camera_LiveView_Aids::IsValidSensibility);
    keepUsable(read.CameraHomogeneous.Homogeneous.Sensibility, before.CameraHomogeneous.Homogeneous.Sensibility,
               Camera_LiveView_Aids::IsValidSensibility);
    keepUsable(read.CameraHomogeneous.Homogeneous.FilterMeanMode, before.CameraHomogeneous.Homogeneous.FilterMeanMode,
               [](qint32 mode) {
                   double tolerance = 0.0;
                   int maskSize = 0;
                   return Camera_LiveView_Aids::HomogeneityFilter(mode, tolerance, maskSize);
               });
}

} // namespace

Camera_LiveView_Settings::Camera_LiveView_Settings(QObject* parent)
    : Settings_Change_Helper(true, 50, parent)
{
    setChangedBlocked(true);
    SetDefaults();
    setChangedBlocked(false);
}

Camera_LiveView_Settings::~Camera_LiveView_Settings() = default;

void Camera_LiveView_Settings::SetDefaults()
{
    data() = Camera_LiveView_Settings_Data();
    setChanged(0);
}

QString Camera_LiveView_Settings::ToXmlString() const
{
    return toXmlString(Name);
}

QString Camera_LiveView_Settings::toXmlString(const QString& name) const
{
    QString nameText = name;
    XML_Settings document(QuendralLibrary::GetApplicationName(), QuendralLibrary::GetApplicationVersion(), rootTag(),
                          configVersionText(), fileSuffix(), &nameText);
    XML_Settings_Element root = document.createDocument();

    XML_Settings_Element focus = root.addElement(QStringLiteral("CameraFocus"));
    writeLabware(focus, CameraFocus.Labware);
    XML_Settings_Element gradient = focus.addElement(QStringLiteral("GradientValue"));
    gradient.addValue(QStringLiteral("Threshold"), CameraFocus.GradientValue.Threshold);
    gradient.addValue(QStringLiteral("Sensibility"), CameraFocus.GradientValue.Sensibility);

    XML_Settings_Element aperture = root.addElement(QStringLiteral("CameraAperture"));
    writeLabware(aperture, CameraAperture.Labware);
    XML_Settings_Element gray = aperture.addElement(QStringLiteral("GrayValue"));
    gray.addValue(QStringLiteral("Center"), CameraAperture.GrayValue.Center);
    gray.addValue(QStringLiteral("Sensibility"), CameraAperture.GrayValue.Sensibility);

    XML_Settings_Element homogeneous = root.addElement(QStringLiteral("CameraHomogeneous"));
    writeLabware(homogeneous, CameraHomogeneous.Labware);
    XML_Settings_Element values = homogeneous.addElement(QStringLiteral("Homogeneous"));
    values.addValue(QStringLiteral("Threshold"), CameraHomogeneous.Homogeneous.Threshold);
    values.addValue(QStringLiteral("FilterMeanMode"), int(CameraHomogeneous.Homogeneous.FilterMeanMode));
    values.addValue(QStringLiteral("Sensibility"), CameraHomogeneous.Homogeneous.Sensibility);

    return document.toString();
}

bool Camera_LiveView_Settings::SaveToFile(const QString& fileName)
{
    const QString name = getFileNameWithoutSuffix(fileName, fileSuffix());
    const QByteArray bytes = toXmlString(name).toUtf8();
    if (!ReplacingFile::write(fileName, bytes))
        return false;
    Name = name;
    return true;
}

bool Camera_LiveView_Settings::ReadXml(const QString& text)
{
    // The common reader bounds the text's size and nesting; the root's tag and attributes and
    // the Name element are not required here.
    XML_Settings parser(QString(), QString(), rootTag(), configVersionText(), fileSuffix(), nullptr);
    QString configVersion;
    const XML_Settings_Element root = parser.parse(text, configVersion);
    if (root.isNull())
        return false;
    Camera_LiveView_Settings_Data read;
    readDocument(root.element(), read);
    keepUsableValues(read, data());
    data() = read;
    setChanged(0);
    return true;
}

bool Camera_LiveView_Settings::LoadFromFile(const QString& fileName)
{
    QString text;
    if (!XML_Settings::readText(fileName, text) || !ReadXml(text))
        return false;
    Name = getFileNameWithoutSuffix(fileName, fileSuffix());
    return true;
}

void Camera_LiveView_Settings::SetCustom(int number, const QVariant& value)
{
    emit signal_custom(number, value);
}
