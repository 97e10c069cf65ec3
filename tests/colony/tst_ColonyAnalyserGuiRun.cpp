// A whole analysis of a generated 96-well plate through the real worker, as the page shows
// it: tables and record end with exactly the colonies the worker reported, in order, and the
// page counts as running until the last queued report has been applied.

#include "ColonyAnalyserGui.h"
#include "ColonyAnalyserGuiFixture.h"
#include "Errors.h"
#include "ReferencePointSearch.h"

#include <PlateSceneSettings.h>
#include <PlateScenes.h>

#include "NumericSortTreeWidgetItem.h"

#include <QLabel>
#include <QMutex>
#include <QMutexLocker>
#include <QSemaphore>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QtTest>

#include <vector>

using namespace ColonyAnalyserGuiFixture;

namespace {

constexpr int kRunTimeoutMs = 300000;

// What the worker emitted, recorded on its own thread.
struct Reports {
    QMutex mutex;
    std::vector<ImageColony> colonies;
    std::vector<int> containers;
    QSemaphore stopped;
};

} // namespace

class tst_ColonyAnalyserGuiRun : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void wholeRun();

private:
    Errors* m_errors = nullptr;
};

void tst_ColonyAnalyserGuiRun::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    m_errors = new Errors(nullptr, this);
}

