#include "CorrectionInfo.h"

#include <QDeadlineTimer>
#include <QtTest>

#include <atomic>
#include <thread>
#include <vector>

Q_DECLARE_METATYPE(CorrectionInfo)

namespace {

CorrectionInfo correction(double factor, const QList<OpticalAxisPoint>& points)
{
    CorrectionInfo info;
    info.Factor = factor;
    for (const OpticalAxisPoint& point : points)
        info.append(point);
    return info;
}

// A correction whose factor tells what it must hold: n points, each at (n, n).
CorrectionInfo marked(int n)
{
    CorrectionInfo info;
    info.Factor = n;
    for (int i = 0; i < n; ++i)
        info.append({double(n), double(n)});
    return info;
}

bool consistent(const CorrectionInfo& info)
{
    if (info.Points.isEmpty())
        return true; // emptied: any factor
    if (info.Points.size() != int(info.Factor))
        return false;
    for (const OpticalAxisPoint& point : info.Points)
        if (point.Row != info.Factor || point.Column != info.Factor)
            return false;
    return true;
}

} // namespace

class tst_CorrectionInfo : public QObject {
    Q_OBJECT
private slots:
    void init();

    void toText_data();
    void toText();
    void roundTrip_data();
    void roundTrip();
    void fromText_data();
    void fromText();

    void currentCorrection();
    void currentCorrectionAcrossThreads();
};

void tst_CorrectionInfo::init()
{
    CorrectionInfo::resetCurrent();
}

void tst_CorrectionInfo::toText_data()
{
    QTest::addColumn<CorrectionInfo>("info");
    QTest::addColumn<QString>("text");
    QTest::newRow("default") << CorrectionInfo() << "Version = 1\r\nFactor = 1\r\nCorrectionInfo.Count = 0";
    QTest::newRow("one point")
        << correction(1.5, {{12.5, 40.0}})
        << "Version = 1\r\nFactor = 1.5\r\nCorrectionInfo.Count = 1\r\n"
           "CorrectionInfo.OpticalAxisCol = 40\r\nCorrectionInfo.OpticalAxisRow = 12.5";
    QTest::newRow("six significant digits")
        << correction(0.987654321, {{1234.5678, 2500000.0}})
        << "Version = 1\r\nFactor = 0.987654\r\nCorrectionInfo.Count = 1\r\n"
           "CorrectionInfo.OpticalAxisCol = 2.5e+06\r\nCorrectionInfo.OpticalAxisRow = 1234.57";
}

void tst_CorrectionInfo::toText()
{
    QFETCH(CorrectionInfo, info);
    QFETCH(QString, text);
    QCOMPARE(info.toText(), text);
}

void tst_CorrectionInfo::roundTrip_data()
{
    QTest::addColumn<CorrectionInfo>("info");
    QTest::newRow("empty") << CorrectionInfo();
    QTest::newRow("empty with factor") << correction(0.98, {});
    QTest::newRow("four points")
        << correction(0.975, {{512.25, 640.5}, {530.75, 1920.25}, {1500.5, 700.0}, {1510.0, 1905.25}});
    QTest::newRow("negative and large") << correction(-1.25, {{-3.5, 2.5e+06}});
}

void tst_CorrectionInfo::roundTrip()
{
    QFETCH(CorrectionInfo, info);
    CorrectionInfo read = correction(7.0, {{1.0, 2.0}});
    QVERIFY(read.fromText(info.toText()));
    QVERIFY(read == info);
}

