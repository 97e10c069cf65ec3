// A save of stitcher settings with their cross model files, the saving process killed at each
// of its steps in turn: no private file ever shows as a settings name, and the next load of
// the folder leaves nothing of a save killed before it changed a file or after it had put
// every file in place, the settings and their cross model files being the old three or the
// new three.

#include "COM_Class.h"
#include "SaverUnderKill.h"
#include "StitcherSettingsFilesSetup.h"

#include <Halcon_Helper.h>
#include <ModelMatchingPendingFiles.h>
#include <XML_Settings.h>

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using FileContents::readAll;
using FileContents::writeAll;
using StitcherSettingsFilesSetup::Setup;
using StitcherSettingsFilesSetup::Trio;

namespace {

// The child that saves once and ends itself at a given step: folder, step (0: none).
const char* const kSaverSwitch = "--stitcher-settings-saver";
constexpr int kEndedAtTheStep = 3;

const QString kSettingsFolder = QStringLiteral("settings/ImageStitcher");

int g_endAt = 0;
int g_steps = 0;
Halcon_Helper::DiskSpaceFunction g_diskSpace = nullptr;

// Every step of the save that changes or is about to change a file on disk.
void step()
{
    if (++g_steps == g_endAt)
        ::_exit(kEndedAtTheStep);
}

qint64 writeAfterStep(QIODevice& device, const QByteArray& data)
{
    step();
    return device.write(data);
}

// Asked by the picture writer just before it writes.
Errors::Type_Error diskSpaceAfterStep(const QString& path, double& total, double& free, double& available)
{
    step();
    return g_diskSpace(path, total, free, available);
}

// Loads "Tray", gives it a template, a model and a distance of its own, and saves it.
int runSaver(const QString& folder, int endAt)
{
    Setup setup;
    const Trio tray{QDir(folder), QStringLiteral("Tray")};
    if (setup.files.load(tray.settings, false) != 0 || setup.makeModel(23, CrossScenes::kRoiLeft + 1.5) != 0)
        return 1;
    setup.settings.data().DistanceCameraToCrossPlane = 199.75;
    g_endAt = endAt;
    ModelMatchingPendingFiles::setStepHook(&step);
    XML_Settings::setWriteFunction(&writeAfterStep);
    g_diskSpace = Halcon_Helper::setDiskSpaceFunction(&diskSpaceAfterStep);
    if (!setup.files.save(tray.settings))
        return 1;
    SaverUnderKill::say("steps " + QByteArray::number(g_steps));
    return 0;
}

// Every entry of the folder, hidden ones too.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList settingsNames()
{
    QVariantList names;
    COM_Class().Settings_GetImageStitcherSettingsNamesList(names);
    QStringList result;
    for (const QVariant& name : std::as_const(names))
        result << name.toString();
    return result;
}

} // namespace

class tst_ImageStitcherSettingsSaveKilled : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void killedSaveAtEachStep();

private:
    // The saver on a fresh copy of the starting files: its exit code and what it said.
    bool runChild(int endAt, int& exitCode, QByteArray& said);
    bool freshFolder();

    std::unique_ptr<QTemporaryDir> m_root;
    QString m_folder;
    QString m_previousCurrent;
    // The folder's files before the save, by name.
    QHash<QString, QByteArray> m_start;
};

void tst_ImageStitcherSettingsSaveKilled::initTestCase()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    m_folder = m_root->filePath(kSettingsFolder);
    QVERIFY(QDir().mkpath(m_folder));
    // The names list reads the folder from the current one, as in the program's folder.
    m_previousCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_root->path()));
    Setup tray;
    QCOMPARE(tray.makeModel(11, CrossScenes::kRoiLeft), Errors::Type_Error(0));
    tray.settings.data().DistanceCameraToCrossPlane = 250.5;
    QVERIFY(tray.files.save(Trio(QDir(m_folder), QStringLiteral("Tray")).settings));
    Setup other;
    QCOMPARE(other.makeModel(5, CrossScenes::kRoiLeft - 2.5), Errors::Type_Error(0));
    QVERIFY(other.files.save(Trio(QDir(m_folder), QStringLiteral("Other")).settings));
    for (const QString& name : entries(m_folder))
        m_start.insert(name, readAll(QDir(m_folder).filePath(name)));
    QCOMPARE(m_start.size(), 6);
}

