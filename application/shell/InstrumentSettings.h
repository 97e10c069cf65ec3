#pragma once

#include "Errors.h"
#include "Settings_Change_Helper.h"

#include <QString>
#include <QVariant>

#include <cmath>

class XML_Settings;

// The X and Y offsets in millimetres of the instrument's 16 pipetting channels; every colony
// position handed to a channel is the colony position minus that channel's offsets. Kept in
// "settings/Instrument.xml". GUI thread only.
class InstrumentSettings : public Settings_Change_Helper {
    Q_OBJECT
public:
    static constexpr int ChannelCount = 16;
    // No instrument moves a channel farther from its nominal place; an offset beyond this is a
    // typing or unit error that would send the channel off its deck.
    static constexpr double MaximumOffset_mm = 1000.0;

    static QString defaultFilePath() { return QStringLiteral("settings/Instrument.xml"); }
    static QString rootTag() { return QStringLiteral("InstrumentSettings"); }
    static QString configVersionText() { return QStringLiteral("1.0"); }
    static QString fileExtension() { return QStringLiteral(".xml"); }

    explicit InstrumentSettings(QObject* parent = nullptr);
    ~InstrumentSettings() override;

    // Empty name, every offset 0.0, then one debounced change notice.
    void setDefaults();
    bool writeToXml();
    // Atomic: a failed save leaves the previous file as it was.
    bool save(const QString& fileName);
    // The record changes only when the whole text is accepted (one change notice follows).
    // Refused, with every value left as it was: text that is not a settings document, no
    // "ChannelOffset" group, or an offset that is present but not a reachable offset. A
    // missing offset reads as 0.0. reason (may be null) receives why.
    bool readFromText(const QString& text, QString* reason = nullptr);
    bool loadFromFile(const QString& fileName, QString* reason = nullptr);
    // At start: a missing file gets the defaults written to it; a file that exists but does
    // not load is left untouched and the record keeps its values. False with the reason on
    // either failure, for the caller to show.
    bool loadOrCreate(const QString& fileName, QString* reason = nullptr);

    // The operations behind the automation methods. 104 for a channel outside 1 to 16 (and,
    // for the setter, an offset that is not reachable), nothing changed. The setter keeps the
    // new offsets in memory and answers 3 when they cannot be saved.
    Errors::Type_Error channelOffset(int channel, double& offsetX_mm, double& offsetY_mm) const;
    Errors::Type_Error setChannelOffset(int channel, double offsetX_mm, double offsetY_mm, const QString& fileName);

    static bool isValidChannel(int channel) { return channel >= 1 && channel <= ChannelCount; }
    // Finite and within MaximumOffset_mm either way.
    static bool isReachableOffset(double offset_mm) { return std::abs(offset_mm) <= MaximumOffset_mm; }

    QString name;
    double channelOffsetX_mm[ChannelCount] = {};
    double channelOffsetY_mm[ChannelCount] = {};

signals:
    void signal_custom(int number, QVariant data);

private:
    XML_Settings* m_xmlSettings;
};
