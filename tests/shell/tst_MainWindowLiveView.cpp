#include "Camera.h"
#include "Camera_LiveView_Gui.h"
#include "Camera_LiveView_Timing.h"
#include "Camera_Settings.h"
#include "ColonySettings.h"
#include "Hobject_View_Gui.h"
#include "ImageStitcherSettings.h"
#include "MainWindowFixture.h"
#include "ui_MainWindowGui.h"

#include <QDockWidget>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace MainWindowFixture;

namespace {

enum Kind { CameraKind, ColonyKind, StitcherKind };

const QString Marks = QStringLiteral("LiveImage.Draw.");

struct MarkCounts {
    int crosses = 0;
    int lines = 0;
    int texts = 0;
};

MarkCounts markCounts(MainWindowGui& window)
{
    MarkCounts counts;
    int images = 0, contours = 0, polygons = 0, regions = 0;
    window.liveViewGui()->view()->getObjectStatistics(images, contours, polygons, regions, counts.texts, counts.lines,
                                                      counts.crosses);
    return counts;
}

bool hasMark(MainWindowGui& window, const QString& name)
{
    Halcon::Hobject object;
    bool visible = false;
    bool selected = false;
    return window.liveViewGui()->view()->getObject(name, object, visible, selected);
}

} // namespace

// The live view, the camera settings editor and the settings choice as the control software
// reaches them through the window's operations, with the program as automation server and
// the simulated camera.
class tst_MainWindowLiveView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void liveViewShow_data();
    void liveViewShow();
    void nothingToDrawOnWithoutAPicture();
    void drawClear_data();
    void drawClear();
    void drawArguments_data();
    void drawArguments();
    void aids_data();
    void aids();
    void savePicture_data();
    void savePicture();
    void settingsSelection_data();
    void settingsSelection();

private:
    // The camera open and its pictures shown in the live view.
    bool openLive();

    Answers m_answers;
    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<WindowUnderTest> m_test;
    MainWindowGui* m_window = nullptr;
};

void tst_MainWindowLiveView::initTestCase()
{
    m_folder = std::make_unique<ProgramFolder>();
    QVERIFY(m_folder->isValid());
    QVERIFY(QFile::copy(Camera_Settings::defaultFilePath(),
                        Camera_Settings::settingsFolder() + QStringLiteral("/bench") + Camera_Settings::fileExtension()));
    QVERIFY(writeFile(ImageStitcherSettings::settingsFolder() + QStringLiteral("/Q") + ImageStitcherSettings::fileExtension(),
                      "<x/>"));
    m_test = std::make_unique<WindowUnderTest>(true, m_answers);
    m_window = &m_test->make();
}

void tst_MainWindowLiveView::cleanupTestCase()
{
    if (m_window)
        m_window->Camera_Close();
    m_window = nullptr;
    m_test.reset();
    m_folder.reset();
}

void tst_MainWindowLiveView::cleanup()
{
    Camera_LiveView_Timing::set(Camera_LiveView_Timing());
    m_answers.dialog = {};
    m_answers.boxes.clear();
}

bool tst_MainWindowLiveView::openLive()
{
    bool open = false;
    m_window->Camera_IsOpen(open);
    if (!open && m_window->Camera_Open(QString()) != 0)
        return false;
    return m_window->GUI_LiveView_Show(1) == 0 && m_window->liveViewGui()->WaitForPicture() == 0;
}

void tst_MainWindowLiveView::liveViewShow_data()
{
    QTest::addColumn<bool>("windowShown");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("floating");
    // Without its window a server's live view floats, so it can be seen at all.
    QTest::newRow("hidden window") << false << 1 << 0 << true << true;
    QTest::newRow("shown window") << true << 1 << 0 << true << false;
    QTest::newRow("mode 2") << false << 2 << 104 << false << false;
    QTest::newRow("mode 0") << true << 0 << 104 << false << false;
}

