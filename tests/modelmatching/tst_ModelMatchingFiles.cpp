#include "ModelMatchingSetup.h"

#include <FileContents.h>
#include <Halcon.h>
#include <Halcon_Helper.h>
#include <HalconTestPictures.h>
#include <ModelMatchingErrors.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <ThreadChecker.h>

#include <cmath>

using namespace Halcon;

using FileContents::readAll;
using FileContents::writeAll;

namespace {

const QString kBase = QStringLiteral("Plate");
const QString kPictureFile = QStringLiteral("Plate.modelmatching.modelpicture.png");
const QString kModelFile = QStringLiteral("Plate.modelmatching.referenceposition.modeldata");

// A saved cross model: template picture and model file in dir.
void saveCrossModel(const QString& dir)
{
    ModelMatchingSetup setup;
    setup.addCrossRoi();
    QCOMPARE(setup.createCrossModel(), ModelMatchingErrors::NoError);
    QCOMPARE(setup.facade->SaveFiles(dir, kBase), ModelMatchingErrors::NoError);
}

bool findsCross(ModelMatchingSetup& setup, ModelMatchingSearchResult& r)
{
    const Hobject view = CrossScenes::view({{300.4, 400.6}});
    return setup.facade->SearchModel(
               ModelMatchingSetup::stitcherSearch(view, CrossScenes::searchArea(150, 250, 450, 550)), r)
        == 0
        && r.Found;
}

} // namespace

class tst_ModelMatchingFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void roundTrip();
    void fileNames_data();
    void fileNames();
    void modelFileStates_data();
    void modelFileStates();
    void savedModelFileFollowsTheRegions();
    void missingTemplateFileStopsTheLoad();
    void templateLoadedOnDemand();
    void templateSavedOnlyWhenNeeded();
    void unreadableTemplateKeepsItsOwnFile();
};

void tst_ModelMatchingFiles::roundTrip()
{
    QTemporaryDir dir;
    saveCrossModel(dir.path());
    QVERIFY(QFile::exists(dir.filePath(kPictureFile)));
    QVERIFY(QFile::exists(dir.filePath(kModelFile)));

    ModelMatchingSetup loaded(false);
    loaded.addCrossRoi();
    QCOMPARE(loaded.facade->LoadFiles(dir.path(), kBase), ModelMatchingErrors::NoError);
    QVERIFY(loaded.searcher->GetModel());
    QCOMPARE(loaded.creator->GetModel(), loaded.searcher->GetModel());
    QCOMPARE(loaded.facade->GetMode(), int(ModelMatching::Mode_Analyse));
    QCOMPARE(HalconTestPictures::maxPixelDifference(loaded.facade->GetModelPictureCopy(), CrossScenes::crossTemplate()),
             0);

    ModelMatchingSearchResult r;
    QVERIFY(findsCross(loaded, r));
    double x = 0.0, y = 0.0;
    ModelMatching::TransformPoint(CrossScenes::kTemplateColumn, CrossScenes::kTemplateRow, r.Transform, x, y);
    QVERIFY(std::abs(x - 400.6) < 0.1 && std::abs(y - 300.4) < 0.1);

    // The model read back can be written back (the search worker shares it with the
    // create worker, which writes it) and read again.
    QTemporaryDir again;
    QCOMPARE(loaded.facade->SaveFiles(again.path(), kBase), ModelMatchingErrors::NoError);
    ModelMatchingSetup reloaded(false);
    reloaded.addCrossRoi();
    QCOMPARE(reloaded.facade->LoadFiles(again.path(), kBase), ModelMatchingErrors::NoError);
    ModelMatchingSearchResult r2;
    QVERIFY(findsCross(reloaded, r2));
    QCOMPARE(r2.Transform, r.Transform);
}

void tst_ModelMatchingFiles::fileNames_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("expected");
    QTest::newRow("template picture") << "Stitch" << "modelmatching" << ".modelpicture.png"
                                      << "Stitch/Plate.modelmatching.modelpicture.png";
    QTest::newRow("no name") << "Stitch" << "" << ".modelpicture.png" << "Stitch/Plate.modelpicture.png";
    QTest::newRow("no folder") << "" << "modelmatching.referenceposition" << ".modeldata"
                               << "Plate.modelmatching.referenceposition.modeldata";
    QTest::newRow("neither") << "" << "" << ".modeldata" << "Plate.modeldata";
}

