#include "Camera_Settings.h"

#include "QuendralLibrary.h"
#include "XML_Settings.h"
#include "XML_Settings_Element.h"

#include <atomic>
#include <cmath>
#include <type_traits>

namespace {

std::atomic<int> s_defaultColorSpace{1};
std::atomic<double> s_defaultExposureTime{200.0};
std::atomic<int> s_defaultEdgeEnhancement{1};
std::atomic<int> s_defaultWhiteBalanceMode{1};
std::atomic<int> s_defaultRotate{1};
std::atomic<int> s_defaultMultiples{1};
std::atomic<bool> s_defaultMirrorLeftRight{false};
std::atomic<bool> s_defaultMirrorUpDown{false};

XML_Settings* makeDocument(QString* name, QObject* parent)
{
    return new XML_Settings(QuendralLibrary::GetApplicationName(), QuendralLibrary::GetApplicationVersion(),
                            Camera_Settings::rootTag(), Camera_Settings::configVersionText(),
                            Camera_Settings::fileExtension(), name, parent);
}

// A value that is missing or does not convert keeps the default; so does a number that is
// not finite, which no camera parameter can take.
template <typename T>
void readValue(XML_Settings_Element& group, const char* tag, T& value)
{
    if (group.isNull())
        return;
    T read = value;
    if (!group.getValue(QLatin1String(tag), read))
        return;
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(read))
            return;
    }
    value = read;
}

void writeGroups(const Camera_Settings_Data& d, XML_Settings_Element& root)
{
    XML_Settings_Element device = root.addElement(QStringLiteral("Device"));
    device.addValue(QStringLiteral("CameraInterface"), int(d.Device.CameraInterface));
    device.addValue(QStringLiteral("CameraType"), d.Device.CameraType);
    device.addValue(QStringLiteral("CameraDevice"), d.Device.CameraDevice);
    device.addValue(QStringLiteral("CameraSerialNumber"), d.Device.CameraSerialNumber);
    device.addValue(QStringLiteral("ConnectionMode"), int(d.Device.ConnectionMode));
    device.addValue(QStringLiteral("UseCameraIniFile"), d.Device.UseCameraIniFile);
    device.addValue(QStringLiteral("CameraIniFile"), d.Device.CameraIniFile);

    XML_Settings_Element settings = root.addElement(QStringLiteral("Settings"));
    settings.addValue(QStringLiteral("ColorSpace"), int(d.Settings.ColorSpace));
    settings.addValue(QStringLiteral("ExposureTime"), d.Settings.ExposureTime);
    settings.addValue(QStringLiteral("FrameRate"), d.Settings.FrameRate);
    settings.addValue(QStringLiteral("FrameRateMaxMode"), d.Settings.FrameRateMaxMode);
    settings.addValue(QStringLiteral("PixelClock"), int(d.Settings.PixelClock));
    settings.addValue(QStringLiteral("EdgeEnhancement"), int(d.Settings.EdgeEnhancement));
    settings.addValue(QStringLiteral("GainMaster"), static_cast<unsigned short>(d.Settings.GainMaster));
    settings.addValue(QStringLiteral("GammaCorrection"), d.Settings.GammaCorrection);
    settings.addValue(QStringLiteral("WhiteBalanceMode"), int(d.Settings.WhiteBalanceMode));
    settings.addValue(QStringLiteral("WhiteBalanceR"), static_cast<unsigned short>(d.Settings.WhiteBalanceR));
    settings.addValue(QStringLiteral("WhiteBalanceG"), static_cast<unsigned short>(d.Settings.WhiteBalanceG));
    settings.addValue(QStringLiteral("WhiteBalanceB"), static_cast<unsigned short>(d.Settings.WhiteBalanceB));

    XML_Settings_Element picture = root.addElement(QStringLiteral("Picture"));
    picture.addValue(QStringLiteral("MirrorLeftRight"), d.Picture.MirrorLeftRight);
    picture.addValue(QStringLiteral("MirrorUpDown"), d.Picture.MirrorUpDown);
    picture.addValue(QStringLiteral("Rotate"), int(d.Picture.Rotate));
    picture.addValue(QStringLiteral("Multiples"), static_cast<unsigned short>(d.Picture.Multiples));

    XML_Settings_Element trigger = root.addElement(QStringLiteral("ExternalTrigger"));
    trigger.addValue(QStringLiteral("Used"), d.ExternalTrigger.Used);
    trigger.addValue(QStringLiteral("TriggerSignal"), int(d.ExternalTrigger.TriggerSignal));
    trigger.addValue(QStringLiteral("TriggerTimeout"), static_cast<unsigned int>(d.ExternalTrigger.TriggerTimeout));
    trigger.addValue(QStringLiteral("TriggerDelay"), d.ExternalTrigger.TriggerDelay);

    XML_Settings_Element flash = root.addElement(QStringLiteral("ExternalFlash"));
    flash.addValue(QStringLiteral("Used"), d.ExternalFlash.Used);
    flash.addValue(QStringLiteral("StrobeInvert"), d.ExternalFlash.StrobeInvert);
    flash.addValue(QStringLiteral("StrobeDelay"), d.ExternalFlash.StrobeDelay);
    flash.addValue(QStringLiteral("StrobeDuration"), d.ExternalFlash.StrobeDuration);
}

