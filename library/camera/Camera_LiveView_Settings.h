#pragma once

#include "Camera_LiveView_Settings_Data.h"
#include "Settings_Change_Helper.h"

#include <QString>
#include <QVariant>

// Measuring areas and limits of the live view's focus, aperture and homogeneity aids, kept in
// one file beside the program ("settings/default.cameraliveviewsettings.xml"). The record
// belongs to the GUI thread.
class Camera_LiveView_Settings : public Settings_Change_Helper, public Camera_LiveView_Settings_Data {
    Q_OBJECT
public:
    // First argument of signal_custom; the record never emits it itself.
    enum Enum_CustomSignal {
        CustomSignal_Refresh = 2, // data: bool, true marks the record changed
        CustomSignal_Changed = 3 // data: bool
    };

    static QString fileSuffix() { return QStringLiteral(".cameraliveviewsettings.xml"); }
    static QString rootTag() { return QStringLiteral("CameraSettings"); }
    static QString configVersionText() { return QStringLiteral("1.0"); }
    static QString defaultFilePath() { return QStringLiteral("settings/default") + fileSuffix(); }

    explicit Camera_LiveView_Settings(QObject* parent = nullptr);
    ~Camera_LiveView_Settings() override;

    Camera_LiveView_Settings_Data& data() { return *this; }
    const Camera_LiveView_Settings_Data& data() const { return *this; }

    // Every value to its default, Name emptied; then one debounced change notice.
    void SetDefaults();
    QString ToXmlString() const;
    // Under exactly that name, replaced in one step: a failed save leaves the file and the
    // record as they were. On success Name is the file name without the suffix.
    bool SaveToFile(const QString& fileName);
    // A text that is no settings document (not XML, larger than 1 MB, nested deeper than 64
    // levels) changes nothing and gives false. Otherwise the record holds the defaults
    // overwritten by every value found (a value that is no finite number reads as 0), then
    // one change notice follows. A value the aids cannot measure with (a sensibility or a
    // size not above 0, a position or size beyond the aids' range, an unknown filter mode)
    // is refused: that field keeps what the record held before.
    bool ReadXml(const QString& text);
    // As ReadXml, for a file of at most 1 MB; Name then becomes the file name without the
    // suffix.
    bool LoadFromFile(const QString& fileName);

    // Emits signal_custom on behalf of the live view and its measuring-area tool.
    void SetCustom(int number, const QVariant& data = QVariant());

signals:
    void signal_custom(int number, QVariant data);

private:
    QString toXmlString(const QString& name) const;
};
