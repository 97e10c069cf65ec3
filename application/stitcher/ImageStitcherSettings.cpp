#include "ImageStitcherSettings.h"

#include <AppSettings.h>
#include <ModelMatching.h>
#include <QuendralLibrary.h>
#include <XML_Settings.h>
#include <XML_Settings_Element.h>

#include <cmath>
#include <memory>
#include <mutex>

namespace {

const QString c_cameraToCross = QStringLiteral("DistanceCameraToCrossPlane");
const QString c_pointsToAgar = QStringLiteral("DistancePointsPlaneToAgarPlane");
const QString c_crossToPoints = QStringLiteral("DistanceCrossPlaneToPointsPlane");
const QString c_crossToAgarLegacy = QStringLiteral("DistanceCrossPlaneToAgarPlane");
const QString c_picturesCount = QStringLiteral("PicturesCount");
const QString c_referencePoints = QStringLiteral("ReferencePoints");

XML_Settings* newDocument(QString* name, QObject* parent)
{
    return new XML_Settings(AppSettings::applicationName(), QuendralLibrary::GetApplicationVersion(),
                            ImageStitcherSettings::rootTag(), ImageStitcherSettings::configVersionText(),
                            ImageStitcherSettings::fileExtension(), name, parent);
}

// A value that is missing, unreadable or not a finite number counts as absent.
bool readFinite(XML_Settings_Element& element, const QString& tag, double& value)
{
    double read = 0.0;
    if (!element.getValue(tag, read) || !std::isfinite(read))
        return false;
    value = read;
    return true;
}

} // namespace

ImageStitcherSettings::ImageStitcherSettings(QObject* parent)
    : Settings_Change_Helper(false, 500, parent)
    , m_XML_Settings(newDocument(&m_data.name, this))
{
    setDefaults();
}

ImageStitcherSettings::~ImageStitcherSettings()
{
    delete m_XML_Settings;
}

void ImageStitcherSettings::setCrossModel(ModelMatching* crossModel)
{
    m_crossModel = crossModel;
}

void ImageStitcherSettings::replaceData(const ImageStitcherSettingsData& data)
{
    std::unique_lock<QMutex> lock;
    if (m_crossModel)
        lock = m_crossModel->LockSettings();
    m_data = data;
}

void ImageStitcherSettings::setDefaults()
{
    replaceData(ImageStitcherSettingsData());
    setChanged(0);
}

void ImageStitcherSettings::writeXml(const ImageStitcherSettingsData& data, XML_Settings_Element& root)
{
    root.addValue(c_cameraToCross, data.DistanceCameraToCrossPlane);
    root.addValue(c_pointsToAgar, data.DistancePointsPlaneToAgarPlane);
    root.addValue(c_crossToPoints, data.DistanceCrossPlaneToPointsPlane);
    root.addValue(c_picturesCount, int(ImageStitcherSettingsData::PicturesCount));
    data.CrossModel.WriteXml(root);
    for (const ImageStitcherSettingsData::PictureSearchAreas& areas : data.ReferencePoints) {
        XML_Settings_Element element = root.addElement(c_referencePoints);
        areas.Area1.writeXml(element);
        areas.Area2.writeXml(element);
    }
}

bool ImageStitcherSettings::readXml(XML_Settings_Element& root, ImageStitcherSettingsData& data)
{
    readFinite(root, c_cameraToCross, data.DistanceCameraToCrossPlane);
    if (!readFinite(root, c_crossToPoints, data.DistanceCrossPlaneToPointsPlane))
        data.DistanceCrossPlaneToPointsPlane = 10.8;
    if (!readFinite(root, c_pointsToAgar, data.DistancePointsPlaneToAgarPlane)) {
        // Older files measured the agar from the cross plane.
        double crossToAgar = 0.0;
        readFinite(root, c_crossToAgarLegacy, crossToAgar);
        data.DistancePointsPlaneToAgarPlane = crossToAgar - data.DistanceCrossPlaneToPointsPlane;
    }
    int picturesCount = 0; // always six positions, whatever the file says
    root.getValue(c_picturesCount, picturesCount);
    bool crossModelAccepted = true;
    data.CrossModel.ReadXml(root, &crossModelAccepted);
    if (!crossModelAccepted)
        return false;
    // The cross is searched in the whole template; the stitcher's own areas restrict the search.
    data.CrossModel.SearchPosition = {0.0, 0.0, 100.0, 100.0, 0.0};
    for (ImageStitcherSettingsData::PictureSearchAreas& areas : data.ReferencePoints) {
        XML_Settings_Element element = root.getElement(c_referencePoints);
        if (element.isNull())
            continue;
        areas.Area1.readXml(element);
        areas.Area2.readXml(element);
    }
    return true;
}

QString ImageStitcherSettings::toXmlString()
{
    XML_Settings_Element root = m_XML_Settings->createDocument();
    writeXml(m_data, root);
    return m_XML_Settings->toString();
}

bool ImageStitcherSettings::saveToFile(const QString& fileName)
{
    XML_Settings_Element root = m_XML_Settings->createDocument();
    writeXml(m_data, root);
    return m_XML_Settings->save(fileName);
}

bool ImageStitcherSettings::fromXmlString(const QString& text)
{
    ImageStitcherSettingsData read;
    // A document of its own, so that a refused text changes neither the record nor its name.
    const std::unique_ptr<XML_Settings> parser(newDocument(&read.name, nullptr));
    QString versionText;
    XML_Settings_Element root = parser->parse(text, versionText);
    if (root.isNull())
        return false;
    bool isNumber = false;
    const double version = versionText.toDouble(&isNumber);
    if (isNumber && version > ConfigVersion)
        return false;
    if (!readXml(root, read))
        return false;
    takeData(read);
    return true;
}

void ImageStitcherSettings::takeData(const ImageStitcherSettingsData& data)
{
    replaceData(data);
    setChanged(0);
}

bool ImageStitcherSettings::loadFromFile(const QString& fileName)
{
    // Read without a name: readFile would take it from the path at once, and the name comes
    // from the document only when the whole load succeeds.
    const std::unique_ptr<XML_Settings> reader(newDocument(nullptr, nullptr));
    QString text;
    if (!reader->readFile(text, fileName))
        return false;
    return fromXmlString(text);
}

void ImageStitcherSettings::emitCustom(int number, const QVariant& data)
{
    emit signal_custom(number, data);
}
