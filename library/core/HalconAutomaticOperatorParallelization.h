#pragma once

#include "Errors.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QWidget;

// Measures once per machine and application version how the vision layer's operators are
// best spread over the processor cores, keeps the layer's knowledge in
// "<application>.halcon.aop" and the conditions of the run in "<application>.haopsettings.xml",
// and reloads the knowledge at later starts while those conditions still hold. All
// operations are class-level and run on the user-interface thread; the one instance made by
// the library start only serves as translation context of the dialog texts.
class HalconAutomaticOperatorParallelization : public QObject {
    Q_OBJECT
public:
    explicit HalconAutomaticOperatorParallelization(QObject* parent = nullptr);
    ~HalconAutomaticOperatorParallelization() override;

    // Loads valid knowledge, or (unless loadOnly, and never in an automation server) asks
    // the user and measures. force skips the cached result and the user's "don't ask".
    static Errors::Type_Error execute(const QString& folder, const QStringList& extraOperators, bool loadOnly,
                                      bool force, bool interactive, QWidget* parent);
    // Runs a forced, silent measurement when "-HalconAutomaticOperatorParallelization" (any
    // letter case) is among the arguments after the program name; true when it was.
    static bool checkCommandLine(int argc, const char* const argv[], const QString& folder,
                                 const QStringList& extraOperators, QWidget* parent);
    static bool isOptimisationValid(const QString& folder, const QStringList& extraOperators);
    // 0 or 10301.
    static Errors::Type_Error readKnowledge(const QString& folder);
    // 0 or 10300.
    static Errors::Type_Error setNoAutomaticAsk(const QString& folder, bool value);
    // 0 or 10302.
    static Errors::Type_Error runOptimization(const QStringList& extraOperators);
    // 0, 10300 or 10301.
    static Errors::Type_Error writeResults(const QString& folder, const QStringList& extraOperators);

    // The library's own operators, measured in every run.
    static const QStringList& defaultOperators();
    // Folder + "/" + application name + suffix; the name alone for an empty folder.
    static QString knowledgeFileName(const QString& folder);
    static QString settingsFileName(const QString& folder);
    // "linear" with more than 2 cores, else "threshold".
    static QString optimizationModel(int processorCores);

    // Size of the picture the measurement times on; 0 keeps the layer's default. Lets
    // tests run the measurement quickly.
    static void setMeasurementPictureSize(int width, int height);
    // How long the wait box is drawn before the measurement blocks the thread (default 1000).
    static void setWaitBoxMilliseconds(int milliseconds);
};