void tst_ColonyAnalyserGuiRun::wholeRun()
{
    PlateScenes::Options options;
    options.labware = PlateScenes::Labware::Wells96;
    options.seed = 3;
    const PlateScenes::Scene scene = PlateScenes::generate(options);
    Page p(PlateSceneSettings::settingsFor(scene));
    ColonyAnalyserGui& page = *p.page;

    Reports reports;
    connect(&page, &ColonyAnalyserGui::signal_ColonyAdd, &page, [&](const ImageColony& colony) {
        QMutexLocker lock(&reports.mutex);
        reports.colonies.push_back(colony);
    }, Qt::DirectConnection);
    connect(&page, &ColonyAnalyserGui::signal_containerlist_add, &page,
            [&](QString, int number, QString, QString, int, Halcon::Hobject) {
                QMutexLocker lock(&reports.mutex);
                reports.containers.push_back(number);
            },
            Qt::DirectConnection);
    connect(&page, &ColonyAnalyserGui::signal_AnalyserStopped, &page, [&] { reports.stopped.release(1); },
            Qt::DirectConnection);

    bool running = false;
    QCOMPARE(page.Analyse(scene.image), Errors::Type_Error(0));
    QCOMPARE(page.CheckRunning(running), Errors::Type_Error(0));
    QVERIFY(running);

    // The GUI thread takes no event meanwhile: every report of the run stays queued.
    QVERIFY2(reports.stopped.tryAcquire(1, kRunTimeoutMs), "the run did not finish");
    QVERIFY(waitForIdleWorker(page, kRunTimeoutMs));
    QCOMPARE(page.CheckRunning(running), Errors::Type_Error(0));
    QVERIFY2(running, "idle worker with queued reports must count as running");
    QVERIFY(page.pendingUpdates().available() > 0);
    double x = 1.0;
    double y = 1.0;
    QCOMPARE(page.GetLLDPosition(0, x, y), ColonyAnalyserGui::ErrorBusy);
    QCOMPARE(x, 0.0);
    QCOMPARE(y, 0.0);

    QTRY_VERIFY_WITH_TIMEOUT((page.CheckRunning(running), !running), kRunTimeoutMs);
    QCOMPARE(page.pendingUpdates().available(), 0);
    QVERIFY(!page.isRunningDisplayed());

    // The record holds exactly what was reported, in order.
    QVERIFY(!reports.colonies.empty());
    QCOMPARE(int(page.rack().containers.size()), int(reports.containers.size()));
    QCOMPARE(int(reports.containers.size()), int(scene.containers.size()));
    size_t next = 0;
    int good = 0;
    int rejected = 0;
    for (size_t c = 0; c < page.rack().containers.size(); ++c) {
        const ColonyAnalyserGui::ContainerEntry& container = *page.rack().containers[c];
        QCOMPARE(int(container.row.ContainerNumber), reports.containers[c]);
        int goodHere = 0;
        for (const auto& colony : container.colonies) {
            QVERIFY(next < reports.colonies.size());
            const ImageColony& reported = reports.colonies[next++];
            QCOMPARE(colony->objectName, reported.Label);
            QCOMPARE(colony->containerNumber, reported.ContainerNumber);
            QCOMPARE(colony->row.PosX_px, reported.PosX_px);
            QCOMPARE(colony->row.PosY_px, reported.PosY_px);
            QCOMPARE(colony->row.LoadingTotal_pct, reported.LoadingTotal_pct);
            QCOMPARE(colony->row.PickingOrder, reported.PickingOrder);
            QCOMPARE(colony->row.IsGoodColony, reported.IsGoodColony);
            // Each row hangs under its container in the table of its kind.
            QVERIFY(colony->item);
            QCOMPARE(colony->item->parent(),
                     static_cast<QTreeWidgetItem*>(reported.IsGoodColony ? container.goodItem : container.rejectedItem));
            QCOMPARE(colony->item->text(4), QString::asprintf("%.1f", reported.PosX_px));
            goodHere += reported.IsGoodColony ? 1 : 0;
        }
        QCOMPARE(container.goodItem->childCount(), goodHere);
        QCOMPARE(container.rejectedItem->childCount(), int(container.colonies.size()) - goodHere);
        QCOMPARE(container.goodItem->text(1), QString::number(goodHere));
        good += goodHere;
        rejected += int(container.colonies.size()) - goodHere;
    }
    QCOMPARE(next, reports.colonies.size());
    QCOMPARE(page.goodColoniesTable()->topLevelItemCount(), int(scene.containers.size()));
    QCOMPARE(page.findChild<QLabel*>(QStringLiteral("m_QLabel_GoodColoniesCount"))->text(), QString::number(good));
    QCOMPARE(page.findChild<QLabel*>(QStringLiteral("m_QLabel_RejectedColoniesCount"))->text(),
             QString::number(rejected));
    QCOMPARE(page.referencePointsTable()->topLevelItemCount(), 4);
    QCOMPARE(page.metricsTable()->topLevelItemCount(), 4);
    QVERIFY(std::fabs(page.rack().row.ReferenzPos1X - scene.markColumns[0]) < 1.0);
    QVERIFY(std::fabs(page.rack().row.ReferenzPos4Y - scene.markRows[3]) < 1.0);
    QVERIFY(good > 0 && rejected > 0);

    if (const QByteArray shot = qgetenv("ZELVORIN_SCREENSHOT"); !shot.isEmpty()) {
        page.resize(1400, 1000);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTRY_VERIFY(page.grab().save(QString::fromLocal8Bit(shot)));
    }

    // A new agar height places every colony again, good and rejected alike.
    QCOMPARE(page.GetLLDPosition(0, x, y), Errors::Type_Error(0));
    std::vector<double> before;
    for (const auto& container : page.rack().containers)
        for (const auto& colony : container->colonies)
            before.push_back(colony->row.PosX_mm);
    QCOMPARE(page.SetAgarHeight(4.0), Errors::Type_Error(0));
    const ReferencePointSearch& search = page.worker()->referencePointSearch();
    size_t i = 0;
    int moved = 0;
    for (const auto& container : page.rack().containers) {
        for (const auto& colony : container->colonies) {
            double row = 0.0;
            double column = 0.0;
            search.transformHeightScale(colony->row.PosY_px, colony->row.PosX_px, &row, &column);
            double yMm = 0.0;
            double xMm = 0.0;
            search.transformPlateCoordinates(row, column, &yMm, &xMm);
            QCOMPARE(colony->row.PosX_mm, xMm);
            QCOMPARE(colony->row.PosY_mm, yMm);
            QCOMPARE(colony->item->text(6), QString::asprintf("%.3f", xMm));
            if (!colony->row.IsGoodColony && colony->row.PosX_mm != before[i])
                ++moved;
            ++i;
        }
    }
    QVERIFY2(moved > 0, "rejected colonies were not placed again");

    // The stored result has every colony of the run.
    int rackId = -1;
    QCOMPARE(page.SaveResult(false, QStringLiteral("96"), QString(), -1, rackId), Errors::Type_Error(0));
    QCOMPARE(p.count(QStringLiteral("ZelvorinColony")), int(reports.colonies.size()));
    QCOMPARE(p.count(QStringLiteral("ZelvorinContainer")), int(scene.containers.size()));

    // While a run is busy the agar height is refused.
    QCOMPARE(page.Reanalyse(), Errors::Type_Error(0));
    QCOMPARE(page.SetAgarHeight(1.0), ColonyAnalyserGui::ErrorBusy);
    QTRY_VERIFY_WITH_TIMEOUT((page.CheckRunning(running), !running), kRunTimeoutMs);
}

QTEST_MAIN(tst_ColonyAnalyserGuiRun)
#include "tst_ColonyAnalyserGuiRun.moc"