void tst_ImageStitcherSettingsSaveKilled::cleanupTestCase()
{
    QDir::setCurrent(m_previousCurrent);
}

bool tst_ImageStitcherSettingsSaveKilled::freshFolder()
{
    QDir folder(m_folder);
    if (!folder.removeRecursively() || !QDir().mkpath(m_folder))
        return false;
    for (auto it = m_start.cbegin(); it != m_start.cend(); ++it) {
        if (!writeAll(folder.filePath(it.key()), it.value()))
            return false;
    }
    return true;
}

bool tst_ImageStitcherSettingsSaveKilled::runChild(int endAt, int& exitCode, QByteArray& said)
{
    if (!freshFolder())
        return false;
    QProcess saver;
    saver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    saver.start(QCoreApplication::applicationFilePath(),
                {QLatin1String(kSaverSwitch), m_folder, QString::number(endAt)});
    if (!saver.waitForFinished(120000) || saver.exitStatus() != QProcess::NormalExit)
        return false;
    exitCode = saver.exitCode();
    said = saver.readAllStandardOutput().trimmed();
    return true;
}

void tst_ImageStitcherSettingsSaveKilled::killedSaveAtEachStep()
{
    const Trio tray{QDir(m_folder), QStringLiteral("Tray")};
    const QStringList names{QStringLiteral("Other"), QStringLiteral("Tray")};
    const QStringList start = entries(m_folder);
    // A save that runs to its end: its steps, and the new template and model it leaves.
    int exitCode = -1;
    QByteArray said;
    QVERIFY(runChild(0, exitCode, said));
    QCOMPARE(exitCode, 0);
    QVERIFY2(said.startsWith("steps "), said.constData());
    const int steps = said.mid(6).toInt();
    QVERIFY(steps > 3);
    QCOMPARE(entries(m_folder), start);
    const QList<QByteArray> saved = tray.contents();
    const QList<QByteArray> old = {m_start.value(QFileInfo(tray.settings).fileName()),
                                   m_start.value(QFileInfo(tray.picture).fileName()),
                                   m_start.value(QFileInfo(tray.model).fileName())};
    QVERIFY(saved.at(1) != old.at(1) && saved.at(2) != old.at(2));

    for (int endAt = 1; endAt <= steps; ++endAt) {
        const QByteArray where = "killed at step " + QByteArray::number(endAt);
        QVERIFY2(runChild(endAt, exitCode, said), where.constData());
        QVERIFY2(exitCode == kEndedAtTheStep, where.constData());
        QVERIFY2(settingsNames() == names, where + ": " + settingsNames().join(QLatin1Char(' ')).toUtf8());
        const bool placing = !QDir(m_folder).entryList({QStringLiteral(".pending-*.placing")}, QDir::Files | QDir::Hidden).isEmpty();

        Setup reader;
        const Errors::Type_Error loaded = reader.files.load(tray.settings, false);

        QVERIFY2(settingsNames() == names, where.constData());
        if (placing) {
            // Killed half-way through putting files in place: the copies stay for a person.
            QVERIFY2(entries(m_folder) != start, where.constData());
            continue;
        }
        QVERIFY2(entries(m_folder) == start, where + ": " + entries(m_folder).join(QLatin1Char(' ')).toUtf8());
        QVERIFY2(loaded == 0, where.constData());
        const bool isNew = reader.settings.data().DistanceCameraToCrossPlane == 199.75;
        const QList<QByteArray> expected = isNew ? saved : old;
        QVERIFY2(readAll(tray.picture) == expected.at(1) && readAll(tray.model) == expected.at(2), where.constData());
    }
}

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], kSaverSwitch) == 0) {
        QApplication app(argc, argv);
        return runSaver(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    }
    QApplication app(argc, argv);
    tst_ImageStitcherSettingsSaveKilled test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ImageStitcherSettingsSaveKilled.moc"
