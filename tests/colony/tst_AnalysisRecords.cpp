#include "IColoniesCollection.h"
#include "IImageRefPointsView.h"
#include "IPlate.h"
#include "IProgress.h"
#include "ITaskCancellation.h"
#include "ImageColony.h"
#include "ImageRefPoint.h"
#include "ImageRefPointsMetrics.h"

#include <ColonyFields.h>

#include <Halcon.h>

#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace {

// Field-by-field comparison; the two contours compare by identity of their shared elements.
QString firstDifference(const ImageColony& a, const ImageColony& b)
{
    if (const QString field = ColonyFields::firstDifference(a, b); !field.isEmpty())
        return field;
    if (!a.Contour.SharesElementsWith(b.Contour))
        return QStringLiteral("Contour");
    if (!a.OutlineContour.SharesElementsWith(b.OutlineContour))
        return QStringLiteral("OutlineContour");
    return QString();
}

ImageColony measuredColony()
{
    ImageColony c;
    c.ContainerNumber = 7;
    c.ColonyIndex = 2;
    c.IsGoodColony = true;
    c.PropertiesPassed = true;
    c.ColorPassed = true;
    c.ErrorCode = 131;
    Halcon::gen_circle_contour_xld(&c.Contour, 120.0, 80.0, 6.0, 0.0, 6.283185307179586, "positive", 1.0);
    Halcon::gen_circle_contour_xld(&c.OutlineContour, 120.0, 80.0, 10.5, 0.0, 6.283185307179586, "positive", 1.0);
    c.Label = QStringLiteral("HalconObject_Colonies.Included.7.2.");
    double v = 1.0;
    for (double* field : {&c.PosX_px, &c.PosY_px, &c.Area_px, &c.Radius_px, &c.PosXCorrected_px, &c.PosYCorrected_px,
                          &c.PosX_mm, &c.PosY_mm, &c.Area_mm2, &c.Circularity, &c.ClearanceNeighbor_mm,
                          &c.ClearanceMargin_mm, &c.LoadingArea_pct, &c.LoadingCircularity_pct,
                          &c.LoadingClearanceNeighbor_pct, &c.LoadingClearanceMargin_pct, &c.ColorRed, &c.ColorGreen,
                          &c.ColorBlue, &c.LoadingColorRed_pct, &c.LoadingColorGreen_pct, &c.LoadingColorBlue_pct,
                          &c.LoadingTotal_pct, &c.ColorHue, &c.ColorSaturation, &c.ColorIntensity, &c.ColorArea_pct,
                          &c.NeighborDistance_px})
        *field = (v += 1.25);
    c.CenterInside = true;
    c.SelfIntersecting = true;
    c.PickingOrder = 3;
    c.IsExcluded = true;
    c.IsUserEdited = true;
    c.NeighborIndex = 4;
    return c;
}

// Emits the records from a thread of its own, as the analysis worker does.
class Emitter : public QObject {
    Q_OBJECT
signals:
    void colony(ImageColony item);
    void refPoint(QString text, ImageRefPoint item);
    void metrics(ImageRefPointsMetrics item);
};

class Receiver : public QObject {
    Q_OBJECT
public:
    ImageColony lastColony;
    QString lastText;
    ImageRefPoint lastRefPoint;
    ImageRefPointsMetrics lastMetrics;
    QThread* colonyThread = nullptr;
    int colonies = 0;
signals:
    void signal_metricsReceived();
public slots:
    void slot_colony(ImageColony item)
    {
        lastColony = item;
        colonyThread = QThread::currentThread();
        ++colonies;
    }
    void slot_refPoint(QString text, ImageRefPoint item)
    {
        lastText = text;
        lastRefPoint = item;
    }
    void slot_metrics(ImageRefPointsMetrics item)
    {
        lastMetrics = item;
        emit signal_metricsReceived();
    }
};