void tst_ModelMatchingFiles::fileNames()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, suffix);
    QFETCH(QString, expected);
    QCOMPARE(ModelMatching::ComponentFilePath(folder, kBase, name, suffix), expected);

    ModelMatchingSetup setup(false);
    QCOMPARE(setup.facade->GetModelPictureFileName(kBase), kPictureFile);
    QCOMPARE(setup.facade->GetModelDataFileName(kBase), kModelFile);
    setup.creator.reset();
    QCOMPARE(setup.facade->GetModelDataFileName(kBase), kModelFile); // from the search worker
    setup.searcher.reset();
    setup.picture.reset();
    QVERIFY(setup.facade->GetModelDataFileName(kBase).isEmpty());
    QVERIFY(setup.facade->GetModelPictureFileName(kBase).isEmpty());
}

void tst_ModelMatchingFiles::modelFileStates_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("regions");
    QTest::addColumn<int>("expected");
    QTest::newRow("missing, with regions") << "missing" << true << 10010;
    QTest::newRow("missing, without regions") << "missing" << false << 0;
    QTest::newRow("empty: no model") << "empty" << true << 0;
    QTest::newRow("truncated") << "truncated" << true << 10010;
    QTest::newRow("one byte flipped") << "flipped" << true << 10010;
    QTest::newRow("a picture") << "picture" << true << 10010;
    QTest::newRow("a folder") << "folder" << true << 10010;
}

void tst_ModelMatchingFiles::modelFileStates()
{
    QFETCH(QString, state);
    QFETCH(bool, regions);
    QFETCH(int, expected);
    QTemporaryDir dir;
    saveCrossModel(dir.path());
    const QString model = dir.filePath(kModelFile);
    const QByteArray bytes = readAll(model);
    QVERIFY(bytes.size() > 100);
    QFile::remove(model);
    if (state == "empty")
        QVERIFY(writeAll(model, QByteArray()));
    else if (state == "truncated")
        QVERIFY(writeAll(model, bytes.left(bytes.size() / 2)));
    else if (state == "flipped")
        QVERIFY(writeAll(model, QByteArray(bytes).replace(bytes.size() / 2, 1, QByteArray(1, char(bytes[bytes.size() / 2] ^ 0x40)))));
    else if (state == "picture")
        QVERIFY(QFile::copy(dir.filePath(kPictureFile), model));
    else if (state == "folder")
        QVERIFY(QDir(dir.path()).mkdir(kModelFile));

    ModelMatchingSetup loaded(false);
    if (regions)
        loaded.addCrossRoi();
    // A model from before must not survive a load.
    loaded.setTemplate(CrossScenes::crossTemplate());
    loaded.addCrossRoi();
    QCOMPARE(loaded.createCrossModel(), ModelMatchingErrors::NoError);
    if (!regions) {
        const auto lock = loaded.facade->LockSettings();
        loaded.settings.Model.ROI.clear();
    }
    QCOMPARE(int(loaded.facade->LoadFiles(dir.path(), kBase)), expected);
    QVERIFY(!loaded.searcher->GetModel());
    QVERIFY(!loaded.creator->GetModel());
    ModelMatchingSearchResult r;
    QCOMPARE(loaded.facade->SearchModel(ModelMatchingSetup::stitcherSearch(CrossScenes::view({{300, 400}}),
                                                                           CrossScenes::searchArea(150, 250, 450, 550)),
                                        r),
             ModelMatchingErrors::NoModel);
}

void tst_ModelMatchingFiles::savedModelFileFollowsTheRegions()
{
    QTemporaryDir dir;
    const QString model = dir.filePath(kModelFile);
    ModelMatchingSetup setup;
    setup.addCrossRoi();
    // Regions, but no model made yet: an empty file says so.
    QCOMPARE(setup.facade->SaveFiles(dir.path(), kBase), ModelMatchingErrors::NoError);
    QVERIFY(QFile::exists(model));
    QCOMPARE(QFile(model).size(), qint64(0));
    QCOMPARE(setup.createCrossModel(), ModelMatchingErrors::NoError);
    QCOMPARE(setup.facade->SaveFiles(dir.path(), kBase), ModelMatchingErrors::NoError);
    QVERIFY(QFile(model).size() > 0);
    // No regions: no model file at all.
    {
        const auto lock = setup.facade->LockSettings();
        setup.settings.Model.ROI.clear();
    }
    QCOMPARE(setup.facade->SaveFiles(dir.path(), kBase), ModelMatchingErrors::NoError);
    QVERIFY(!QFile::exists(model));
    QVERIFY(QFile::exists(dir.filePath(kPictureFile)));
}

void tst_ModelMatchingFiles::missingTemplateFileStopsTheLoad()
{
    QTemporaryDir dir;
    saveCrossModel(dir.path());
    QFile::remove(dir.filePath(kPictureFile));
    ModelMatchingSetup loaded(false);
    loaded.addCrossRoi();
    QCOMPARE(loaded.facade->SetModelPictureMode(ModelMatching::Mode_DefineModel), ModelMatchingErrors::NoError);
    QCOMPARE(int(loaded.facade->LoadFiles(dir.path(), kBase)), 51);
    QVERIFY(!loaded.searcher->GetModel()); // the model file was not read
    QCOMPARE(loaded.facade->GetMode(), int(ModelMatching::Mode_DefineModel));
    Hobject picture;
    QCOMPARE(loaded.facade->GetModelPicture(picture), ModelMatchingErrors::NoModelPicture);
}

