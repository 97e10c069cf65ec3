#include "Hobject_View_Gui.h"
#include "QuendralLibrary.h"
#include "ViewTestHelpers.h"

#include <ViewerTestScene.h>

#include <HalconRegionOps.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>

using namespace ViewTestHelpers;

// The viewer as the operator sees it: a plate picture with colony outlines, rejected colonies
// filled, reference crosses, a scale line and labels, in a real top-level window. With
// ZELVORIN_VIEWER_SCREENSHOT set to a file name, the window is also saved there (run with
// QT_QPA_PLATFORM=xcb under xvfb-run for a picture of the real window).
class tst_ViewerWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void showsPlateWithOverlays();
};

void tst_ViewerWindow::initTestCase()
{
    // The library start registers the pictures of the viewer's buttons.
    QuendralLibrary::Start(QStringLiteral("ViewerWindowTest%1").arg(QCoreApplication::applicationPid()),
                           QStringLiteral("1.0"), QStringLiteral("2016"), nullptr, false, this);
}

void tst_ViewerWindow::cleanupTestCase()
{
    QuendralLibrary::Stop();
}

void tst_ViewerWindow::showsPlateWithOverlays()
{
    constexpr int width = 1296;
    constexpr int height = 972;
    const std::vector<ViewerTestScene::Colony> colonies = ViewerTestScene::colonyGrid(width, height, 64, 14.0);
    const std::vector<Halcon::Hobject> contours = ViewerTestScene::colonyContours(colonies);

    Hobject_View_Gui view(nullptr, QStringLiteral("Colony analyser"));
    view.setWindowTitle(QStringLiteral("Picture viewer"));
    view.addPictureSelector("Normal", "HalconPicture_Colonies_Normal.", "Normal", true, true);
    view.addPictureSelector("Preprocessed", "HalconPicture_Colonies_Preprocessed.", "Preprocessed", true, false);
    view.addObjectSelector("Colonies", "HalconObject_Colonies_Good.", "Good colonies", true, true);
    view.addObjectSelector("Rejected", "HalconObject_Colonies_Rejected.", "Rejected", true, true);
    view.addObjectGroup("Reference", "HalconObject_Reference.", true);
    view.setPicture(ViewerTestScene::platePicture(width, height, colonies), "HalconPicture_Colonies_Normal.", false);
    for (size_t i = 0; i < contours.size(); ++i) {
        const ViewerTestScene::Colony& colony = colonies[i];
        if (i % 9 == 4) {
            Halcon::Hobject disc;
            Halcon::gen_circle(&disc, colony.row, colony.column, colony.radius);
            view.addObject(disc, "red", "fill", 1, QStringLiteral("HalconObject_Colonies_Rejected.%1").arg(i), true, false);
        } else {
            view.addObject(contours[i], "green", "margin", 2, QStringLiteral("HalconObject_Colonies_Good.%1").arg(i), true,
                           false);
        }
        view.addText(QString::number(i + 1), colony.column + colony.radius, colony.row - 2.5 * colony.radius, "yellow",
                     "DejaVu Sans", 14, QStringLiteral("HalconObject_Colonies_Good.Label.%1").arg(i), false, false);
    }
    view.addCross(width / 2.0, height * 0.08, 60, 45, "cyan", 2, "HalconObject_Reference.1", false, false);
    view.addCross(width * 0.2, height * 0.85, 60, 45, "cyan", 2, "HalconObject_Reference.2", false, false);
    view.addLine(width * 0.05, height * 0.95, width * 0.25, height * 0.95, "white", 3, "HalconObject_Reference.Scale",
                 false, true);

    QVERIFY(showWithPictureSize(view, 864, 648));
    view.resetZoom(true);
    view.raise();
    view.activateWindow();

    int column1 = 0, row1 = 0, column2 = 0, row2 = 0;
    view.getVisiblePart(column1, row1, column2, row2);
    Hobject_View_Gui_Picture* picture = pictureWidget(view);
    const QPoint origin = picture->mapTo(&view, QPoint(0, 0));
    // A good colony's outline: the right end of the first colony's circle.
    const ViewerTestScene::Colony& first = colonies.front();
    const QPoint outline = origin + windowPoint(first.row, first.column + first.radius, column1, row1, column2, row2,
                                                picture->width(), picture->height());
    // The middle of a rejected colony, filled red.
    const ViewerTestScene::Colony& rejected = colonies[4];
    const QPoint filled = origin + windowPoint(rejected.row, rejected.column, column1, row1, column2, row2,
                                               picture->width(), picture->height());

    // With a real display the window's pixels come from the screen; otherwise from the widget.
    const bool realWindow = QGuiApplication::platformName() == QLatin1String("xcb");
    auto grabWindow = [&]() -> QImage {
        if (realWindow)
            return view.screen()->grabWindow(view.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    auto greenNear = [](const QImage& image, QPoint p) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const QPoint q = p + QPoint(dx, dy);
                if (image.rect().contains(q) && qGreen(image.pixel(q)) > 200 && qRed(image.pixel(q)) < 80)
                    return true;
            }
        return false;
    };
    QImage shot;
    QTRY_VERIFY_WITH_TIMEOUT((shot = grabWindow(), greenNear(shot, outline)), 10000);
    const QRgb center = shot.pixel(filled);
    QVERIFY(qRed(center) > 200 && qGreen(center) < 80);

    const QString target = qEnvironmentVariable("ZELVORIN_VIEWER_SCREENSHOT");
    if (!target.isEmpty())
        QVERIFY(shot.save(target, "PNG"));
}

QTEST_MAIN(tst_ViewerWindow)
#include "tst_ViewerWindow.moc"