void tst_CorrectionInfo::fromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<CorrectionInfo>("expected");

    const CorrectionInfo empty;
    const CorrectionInfo one = correction(1.5, {{12.5, 40.0}});
    const QString oneText = one.toText();

    QTest::newRow("default text") << CorrectionInfo().toText() << true << empty;
    QTest::newRow("keys in any case")
        << "version = 1\r\nFACTOR = 1.5\r\ncorrectioninfo.count = 1\r\n"
           "correctionInfo.opticalAxisCol = 40\r\nCorrectionInfo.OPTICALAXISROW = 12.5"
        << true << one;
    QTest::newRow("blank lines skipped") << QString(oneText).replace("\r\n", "\r\n\r\n\r\n") << true << one;
    QTest::newRow("extra lines ignored") << oneText + "\r\nComment = later\r\nno separator" << true << one;
    QTest::newRow("white space around") << "  Version=1 \r\n\tFactor =  1.5\r\nCorrectionInfo.Count = 1\r\n"
                                           "CorrectionInfo.OpticalAxisCol =40\r\nCorrectionInfo.OpticalAxisRow = 12.5  "
                                        << true << one;
    QTest::newRow("negative count reads no pairs") << "Version = 1\r\nFactor = 2\r\nCorrectionInfo.Count = -3"
                                                   << true << correction(2.0, {});

    QTest::newRow("empty text") << QString() << false << empty;
    QTest::newRow("colon instead of equals") << "Version: 1\r\nFactor = 1\r\nCorrectionInfo.Count = 0" << false << empty;
    QTest::newRow("two equals signs") << "Version = 1 = 1\r\nFactor = 1\r\nCorrectionInfo.Count = 0" << false << empty;
    QTest::newRow("version 2") << "Version = 2\r\nFactor = 1.5\r\nCorrectionInfo.Count = 0" << false << empty;
    QTest::newRow("version not a number") << "Version = one\r\nFactor = 1\r\nCorrectionInfo.Count = 0" << false << empty;
    QTest::newRow("bare line feeds") << QString(oneText).replace("\r\n", "\n") << false << empty;
    QTest::newRow("factor missing") << "Version = 1\r\nCorrectionInfo.Count = 0" << false << empty;
    QTest::newRow("factor empty") << "Version = 1\r\nFactor = \r\nCorrectionInfo.Count = 0" << false << empty;
    QTest::newRow("factor not a number") << "Version = 1\r\nFactor = x\r\nCorrectionInfo.Count = 0" << false << empty;
    QTest::newRow("factor nan") << "Version = 1\r\nFactor = nan\r\nCorrectionInfo.Count = 0" << false << empty;
    QTest::newRow("factor infinite") << "Version = 1\r\nFactor = inf\r\nCorrectionInfo.Count = 0" << false << empty;
    QTest::newRow("count missing") << "Version = 1\r\nFactor = 1.5" << false << empty;
    QTest::newRow("count fractional") << "Version = 1\r\nFactor = 1.5\r\nCorrectionInfo.Count = 1.5" << false << empty;
    QTest::newRow("count 2 with one pair")
        << "Version = 1\r\nFactor = 1.5\r\nCorrectionInfo.Count = 2\r\n"
           "CorrectionInfo.OpticalAxisCol = 40\r\nCorrectionInfo.OpticalAxisRow = 12.5"
        << false << empty;
    QTest::newRow("huge count") << "Version = 1\r\nFactor = 1.5\r\nCorrectionInfo.Count = 2147483647\r\n"
                                   "CorrectionInfo.OpticalAxisCol = 40\r\nCorrectionInfo.OpticalAxisRow = 12.5"
                                << false << empty;
    QTest::newRow("row before column")
        << "Version = 1\r\nFactor = 1.5\r\nCorrectionInfo.Count = 1\r\n"
           "CorrectionInfo.OpticalAxisRow = 12.5\r\nCorrectionInfo.OpticalAxisCol = 40"
        << false << empty;
    QTest::newRow("row missing") << "Version = 1\r\nFactor = 1.5\r\nCorrectionInfo.Count = 1\r\n"
                                    "CorrectionInfo.OpticalAxisCol = 40"
                                 << false << empty;
    QTest::newRow("point not a number") << "Version = 1\r\nFactor = 1.5\r\nCorrectionInfo.Count = 1\r\n"
                                           "CorrectionInfo.OpticalAxisCol = left\r\nCorrectionInfo.OpticalAxisRow = 1"
                                        << false << empty;
    QTest::newRow("binary garbage") << QString::fromLatin1("\x01\x02=\xff\r\n==\r\n\r\x00", 12) << false << empty;
}

void tst_CorrectionInfo::fromText()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(CorrectionInfo, expected);

    // Starts from a filled record, so that a failure visibly empties it.
    CorrectionInfo info = correction(0.5, {{1.0, 2.0}, {3.0, 4.0}});
    QCOMPARE(info.fromText(text), accepted);
    QCOMPARE(info.Factor, expected.Factor);
    QCOMPARE(info.Points.size(), expected.Points.size());
    QVERIFY(info == expected);
}

void tst_CorrectionInfo::currentCorrection()
{
    QVERIFY(CorrectionInfo::current() == CorrectionInfo());

    const CorrectionInfo stitched = correction(0.98, {{10.0, 20.0}, {30.0, 40.0}});
    CorrectionInfo::setCurrent(stitched);
    CorrectionInfo copy = CorrectionInfo::current();
    QVERIFY(copy == stitched);
    copy.append({5.0, 6.0}); // a copy never writes back
    QVERIFY(CorrectionInfo::current() == stitched);

    CorrectionInfo::clearCurrentPoints();
    QVERIFY(CorrectionInfo::current().Points.isEmpty());
    QCOMPARE(CorrectionInfo::current().Factor, 0.98);

    CorrectionInfo fromRack;
    QVERIFY(fromRack.fromText(stitched.toText()));
    CorrectionInfo::setCurrent(fromRack);
    QVERIFY(CorrectionInfo::current() == stitched);

    CorrectionInfo::resetCurrent();
    QVERIFY(CorrectionInfo::current() == CorrectionInfo());
}

void tst_CorrectionInfo::currentCorrectionAcrossThreads()
{
    // Writers replace and empty the current correction while readers copy it; every copy
    // must be one whole state, never a mix of two.
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::atomic<int> reads{0};
    std::vector<std::thread> threads;
    for (int r = 0; r < 3; ++r) {
        threads.emplace_back([&] {
            while (!stop.load()) {
                if (!consistent(CorrectionInfo::current()))
                    ++torn;
                ++reads;
            }
        });
    }
    std::atomic<int> unread{0};
    threads.emplace_back([&] {
        for (int i = 0; i < 20000; ++i) {
            // Every 2,000 changes the writer waits for the readers to copy a few states: reads
            // overlap the writes however the threads are scheduled.
            if (i % 2000 == 0) {
                const int seen = reads.load();
                QDeadlineTimer deadline(60000);
                while (reads.load() < seen + 3 && !deadline.hasExpired())
                    std::this_thread::yield();
                if (reads.load() < seen + 3)
                    ++unread;
            }
            CorrectionInfo::setCurrent(marked(1 + i % 5));
            if (i % 7 == 0)
                CorrectionInfo::clearCurrentPoints();
            if (i % 11 == 0)
                CorrectionInfo::resetCurrent();
        }
    });
    threads.back().join();
    threads.pop_back();
    stop = true;
    for (std::thread& thread : threads)
        thread.join();
    QCOMPARE(unread.load(), 0);
    QCOMPARE(torn.load(), 0);
    QVERIFY(consistent(CorrectionInfo::current()));
}

QTEST_GUILESS_MAIN(tst_CorrectionInfo)
#include "tst_CorrectionInfo.moc"
