// The stitcher settings file with the cross model's two files beside it (template picture and
// shape model), loaded, taken over and saved as one: a load that fails changes nothing, a save
// that fails leaves all three files as they were.

#include "StitcherSettingsFilesSetup.h"

#include <Halcon_Helper.h>
#include <XML_Settings.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <ThreadChecker.h>

#include <functional>

using FileContents::readAll;
using FileContents::writeAll;
using StitcherSettingsFilesSetup::Setup;
using StitcherSettingsFilesSetup::Trio;

namespace {

Errors::Type_Error littleDiskSpace(const QString&, double& total, double& free, double& available)
{
    total = 1000.0;
    free = available = 1.0;
    return 0;
}

qint64 failingWrite(QIODevice&, const QByteArray&)
{
    return -1;
}

using Damage = std::function<void(const QDir& folder, const Trio& other)>;
using Fault = std::function<void(const QDir& folder)>;

} // namespace

Q_DECLARE_METATYPE(Damage)
Q_DECLARE_METATYPE(Fault)

class tst_ImageStitcherSettingsFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void refusedLoadChangesNothing_data();
    void refusedLoadChangesNothing();
    void failedSaveLeavesTheFilesWhole_data();
    void failedSaveLeavesTheFilesWhole();
    void startKeepsCrossModelFilesItCannotRead_data();
    void startKeepsCrossModelFilesItCannotRead();

private:
    // Saved by init: "Tray" (the one loaded) and "Other", with different values and models.
    std::unique_ptr<QTemporaryDir> m_dir;
    QDir m_folder;
};

void tst_ImageStitcherSettingsFiles::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
}

void tst_ImageStitcherSettingsFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_folder = QDir(m_dir->filePath(QStringLiteral("settings/ImageStitcher")));
    QVERIFY(m_folder.mkpath(QStringLiteral(".")));
    Setup tray;
    QCOMPARE(tray.makeModel(11, CrossScenes::kRoiLeft), Errors::Type_Error(0));
    tray.settings.data().DistanceCameraToCrossPlane = 250.5;
    QVERIFY(tray.files.save(Trio(m_folder, QStringLiteral("Tray")).settings));
    Setup other;
    QCOMPARE(other.makeModel(5, CrossScenes::kRoiLeft - 2.5), Errors::Type_Error(0));
    other.settings.data().DistanceCameraToCrossPlane = 300.25;
    QVERIFY(other.files.save(Trio(m_folder, QStringLiteral("Other")).settings));
}

void tst_ImageStitcherSettingsFiles::cleanup()
{
    Halcon_Helper::setDiskSpaceFunction(nullptr);
    XML_Settings::setWriteFunction(nullptr);
}

void tst_ImageStitcherSettingsFiles::refusedLoadChangesNothing_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<int>("code");
    QTest::newRow("template picture missing")
        << Damage([](const QDir&, const Trio& other) { QVERIFY(QFile::remove(other.picture)); }) << 51;
    QTest::newRow("shape model damaged")
        << Damage([](const QDir&, const Trio& other) { QVERIFY(writeAll(other.model, "no model")); }) << 10010;
    QTest::newRow("shape model missing")
        << Damage([](const QDir&, const Trio& other) { QVERIFY(QFile::remove(other.model)); }) << 10010;
    QTest::newRow("settings file damaged")
        << Damage([](const QDir&, const Trio& other) { QVERIFY(writeAll(other.settings, "<ImageStitcherSettings")); })
        << 202;
    // The files of "../x" lie two folders up, where a settings name must not lead.
    QTest::newRow("a name that leads out of the folder") << Damage([](const QDir& folder, const Trio& other) {
        QByteArray text = readAll(other.settings);
        text.replace("<Name>Other</Name>", "<Name>../x</Name>");
        QVERIFY(writeAll(other.settings, text));
        const Trio outside(QDir(folder.filePath(QStringLiteral(".."))), QStringLiteral("x"));
        QVERIFY(QFile::copy(other.picture, outside.picture));
        QVERIFY(QFile::copy(other.model, outside.model));
    }) << 202;
}

// The failure after a load was refused: the values taken, the file name kept, the old
// template picture deleted and the model file emptied by the next save.
void tst_ImageStitcherSettingsFiles::refusedLoadChangesNothing()
{
    QFETCH(Damage, damage);
    QFETCH(int, code);
    const Trio tray(m_folder, QStringLiteral("Tray")), other(m_folder, QStringLiteral("Other"));
    Setup setup;
    QCOMPARE(setup.files.load(tray.settings, false), Errors::Type_Error(0));
    const ImageStitcherSettingsData before = setup.settings.data();
    const ModelMatchingShapeModelPtr model = setup.searcher.GetModel();
    QVERIFY(model);
    const QList<QByteArray> files = tray.contents();
    damage(m_folder, other);
    QSignalSpy custom(&setup.settings, &ImageStitcherSettings::signal_custom);

    QCOMPARE(int(setup.files.load(other.settings, true)), code);

    QVERIFY(setup.settings.data() == before);
    QCOMPARE(setup.files.fileName(), tray.settings);
    QCOMPARE(setup.searcher.GetModel(), model);
    QCOMPARE(setup.creator.GetModel(), model);
    QCOMPARE(setup.picture.GetModelPictureFile(), tray.picture);
    QCOMPARE(custom.size(), 0);
    // Saved again, the files hold what they held.
    QVERIFY(setup.files.save(setup.files.fileName()));
    QCOMPARE(readAll(tray.picture), files.at(1));
    QCOMPARE(readAll(tray.model), files.at(2));
    Setup reloaded;
    QCOMPARE(reloaded.files.load(tray.settings, false), Errors::Type_Error(0));
    QVERIFY(reloaded.settings.data() == before);
}