void tst_ModelMatchingFiles::templateLoadedOnDemand()
{
    QTemporaryDir dir;
    QVERIFY(writeAll(dir.filePath(kPictureFile), QByteArray("not a picture")));
    ModelMatching_ModelPicture onDemand(nullptr, QStringLiteral("modelmatching"), true);
    QCOMPARE(onDemand.LoadFiles(dir.path(), kBase), ModelMatchingErrors::NoError);
    Hobject picture;
    QCOMPARE(int(onDemand.GetModelPicture(picture)), 54);
    QVERIFY(!onDemand.HasModelPicture());
    ModelMatching_ModelPicture atOnce(nullptr, QStringLiteral("modelmatching"), false);
    QCOMPARE(int(atOnce.LoadFiles(dir.path(), kBase)), 54);
    QVERIFY(atOnce.GetModelPictureFile().isEmpty());
}

void tst_ModelMatchingFiles::templateSavedOnlyWhenNeeded()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(kPictureFile);
    ModelMatching_ModelPicture picture(nullptr, QStringLiteral("modelmatching"), true);
    QCOMPARE(picture.SetModelPicture(CrossScenes::crossTemplate()), ModelMatchingErrors::NoError);
    QCOMPARE(picture.SaveFiles(dir.path(), kBase), ModelMatchingErrors::NoError);
    QCOMPARE(picture.GetModelPictureFile(), path);
    const QByteArray saved = readAll(path);

    // The file already holds the template: nothing is written (a marker appended survives).
    QVERIFY(writeAll(path, saved + "marker"));
    QCOMPARE(picture.SaveFiles(dir.path(), kBase), ModelMatchingErrors::NoError);
    QVERIFY(readAll(path).endsWith("marker"));
    // Loading the same files again reads nothing, but switches to analyse mode.
    QCOMPARE(picture.SetMode(ModelMatching::Mode_DefineModel), ModelMatchingErrors::NoError);
    QCOMPARE(picture.LoadFiles(dir.path(), kBase), ModelMatchingErrors::NoError);
    QCOMPARE(picture.GetMode(), int(ModelMatching::Mode_Analyse));
    // A template set in memory is always written.
    QCOMPARE(picture.SetModelPicture(CrossScenes::crossTemplate(5)), ModelMatchingErrors::NoError);
    QCOMPARE(picture.SaveFiles(dir.path(), kBase), ModelMatchingErrors::NoError);
    QVERIFY(!readAll(path).endsWith("marker"));

    // Without a template, a stale file at the place is removed.
    ModelMatching_ModelPicture empty(nullptr, QStringLiteral("modelmatching"), true);
    QCOMPARE(empty.SaveFiles(dir.path(), kBase), ModelMatchingErrors::NoError);
    QVERIFY(!QFile::exists(path));
    // A template whose file went bad: the read error, and the file at the other place stays
    // as it was, beside the settings it belongs to (a failed save writes no settings file).
    QVERIFY(writeAll(path, QByteArray("damaged")));
    QCOMPARE(empty.LoadFiles(dir.path(), kBase), ModelMatchingErrors::NoError);
    QTemporaryDir other;
    QVERIFY(writeAll(other.filePath(kPictureFile), saved));
    QCOMPARE(int(empty.SaveFiles(other.path(), kBase)), 54);
    QCOMPARE(readAll(other.filePath(kPictureFile)), saved);
}

void tst_ModelMatchingFiles::unreadableTemplateKeepsItsOwnFile()
{
    // The template's file cannot be read now (cut short, say): saving the settings under
    // their own name must not cost the only copy of it.
    QTemporaryDir dir;
    const QString path = dir.filePath(kPictureFile);
    QVERIFY(writeAll(path, QByteArray("\x89PNG cut short")));
    ModelMatching_ModelPicture picture(nullptr, QStringLiteral("modelmatching"), true);
    QCOMPARE(picture.LoadFiles(dir.path(), kBase), ModelMatchingErrors::NoError);

    QCOMPARE(int(picture.SaveFiles(dir.path(), kBase)), 54);

    QCOMPARE(readAll(path), QByteArray("\x89PNG cut short"));
    QCOMPARE(picture.GetModelPictureFile(), path);
}

void tst_ModelMatchingFiles::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
}

QTEST_MAIN(tst_ModelMatchingFiles)
#include "tst_ModelMatchingFiles.moc"
