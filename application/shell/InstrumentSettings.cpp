#include "InstrumentSettings.h"

#include "AppErrors.h"
#include "AppSettings.h"
#include "QuendralLibrary.h"
#include "XML_Settings.h"
#include "XML_Settings_Element.h"

#include <QFileInfo>

#include <cmath>

namespace {

constexpr Errors::Type_Error NoError = 0;
constexpr Errors::Type_Error ErrorGeneral = 3;
constexpr Errors::Type_Error ErrorParameter = AppErrors::ParameterIncorrect;

const QString c_groupTag = QStringLiteral("ChannelOffset");

QString offsetTag(char axis, int channel)
{
    return QStringLiteral("ChannelOffset%1_%2").arg(QLatin1Char(axis)).arg(channel);
}

XML_Settings* newDocument(QString* name, QObject* parent)
{
    return new XML_Settings(AppSettings::applicationName(), QuendralLibrary::GetApplicationVersion(),
                            InstrumentSettings::rootTag(), InstrumentSettings::configVersionText(),
                            InstrumentSettings::fileExtension(), name, parent);
}

// One offset: a missing element reads as 0.0; an element whose text is not a number, or not
// an offset any instrument can reach, makes the whole file unusable, since a wrong offset
// sends a channel to a wrong place.
bool readOffset(XML_Settings_Element& group, const QString& tag, double& value, QString& reason)
{
    value = 0.0;
    if (group.element().firstChildElement(tag).isNull())
        return true;
    double read = 0.0;
    const QString text = group.element().firstChildElement(tag).text();
    if (!group.getValue(tag, read) || !std::isfinite(read)) {
        reason = QObject::tr("The value \"%1\" of \"%2\" is not a number.").arg(text, tag);
        return false;
    }
    if (!InstrumentSettings::isReachableOffset(read)) {
        reason = QObject::tr("The value \"%1\" of \"%2\" lies beyond %3 mm either way.")
                     .arg(text, tag)
                     .arg(InstrumentSettings::MaximumOffset_mm);
        return false;
    }
    value = read;
    return true;
}

} // namespace

InstrumentSettings::InstrumentSettings(QObject* parent)
    : Settings_Change_Helper(false, 500, parent)
    , m_xmlSettings(newDocument(&name, this))
{
    setDefaults();
}

InstrumentSettings::~InstrumentSettings()
{
    delete m_xmlSettings;
}

void InstrumentSettings::setDefaults()
{
    name.clear();
    for (int i = 0; i < ChannelCount; ++i) {
        channelOffsetX_mm[i] = 0.0;
        channelOffsetY_mm[i] = 0.0;
    }
    setChanged(0);
}

bool InstrumentSettings::writeToXml()
{
    XML_Settings_Element root = m_xmlSettings->createDocument();
    XML_Settings_Element group = root.addElement(c_groupTag);
    for (int channel = 1; channel <= ChannelCount; ++channel) {
        group.addValue(offsetTag('X', channel), channelOffsetX_mm[channel - 1]);
        group.addValue(offsetTag('Y', channel), channelOffsetY_mm[channel - 1]);
    }
    return true;
}

bool InstrumentSettings::save(const QString& fileName)
{
    return writeToXml() && m_xmlSettings->save(fileName);
}

bool InstrumentSettings::readFromText(const QString& text, QString* reason)
{
    QString why;
    // A document of its own: the record and its name stay untouched unless all is read.
    QString readName;
    XML_Settings parser(AppSettings::applicationName(), QuendralLibrary::GetApplicationVersion(), rootTag(),
                        configVersionText(), fileExtension(), &readName);
    QString version; // not compared: a newer file is read as far as it is known
    XML_Settings_Element root = parser.parse(text, version);
    double x[ChannelCount];
    double y[ChannelCount];
    bool accepted = !root.isNull();
    if (!accepted)
        why = tr("The text is not an instrument settings document.");
    XML_Settings_Element group;
    if (accepted) {
        group = root.getElement(c_groupTag);
        accepted = !group.isNull();
        if (!accepted)
            why = tr("The group \"%1\" is missing.").arg(c_groupTag);
    }
    for (int channel = 1; accepted && channel <= ChannelCount; ++channel) {
        accepted = readOffset(group, offsetTag('X', channel), x[channel - 1], why)
            && readOffset(group, offsetTag('Y', channel), y[channel - 1], why);
    }
    if (reason)
        *reason = why;
    if (!accepted)
        return false;
    name = readName;
    std::copy(std::begin(x), std::end(x), std::begin(channelOffsetX_mm));
    std::copy(std::begin(y), std::end(y), std::begin(channelOffsetY_mm));
    setChanged(0);
    return true;
}

bool InstrumentSettings::loadFromFile(const QString& fileName, QString* reason)
{
    QString fileNameFromPath;
    XML_Settings reader(AppSettings::applicationName(), QuendralLibrary::GetApplicationVersion(), rootTag(),
                        configVersionText(), fileExtension(), &fileNameFromPath);
    QString text;
    if (!reader.readFile(text, fileName)) {
        if (reason)
            *reason = tr("The file \"%1\" cannot be read.").arg(reader.filePath(fileName));
        return false;
    }
    if (readFromText(text, reason))
        return true;
    if (reason)
        *reason = tr("The file \"%1\" cannot be used: %2").arg(reader.filePath(fileName), *reason);
    return false;
}

bool InstrumentSettings::loadOrCreate(const QString& fileName, QString* reason)
{
    if (QFileInfo::exists(m_xmlSettings->filePath(fileName)))
        return loadFromFile(fileName, reason);
    if (save(fileName))
        return true;
    if (reason)
        *reason = tr("The file \"%1\" cannot be written.").arg(m_xmlSettings->filePath(fileName));
    return false;
}

Errors::Type_Error InstrumentSettings::channelOffset(int channel, double& offsetX_mm, double& offsetY_mm) const
{
    if (!isValidChannel(channel))
        return ErrorParameter;
    offsetX_mm = channelOffsetX_mm[channel - 1];
    offsetY_mm = channelOffsetY_mm[channel - 1];
    return NoError;
}

Errors::Type_Error InstrumentSettings::setChannelOffset(int channel, double offsetX_mm, double offsetY_mm,
                                                        const QString& fileName)
{
    if (!isValidChannel(channel) || !isReachableOffset(offsetX_mm) || !isReachableOffset(offsetY_mm))
        return ErrorParameter;
    channelOffsetX_mm[channel - 1] = offsetX_mm;
    channelOffsetY_mm[channel - 1] = offsetY_mm;
    return save(fileName) ? NoError : ErrorGeneral;
}