void readGroups(XML_Settings_Element& root, Camera_Settings_Data& d)
{
    XML_Settings_Element device = root.getElement(QStringLiteral("Device"));
    readValue(device, "CameraInterface", d.Device.CameraInterface);
    readValue(device, "CameraType", d.Device.CameraType);
    readValue(device, "CameraDevice", d.Device.CameraDevice);
    readValue(device, "CameraSerialNumber", d.Device.CameraSerialNumber);
    readValue(device, "ConnectionMode", d.Device.ConnectionMode);
    readValue(device, "UseCameraIniFile", d.Device.UseCameraIniFile);
    readValue(device, "CameraIniFile", d.Device.CameraIniFile);

    XML_Settings_Element settings = root.getElement(QStringLiteral("Settings"));
    readValue(settings, "ColorSpace", d.Settings.ColorSpace);
    readValue(settings, "ExposureTime", d.Settings.ExposureTime);
    readValue(settings, "FrameRate", d.Settings.FrameRate);
    readValue(settings, "FrameRateMaxMode", d.Settings.FrameRateMaxMode);
    readValue(settings, "PixelClock", d.Settings.PixelClock);
    readValue(settings, "EdgeEnhancement", d.Settings.EdgeEnhancement);
    readValue(settings, "GainMaster", d.Settings.GainMaster);
    readValue(settings, "GammaCorrection", d.Settings.GammaCorrection);
    readValue(settings, "WhiteBalanceMode", d.Settings.WhiteBalanceMode);
    readValue(settings, "WhiteBalanceR", d.Settings.WhiteBalanceR);
    readValue(settings, "WhiteBalanceG", d.Settings.WhiteBalanceG);
    readValue(settings, "WhiteBalanceB", d.Settings.WhiteBalanceB);

    XML_Settings_Element picture = root.getElement(QStringLiteral("Picture"));
    readValue(picture, "MirrorLeftRight", d.Picture.MirrorLeftRight);
    readValue(picture, "MirrorUpDown", d.Picture.MirrorUpDown);
    readValue(picture, "Rotate", d.Picture.Rotate);
    readValue(picture, "Multiples", d.Picture.Multiples);

    XML_Settings_Element trigger = root.getElement(QStringLiteral("ExternalTrigger"));
    readValue(trigger, "Used", d.ExternalTrigger.Used);
    readValue(trigger, "TriggerSignal", d.ExternalTrigger.TriggerSignal);
    readValue(trigger, "TriggerTimeout", d.ExternalTrigger.TriggerTimeout);
    readValue(trigger, "TriggerDelay", d.ExternalTrigger.TriggerDelay);

    XML_Settings_Element flash = root.getElement(QStringLiteral("ExternalFlash"));
    readValue(flash, "Used", d.ExternalFlash.Used);
    readValue(flash, "StrobeInvert", d.ExternalFlash.StrobeInvert);
    readValue(flash, "StrobeDelay", d.ExternalFlash.StrobeDelay);
    readValue(flash, "StrobeDuration", d.ExternalFlash.StrobeDuration);
}

} // namespace

Camera_Settings::Camera_Settings(QObject* parent)
    : Settings_Change_Helper(true, 50, parent)
    , m_XML_Settings(makeDocument(&Name, this))
{
    setChangedBlocked(true);
    SetDefaults();
    setChangedBlocked(false);
}

Camera_Settings::~Camera_Settings() = default;

void Camera_Settings::SetDefaultColorSpace(int value)
{
    s_defaultColorSpace = value;
}

