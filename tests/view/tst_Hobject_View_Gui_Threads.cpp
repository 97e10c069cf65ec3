#include "HalconViewImpl.h"
#include "Hobject_View_Gui.h"
#include "ViewTestHelpers.h"

#include <HalconTestPictures.h>

#include <HalconXldOps.h>

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

using namespace ViewTestHelpers;
using Halcon::Hobject;

// Worker threads fill and empty the viewer while the GUI thread paints and the operator
// switches selectors. Run under ThreadSanitizer too (ZELVORIN_TSAN).
class tst_Hobject_View_Gui_Threads : public QObject {
    Q_OBJECT
private slots:
    void workersChangeLayersWhilePainting();
};

void tst_Hobject_View_Gui_Threads::workersChangeLayersWhilePainting()
{
    Hobject_View_Gui view;
    view.addPictureSelector("Normal", "Pic.Normal.", "Normal", true, true);
    view.addPictureSelector("Pre", "Pic.Pre.", "Pre", true, false);
    view.addObjectSelector("Colonies", "Obj.Colonies.", "Colonies", true, true);
    view.addObjectSelector("Margins", "Obj.Margins.", "Margins", true, true);
    view.addObjectGroup("Texts", "Obj.", true);
    view.addSelectorEntry("Pre", "Pic.Pre.", "Obj.Pre.", true, true);
    view.setPicture(grayPicture(640, 480, 90), "Pic.Normal.0", false);
    QVERIFY(showWithPictureSize(view, 640, 480));
    QSignalSpy zoom(&view, &Hobject_View_Gui::signal_ZoomFactorChanged);

    const Hobject normal = grayPicture(640, 480, 120);
    const Hobject pre = grayPicture(800, 600, 60);
    constexpr int workers = 4;
    constexpr int iterations = 150;
    std::atomic<int> finished{0};
    std::atomic<int> paintCount{0};
    std::atomic<int> unseen{0};
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            HalconViewImpl impl(&view);
            const QString own = QStringLiteral("Obj.Colonies.%1.").arg(w);
            for (int i = 0; i < iterations; ++i) {
                // Half-way, each worker waits for two more paints: painting overlaps the
                // workers' changes however the threads are scheduled.
                if (i == iterations / 2) {
                    const int seen = paintCount.load();
                    QDeadlineTimer deadline(60000);
                    while (paintCount.load() < seen + 2 && !deadline.hasExpired())
                        std::this_thread::yield();
                    if (paintCount.load() < seen + 2)
                        ++unseen;
                }
                const double row = 20 + (i * 7 + w * 31) % 400;
                const double column = 20 + (i * 13 + w * 17) % 600;
                view.addObject(HalconTestPictures::rectangleRegion(int(row), int(column), int(row) + 9, int(column) + 9),
                               "red", "fill", 1, own + QString::number(i), true, true);
                Hobject contour;
                Halcon::gen_circle_contour_xld(&contour, row, column, 8.0, 0.0, 6.283185307179586, "positive", 1.0);
                impl.addObject(contour, DrawStyle("green", "margin", 2), QStringLiteral("Obj.Margins.%1").arg(w), true);
                impl.addText("t", row, column, DrawStyle("white", "DejaVu Sans", 12), "Obj.Text." + own, false, true);
                view.addLine(column, row, column + 30, row + 5, "cyan", 1, own + "Line", true, true);
                view.addCross(column, row, 9, 45, "magenta", 1, own + "Cross", true, true);
                if (i % 10 == 0)
                    view.setPicture(i % 20 ? normal : pre, i % 20 ? "Pic.Normal.1" : "Pic.Pre.1", true);
                if (i % 5 == 0) {
                    view.pickObjects(column + 2, row + 2, Qt::NoModifier, true);
                    view.selectObjects(own, true);
                    view.clearSelection(QString(), true);
                    impl.setObjectsStyle(own, DrawStyle("orange", "fill", 3), true);
                    view.checkPictureSelector(i % 10 ? "Pic.Normal." : "Pic.Pre.", true, true);
                    view.setObjectSelectorsChecked("Obj.Margins.", i % 3 != 0, true);
                    view.centerViewOnPercent(column / 8.0, row / 8.0);
                }
                if (i % 7 == 0)
                    impl.removeObjects(own);
                int counts[7];
                view.getObjectStatistics(counts[0], counts[1], counts[2], counts[3], counts[4], counts[5], counts[6]);
                impl.percentToPixelsX(10.0);
                view.getCurrentPictureSelector();
                impl.update();
            }
            view.removeObjects(own, true);
            ++finished;
        });
    }

    // The GUI thread paints and switches selectors until every worker is done.
    QRadioButton* second = view.findChild<QRadioButton*>("m_QRadioButton_HalconPicture2");
    QRadioButton* first = view.findChild<QRadioButton*>("m_QRadioButton_HalconPicture1");
    QCheckBox* colonies = view.findChild<QCheckBox*>("m_QCheckBox_HalconObject1");
    int paints = 0;
    while (finished.load() < workers) {
        shownImage(view);
        ++paints;
        ++paintCount;
        if (paints % 3 == 0)
            (paints % 2 ? first : second)->setChecked(true);
        if (paints % 4 == 0)
            colonies->toggle();
        QApplication::processEvents();
    }
    for (std::thread& thread : threads)
        thread.join();
    QApplication::processEvents();

    QCOMPARE(unseen.load(), 0);
    QVERIFY(paints >= 2);
    int images = 0, contours = 0, polygons = 0, regions = 0, texts = 0, lines = 0, crosses = 0;
    view.getObjectStatistics(images, contours, polygons, regions, texts, lines, crosses);
    QCOMPARE(regions, 0);
    QCOMPARE(lines, 0);
    QCOMPARE(crosses, 0);
    QCOMPARE(contours, workers * iterations);   // the margins stay
    QCOMPARE(texts, workers * iterations);      // "Obj.Text." does not begin with a worker's prefix
    QCOMPARE(view.getObjectCount(), contours + texts);
    QCOMPARE(view.getPictureCount(), 3);
    view.removeObjects(QString(), true);
    QCOMPARE(view.getObjectCount(), 0);
    const QImage shown = shownImage(view);
    QVERIFY(!shown.isNull());
}

QTEST_MAIN(tst_Hobject_View_Gui_Threads)
#include "tst_Hobject_View_Gui_Threads.moc"
