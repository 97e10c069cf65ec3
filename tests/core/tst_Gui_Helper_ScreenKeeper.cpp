#include "Gui_Helper_ScreenKeeper.h"
#include "ScreenOfSize.h"

#include <QDockWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtTest>

namespace {

QRect available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// A row of labels side by side, as a viewer's selectors are.
QWidget* row(QWidget* parent, int labels)
{
    auto* content = new QWidget(parent);
    auto* layout = new QHBoxLayout(content);
    for (int i = 0; i < labels; ++i)
        layout->addWidget(new QLabel(QStringLiteral("Selector %1").arg(i), content));
    return content;
}

} // namespace

// Windows are kept within the available area of their screen as they are shown, and a row of
// controls wider than its room scrolls sideways instead of widening its window.
class tst_Gui_Helper_ScreenKeeper : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void shownWindowsFit_data();
    void shownWindowsFit();
    void maximisedWindowsAreThePlatforms();
    void maximisedWindowOffItsScreen_data();
    void maximisedWindowOffItsScreen();
    void editorColumnScrollsOnlyDownwards();
    void sidewaysStripFollowsItsRow();
};

void tst_Gui_Helper_ScreenKeeper::initTestCase()
{
    QVERIFY(Gui_Helper_ScreenKeeper::install());
}

void tst_Gui_Helper_ScreenKeeper::cleanupTestCase()
{
    Gui_Helper_ScreenKeeper::uninstall();
}

void tst_Gui_Helper_ScreenKeeper::shownWindowsFit_data()
{
    // Geometry in screen sizes relative to the available area: x, y, width, height.
    QTest::addColumn<QRectF>("asked");
    QTest::addColumn<QSizeF>("minimum");
    QTest::addColumn<bool>("fits");
    QTest::newRow("larger than the screen") << QRectF(0, 0, 2.4, 1.6) << QSizeF() << true;
    QTest::newRow("beyond the right edge") << QRectF(0.8, 0.1, 0.5, 0.5) << QSizeF() << true;
    QTest::newRow("above the top") << QRectF(0.1, -0.4, 0.5, 0.5) << QSizeF() << true;
    // Content that cannot be smaller is left as large as it must be: it scrolls elsewhere.
    QTest::newRow("minimum above the screen") << QRectF(0, 0, 2, 2) << QSizeF(1.5, 0.5) << false;
}

void tst_Gui_Helper_ScreenKeeper::shownWindowsFit()
{
    QFETCH(QRectF, asked);
    QFETCH(QSizeF, minimum);
    QFETCH(bool, fits);
    const QRect area = available();
    auto size = [&area](double width, double height) {
        return QSize(int(width * area.width()), int(height * area.height()));
    };
    QWidget window;
    if (minimum.isValid())
        window.setMinimumSize(size(minimum.width(), minimum.height()));
    const QSize offset = size(asked.x(), asked.y());
    window.setGeometry(QRect(area.topLeft() + QPoint(offset.width(), offset.height()),
                             size(asked.width(), asked.height())));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(area.contains(window.frameGeometry()), fits);
    QVERIFY(window.width() >= window.minimumWidth());
    if (!fits)
        QCOMPARE(window.frameGeometry().topLeft(), area.topLeft());
}

void tst_Gui_Helper_ScreenKeeper::maximisedWindowsAreThePlatforms()
{
    QWidget window;
    window.showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(Gui_Helper_ScreenKeeper::fit(&window));
    QVERIFY(window.isMaximized());
}

void tst_Gui_Helper_ScreenKeeper::maximisedWindowOffItsScreen_data()
{
    QTest::addColumn<QSize>("screen");
    for (const QSize& screen : ScreenOfSize::sizes())
        QTest::newRow(qPrintable(ScreenOfSize::name(screen))) << screen;
}

// Where no window manager carries a maximise out (a real X server without one), a window
// restored maximised stays where its saved geometry put it: the keeper puts its frame on the
// available area, still maximised.
void tst_Gui_Helper_ScreenKeeper::maximisedWindowOffItsScreen()
{
    QFETCH(QSize, screen);
    ZELVORIN_ON_SCREEN_OF_SIZE(screen);
    const QRect area = available();
    QWidget window;
    // As a restored geometry comes: first where it was saved, then the state.
    window.setGeometry(QRect(area.topLeft() + QPoint(0, 20), area.size()));
    window.setWindowState(Qt::WindowMaximized);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(Gui_Helper_ScreenKeeper::fit(&window));
    QTRY_VERIFY(area.contains(window.frameGeometry()));
    QVERIFY(window.isMaximized());
    // The whole area, as a window manager would give it.
    QCOMPARE(window.frameGeometry().size(), area.size());
}

// An editor taller and wider than its dock's default room: the dock scrolls it downwards and
// is made as wide as the editor beside the scroll bar, so nothing is cut at its right.
void tst_Gui_Helper_ScreenKeeper::editorColumnScrollsOnlyDownwards()
{
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("picture")));
    auto* dock = new QDockWidget(QStringLiteral("Settings"), &window);
    auto* editor = new QWidget;
    auto* rows = new QVBoxLayout(editor);
    for (int i = 0; i < 40; ++i)
        rows->addWidget(row(editor, 10));
    dock->setWidget(Gui_Helper_ScreenKeeper::scrollArea(editor, dock));
    window.addDockWidget(Qt::LeftDockWidgetArea, dock);
    window.resize(editor->minimumSizeHint().width() * 2, editor->minimumSizeHint().height() / 3);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* area = qobject_cast<QScrollArea*>(dock->widget());
    QTRY_VERIFY(area->verticalScrollBar()->maximum() > 0);
    QCOMPARE(area->horizontalScrollBar()->maximum(), 0);
    QVERIFY(editor->width() >= editor->minimumSizeHint().width());
}

void tst_Gui_Helper_ScreenKeeper::sidewaysStripFollowsItsRow()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    QWidget* selectors = row(&window, 12);
    layout->addWidget(selectors);
    const int wide = selectors->minimumSizeHint().width();
    QVERIFY(Gui_Helper_ScreenKeeper::scrollSideways(selectors));
    auto* strip = qobject_cast<QScrollArea*>(layout->itemAt(0)->widget());
    QVERIFY(strip);
    QCOMPARE(strip->widget(), selectors);
    // The row no longer makes its window wide.
    QVERIFY(window.minimumSizeHint().width() < wide / 2);

    window.resize(wide / 3, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QScrollBar* bar = strip->horizontalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0);
    // The row is shown whole in height, with the bar below it.
    QTRY_COMPARE(strip->viewport()->height(), selectors->height());

    // Fewer selectors: the row fits, the bar goes.
    const QList<QLabel*> labels = selectors->findChildren<QLabel*>();
    for (qsizetype i = 2; i < labels.size(); ++i)
        labels.at(i)->hide();
    QTRY_COMPARE(bar->maximum(), 0);

    // Hiding the row hides the strip around it.
    selectors->hide();
    QVERIFY(strip->isHidden());
    selectors->show();
    QVERIFY(!strip->isHidden());
}

QTEST_MAIN(tst_Gui_Helper_ScreenKeeper)
#include "tst_Gui_Helper_ScreenKeeper.moc"
