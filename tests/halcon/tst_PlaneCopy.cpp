#include "HalconAop_p.h"
#include "HalconErrors.h"
#include "HalconSystemOps.h"
#include "PlaneCopy_p.h"

#include <QtTest>

#include <opencv2/core.hpp>

#include <atomic>
#include <string_view>

using namespace Halcon;

namespace {

std::atomic<int> g_bands{0};

void countBands(std::string_view op, int, int)
{
    if (op == "test_plane_copy")
        g_bands.fetch_add(1);
}

// Every pixel different from its neighbours and from the part pasted over it.
cv::Mat numbered(int rows, int cols, int type, double offset)
{
    cv::Mat plane(rows, cols, type);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const double v = offset + r * 7 + c;
            switch (plane.depth()) {
            case CV_8U: plane.at<uchar>(r, c) = cv::saturate_cast<uchar>(int(v) % 251); break;
            case CV_16U: plane.at<ushort>(r, c) = cv::saturate_cast<ushort>(v); break;
            default: plane.at<float>(r, c) = float(v) + 0.25f; break;
            }
        }
    return plane;
}

bool samePixels(const cv::Mat &a, const cv::Mat &b)
{
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0.0;
}

} // namespace

class tst_PlaneCopy : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void pasteWritesEveryPixelOnce_data();
    void pasteWritesEveryPixelOnce();
    void copyOfASubmatrix_data();
    void copyOfASubmatrix();

private:
    HTuple m_threads;
};

void tst_PlaneCopy::initTestCase()
{
    QCOMPARE(get_system("thread_num", &m_threads), kSuccess);
}

void tst_PlaneCopy::init()
{
    QCOMPARE(set_system("parallelize_operators", "true"), kSuccess);
    g_bands = 0;
    Aop::setBandHook(countBands);
}

void tst_PlaneCopy::cleanup()
{
    Aop::setBandHook(nullptr);
    set_system("thread_num", m_threads);
}

void tst_PlaneCopy::pasteWritesEveryPixelOnce_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<int>("threads");
    // Picture of 23 x 19; areas that start and end inside a band, on a band's first or last
    // row, at the picture's edges, one row, the whole picture, none.
    const QList<QPair<const char *, QRect>> areas{
        {"middle", QRect(3, 4, 9, 11)},   {"top left", QRect(0, 0, 5, 6)},   {"bottom right", QRect(17, 13, 6, 6)},
        {"one row", QRect(2, 9, 20, 1)},  {"one column", QRect(22, 0, 1, 19)}, {"whole", QRect(0, 0, 23, 19)},
        {"band edges", QRect(1, 6, 4, 7)}, {"none", QRect()}};
    for (const auto &[name, area] : areas)
        for (int threads : {1, 3, 7})
            for (int type : {CV_8UC1, CV_16UC1, CV_32FC1})
                QTest::addRow("%s, %d threads, type %d", name, threads, type) << type << area << threads;
}

// What a copy of the plane with the part written over it holds, on any number of threads.
void tst_PlaneCopy::pasteWritesEveryPixelOnce()
{
    QFETCH(int, type);
    QFETCH(QRect, area);
    QFETCH(int, threads);
    QCOMPARE(set_system("thread_num", threads), kSuccess);
    const cv::Rect rect(area.x(), area.y(), area.width(), area.height());
    const cv::Mat plane = numbered(19, 23, type, 0.0);
    const cv::Mat part = rect.empty() ? cv::Mat() : numbered(rect.height, rect.width, type, 100.0);
    cv::Mat expected = plane.clone();
    if (!rect.empty())
        part.copyTo(expected(rect));

    const cv::Mat pasted = Detail::pastePlane(plane, rect, part, "test_plane_copy", "byte");
    QVERIFY(samePixels(pasted, expected));
    QVERIFY(pasted.data != plane.data);
    QCOMPARE(g_bands.load(), threads);
}

void tst_PlaneCopy::copyOfASubmatrix_data()
{
    QTest::addColumn<QRect>("box");
    QTest::addColumn<int>("threads");
    for (int threads : {1, 3}) {
        QTest::addRow("inside, %d threads", threads) << QRect(4, 2, 11, 13) << threads;
        QTest::addRow("one pixel, %d threads", threads) << QRect(22, 18, 1, 1) << threads;
        QTest::addRow("whole, %d threads", threads) << QRect(0, 0, 23, 19) << threads;
    }
}

// A copy of part of a plane owns its pixels, row by row as the part had them.
void tst_PlaneCopy::copyOfASubmatrix()
{
    QFETCH(QRect, box);
    QFETCH(int, threads);
    QCOMPARE(set_system("thread_num", threads), kSuccess);
    cv::Mat plane = numbered(19, 23, CV_8UC1, 0.0);
    const cv::Rect rect(box.x(), box.y(), box.width(), box.height());
    const cv::Mat expected = plane(rect).clone();

    const cv::Mat copy = Detail::copyPlane(plane(rect), "test_plane_copy", "byte");
    plane.setTo(0);
    QVERIFY(copy.isContinuous());
    QVERIFY(samePixels(copy, expected));
    QCOMPARE(g_bands.load(), std::min(threads, rect.height));
}

QTEST_GUILESS_MAIN(tst_PlaneCopy)
#include "tst_PlaneCopy.moc"