void tst_MainWindowLiveView::liveViewShow()
{
    QFETCH(bool, windowShown);
    QFETCH(int, mode);
    QFETCH(int, result);
    QFETCH(bool, visible);
    QFETCH(bool, floating);
    QCOMPARE(windowShown ? m_window->GUI_Show(1) : m_window->GUI_Hide(), Errors::Type_Error(0));
    QDockWidget* dock = m_window->liveViewDock();
    dock->setFloating(false);
    dock->hide();
    QAction* action = m_window->form()->m_QAction_Menubar_View_LiveView;

    QCOMPARE(int(m_window->GUI_LiveView_Show(mode)), result);
    bool isVisible = !visible;
    QCOMPARE(m_window->GUI_LiveView_IsVisible(isVisible), Errors::Type_Error(0));
    QCOMPARE(isVisible, visible);
    QCOMPARE(dock->isFloating(), floating);
    QTRY_COMPARE(action->isChecked(), visible);

    QCOMPARE(m_window->GUI_LiveView_Hide(), Errors::Type_Error(0));
    QCOMPARE(m_window->GUI_LiveView_IsVisible(isVisible), Errors::Type_Error(0));
    QVERIFY(!isVisible);
    QTRY_VERIFY(!action->isChecked());
    QCOMPARE(m_window->GUI_Hide(), Errors::Type_Error(0));
}

// With the camera closed the live view never shows a picture: every call that needs one
// gives up after the wait with 15, while clearing needs none.
void tst_MainWindowLiveView::nothingToDrawOnWithoutAPicture()
{
    Camera_LiveView_Timing timing;
    timing.waitTimeout = 300;
    Camera_LiveView_Timing::set(timing);
    QCOMPARE(m_window->Camera_Close(), Errors::Type_Error(0));
    m_window->liveViewGui()->view()->clear(true);
    QCOMPARE(m_window->GUI_LiveView_Show(1), Errors::Type_Error(0));

    QCOMPARE(m_window->GUI_LiveView_Draw_Cross(QStringLiteral("A"), 50, 50, 10, 0, QStringLiteral("red"), 1),
             Errors::Type_Error(15));
    QCOMPARE(m_window->GUI_LiveView_SavePicture(m_folder->filePath(QStringLiteral("live.png")), QStringLiteral("png"),
                                                100),
             Errors::Type_Error(15));
    QCOMPARE(m_window->GUI_LiveView_CameraFocus_Show(45, 30, 10, 10, 0, 50, 10), Errors::Type_Error(0));
    double current = 1.0, maximum = 1.0, lower = 1.0;
    bool inTolerance = true;
    QCOMPARE(m_window->GUI_LiveView_CameraFocus_GetCurrentValue(current, maximum, lower, inTolerance),
             Errors::Type_Error(15));
    QCOMPARE(current, 0.0);
    QVERIFY(!inTolerance);
    QCOMPARE(m_window->GUI_LiveView_Draw_ClearAll(), Errors::Type_Error(0));
    QCOMPARE(m_window->GUI_LiveView_Draw_Clear(QStringLiteral("A")), Errors::Type_Error(0));
    QVERIFY(!QFileInfo::exists(m_folder->filePath(QStringLiteral("live.png"))));
    QCOMPARE(m_window->GUI_LiveView_Hide(), Errors::Type_Error(0));
}

void tst_MainWindowLiveView::drawClear_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("crosses");
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("rectangle");
    // Drawn: A a cross and a rectangle, AB a cross, B a line.
    QTest::newRow("A takes its marks, not AB's") << "A" << 0 << 1 << 1 << false;
    QTest::newRow("AB") << "AB" << 0 << 1 << 1 << true;
    QTest::newRow("unknown name") << "C" << 0 << 2 << 1 << true;
    QTest::newRow("a name with a dot") << "A.Cross" << 3 << 2 << 1 << true;
    QTest::newRow("all") << QString() << 0 << 0 << 0 << false;
}

