#include "Camera_LiveView_Gui.h"
#include "DemoTruth.h"
#include "MainWindowFixture.h"
#include "ScreenChecks.h"
#include "ui_MainWindowGui.h"

#include <QAbstractSpinBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

using namespace MainWindowFixture;
using namespace ScreenChecks;

Q_DECLARE_METATYPE(ScreenOfSize::Windows)

namespace {

// What of a settings dock the operator cannot see without scrolling sideways: the editor
// wider than the dock's view, a tab behind the tab bar's scroll buttons.
QStringList cutOff(QDockWidget* dock)
{
    QStringList cut;
    auto* area = qobject_cast<QScrollArea*>(dock->widget());
    if (!area || !area->widget())
        return {dock->windowTitle() + QStringLiteral(": no editor")};
    if (area->horizontalScrollBar()->maximum() > 0)
        cut << QStringLiteral("%1: editor %2 px wide in a view of %3 px")
                   .arg(dock->windowTitle())
                   .arg(area->widget()->width())
                   .arg(area->viewport()->width());
    for (const QTabBar* bar : area->widget()->findChildren<QTabBar*>()) {
        if (bar->isVisible() && bar->width() < bar->sizeHint().width())
            cut << QStringLiteral("%1: tabs %2 px wide on a bar of %3 px")
                       .arg(dock->windowTitle())
                       .arg(bar->sizeHint().width())
                       .arg(bar->width());
    }
    return cut;
}

QList<QDockWidget*> settingsDocks(MainWindowGui& window)
{
    return {window.colonySettingsDock(), window.cameraSettingsDock(), window.imageStitcherSettingsDock()};
}

} // namespace

// The main window and the windows it opens on the screens operators have: within the screen
// at the first start, after restarts and after View -> Reset Window Layout; the settings docks
// as wide as what they show; the live view with its aids keeping the picture; System
// Information from its beginning. Each row runs on a screen of its size (ScreenChecks).
class tst_MainWindowScreens : public QObject {
    Q_OBJECT
private slots:
    void mainWindowStaysOnScreen_data();
    void mainWindowStaysOnScreen();
    void settingsDocksShowTheirWholeWidth_data();
    void settingsDocksShowTheirWholeWidth();
    void liveViewKeepsThePicture_data();
    void liveViewKeepsThePicture();
    void systemInformationOpensAtItsTop_data();
    void systemInformationOpensAtItsTop();
};

void tst_MainWindowScreens::mainWindowStaysOnScreen_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<ScreenOfSize::Windows>("windows");
    for (const QSize& size : ScreenOfSize::sizes()) {
        QTest::newRow(qPrintable(ScreenOfSize::name(size) + QStringLiteral(" unmanaged")))
            << size << ScreenOfSize::Windows::Unmanaged;
        QTest::newRow(qPrintable(ScreenOfSize::name(size) + QStringLiteral(" framed")))
            << size << ScreenOfSize::Windows::Framed;
    }
}

// The first start, two restarts on the layout the last close kept, then View -> Reset Window
// Layout: each time every shown window lies within the screen, also where a frame is drawn
// around the window or nobody carries its maximise out.
void tst_MainWindowScreens::mainWindowStaysOnScreen()
{
    QFETCH(QSize, screen);
    QFETCH(ScreenOfSize::Windows, windows);
    ZELVORIN_ON_SCREEN_OF_SIZE_WITH(screen, windows);
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    for (int start = 1; start <= 3; ++start) {
        Answers answers;
        WindowUnderTest test(false, answers);
        MainWindowGui& window = test.make();
        window.startShow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY2(outsideTheScreen().isEmpty(), qPrintable(QStringLiteral("start %1: ").arg(start)
                                                                + outsideTheScreen().join(QStringLiteral("; "))));
        if (start == 3) {
            window.form()->m_QAction_Menubar_View_ResetWindowLayout->trigger();
            QTRY_VERIFY2(outsideTheScreen().isEmpty(),
                         qPrintable(QStringLiteral("reset: ") + outsideTheScreen().join(QStringLiteral("; "))));
        }
        // The window's layout goes to its files as the operator closes it.
        QVERIFY(window.close());
    }
}

void tst_MainWindowScreens::settingsDocksShowTheirWholeWidth_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<bool>("reset");
    for (const QSize& size : ScreenOfSize::sizes()) {
        QTest::newRow(qPrintable(ScreenOfSize::name(size) + QStringLiteral(" first start"))) << size << false;
        QTest::newRow(qPrintable(ScreenOfSize::name(size) + QStringLiteral(" reset layout"))) << size << true;
    }
}

void tst_MainWindowScreens::settingsDocksShowTheirWholeWidth()
{
    QFETCH(QSize, screen);
    QFETCH(bool, reset);
    ZELVORIN_ON_SCREEN_OF_SIZE(screen);
    ShownProgram program;
    QVERIFY(program.start());
    MainWindowGui& window = *program.test.window();
    if (reset) {
        // Away from the default first, as an operator's work leaves it.
        window.colonySettingsDock()->setFloating(true);
        window.cameraSettingsDock()->hide();
        window.form()->m_QAction_Menubar_View_ResetWindowLayout->trigger();
    }
    for (QDockWidget* dock : settingsDocks(window)) {
        dock->raise();
        // Of tabbed docks only the one in front shows its editor.
        QTRY_VERIFY(dock->widget()->isVisible());
        QTRY_VERIFY2(cutOff(dock).isEmpty(), qPrintable(cutOff(dock).join(QStringLiteral("; "))));
        saveScreenshot(window, dock->objectName());
    }
    QVERIFY2(outsideTheScreen().isEmpty(), qPrintable(outsideTheScreen().join(QStringLiteral("; "))));
}

