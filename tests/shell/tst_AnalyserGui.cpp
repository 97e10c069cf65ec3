#include "AnalyserGui.h"

#include "Settings_Change_Helper.h"

#include <QLayout>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

namespace {

// A settings record with the image stitcher settings' custom signal.
class StitcherRecord : public Settings_Change_Helper {
    Q_OBJECT
public:
    StitcherRecord()
        : Settings_Change_Helper(false, 500)
    {
    }
signals:
    void signal_custom(int number, QVariant data);
};

enum Page { Stitcher = 0, StitcherResult = 1, Colony = 2 };

} // namespace

class tst_AnalyserGui : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void construction();
    void pageChangeAnnouncesTheFocus_data();
    void pageChangeAnnouncesTheFocus();
    void focusFromElsewhereBringsThePage_data();
    void focusFromElsewhereBringsThePage();
    void showImageStitcher();

private:
    QTabWidget* tabs() const { return m_page->findChild<QTabWidget*>(QStringLiteral("m_TabWidgetAnalyserViews")); }
    QList<int> customNumbers(const QSignalSpy& spy) const;

    std::unique_ptr<ColonySettings> m_colony;
    std::unique_ptr<StitcherRecord> m_stitcher;
    std::unique_ptr<AnalyserGui> m_page;
};

void tst_AnalyserGui::init()
{
    m_colony = std::make_unique<ColonySettings>();
    m_stitcher = std::make_unique<StitcherRecord>();
    m_page = std::make_unique<AnalyserGui>(m_colony.get(), m_stitcher.get());
}

void tst_AnalyserGui::cleanup()
{
    m_page.reset();
    m_stitcher.reset();
    m_colony.reset();
}

QList<int> tst_AnalyserGui::customNumbers(const QSignalSpy& spy) const
{
    QList<int> numbers;
    for (const QList<QVariant>& arguments : spy)
        numbers.append(arguments.at(0).toInt());
    return numbers;
}

void tst_AnalyserGui::construction()
{
    QCOMPARE(m_page->objectName(), QStringLiteral("AnalyserGui"));
    QCOMPARE(tabs()->count(), 3);
    QCOMPARE(tabs()->tabText(Stitcher), QStringLiteral("Image Stitcher"));
    QCOMPARE(tabs()->tabText(StitcherResult), QStringLiteral("Image Stitcher Result"));
    QCOMPARE(tabs()->tabText(Colony), QStringLiteral("Colony Analyser"));
    QCOMPARE(m_page->currentPage(), m_page->colonyAnalyserPage());
    QCOMPARE(m_page->currentView(), 1);
    QCOMPARE(tabs()->widget(Stitcher), m_page->imageStitcherPage());
    QCOMPARE(tabs()->widget(StitcherResult), m_page->imageStitcherResultPage());
    QCOMPARE(m_page->layout()->contentsMargins(), QMargins(0, 0, 0, 0));
}

void tst_AnalyserGui::pageChangeAnnouncesTheFocus_data()
{
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<QList<int>>("colonyNumbers");
    QTest::addColumn<QList<int>>("stitcherNumbers");
    QTest::addColumn<int>("view");
    QTest::newRow("stitcher") << QList<int>{Stitcher} << QList<int>{} << QList<int>{30} << 2;
    QTest::newRow("stitcher, then its result: 30 again")
        << QList<int>{Stitcher, StitcherResult} << QList<int>{} << QList<int>{30, 30} << 2;
    QTest::newRow("result, back to colony") << QList<int>{StitcherResult, Colony} << QList<int>{20} << QList<int>{30} << 1;
}

void tst_AnalyserGui::pageChangeAnnouncesTheFocus()
{
    QFETCH(QList<int>, pages);
    QFETCH(QList<int>, colonyNumbers);
    QFETCH(QList<int>, stitcherNumbers);
    QFETCH(int, view);
    QSignalSpy colony(m_colony.get(), &ColonySettings::signal_custom);
    QSignalSpy stitcher(m_stitcher.get(), &StitcherRecord::signal_custom);
    for (const int page : pages) {
        tabs()->setCurrentIndex(page);
        // The announcement comes back to the page and leaves it where it is.
        QCOMPARE(tabs()->currentIndex(), page);
    }
    QCOMPARE(customNumbers(colony), colonyNumbers);
    QCOMPARE(customNumbers(stitcher), stitcherNumbers);
    QCOMPARE(m_page->currentView(), view);
}

void tst_AnalyserGui::focusFromElsewhereBringsThePage_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("colonyRecord");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("further"); // announcements the page makes in turn
    QTest::newRow("20 from the stitcher") << int(Stitcher) << true << 20 << int(Colony) << 1;
    QTest::newRow("20 while on colony: nothing") << int(Colony) << true << 20 << int(Colony) << 0;
    QTest::newRow("colony 23 ignored") << int(Stitcher) << true << 23 << int(Stitcher) << 0;
    QTest::newRow("30 from colony") << int(Colony) << false << 30 << int(Stitcher) << 1;
    QTest::newRow("30 keeps the result page") << int(StitcherResult) << false << 30 << int(StitcherResult) << 0;
    QTest::newRow("stitcher 32 ignored") << int(Colony) << false << 32 << int(Colony) << 0;
}

void tst_AnalyserGui::focusFromElsewhereBringsThePage()
{
    QFETCH(int, start);
    QFETCH(bool, colonyRecord);
    QFETCH(int, number);
    QFETCH(int, expected);
    QFETCH(int, further);
    tabs()->setCurrentIndex(start);
    QSignalSpy colony(m_colony.get(), &ColonySettings::signal_custom);
    QSignalSpy stitcher(m_stitcher.get(), &StitcherRecord::signal_custom);
    if (colonyRecord)
        m_colony->emitCustom(ColonySettings::Enum_CustomSignal(number));
    else
        emit m_stitcher->signal_custom(number, QVariant());
    QCOMPARE(tabs()->currentIndex(), expected);
    QCOMPARE(int(colony.size() + stitcher.size()), 1 + further);
}

void tst_AnalyserGui::showImageStitcher()
{
    QSignalSpy stitcher(m_stitcher.get(), &StitcherRecord::signal_custom);
    m_page->showImageStitcher();
    QCOMPARE(m_page->currentPage(), m_page->imageStitcherPage());
    QCOMPARE(customNumbers(stitcher), QList<int>{30});
}

QTEST_MAIN(tst_AnalyserGui)
#include "tst_AnalyserGui.moc"
