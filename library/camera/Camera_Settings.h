#pragma once

#include "Camera_Settings_Data.h"
#include "Settings_Change_Helper.h"

#include <QString>
#include <QVariant>

class XML_Settings;

// The camera settings record: which camera is opened and how it runs, kept in one file per
// settings name ("<name>.camerasettings.xml") and stored as text with every rack. The record
// belongs to the GUI thread; the camera thread works on snapshots of its data.
class Camera_Settings : public Settings_Change_Helper, public Camera_Settings_Data {
    Q_OBJECT
public:
    // First argument of signal_custom; the record never emits it itself.
    enum Enum_CustomSignal {
        CustomSignal_Replaced = 1, // data: none
        CustomSignal_Refresh = 2, // data: bool, true marks the record changed
        CustomSignal_Modified = 3 // data: bool, the record differs from its file
    };

    static QString fileExtension() { return QStringLiteral(".camerasettings.xml"); }
    static QString rootTag() { return QStringLiteral("CameraSettings"); }
    static QString configVersionText() { return QStringLiteral("1.2"); }
    static QString settingsFolder() { return QStringLiteral("settings/camera"); }
    static QString defaultFilePath() { return settingsFolder() + QStringLiteral("/default") + fileExtension(); }

    explicit Camera_Settings(QObject* parent = nullptr);
    ~Camera_Settings() override;

    // Class-wide defaults that SetDefaults applies; the application sets them once before it
    // makes its record.
    static void SetDefaultColorSpace(int value);
    static void SetDefaultExposureTime(double value);
    static void SetDefaultEdgeEnhancement(int value);
    static void SetDefaultWhiteBalanceMode(int value);
    static void SetDefaultRotate(int value);
    static void SetDefaultMultiples(int value);
    static void SetDefaultMirrorLeftRight(bool value);
    static void SetDefaultMirrorUpDown(bool value);
    // The built-in values with the class-wide defaults applied; Name empty.
    static Camera_Settings_Data DefaultData();

    // Values of the camera parameters: 1 "gray", else "rgb"; 2 "weak", 3 "strong", else
    // "disable"; 2 "auto", 3 "auto_once", 4 "user", else "disable".
    static QString ColorSpaceName(int colorSpace);
    static QString EdgeEnhancementName(int edgeEnhancement);
    static QString WhiteBalanceName(int whiteBalanceMode);

    Camera_Settings_Data& data() { return *this; }
    const Camera_Settings_Data& data() const { return *this; }

    // Every value to its default, Name and configuration version emptied; then one
    // debounced change notice.
    void SetDefaults();
    bool WriteXml();
    QString ToXmlString();
    // Atomic; the extension is appended unless present in any case, and on success Name
    // becomes the file's base name.
    bool SaveToFile(const QString& fileName);
    // On success the record holds the defaults overwritten by every value that reads
    // (a missing or unreadable value keeps its default), then one change notice follows.
    // A text that is no XML or lacks the Name element changes nothing and gives false.
    bool ReadXml(const QString& text);
    bool LoadFromFile(const QString& fileName);

    // Emits signal_custom on behalf of the editor and the main window.
    void SetCustom(int number, const QVariant& data = QVariant());

    // The settings name of a camera settings text (as stored with a rack), read as ReadXml
    // reads it; false, and name untouched, when ReadXml would refuse the text.
    static bool ReadName(const QString& text, QString& name);

signals:
    void signal_custom(int number, QVariant data);

private:
    static bool parse(const QString& text, Camera_Settings_Data& data);

    XML_Settings* m_XML_Settings;
};