void tst_MainWindowScreens::liveViewKeepsThePicture_data()
{
    addScreenRows();
}

// The live view as the operator opens it after a reset of the layout, with all three set-up
// aids open: within the screen, the picture on most of it, every control of the aids within
// reach.
void tst_MainWindowScreens::liveViewKeepsThePicture()
{
    QFETCH(QSize, screen);
    ZELVORIN_ON_SCREEN_OF_SIZE(screen);
    ShownProgram program;
    QVERIFY(program.start());
    MainWindowGui& window = *program.test.window();
    Answers& answers = program.answers;
    window.form()->m_QAction_Menubar_View_ResetWindowLayout->trigger();
    window.form()->m_QAction_Menubar_View_LiveView->trigger();
    QDockWidget* dock = window.liveViewDock();
    QVERIFY(dock->isFloating());
    QVERIFY(QTest::qWaitForWindowExposed(dock));
    Camera_LiveView_Gui* live = window.liveViewGui();
    // The simulated camera streams into the view.
    window.form()->m_QAction_Toolbar_CameraConnect->trigger();
    QVERIFY(answers.boxes.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(live->view()->getPictureCount() > 0, 20000);
    for (const char* aid : {"m_QToolButton_AdjustCameraFocus", "m_QToolButton_AdjustCameraAperture",
                            "m_QToolButton_AdjustCameraHomogeneous"})
        live->findChild<QToolButton*>(QLatin1String(aid))->click();
    const QList<QGroupBox*> panels{live->findChild<QGroupBox*>(QStringLiteral("m_QGroupBox_CameraFocus")),
                                   live->findChild<QGroupBox*>(QStringLiteral("m_QGroupBox_CameraAperture")),
                                   live->findChild<QGroupBox*>(QStringLiteral("m_QGroupBox_CameraHomogeneous"))};
    for (QGroupBox* panel : panels)
        QTRY_VERIFY(panel->isVisible());
    settle();

    QTRY_VERIFY2(outsideTheScreen().isEmpty(), qPrintable(outsideTheScreen().join(QStringLiteral("; "))));
    QTRY_VERIFY2(2 * live->view()->height() >= live->height(),
                 qPrintable(QStringLiteral("picture %1 px high in a live view of %2 px")
                                .arg(live->view()->height())
                                .arg(live->height())));
    QTRY_VERIFY2(unfitted(*live->view()).isEmpty(), qPrintable(unfitted(*live->view())));
    saveScreenshot(*dock, QStringLiteral("aids"));
    // Each control of the aids can be scrolled into view, whole: none is cut by the window.
    auto* area = qobject_cast<QScrollArea*>(panels.first()->parentWidget()->parentWidget()->parentWidget());
    QVERIFY2(area, "the aids do not scroll");
    QCOMPARE(area->horizontalScrollBar()->maximum(), 0);
    for (QGroupBox* panel : panels) {
        for (QAbstractSpinBox* control : panel->findChildren<QAbstractSpinBox*>()) {
            if (control->isHidden())
                continue;
            // The whole box, not only its text cursor as ensureWidgetVisible would.
            const QPoint middle = control->mapTo(area->widget(), control->rect().center());
            QTRY_COMPARE((area->ensureVisible(middle.x(), middle.y(), control->width() / 2 + 1, control->height() / 2 + 1),
                          control->visibleRegion().boundingRect()),
                         control->rect());
        }
    }
}

void tst_MainWindowScreens::systemInformationOpensAtItsTop_data()
{
    addScreenRows();
}

// Help -> System Information after the demo plate: the box opens within the screen at the
// beginning of its text, and every view of the program is listed by its name.
void tst_MainWindowScreens::systemInformationOpensAtItsTop()
{
    QFETCH(QSize, screen);
    ZELVORIN_ON_SCREEN_OF_SIZE(screen);
    ShownProgram program;
    QVERIFY(program.start());
    MainWindowGui& window = *program.test.window();
    Answers& answers = program.answers;
    window.form()->m_QAction_Toolbar_Colony_Demo_Plate->trigger();
    QCOMPARE(DemoTruth::waitForAnalysis(window), Errors::Type_Error(0));
    window.form()->m_QAction_Menubar_Help_SystemInformation->trigger();
    QCOMPARE(answers.titles(), QStringList{QStringLiteral("System information")});

    const QString text = answers.boxes.first().text;
    const QRegularExpression viewName(QStringLiteral("View name: <i>([^<]*)</i>"));
    int views = 0;
    for (const QRegularExpressionMatch& match : viewName.globalMatch(text)) {
        ++views;
        QVERIFY2(!match.captured(1).trimmed().isEmpty(), "a view without its name");
    }
    QCOMPARE(views, Hobject_View_Gui::getInstances().size());

    const std::unique_ptr<QDialog> box = MessageBox_Helper::createBox(answers.boxes.first());
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QVERIFY2(outsideTheScreen().isEmpty(), qPrintable(outsideTheScreen().join(QStringLiteral("; "))));
    if (auto* scrolling = box->findChild<QTextBrowser*>()) {
        settle();
        QCOMPARE(scrolling->verticalScrollBar()->value(), scrolling->verticalScrollBar()->minimum());
        const QString title = QStringLiteral("zelvorin V1.1.0");
        QVERIFY(scrolling->toPlainText().startsWith(title));
        QVERIFY(!scrolling->cursorRect(scrolling->document()->find(title)).intersected(scrolling->viewport()->rect()).isEmpty());
    }
    saveScreenshot(*box, QStringLiteral("box"));
}

QTEST_MAIN(tst_MainWindowScreens)
#include "tst_MainWindowScreens.moc"