void tst_ImageStitcherSettingsFiles::failedSaveLeavesTheFilesWhole_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<Fault>("fault");
    QTest::newRow("template picture not written") << "Tray" << Fault([](const QDir&) {
        Halcon_Helper::setDiskSpaceFunction(&littleDiskSpace);
    });
    QTest::newRow("settings file not written") << "Tray" << Fault([](const QDir&) {
        XML_Settings::setWriteFunction(&failingWrite);
    });
    // Save As: the settings file is written only once the model files can be.
    QTest::newRow("a folder where the new model file goes") << "New" << Fault([](const QDir& folder) {
        QVERIFY(folder.mkdir(Trio(folder, QStringLiteral("New")).model));
    });
    QTest::newRow("a folder where the new template goes") << "New" << Fault([](const QDir& folder) {
        QVERIFY(folder.mkdir(Trio(folder, QStringLiteral("New")).picture));
    });
}

void tst_ImageStitcherSettingsFiles::failedSaveLeavesTheFilesWhole()
{
    QFETCH(QString, target);
    QFETCH(Fault, fault);
    const Trio tray(m_folder, QStringLiteral("Tray")), saved(m_folder, target);
    Setup setup;
    QCOMPARE(setup.files.load(tray.settings, false), Errors::Type_Error(0));
    // Edited: a template, a region, a model and a distance of their own.
    QCOMPARE(setup.makeModel(23, CrossScenes::kRoiLeft + 1.5), Errors::Type_Error(0));
    setup.settings.data().DistanceCameraToCrossPlane = 199.75;
    const QList<QByteArray> before = saved.contents();
    const QStringList entries = m_folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    fault(m_folder);

    QVERIFY(!setup.files.save(saved.settings));

    cleanup();
    QCOMPARE(saved.contents(), before);
    QCOMPARE(QFileInfo::exists(saved.settings), target == QLatin1String("Tray"));
    QCOMPARE(setup.files.fileName(), tray.settings);
    // Nothing written on the way stays behind.
    QStringList after = m_folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    after.removeAll(QFileInfo(saved.model).fileName());
    after.removeAll(QFileInfo(saved.picture).fileName());
    QStringList expected = entries;
    expected.removeAll(QFileInfo(saved.model).fileName());
    expected.removeAll(QFileInfo(saved.picture).fileName());
    QCOMPARE(after, expected);
    // Once the fault is gone, the same save puts all three in place.
    QDir(saved.model).removeRecursively();
    QDir(saved.picture).removeRecursively();
    QVERIFY(setup.files.save(saved.settings));
    Setup reloaded;
    QCOMPARE(reloaded.files.load(saved.settings, false), Errors::Type_Error(0));
    QCOMPARE(reloaded.settings.data().DistanceCameraToCrossPlane, 199.75);
    QVERIFY(reloaded.searcher.GetModel());
}

void tst_ImageStitcherSettingsFiles::startKeepsCrossModelFilesItCannotRead_data()
{
    QTest::addColumn<QString>("damaged");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("saved");
    QTest::newRow("shape model damaged") << "model" << QByteArray("no model") << true;
    QTest::newRow("shape model cut short") << "model" << QByteArray("HSM") << true;
    // The template cannot be read for the save: the save is refused rather than losing it.
    QTest::newRow("template picture damaged") << "picture" << QByteArray("\x89PNG cut short") << false;
    // No template: the model that was read is written back as it was, not emptied.
    QTest::newRow("template picture missing") << "picture" << QByteArray() << true;
}

// At start there is nothing to keep instead of the default file: its values are taken with
// what of the cross model reads, and a save under the same name leaves the files that did
// not read exactly as they were, the one that did too.
void tst_ImageStitcherSettingsFiles::startKeepsCrossModelFilesItCannotRead()
{
    QFETCH(QString, damaged);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, saved);
    const Trio tray(m_folder, QStringLiteral("Tray"));
    const QString file = damaged == QLatin1String("model") ? tray.model : tray.picture;
    QVERIFY(bytes.isNull() ? QFile::remove(file) : writeAll(file, bytes));
    const QList<QByteArray> files = tray.contents();
    Setup setup;

    QVERIFY(setup.files.loadAtStart(tray.settings));

    QCOMPARE(setup.files.fileName(), tray.settings);
    QCOMPARE(setup.settings.data().DistanceCameraToCrossPlane, 250.5);
    QCOMPARE(setup.settings.data().CrossModel.Model.ROI.size(), 1);
    QCOMPARE(bool(setup.searcher.GetModel()), damaged != QLatin1String("model"));
    QCOMPARE(setup.picture.GetModelPictureFile(), bytes.isNull() ? QString() : tray.picture);
    QCOMPARE(setup.files.save(setup.files.fileName()), saved);
    QCOMPARE(QFileInfo::exists(tray.picture), !bytes.isNull());
    QCOMPARE(readAll(tray.picture), files.at(1));
    QCOMPARE(readAll(tray.model), files.at(2));
}

QTEST_MAIN(tst_ImageStitcherSettingsFiles)
#include "tst_ImageStitcherSettingsFiles.moc"