void tst_MainWindowLiveView::drawClear()
{
    QFETCH(QString, name);
    QFETCH(int, result);
    QFETCH(int, crosses);
    QFETCH(int, lines);
    QFETCH(bool, rectangle);
    QVERIFY(openLive());
    QCOMPARE(m_window->GUI_LiveView_Draw_ClearAll(), Errors::Type_Error(0));
    const MarkCounts before = markCounts(*m_window);
    QCOMPARE(m_window->GUI_LiveView_Draw_Cross(QStringLiteral("A"), 50, 50, 10, 45, QStringLiteral("red"), 2),
             Errors::Type_Error(0));
    QCOMPARE(m_window->GUI_LiveView_Draw_Rectangle(QStringLiteral("A"), 10, 10, 20, 10, 30, QStringLiteral("green"), 1,
                                                   QStringLiteral("margin")),
             Errors::Type_Error(0));
    QCOMPARE(m_window->GUI_LiveView_Draw_Cross(QStringLiteral("AB"), 20, 20, 5, 0, QStringLiteral("blue"), 1),
             Errors::Type_Error(0));
    QCOMPARE(m_window->GUI_LiveView_Draw_Line(QStringLiteral("B"), 0, 0, 40, 30, QStringLiteral("yellow"), 3),
             Errors::Type_Error(0));

    const Errors::Type_Error code =
        name.isNull() ? m_window->GUI_LiveView_Draw_ClearAll() : m_window->GUI_LiveView_Draw_Clear(name);
    QCOMPARE(int(code), result);
    const MarkCounts after = markCounts(*m_window);
    QCOMPARE(after.crosses - before.crosses, crosses);
    QCOMPARE(after.lines - before.lines, lines);
    QCOMPARE(hasMark(*m_window, Marks + QStringLiteral("A.Rectangle.")), rectangle);
    // The live picture itself is no mark.
    int width = 0;
    int height = 0;
    m_window->liveViewGui()->view()->getPictureSize(width, height);
    QVERIFY(width > 0 && height > 0);
}

void tst_MainWindowLiveView::drawArguments_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("color");
    QTest::addColumn<int>("result");
    QTest::newRow("a listed colour") << "M" << "light blue" << 0;
    QTest::newRow("colour names are exact") << "M" << "Red" << 3;
    QTest::newRow("no colour") << "M" << "" << 3;
    QTest::newRow("a name with a dot") << "M.N" << "red" << 3;
}

void tst_MainWindowLiveView::drawArguments()
{
    QFETCH(QString, name);
    QFETCH(QString, color);
    QFETCH(int, result);
    QVERIFY(openLive());
    QCOMPARE(m_window->GUI_LiveView_Draw_ClearAll(), Errors::Type_Error(0));
    const int texts = markCounts(*m_window).texts;
    QCOMPARE(int(m_window->GUI_LiveView_Draw_Text(name, 5, 5, QStringLiteral("Plate 1"), color, QStringLiteral("Arial"),
                                                  12)),
             result);
    QCOMPARE(markCounts(*m_window).texts - texts, result == 0 ? 1 : 0);
    QCOMPARE(int(m_window->GUI_LiveView_Draw_Ellipse(name, 30, 30, 20, 10, 0, color, 1, QStringLiteral("fill"))),
             result);
    QCOMPARE(hasMark(*m_window, Marks + name + QStringLiteral(".Ellipse.")), result == 0);
}

void tst_MainWindowLiveView::aids_data()
{
    QTest::addColumn<int>("aid"); // 0 focus, 1 aperture, 2 homogeneity
    QTest::addColumn<int>("filterMode");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("value"); // -1: not asked
    QTest::newRow("focus") << 0 << 0 << 0 << 0;
    QTest::newRow("aperture") << 1 << 0 << 0 << 0;
    QTest::newRow("homogeneity") << 2 << 1 << 0 << 0;
    QTest::newRow("homogeneity, last filter") << 2 << 13 << 0 << 0;
    QTest::newRow("homogeneity, filter 0") << 2 << 0 << 3 << -1;
    QTest::newRow("homogeneity, filter 14") << 2 << 14 << 3 << -1;
}

void tst_MainWindowLiveView::aids()
{
    QFETCH(int, aid);
    QFETCH(int, filterMode);
    QFETCH(int, shown);
    QFETCH(int, value);
    QVERIFY(openLive());
    double current = -1.0, second = -1.0, third = -1.0;
    bool inTolerance = false;
    Errors::Type_Error showResult = 0;
    Errors::Type_Error valueResult = 0;
    switch (aid) {
    case 0:
        showResult = m_window->GUI_LiveView_CameraFocus_Show(45, 30, 10, 10, 0, 1, 1);
        valueResult = m_window->GUI_LiveView_CameraFocus_GetCurrentValue(current, second, third, inTolerance);
        break;
    case 1:
        showResult = m_window->GUI_LiveView_CameraAperture_Show(45, 30, 10, 10, 0, 128, 100);
        valueResult = m_window->GUI_LiveView_CameraAperture_GetCurrentValue(current, second, third, inTolerance);
        break;
    default:
        showResult = m_window->GUI_LiveView_CameraHomogeneous_Show(45, 30, 10, 10, 0, filterMode, 1, 1);
        if (value >= 0)
            valueResult =
                m_window->GUI_LiveView_CameraHomogeneous_GetCurrentValue(current, second, third, inTolerance);
        break;
    }
    QCOMPARE(int(showResult), shown);
    if (value < 0)
        return;
    QCOMPARE(int(valueResult), value);
    QVERIFY(qIsFinite(current) && current >= 0.0);
    // The aperture's limits lie around the centre the client gave.
    if (aid == 1) {
        QVERIFY(second < third);
        QCOMPARE((second + third) / 2.0, 128.0);
    }
}

