#pragma once

#include "ImageStitcherSettingsData.h"

#include <Settings_Change_Helper.h>

#include <QPointer>
#include <QString>
#include <QVariant>

class ModelMatching;
class XML_Settings;
class XML_Settings_Element;

// The image stitcher's settings record: the plain values, their XML file
// ".ImageStitcherSettings" and the stitcher's custom signal through which the settings
// editor, the stitcher page and the main window tell each other what happened. Lives in the
// GUI thread; the stitcher worker runs on a copy of data().
//
// The cross model's settings inside the record are shared with the "CrossModel" facade,
// whose workers copy them from the stitcher's thread: once that facade is known
// (setCrossModel), every write of the record here happens under its settings lock.
class ImageStitcherSettings : public Settings_Change_Helper {
    Q_OBJECT
public:
    // First argument of signal_custom. The record never emits it itself.
    enum Enum_CustomSignal {
        CustomSignal_Replaced = 1,         // loaded or new
        CustomSignal_ValuesChanged = 2,    // data: bool
        CustomSignal_ModifiedChanged = 3,  // data: bool, true when edited
        CustomSignal_AbortStitching = 4,
        CustomSignal_OverviewShown = 30,
        CustomSignal_PositionSelected = 31, // data: position index 0 to 5
        CustomSignal_StitchedPicture = 32
    };

    static QString fileExtension() { return QStringLiteral(".ImageStitcherSettings"); }
    static QString rootTag() { return QStringLiteral("ImageStitcherSettings"); }
    static QString configVersionText() { return QStringLiteral("1.2"); }
    static constexpr double ConfigVersion = 1.2;
    static QString settingsFolder() { return QStringLiteral("settings/ImageStitcher"); }
    static QString demoFolder() { return QStringLiteral("settings/ImageStitcherDemo"); }

    explicit ImageStitcherSettings(QObject* parent = nullptr);
    ~ImageStitcherSettings() override;

    // Read and written in place by the owner and the editors (writers of CrossModel hold the
    // facade's lock).
    ImageStitcherSettingsData& data() { return m_data; }
    const ImageStitcherSettingsData& data() const { return m_data; }

    void setCrossModel(ModelMatching* crossModel);

    // Name emptied, every value to its default, then one debounced change notice.
    void setDefaults();

    QString toXmlString();
    // Atomic; on success the name becomes the file's base name. false leaves the file and the
    // record as they were.
    bool saveToFile(const QString& fileName);
    // The record changes only when the text is accepted: the defaults overwritten by what the
    // text holds, and one change notice. Text that is not a settings document (no Name/Name)
    // or carries a configuration version above 1.2 leaves every value and the name as they
    // were, and so does a cross model with more regions than a model takes. Missing or
    // unreadable single values keep their defaults.
    bool fromXmlString(const QString& text);
    bool loadFromFile(const QString& fileName);
    // Another record's values, name included, as a load takes them: then one change notice.
    void takeData(const ImageStitcherSettingsData& data);

    void emitCustom(int number, const QVariant& data = QVariant());

signals:
    void signal_custom(int number, const QVariant& data);

private:
    static void writeXml(const ImageStitcherSettingsData& data, XML_Settings_Element& root);
    // false when the text holds what no stitch can use (a cross model with more regions
    // than a model takes).
    static bool readXml(XML_Settings_Element& root, ImageStitcherSettingsData& data);
    // The data replaced under the cross model's settings lock.
    void replaceData(const ImageStitcherSettingsData& data);

    ImageStitcherSettingsData m_data;
    XML_Settings* m_XML_Settings;
    QPointer<ModelMatching> m_crossModel;
};
