#include "ColonySettingsGuiFixture.h"
#include "ColonySettingsLabwareEditor.h"
#include "QuendralLibrary.h"

#include <HalconViewImpl.h>
#include <Hobject_View_Gui.h>
#include <Hobject_View_Gui_Picture.h>
#include <Hobject_View_MouseDraw_Rectangle_Move.h>
#include <PlateSceneSettings.h>
#include <PlateScenes.h>

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using ColonySettingsGuiFixture::FakeHost;

// The colony settings editor docked beside a plate picture in a real main window, with the
// labware grid taken into the move tool. With ZELVORIN_COLONY_SETTINGS_SCREENSHOT set to a
// file name the window is saved there (run with QT_QPA_PLATFORM=xcb under xvfb-run for a
// picture of the real window).
class tst_ColonySettingsGuiWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void editorBesidePlatePicture();
};

void tst_ColonySettingsGuiWindow::initTestCase()
{
    QuendralLibrary::Start(QStringLiteral("ColonySettingsWindowTest%1").arg(QCoreApplication::applicationPid()),
                           QStringLiteral("1.0"), QStringLiteral("2016"), nullptr, false, this);
}

void tst_ColonySettingsGuiWindow::cleanupTestCase()
{
    QuendralLibrary::Stop();
}

void tst_ColonySettingsGuiWindow::editorBesidePlatePicture()
{
    PlateScenes::Options options;
    options.width = 1296;
    options.height = 972;
    const PlateScenes::Scene scene = PlateScenes::generate(options);

    ColonySettingsGuiFixture::Script script;
    ColonySettings settings;
    settings.data() = PlateSceneSettings::settingsFor(scene);
    const ColonySettingsData::LabwareData& labware = settings.Labware;
    FakeHost host(&settings);
    host.fileName = QStringLiteral("settings/Colony/96 well plate.ColonySettings");

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("zelvorin"));
    auto* view = new Hobject_View_Gui(&window, QStringLiteral("Colony analyser"));
    view->addPictureSelector("Normal", "HalconPicture_Colonies_Normal.", "Normal", true, true);
    view->setPicture(scene.image, QStringLiteral("HalconPicture_Colonies_Normal."), false);
    window.setCentralWidget(view);
    HalconViewImpl analyserView(view);
    auto* dock = new QDockWidget(&window);
    auto* editor = new ColonySettingsGui(&host, &analyserView, &settings, dock);
    dock->setWidget(editor);
    window.addDockWidget(Qt::RightDockWidgetArea, dock);
    window.resize(1400, 860);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    view->resetZoom(true);
    editor->findChild<QTabWidget*>(QStringLiteral("m_SettingsTab"))->setCurrentIndex(1);
    editor->findChild<QToolButton*>(QStringLiteral("m_LabwareEdit"))->click();
    Hobject_View_MouseDraw_Rectangle_Move* tool = editor->labwareEditor()->moveTool();
    QVERIFY(tool->isActive());
    QCOMPARE(dock->windowTitle(), QStringLiteral(" Colony Settings \"96 well plate\""));

    // The middle of the grid rectangle's upper edge carries the magenta outline.
    double column = 0.0;
    double row = 0.0;
    view->convertPercentToPixel(labware.PositionX + labware.SizeX / 2.0, labware.PositionY, column, row);
    int column1 = 0, row1 = 0, column2 = 0, row2 = 0;
    view->getVisiblePart(column1, row1, column2, row2);
    auto* picture = view->findChild<Hobject_View_Gui_Picture*>();
    const QPoint inPicture(int((column - column1 + 0.5) * picture->width() / double(column2 - column1 + 1)),
                           int((row - row1 + 0.5) * picture->height() / double(row2 - row1 + 1)));
    const QPoint edge = picture->mapTo(&window, inPicture);

    const bool realWindow = QGuiApplication::platformName() == QLatin1String("xcb");
    auto grabWindow = [&]() -> QImage {
        if (realWindow)
            return window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    auto magentaNear = [](const QImage& image, QPoint p) {
        for (int dy = -6; dy <= 6; ++dy)
            for (int dx = -3; dx <= 3; ++dx) {
                const QPoint q = p + QPoint(dx, dy);
                if (!image.rect().contains(q))
                    continue;
                const QRgb c = image.pixel(q);
                if (qRed(c) > 180 && qBlue(c) > 180 && qGreen(c) < 90)
                    return true;
            }
        return false;
    };
    QImage shot;
    QTRY_VERIFY_WITH_TIMEOUT((shot = grabWindow(), magentaNear(shot, edge)), 10000);

    const QString target = qEnvironmentVariable("ZELVORIN_COLONY_SETTINGS_SCREENSHOT");
    if (!target.isEmpty())
        QVERIFY(shot.save(target, "PNG"));
    // The tools end before the viewer goes.
    delete dock;
}

QTEST_MAIN(tst_ColonySettingsGuiWindow)
#include "tst_ColonySettingsGuiWindow.moc"