// The engine holds its collaborators through the interfaces and may delete a fake through
// them; each fake counts its calls and destruction.
struct Fakes : IPlate, ITaskCancellation, IProgress, IImageRefPointsView, IColoniesCollection {
    int* destroyed;
    QStringList calls;
    explicit Fakes(int* counter) : destroyed(counter) {}
    ~Fakes() override { ++*destroyed; }
    Errors::Type_Error containerContour(Halcon::Hobject& contour, qint32 index, double offset) override
    {
        calls << QStringLiteral("containerContour %1 %2").arg(index).arg(offset);
        return Halcon::gen_rectangle2_contour_xld(&contour, 10.0, 10.0, 0.0, 5.0, 5.0) == 2 ? 0 : 40;
    }
    bool isCancelled() override
    {
        calls << QStringLiteral("isCancelled");
        return true;
    }
    void setProgressText(const QString& text) override { calls << text; }
    void add(const QString& text, const ImageRefPoint& item) override
    {
        calls << QStringLiteral("add %1 %2").arg(text).arg(item.Index);
    }
    void clear() override { calls << QStringLiteral("clear"); }
    void addMetrics(const ImageRefPointsMetrics& item) override
    {
        calls << QStringLiteral("addMetrics %1").arg(item.HorizontalResolution);
    }
    void add(const ImageColony& item) override { calls << QStringLiteral("colony %1").arg(item.ColonyIndex); }
};

} // namespace

class tst_AnalysisRecords : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void refPointDefaults();
    void metricsDefaults();
    void metricsResolution_data();
    void metricsResolution();
    void colonyDefaults();
    void colonyEveryFieldInitialised();
    void colonyCopyIsIndependent();

    void metaTypesByName();
    void recordsCrossThreadsQueued();
    void recordsThroughNamedQueuedCall();

    void interfacesDeleteThroughBase();
};

void tst_AnalysisRecords::initTestCase()
{
    ImageColony::registerMetaType();
    ImageRefPoint::registerMetaType();
    ImageRefPointsMetrics::registerMetaType();
}

void tst_AnalysisRecords::refPointDefaults()
{
    const ImageRefPoint point;
    QCOMPARE(point.Index, -1);
    QCOMPARE(point.Found, false);
    QCOMPARE(point.PosX_px, 0.0);
    QCOMPARE(point.PosY_px, 0.0);
    QVERIFY(point.ErrorText.isEmpty());
    QCOMPARE(point.Score, 0.0);
    QCOMPARE(point.Scale, 0.0);

    ImageRefPoint found;
    found.Index = 2;
    found.Found = true;
    found.PosX_px = 812.5;
    found.PosY_px = 33.25;
    found.ErrorText = QStringLiteral("none");
    found.Score = 0.93;
    found.Scale = 1.0125;
    ImageRefPoint copy(found);
    QVERIFY(copy == found);
    copy = point;
    QVERIFY(copy == point);
    QVERIFY(!(copy == found));
}

void tst_AnalysisRecords::metricsDefaults()
{
    const ImageRefPointsMetrics metrics;
    QCOMPARE(metrics.HorizontalResolution, 0.0);
    QCOMPARE(metrics.VerticalResolution, 0.0);
    QCOMPARE(metrics.AxisRotation, 0.0);
    QCOMPARE(metrics.CornerAngle, 0.0);
    QVERIFY(metrics.Message.isEmpty());
    QCOMPARE(ImageRefPointsMetrics::DegreesPerRadian * 3.14159265358979, 180.0);
}

void tst_AnalysisRecords::metricsResolution_data()
{
    QTest::addColumn<double>("horizontal");
    QTest::addColumn<double>("vertical");
    QTest::addColumn<bool>("shown");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("both set") << 12.5 << 12.4 << true;
    QTest::newRow("horizontal zero") << 0.0 << 12.4 << false;
    QTest::newRow("vertical zero") << 12.5 << 0.0 << false;
    QTest::newRow("horizontal not a number") << nan << 12.4 << false;
    QTest::newRow("vertical not a number") << 12.5 << nan << false;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 12.4 << false;
}

