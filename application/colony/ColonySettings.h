#pragma once

#include "ColonySettingsData.h"
#include "Settings_Change_Helper.h"

#include <QList>
#include <QString>
#include <QVariant>

class XML_Settings;
class XML_Settings_Element;

// The application's colony analysis settings: the plain data (inherited, so its members are
// read and written in place), its XML file ".ColonySettings" and the container pick order.
// Main thread only; a run works on a ColonySettingsData copy.
class ColonySettings : public Settings_Change_Helper, public ColonySettingsData {
    Q_OBJECT
public:
    // First argument of signal_custom. The record never emits it itself; the main window,
    // the editor and the result page emit it through the record.
    enum Enum_CustomSignal {
        CustomSignal_Replaced = 1, // loaded or reset as a whole
        CustomSignal_ValuesChanged = 2, // data: bool, false after a load or reset
        CustomSignal_ModifiedChanged = 3, // data: bool modified
        CustomSignal_RequestRectangle = 4,
        CustomSignal_PageLeft = 20,
        CustomSignal_ColorSelectionEnabled = 21, // data: on or off
        CustomSignal_ColorSelectionConfirmed = 22,
        CustomSignal_PageEntered = 23 // data: page 1 to 5
    };
    Q_ENUM(Enum_CustomSignal)

    static QString fileExtension() { return QStringLiteral(".ColonySettings"); }
    static QString rootTag() { return QStringLiteral("ColonySettings"); }
    static QString configVersionText() { return QStringLiteral("2.1"); }
    static constexpr double ConfigVersion = 2.1;
    // Folders relative to the program folder; one spelling each, as the file system is
    // case-sensitive.
    static QString settingsFolder() { return QStringLiteral("settings/Colony"); }
    static QString demoFolder() { return QStringLiteral("settings/ColonyDemo"); }
    static QString defaultFilePath() { return settingsFolder() + QStringLiteral("/default") + fileExtension(); }
    static QString demoPrefix() { return QStringLiteral("Demo_"); }
    // Row letters of the container labels; more rows cannot be labelled.
    static constexpr int MaximumRows = 26;

    explicit ColonySettings(QObject* parent = nullptr);
    ~ColonySettings() override;

    ColonySettingsData& data() { return *this; }
    const ColonySettingsData& data() const { return *this; }
    // Configuration version of the last file read successfully; 2.1 after construction.
    double fileVersion() const { return m_fileVersion; }

    // Name emptied, every member to its set of defaults, then one debounced change notice.
    void setDefaults();
    void setDefaultsLightTable();

    // Stops at the first failed check with its translated text in message; an empty
    // message and true when all pass. Changes nothing.
    static bool validate(const ColonySettingsData& data, QString& message);

    // PickingOrder code: bit 0 vertical, bit 1 start right, bit 2 start bottom; the fourth
    // flag is the code 8 alone.
    static int packDirection(bool vertical, bool right, bool bottom, bool fourth);
    static void unpackDirection(int code, bool& vertical, bool& right, bool& bottom, bool& fourth);
    // value × factor truncated toward zero, divided by factor; a zero or non-finite factor
    // returns the value unchanged.
    static double truncateToStep(double value, double factor);

    // order: container indices in pick order; rank: per container its 1-based pick rank.
    // Either may be null. rows = SectionsY, columns = SectionsX, reverse = RightToLeft.
    static void computePickOrder(int rows, int columns, bool reverse, int pickingOrder,
                                 QList<int>* order, QList<int>* rank);

    bool writeXml();
    QString toXmlString();
    // Atomic; on success the name becomes the file's base name.
    bool saveToFile(const QString& fileName);
    // The record changes only when the whole text is accepted: it then holds the standard
    // defaults overwritten by the values read, and one change notice follows. A failure
    // (not XML, no Name/Name, newer version, no "Labware" group, a value present but not
    // readable, or data that fails validate) leaves every member as it was; reason (may be
    // null) receives why.
    bool fromXmlString(const QString& text, QString* reason = nullptr);
    bool loadFromFile(const QString& fileName, QString* reason = nullptr);

    void emitCustom(Enum_CustomSignal number, const QVariant& data = QVariant());

signals:
    void signal_custom(ColonySettings::Enum_CustomSignal number, const QVariant& data);

private:
    static void writeGroups(const ColonySettingsData& data, XML_Settings_Element& root);
    static bool readDocument(const QString& text, ColonySettingsData& data, double& version,
                             QString& reason);

    XML_Settings* m_XML_Settings;
    double m_fileVersion = ConfigVersion;
};