void Camera_Settings::SetDefaultExposureTime(double value)
{
    s_defaultExposureTime = value;
}

void Camera_Settings::SetDefaultEdgeEnhancement(int value)
{
    s_defaultEdgeEnhancement = value;
}

void Camera_Settings::SetDefaultWhiteBalanceMode(int value)
{
    s_defaultWhiteBalanceMode = value;
}

void Camera_Settings::SetDefaultRotate(int value)
{
    s_defaultRotate = value;
}

void Camera_Settings::SetDefaultMultiples(int value)
{
    s_defaultMultiples = value;
}

void Camera_Settings::SetDefaultMirrorLeftRight(bool value)
{
    s_defaultMirrorLeftRight = value;
}

void Camera_Settings::SetDefaultMirrorUpDown(bool value)
{
    s_defaultMirrorUpDown = value;
}

Camera_Settings_Data Camera_Settings::DefaultData()
{
    Camera_Settings_Data d;
    d.Settings.ColorSpace = s_defaultColorSpace;
    d.Settings.ExposureTime = s_defaultExposureTime;
    d.Settings.EdgeEnhancement = s_defaultEdgeEnhancement;
    d.Settings.WhiteBalanceMode = s_defaultWhiteBalanceMode;
    d.Picture.MirrorLeftRight = s_defaultMirrorLeftRight;
    d.Picture.MirrorUpDown = s_defaultMirrorUpDown;
    d.Picture.Rotate = s_defaultRotate;
    d.Picture.Multiples = quint16(s_defaultMultiples);
    return d;
}

QString Camera_Settings::ColorSpaceName(int colorSpace)
{
    return colorSpace == 1 ? QStringLiteral("gray") : QStringLiteral("rgb");
}

QString Camera_Settings::EdgeEnhancementName(int edgeEnhancement)
{
    switch (edgeEnhancement) {
    case 2:
        return QStringLiteral("weak");
    case 3:
        return QStringLiteral("strong");
    default:
        return QStringLiteral("disable");
    }
}

QString Camera_Settings::WhiteBalanceName(int whiteBalanceMode)
{
    switch (whiteBalanceMode) {
    case 2:
        return QStringLiteral("auto");
    case 3:
        return QStringLiteral("auto_once");
    case 4:
        return QStringLiteral("user");
    default:
        return QStringLiteral("disable");
    }
}

void Camera_Settings::SetDefaults()
{
    data() = DefaultData();
    setChanged(0);
}

bool Camera_Settings::WriteXml()
{
    XML_Settings_Element root = m_XML_Settings->createDocument();
    writeGroups(data(), root);
    return true;
}

QString Camera_Settings::ToXmlString()
{
    WriteXml();
    return m_XML_Settings->toString();
}

bool Camera_Settings::SaveToFile(const QString& fileName)
{
    WriteXml();
    return m_XML_Settings->save(fileName);
}

bool Camera_Settings::parse(const QString& text, Camera_Settings_Data& d)
{
    d = DefaultData();
    // A document of its own: a refused text leaves the record's document and name alone.
    XML_Settings parser(QuendralLibrary::GetApplicationName(), QuendralLibrary::GetApplicationVersion(), rootTag(),
                        configVersionText(), fileExtension(), &d.Name);
    XML_Settings_Element root = parser.parse(text, d.ConfigVersion);
    if (root.isNull())
        return false;
    readGroups(root, d);
    return true;
}

bool Camera_Settings::ReadXml(const QString& text)
{
    Camera_Settings_Data parsed;
    if (!parse(text, parsed))
        return false;
    data() = parsed;
    setChanged(0);
    return true;
}

bool Camera_Settings::LoadFromFile(const QString& fileName)
{
    QString nameFromPath;
    XML_Settings reader(QuendralLibrary::GetApplicationName(), QuendralLibrary::GetApplicationVersion(), rootTag(),
                        configVersionText(), fileExtension(), &nameFromPath);
    QString text;
    if (!reader.readFile(text, fileName))
        return false;
    return ReadXml(text);
}

void Camera_Settings::SetCustom(int number, const QVariant& value)
{
    emit signal_custom(number, value);
}

bool Camera_Settings::ReadName(const QString& text, QString& name)
{
    Camera_Settings_Data parsed;
    if (!parse(text, parsed))
        return false;
    name = parsed.Name;
    return true;
}
