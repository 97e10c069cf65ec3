#include "Halcon.h"
#include "ShapeModelFile_p.h"

#include <FileMutations.h>
#include <ProcessMemory.h>
#include <ShapeMatchPictures.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>

using namespace Halcon;
using namespace Halcon::ShapeMatching;

namespace {

// The header ahead of a model file's payload: magic, version, size, checksum.
constexpr int kHeaderSize = 24;

HTuple circleModel(double scaleMin = 0.9, double scaleMax = 1.1, double angleStart = 0.0, double angleExtent = 0.0)
{
    Hobject circle;
    gen_circle_contour_xld(&circle, 30.0, 30.0, 12.0, 0.0, 2.0 * std::numbers::pi, "positive", 0.5);
    HTuple model;
    const Herror err = create_scaled_shape_model_xld(circle, 3, angleStart, angleExtent, "auto", scaleMin, scaleMax,
                                                     "auto", "auto", "use_polarity", 10, &model);
    return err == kSuccess ? model : HTuple();
}

// A dark circle of the model's size in the middle of a small picture.
Hobject circleScene()
{
    ShapeMatchPictures::Scene scene;
    scene.width = scene.height = 120;
    scene.background = 190.0;
    scene.noiseSigma = 2.0;
    ShapeMatchPictures::Item item;
    item.shape = ShapeMatchPictures::circle(12.0);
    item.row = 58.3;
    item.column = 61.6;
    scene.items.push_back(item);
    return ShapeMatchPictures::render(scene);
}

Herror search(const Hobject &image, const HTuple &model, Hlong *count)
{
    HTuple row, column, angle, scale, score;
    const Herror err = find_scaled_shape_model(image, model, -std::numbers::pi, 2.0 * std::numbers::pi, 0.5, 2.0,
                                               0.5, 0, 0.5, "least_squares", 0, 0.9, &row, &column, &angle, &scale,
                                               &score);
    *count = score.Length();
    return err;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

using Change = std::function<void(ShapeModelData &, ModelSettings &)>;

} // namespace

class tst_HostileShapeModelFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void hostileValuesAreRefused_data();
    void hostileValuesAreRefused();
    void limitsBindNewModelsToo();
    void modelAtTheLimitsIsSearchedSafely();
    void mutatedModelFiles();

private:
    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

    QTemporaryDir m_dir;
    QByteArray m_valid;
    Hobject m_scene;
};

