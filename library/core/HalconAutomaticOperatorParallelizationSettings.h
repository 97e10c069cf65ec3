#pragma once

#include "Settings_Change_Helper.h"

#include <QList>
#include <QString>

class XML_Settings;

// One measured operator: the host named it (ApplicationDefined) or it is on the library's
// own list.
struct HalconAutomaticOperatorParallelizationOperator {
    QString Name;
    bool ApplicationDefined = false;
};

// The conditions under which the operator parallelisation was measured, and whether the
// user wants to be asked about it at all. Kept in "<application>.haopsettings.xml".
class HalconAutomaticOperatorParallelizationSettings : public Settings_Change_Helper {
    Q_OBJECT
public:
    explicit HalconAutomaticOperatorParallelizationSettings(QObject* parent = nullptr);
    ~HalconAutomaticOperatorParallelizationSettings() override;

    void setDefaults();
    bool load(const QString& fileName);
    // Atomic: a failed save leaves the previous file as it was.
    bool save(const QString& fileName);
    QString toText();
    // Starts from the defaults; values missing in the text keep them. false only when the
    // text is no settings document.
    bool fromText(const QString& text);

    QString name;
    QString configVersion;
    bool NoAutomaticAsk = false;
    QString ApplicationName;
    QString ApplicationVersion;
    QString ComputerName;
    QString HalconVersion;
    int ProcessorCores = 0;
    QList<HalconAutomaticOperatorParallelizationOperator> HalconOperators;

private:
    void buildDocument();

    XML_Settings* m_document;
};