void tst_AnalysisRecords::metricsResolution()
{
    QFETCH(double, horizontal);
    QFETCH(double, vertical);
    QFETCH(bool, shown);
    ImageRefPointsMetrics metrics;
    metrics.HorizontalResolution = horizontal;
    metrics.VerticalResolution = vertical;
    QCOMPARE(metrics.hasResolution(), shown);
}

void tst_AnalysisRecords::colonyDefaults()
{
    const ImageColony colony;
    QCOMPARE(colony.ContainerNumber, 0);
    QCOMPARE(colony.ColonyIndex, -1);
    QCOMPARE(colony.ErrorCode, Errors::Type_Error(0));
    QVERIFY(colony.Contour.IsEmpty());
    QVERIFY(colony.OutlineContour.IsEmpty());
    QVERIFY(colony.Label.isEmpty());
    QCOMPARE(colony.PickingOrder, 0);
    QCOMPARE(colony.NeighborIndex, -1);
    QVERIFY(!colony.hasNeighbor());
    QCOMPARE(colony.NeighborDistance_px, 1.7976931348623157e308);
    QCOMPARE(colony.LoadingTotal_pct, 0.0);
    QVERIFY(!colony.IsGoodColony && !colony.IsExcluded && !colony.IsUserEdited);
}

void tst_AnalysisRecords::colonyEveryFieldInitialised()
{
    // Built over memory filled with two different patterns: a member without an initial
    // value would keep the pattern and the two colonies would differ.
    alignas(ImageColony) unsigned char first[sizeof(ImageColony)];
    alignas(ImageColony) unsigned char second[sizeof(ImageColony)];
    std::memset(first, 0xA5, sizeof first);
    std::memset(second, 0x00, sizeof second);
    ImageColony* a = new (first) ImageColony;
    ImageColony* b = new (second) ImageColony;
    const QString difference = firstDifference(*a, *b);
    a->~ImageColony();
    b->~ImageColony();
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void tst_AnalysisRecords::colonyCopyIsIndependent()
{
    const ImageColony source = measuredColony();
    ImageColony copy(source);
    QCOMPARE(firstDifference(copy, source), QString());
    copy.Label = QStringLiteral("changed");
    copy.Contour = Halcon::Hobject();
    QCOMPARE(source.Label, QStringLiteral("HalconObject_Colonies.Included.7.2."));
    QCOMPARE(source.Contour.CountObj(), Halcon::Hlong(1));

    ImageColony assigned;
    assigned = source;
    QCOMPARE(firstDifference(assigned, source), QString());
}

void tst_AnalysisRecords::metaTypesByName()
{
    for (const char* name : {"ImageColony", "ImageRefPoint", "ImageRefPointsMetrics"}) {
        const QMetaType type = QMetaType::fromName(name);
        QVERIFY2(type.isValid(), name);
        QCOMPARE(QByteArray(type.name()), QByteArray(name));
    }
    QCOMPARE(QMetaType::fromName("ImageColony"), QMetaType::fromType<ImageColony>());
}

void tst_AnalysisRecords::recordsCrossThreadsQueued()
{
    QThread worker;
    Emitter emitter;
    emitter.moveToThread(&worker);
    Receiver receiver;
    connect(&emitter, &Emitter::colony, &receiver, &Receiver::slot_colony, Qt::QueuedConnection);
    connect(&emitter, &Emitter::refPoint, &receiver, &Receiver::slot_refPoint, Qt::QueuedConnection);
    connect(&emitter, &Emitter::metrics, &receiver, &Receiver::slot_metrics, Qt::QueuedConnection);
    QSignalSpy received(&receiver, &Receiver::signal_metricsReceived);
    worker.start();

    const ImageColony colony = measuredColony();
    ImageRefPoint point;
    point.Index = 1;
    point.Found = true;
    point.PosX_px = 1500.25;
    point.PosY_px = 40.5;
    point.Score = 0.97;
    point.Scale = 0.995;
    ImageRefPointsMetrics metrics;
    metrics.HorizontalResolution = 12.625;
    metrics.VerticalResolution = 12.5;
    metrics.AxisRotation = -0.0125;
    metrics.CornerAngle = 1.5725;
    metrics.Message = QStringLiteral("Angle of reference points rectangle is outside tolerance");

    // The worker's copies go out of scope before the receiver runs.
    QMetaObject::invokeMethod(&emitter, [&emitter, colony, point, metrics]() {
        ImageColony local = colony;
        emit emitter.colony(local);
        emit emitter.refPoint(QString(), point);
        emit emitter.metrics(metrics);
    });
    QVERIFY(received.wait(10000));
    worker.quit();
    QVERIFY(worker.wait(10000));

    QCOMPARE(receiver.colonyThread, QThread::currentThread());
    QCOMPARE(firstDifference(receiver.lastColony, colony), QString());
    QVERIFY(receiver.lastRefPoint == point);
    QVERIFY(receiver.lastText.isEmpty());
    QVERIFY(receiver.lastMetrics == metrics);
    QCOMPARE(receiver.colonies, 1);
}

void tst_AnalysisRecords::recordsThroughNamedQueuedCall()
{
    // A queued call by name needs the types registered under their own names.
    Receiver receiver;
    const ImageColony colony = measuredColony();
    QVERIFY(QMetaObject::invokeMethod(&receiver, "slot_colony", Qt::QueuedConnection,
                                      Q_ARG(ImageColony, colony)));
    ImageRefPointsMetrics metrics;
    metrics.HorizontalResolution = 3.5;
    QVERIFY(QMetaObject::invokeMethod(&receiver, "slot_metrics", Qt::QueuedConnection,
                                      Q_ARG(ImageRefPointsMetrics, metrics)));
    QSignalSpy received(&receiver, &Receiver::signal_metricsReceived);
    QVERIFY(received.wait(10000));
    QCOMPARE(receiver.lastMetrics.HorizontalResolution, 3.5);
    QCOMPARE(firstDifference(receiver.lastColony, colony), QString());
}

void tst_AnalysisRecords::interfacesDeleteThroughBase()
{
    int destroyed = 0;
    auto* fakes = new Fakes(&destroyed);
    IPlate* plate = fakes;
    ITaskCancellation* cancellation = fakes;
    IProgress* progress = fakes;
    IImageRefPointsView* view = fakes;
    IColoniesCollection* colonies = fakes;

    Halcon::Hobject contour;
    QCOMPARE(plate->containerContour(contour, 4, -1.5), Errors::Type_Error(0));
    QCOMPARE(contour.CountObj(), Halcon::Hlong(1));
    QVERIFY(cancellation->isCancelled());
    progress->setProgressText(QStringLiteral("Colony properties..."));
    ImageRefPoint point;
    point.Index = 3;
    view->add(QStringLiteral("4. Bottom Right"), point);
    view->clear();
    ImageRefPointsMetrics metrics;
    metrics.HorizontalResolution = 2.5;
    view->addMetrics(metrics);
    ImageColony colony;
    colony.ColonyIndex = 5;
    colonies->add(colony);
    QCOMPARE(fakes->calls, QStringList({"containerContour 4 -1.5", "isCancelled", "Colony properties...",
                                        "add 4. Bottom Right 3", "clear", "addMetrics 2.5", "colony 5"}));

    std::unique_ptr<IColoniesCollection> owner(colonies);
    owner.reset();
    QCOMPARE(destroyed, 1);
    std::unique_ptr<IPlate> plateOwner(new Fakes(&destroyed));
    plateOwner.reset();
    QCOMPARE(destroyed, 2);
}

QTEST_GUILESS_MAIN(tst_AnalysisRecords)
#include "tst_AnalysisRecords.moc"