void tst_HostileShapeModelFiles::initTestCase()
{
    const HTuple model = circleModel();
    QCOMPARE(model.Length(), Hlong(1));
    QCOMPARE(write_shape_model(model, path("valid.modeldata").toStdString().c_str()), kSuccess);
    clear_shape_model(model);
    QFile file(path("valid.modeldata"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    m_valid = file.readAll();
    m_scene = circleScene();
}

void tst_HostileShapeModelFiles::hostileValuesAreRefused_data()
{
    QTest::addColumn<Change>("change");
    const auto row = [](const char *name, Change change) { QTest::newRow(name) << change; };
    const double huge = 1.0e300;
    row("time-out beyond 10^12 ms", [](ShapeModelData &, ModelSettings &s) { s.timeoutMs = 1000000000001LL; });
    row("largest time-out", [](ShapeModelData &, ModelSettings &s) { s.timeoutMs = std::numeric_limits<Hlong>::max(); });
    row("origin far out", [=](ShapeModelData &, ModelSettings &s) { s.originColumn = huge; });
    row("angle start far out", [](ShapeModelData &d, ModelSettings &) { d.angleStart = -1.0e6; });
    row("angle extent of 7 rad", [](ShapeModelData &d, ModelSettings &) { d.angleExtent = 7.0; });
    row("angle extent 10^300", [=](ShapeModelData &d, ModelSettings &) { d.angleExtent = huge; });
    row("scale minimum 10^-9", [](ShapeModelData &d, ModelSettings &) { d.scaleMin = 1.0e-9; });
    row("scale maximum 10^6", [](ShapeModelData &d, ModelSettings &) { d.scaleMax = 1.0e6; });
    row("scale step 10^300", [=](ShapeModelData &d, ModelSettings &) { d.scaleStep = huge; });
    row("minimum contrast 10^300", [=](ShapeModelData &d, ModelSettings &) { d.minContrast = huge; });
    row("point far out", [](ShapeModelData &d, ModelSettings &) { d.levels[0].points[3].x = 3.0e9f; });
    row("point on a higher level far out", [](ShapeModelData &d, ModelSettings &) { d.levels[2].points[0].y = -5.0e8f; });
    row("direction not of unit length", [](ShapeModelData &d, ModelSettings &) { d.levels[0].points[0].dx = 40.0f; });
    row("direction zero", [](ShapeModelData &d, ModelSettings &) {
        d.levels[1].points[1].dx = 0.0f;
        d.levels[1].points[1].dy = 0.0f;
    });
    row("contour point far out", [](ShapeModelData &d, ModelSettings &) { d.levels[0].contours[0][0].row = 1.0e12; });
    row("contour point not a number", [](ShapeModelData &d, ModelSettings &) {
        d.levels[0].contours[0][0].col = std::numeric_limits<double>::quiet_NaN();
    });
}

// Values written with a correct checksum, as a hostile or damaged-and-resealed file holds them.
void tst_HostileShapeModelFiles::hostileValuesAreRefused()
{
    QFETCH(Change, change);
    ModelSnapshot valid;
    QCOMPARE(ShapeModelFile::decode(m_valid, &valid), kSuccess);
    auto data = std::make_shared<ShapeModelData>(*valid.data);
    ModelSnapshot hostile{nullptr, valid.settings};
    change(*data, hostile.settings);
    hostile.data = data;
    QVERIFY(writeBytes(path("hostile.modeldata"), ShapeModelFile::encode(hostile)));
    HTuple read = -1;
    QCOMPARE(read_shape_model(path("hostile.modeldata").toStdString().c_str(), &read), kErrFileFormatContent);
    QCOMPARE(read, HTuple(-1));
}

// A model the layer makes can always be written and read back: the same limits bind it.
void tst_HostileShapeModelFiles::limitsBindNewModelsToo()
{
    Hobject circle, far;
    gen_circle_contour_xld(&circle, 30.0, 30.0, 12.0, 0.0, 2.0 * std::numbers::pi, "positive", 0.5);
    HTuple model = -1;
    const auto create = [&](const Hobject &contours, double angleExtent, double scaleMin, double scaleMax,
                            double minContrast) {
        return create_scaled_shape_model_xld(contours, 3, 0.0, angleExtent, "auto", scaleMin, scaleMax, "auto",
                                             "auto", "use_polarity", minContrast, &model);
    };
    QCOMPARE(create(circle, 7.0, 0.9, 1.1, 10.0), kErrWrongValue3);
    QCOMPARE(create(circle, 0.0, 0.001, 1.1, 10.0), kErrWrongValue5);
    QCOMPARE(create(circle, 0.0, 0.9, 1000.0, 10.0), kErrWrongValue6);
    QCOMPARE(create(circle, 0.0, 0.9, 1.1, 1.0e7), kErrWrongValue10);
    // Contour points lie about their centre: a contour that spans more than the limit.
    gen_contour_polygon_xld(&far, HTuple(std::vector<double>{0.0, 3.0e6, 3.0e6}), HTuple(std::vector<double>{0.0, 0.0, 10.0}));
    QCOMPARE(create(far, 0.0, 0.9, 1.1, 10.0), kErrImageTooLarge);
    QCOMPARE(model, HTuple(-1));

    QCOMPARE(create(circle, 2.0 * std::numbers::pi, 0.01, 100.0, 10.0), kSuccess);
    QCOMPARE(set_shape_model_origin(model, 1.0e7, 0.0), kErrWrongValue2);
    QCOMPARE(write_shape_model(model, path("limits.modeldata").toStdString().c_str()), kSuccess);
    HTuple read;
    QCOMPARE(read_shape_model(path("limits.modeldata").toStdString().c_str(), &read), kSuccess);
    clear_shape_model(model);
    clear_shape_model(read);
}

// The widest ranges a model may have, on a picture it fits many times over: the search ends
// (found, time-out or refused for memory) without overflowing anything.
void tst_HostileShapeModelFiles::modelAtTheLimitsIsSearchedSafely()
{
    const HTuple model = circleModel(0.01, 100.0, -std::numbers::pi, 2.0 * std::numbers::pi);
    QCOMPARE(model.Length(), Hlong(1));
    QCOMPARE(set_shape_model_param(model, "timeout", 500), kSuccess);
    ProcessMemory::resetPeak();
    const qint64 residentKB = ProcessMemory::statusKB("VmRSS");
    Hlong count = 0;
    const Herror err = search(m_scene, model, &count);
    QVERIFY2(err == kSuccess || err == kErrTimeout || err == kErrOutOfMemory, qPrintable(QString::number(err)));
    QVERIFY(ProcessMemory::statusKB("VmHWM") - residentKB < 1280 * 1024 + ProcessMemory::sanitizerAllowanceKB());
    clear_shape_model(model);
}

// Seeded damage of a model file's payload, resealed with a correct checksum so that every
// value check is reached: a model either is refused or loads and can be searched.
void tst_HostileShapeModelFiles::mutatedModelFiles()
{
    const QByteArray payload = m_valid.mid(kHeaderSize);
    ProcessMemory::resetPeak();
    const qint64 residentKB = ProcessMemory::statusKB("VmRSS");
    int loaded = 0;
    for (quint32 seed = 1; seed <= 250; ++seed) {
        QVERIFY(writeBytes(path("mutated.modeldata"), ShapeModelFile::sealed(FileMutations::mutated(payload, seed))));
        HTuple model = -1;
        const Herror read = read_shape_model(path("mutated.modeldata").toStdString().c_str(), &model);
        QVERIFY2(read == kSuccess || read == kErrFileFormatContent, qPrintable(QString::number(seed)));
        if (read != kSuccess) {
            QCOMPARE(model, HTuple(-1));
            continue;
        }
        ++loaded;
        QCOMPARE(set_shape_model_param(model, "timeout", 300), kSuccess);
        Hlong count = 0;
        const Herror err = search(m_scene, model, &count);
        QVERIFY2(err == kSuccess || err == kErrTimeout || err == kErrOutOfMemory,
                 qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(err)));
        clear_shape_model(model);
    }
    // The search's own bound on its memory, and room for the pictures' pyramids.
    QVERIFY(ProcessMemory::statusKB("VmHWM") - residentKB < 1280 * 1024 + ProcessMemory::sanitizerAllowanceKB());
    QVERIFY(loaded > 0);
}

QTEST_GUILESS_MAIN(tst_HostileShapeModelFiles)
#include "tst_HostileShapeModelFiles.moc"