void tst_MainWindowLiveView::savePicture_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("result");
    QTest::addColumn<double>("scale");
    QTest::newRow("0 percent: full size") << 0 << 0 << 1.0;
    QTest::newRow("100 percent") << 100 << 0 << 1.0;
    QTest::newRow("50 percent") << 50 << 0 << 0.5;
    QTest::newRow("beyond the largest size") << 401 << 3 << 0.0;
}

void tst_MainWindowLiveView::savePicture()
{
    QFETCH(int, percent);
    QFETCH(int, result);
    QFETCH(double, scale);
    QVERIFY(openLive());
    const QString path = m_folder->filePath(QStringLiteral("live_%1.png").arg(percent));
    QCOMPARE(int(m_window->GUI_LiveView_SavePicture(path, QStringLiteral("png"), percent)), result);
    if (result != 0) {
        QVERIFY(!QFileInfo::exists(path));
        return;
    }
    int width = 0;
    int height = 0;
    m_window->liveViewGui()->view()->getPictureSize(width, height);
    const QImage saved(path);
    QCOMPARE(saved.width(), qRound(width * scale));
    QCOMPARE(saved.height(), qRound(height * scale));
}

void tst_MainWindowLiveView::settingsSelection_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("defaultName");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("preselected");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("camera, default name") << int(CameraKind) << "bench" << true << "Select camera settings" << "bench"
                                          << "bench";
    QTest::newRow("camera, the editor's file") << int(CameraKind) << "" << true << "Select camera settings"
                                               << "default" << "default";
    QTest::newRow("camera, cancelled") << int(CameraKind) << "bench" << false << "Select camera settings" << "bench"
                                       << "";
    QTest::newRow("colony, the current file") << int(ColonyKind) << "" << true << "Select colony settings" << "default"
                                              << "default";
    QTest::newRow("colony, no such file") << int(ColonyKind) << "absent" << true << "Select colony settings" << ""
                                          << "";
    QTest::newRow("stitcher, default name") << int(StitcherKind) << "Q" << true << "Select imagestitcher settings"
                                            << "Q" << "Q";
}

// The choice is someone's at the screen, also under a server: the dialog is shown, the
// name comes back without folder and extension, and a cancel is told by an empty name.
void tst_MainWindowLiveView::settingsSelection()
{
    QFETCH(int, kind);
    QFETCH(QString, defaultName);
    QFETCH(bool, accept);
    QFETCH(QString, title);
    QFETCH(QString, preselected);
    QFETCH(QString, chosen);
    QCOMPARE(m_window->Camera_Open(QStringLiteral("default")), Errors::Type_Error(0));
    QString seenTitle;
    QString seenCurrent = QStringLiteral("(none)");
    m_answers.dialog = [&](QDialog* dialog) {
        seenTitle = dialog->windowTitle();
        auto* list = dialog->findChild<QListWidget*>();
        seenCurrent = list && list->currentItem() ? list->currentItem()->text() : QString();
        auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("m_QPushButton_Ok"));
        auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("m_QPushButton_Cancel"));
        if (accept && ok && ok->isEnabled())
            ok->click();
        else if (cancel)
            cancel->click();
        return dialog->result();
    };
    QString answer = QStringLiteral("before");
    Errors::Type_Error result = -1;
    switch (kind) {
    case CameraKind:
        result = m_window->Settings_SelectCameraSettings(defaultName, answer);
        break;
    case ColonyKind:
        result = m_window->Settings_SelectColonySettings(defaultName, answer);
        break;
    default:
        result = m_window->Settings_SelectImageStitcherSettings(defaultName, answer);
        break;
    }
    QCOMPARE(result, Errors::Type_Error(0));
    QCOMPARE(seenTitle, title);
    QCOMPARE(seenCurrent, preselected);
    QCOMPARE(answer, chosen);
    QVERIFY(m_answers.boxes.isEmpty());
}

QTEST_MAIN(tst_MainWindowLiveView)
#include "tst_MainWindowLiveView.moc"
