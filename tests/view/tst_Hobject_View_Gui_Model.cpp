#include "Hobject_View_Gui.h"
#include "ViewTestHelpers.h"

#include <HalconTestPictures.h>

#include <HTuple.h>
#include <HalconObjectOps.h>
#include <HalconRegionOps.h>
#include <HalconXldOps.h>

#include <QSignalSpy>
#include <QTest>

#include <barrier>
#include <thread>

using namespace ViewTestHelpers;
using Halcon::HTuple;
using Halcon::Hobject;

namespace {

Hobject circleContour(double row, double column, double radius)
{
    Hobject contour;
    Halcon::gen_circle_contour_xld(&contour, row, column, radius, 0.0, 6.283185307179586, "positive", 1.0);
    return contour;
}

QString objectClassOf(const Hobject& object)
{
    HTuple classes;
    if (Halcon::get_obj_class(object, &classes) != Halcon::kSuccess || classes.IsEmpty())
        return QString();
    return QString::fromStdString(classes[0].S());
}

bool isVisible(const Hobject_View_Gui& view, const QString& name)
{
    Hobject object;
    bool visible = false;
    bool selected = false;
    view.getObject(name, object, visible, selected);
    return visible;
}

} // namespace

class tst_Hobject_View_Gui_Model : public QObject {
    Q_OBJECT
private slots:
    void setPictureReplacesByWholeName();
    void setPictureIgnoresWhatIsNoImage_data();
    void setPictureIgnoresWhatIsNoImage();
    void setPictureSameNameFromTwoThreads();
    void addObjectStoresByClass_data();
    void addObjectStoresByClass();
    void removeObjectsByCaseSensitivePrefix();
    void objectVisibilityRule_data();
    void objectVisibilityRule();
    void pictureVisibilityRule_data();
    void pictureVisibilityRule();
    void updateRequestRule();
    void clearResetsSizeAndPart();
    void statisticsAndCounts();
    void unselectableLayersAreUnselected();
    void styleChangesOfHiddenLayersRequestNoRepaint();
};

void tst_Hobject_View_Gui_Model::setPictureReplacesByWholeName()
{
    Hobject_View_Gui view;
    view.addPictureGroup(QStringLiteral("all"), QStringLiteral("Pic."), true);
    QVERIFY(showWithPictureSize(view, 200, 100));
    view.setPicture(grayPicture(200, 100, 50), QStringLiteral("Pic.A"), true);
    view.setPicture(grayPicture(200, 100, 200), QStringLiteral("Pic.B"), true);
    view.setPicture(grayPicture(200, 100, 30), QStringLiteral("Pic.AB"), true);
    view.resetZoom(false);
    QCOMPARE(view.getPictureCount(), 3);
    QCOMPARE(qRed(shownImage(view).pixel(100, 50)), 30);

    // The same name replaces the picture and moves it to the end of the drawing order; a
    // name that merely begins alike stays.
    view.setPicture(grayPicture(200, 100, 100), QStringLiteral("Pic.A"), true);
    QCOMPARE(view.getPictureCount(), 3);
    QCOMPARE(qRed(shownImage(view).pixel(100, 50)), 100);

    view.removePictures(QStringLiteral("Pic.A"), true);
    QCOMPARE(view.getPictureCount(), 1);
    QCOMPARE(qRed(shownImage(view).pixel(100, 50)), 200);
}

void tst_Hobject_View_Gui_Model::setPictureIgnoresWhatIsNoImage_data()
{
    QTest::addColumn<Hobject>("object");
    QTest::newRow("region") << HalconTestPictures::rectangleRegion(0, 0, 9, 9);
    QTest::newRow("empty object") << Hobject();
    QTest::newRow("contour") << circleContour(10, 10, 5);
}

void tst_Hobject_View_Gui_Model::setPictureIgnoresWhatIsNoImage()
{
    QFETCH(Hobject, object);
    Hobject_View_Gui view;
    view.setPicture(grayPicture(64, 48, 10), QStringLiteral("P"), false);
    QSignalSpy update(&view, &Hobject_View_Gui::signal_update);
    view.setPicture(object, QStringLiteral("P"), true);
    QCOMPARE(view.getPictureCount(), 1);
    int width = 0, height = 0;
    view.getPictureSize(width, height);
    QCOMPARE(width, 64);
    QCOMPARE(height, 48);
    QCOMPARE(update.count(), 0);
}

void tst_Hobject_View_Gui_Model::setPictureSameNameFromTwoThreads()
{
    Hobject_View_Gui view;
    const Hobject first = grayPicture(800, 600, 10);
    const Hobject second = grayPicture(800, 600, 20);
    constexpr int rounds = 200;
    std::barrier sync(3);
    int worstCount = 0;
    auto worker = [&](const Hobject& picture) {
        for (int round = 0; round < rounds; ++round) {
            sync.arrive_and_wait();
            view.setPicture(picture, QStringLiteral("Same"), true);
            sync.arrive_and_wait();
        }
    };
    std::thread a(worker, first);
    std::thread b(worker, second);
    for (int round = 0; round < rounds; ++round) {
        sync.arrive_and_wait();
        sync.arrive_and_wait();
        worstCount = std::max(worstCount, view.getPictureCount());
    }
    a.join();
    b.join();
    QCOMPARE(worstCount, 1);
}

void tst_Hobject_View_Gui_Model::addObjectStoresByClass_data()
{
    QTest::addColumn<Hobject>("object");
    QTest::addColumn<QString>("drawMode");
    QTest::addColumn<bool>("added");
    QTest::addColumn<QString>("storedClass");
    QTest::newRow("contour, fill: filled region") << circleContour(50, 50, 20) << "fill" << true << "region";
    QTest::newRow("contour, margin: contour") << circleContour(50, 50, 20) << "margin" << true << "xld_cont";
    QTest::newRow("region") << HalconTestPictures::rectangleRegion(1, 2, 3, 4) << "margin" << true << "region";
    QTest::newRow("empty object") << Hobject() << "margin" << true << QString();
    Hobject mixed;
    Halcon::concat_obj(HalconTestPictures::rectangleRegion(1, 2, 3, 4), circleContour(50, 50, 20), &mixed);
    QTest::newRow("mixed classes: not added") << mixed << "margin" << false << QString();
}

void tst_Hobject_View_Gui_Model::addObjectStoresByClass()
{
    QFETCH(Hobject, object);
    QFETCH(QString, drawMode);
    QFETCH(bool, added);
    QFETCH(QString, storedClass);
    Hobject_View_Gui view;
    view.addObject(object, QStringLiteral("green"), drawMode, 1, QStringLiteral("O"), true, false);
    Hobject stored;
    bool visible = false;
    bool selected = true;
    QCOMPARE(view.getObject(QStringLiteral("O"), stored, visible, selected), added);
    QCOMPARE(view.getObjectCount(), added ? 1 : 0);
    if (!added)
        return;
    QCOMPARE(objectClassOf(stored), storedClass);
    QVERIFY(!selected);
    if (storedClass == QLatin1String("region") && drawMode == QLatin1String("fill")) {
        HTuple area, row, column;
        Halcon::area_center(stored, &area, &row, &column);
        QVERIFY(area.D() > 3.14 * 19 * 19);   // the whole disc, not only its outline
    }
}

void tst_Hobject_View_Gui_Model::removeObjectsByCaseSensitivePrefix()
{
    Hobject_View_Gui view;
    view.addObject(HalconTestPictures::rectangleRegion(1, 1, 5, 5), "red", "fill", 1, QStringLiteral("Colony.1"), false, false);
    view.addText(QStringLiteral("t"), 1, 1, "red", "Arial", 8, QStringLiteral("Colony.Text"), false, false);
    view.addLine(0, 0, 5, 5, "red", 1, QStringLiteral("Colony.Line"), false, false);
    view.addCross(3, 3, 6, 45, "red", 1, QStringLiteral("Colony.Cross"), false, false);
    view.addObject(HalconTestPictures::rectangleRegion(1, 1, 5, 5), "red", "fill", 1, QStringLiteral("colony.1"), false, false);
    view.addObject(HalconTestPictures::rectangleRegion(1, 1, 5, 5), "red", "fill", 1, QStringLiteral("Colon"), false, false);
    QCOMPARE(view.getObjectCount(), 6);
    view.removeObjects(QStringLiteral("Colony."), true);
    QCOMPARE(view.getObjectCount(), 2);
    Hobject object;
    bool visible = false, selected = false;
    QVERIFY(view.getObject(QStringLiteral("colony.1"), object, visible, selected));
    QVERIFY(view.getObject(QStringLiteral("Colon"), object, visible, selected));
    view.removeObjects(QString(), true);
    QCOMPARE(view.getObjectCount(), 0);
}

void tst_Hobject_View_Gui_Model::objectVisibilityRule_data()
{
    QTest::addColumn<bool>("linkHidesOthers");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("visible");
    QTest::newRow("empty name") << false << QString() << true;
    QTest::newRow("checked object selector") << false << "Obj.Colonies.1" << true;
    QTest::newRow("unchecked object selector") << false << "Obj.Margins.1" << false;
    QTest::newRow("first matching selector wins") << false << "Obj.Colonies.Margins" << true;
    QTest::newRow("group shown by default") << false << "Obj.Text.1" << true;
    QTest::newRow("group hidden by default") << false << "Obj.Hidden.1" << false;
    QTest::newRow("nothing matches") << false << "Other.1" << false;
    QTest::newRow("link of the chosen picture") << false << "Obj.Normal.1" << true;
    QTest::newRow("link of another picture") << false << "Obj.Pre.1" << false;
    QTest::newRow("letter case differs") << false << "obj.colonies.1" << false;
    QTest::newRow("hiding link: its own objects") << true << "Obj.Normal.1" << true;
    QTest::newRow("hiding link: checked selector hidden") << true << "Obj.Colonies.1" << false;
    QTest::newRow("hiding link: empty name") << true << QString() << true;
}

void tst_Hobject_View_Gui_Model::objectVisibilityRule()
{
    QFETCH(bool, linkHidesOthers);
    QFETCH(QString, name);
    QFETCH(bool, visible);
    Hobject_View_Gui view;
    QVERIFY(view.addPictureSelector("Normal", "Pic.Normal.", "Normal", true, true));
    QVERIFY(view.addPictureSelector("Pre", "Pic.Pre.", "Pre", true, false));
    QVERIFY(view.addObjectSelector("Colonies", "Obj.Colonies.", "Colonies", true, true));
    QVERIFY(view.addObjectSelector("Margins", "Obj.Margins.", "Margins", true, false));
    QVERIFY(view.addObjectGroup("Text", "Obj.Text.", true));
    QVERIFY(view.addObjectGroup("Hidden", "Obj.Hidden.", false));
    QVERIFY(view.addSelectorEntry("Normal", "Pic.Normal.", "Obj.Normal.", linkHidesOthers, true));
    QVERIFY(view.addSelectorEntry("Pre", "Pic.Pre.", "Obj.Pre.", true, true));
    QVERIFY(view.addSelectorEntry("Disabled", "Pic.Normal.", "Obj.Pre.", false, false));

    view.addObject(HalconTestPictures::rectangleRegion(1, 1, 5, 5), "red", "fill", 1, name, false, false);
    QCOMPARE(isVisible(view, name), visible);
}

void tst_Hobject_View_Gui_Model::pictureVisibilityRule_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("visible");
    QTest::newRow("empty name") << QString() << true;
    QTest::newRow("checked selector") << "Pic.Normal.1" << true;
    QTest::newRow("unchecked selector") << "Pic.Pre.1" << false;
    QTest::newRow("selector before group") << "Pic.Pre.Group" << false;
    QTest::newRow("group shown") << "Pic.Group.1" << true;
    QTest::newRow("nothing matches") << "Other" << false;
}

void tst_Hobject_View_Gui_Model::pictureVisibilityRule()
{
    QFETCH(QString, name);
    QFETCH(bool, visible);
    Hobject_View_Gui view;
    view.addPictureSelector("Normal", "Pic.Normal.", "Normal", true, true);
    view.addPictureSelector("Pre", "Pic.Pre.", "Pre", true, false);
    view.addPictureGroup("Group", "Pic.Group.", true);
    view.addPictureGroup("Pre group", "Pic.Pre.", true);
    QVERIFY(showWithPictureSize(view, 100, 100, true));
    view.setPicture(grayPicture(100, 100, 0), QStringLiteral("Background"), false);   // hidden, keeps the size
    view.setPicture(grayPicture(100, 100, 180), name, true);
    view.resetZoom(false);
    QCOMPARE(qRed(shownImage(view).pixel(50, 50)) > 100, visible);
}

void tst_Hobject_View_Gui_Model::updateRequestRule()
{
    Hobject_View_Gui view;
    view.addObjectGroup("shown", "Shown.", true);
    view.setPicture(grayPicture(100, 100, 0), QString(), false);
    QVERIFY(showWithPictureSize(view, 100, 100, true));
    shownImage(view);   // a paint clears the modified flag
    QSignalSpy update(&view, &Hobject_View_Gui::signal_update);

    view.updateView(true);
    QCOMPARE(update.count(), 0);
    view.updateView(false);
    QCOMPARE(update.count(), 1);

    // A hidden layer changes nothing visible.
    view.addLine(0, 0, 10, 10, "red", 1, QStringLiteral("Hidden.1"), false, true);
    QCOMPARE(update.count(), 1);
    view.addLine(0, 0, 10, 10, "red", 1, QStringLiteral("Shown.1"), false, false);
    QCOMPARE(update.count(), 1);
    view.updateView(true);
    QCOMPARE(update.count(), 2);
    view.updateView(true);   // still modified: only painting clears it
    QCOMPARE(update.count(), 3);
    shownImage(view);
    view.updateView(true);
    QCOMPARE(update.count(), 3);
}

void tst_Hobject_View_Gui_Model::clearResetsSizeAndPart()
{
    Hobject_View_Gui view;
    QVERIFY(showWithPictureSize(view, 100, 100, true));
    view.setPicture(grayPicture(300, 200, 0), QStringLiteral("P"), false);
    view.addCross(1, 1, 3, 0, "red", 1, QStringLiteral("C"), false, false);
    view.clear(true);
    int width = -1, height = -1;
    view.getPictureSize(width, height);
    QCOMPARE(width, 0);
    QCOMPARE(height, 0);
    int c1 = -1, r1 = -1, c2 = -1, r2 = -1;
    view.getVisiblePart(c1, r1, c2, r2);
    QCOMPARE(QList<int>({c1, r1, c2, r2}), QList<int>({0, 0, 0, 0}));
    QCOMPARE(view.getPictureCount(), 0);
    QCOMPARE(view.getObjectCount(), 0);
}

void tst_Hobject_View_Gui_Model::statisticsAndCounts()
{
    Hobject_View_Gui view;
    view.setPicture(grayPicture(10, 10, 0), "A", false);
    view.setPicture(grayPicture(10, 10, 0), "B", false);
    view.addObject(grayPicture(5, 5, 0), "red", "margin", 1, "image", false, false);
    view.addObject(circleContour(5, 5, 2), "red", "margin", 1, "contour", false, false);
    view.addObject(circleContour(5, 5, 2), "red", "fill", 1, "filled contour", false, false);
    view.addObject(HalconTestPictures::rectangleRegion(1, 1, 2, 2), "red", "margin", 1, "region", false, false);
    view.addObject(Hobject(), "red", "margin", 1, "empty", false, false);
    view.addText("t", 1, 1, "red", "Arial", 8, "text", false, false);
    view.addLine(1, 1, 2, 2, "red", 1, "line", false, false);
    view.addCross(1, 1, 2, 0, "red", 1, "cross1", false, false);
    view.addCross(1, 1, 2, 0, "red", 1, "cross2", false, false);
    QCOMPARE(view.getPictureCount(), 2);
    QCOMPARE(view.getObjectCount(), 9);
    int images = 0, contours = 0, polygons = 0, regions = 0, texts = 0, lines = 0, crosses = 0;
    view.getObjectStatistics(images, contours, polygons, regions, texts, lines, crosses);
    QCOMPARE(QList<int>({images, contours, polygons, regions, texts, lines, crosses}),
             QList<int>({1, 1, 0, 2, 1, 1, 2}));
}

void tst_Hobject_View_Gui_Model::unselectableLayersAreUnselected()
{
    Hobject_View_Gui view;
    view.addObjectGroup("all", QString(), true);
    view.addObject(HalconTestPictures::rectangleRegion(1, 1, 5, 5), "red", "fill", 1, "A.1", true, false);
    view.addLine(0, 0, 5, 5, "red", 1, "A.2", true, false);
    view.addObject(HalconTestPictures::rectangleRegion(1, 1, 5, 5), "red", "fill", 1, "B.1", true, false);
    view.selectObjects(QString(), false);
    QCOMPARE(view.getSelectedObjects(QString()), QStringList({"A.1", "B.1", "A.2"}));
    view.setObjectsSelectable("A.", false, false);
    QCOMPARE(view.getSelectedObjects(QString()), QStringList({"B.1"}));
    QVERIFY(!view.isObjectSelected("A."));
    view.selectObjects(QString(), false);
    QCOMPARE(view.getSelectedObjects(QString()), QStringList({"B.1"}));
}

void tst_Hobject_View_Gui_Model::styleChangesOfHiddenLayersRequestNoRepaint()
{
    Hobject_View_Gui view;
    view.addObjectGroup("shown", "Shown.", true);
    view.setPicture(grayPicture(50, 50, 0), QString(), false);
    QVERIFY(showWithPictureSize(view, 100, 100, true));
    view.addLine(0, 0, 5, 5, "red", 1, "Hidden.1", false, false);
    view.addLine(0, 0, 5, 5, "red", 1, "Shown.1", false, false);
    shownImage(view);
    QSignalSpy update(&view, &Hobject_View_Gui::signal_update);
    view.setObjectColor("Hidden.", "green", true);
    view.setObjectLineWidth("Hidden.", 3, true);
    QCOMPARE(update.count(), 0);
    view.setObjectColor("Shown.", "red", true);   // same colour: no change
    QCOMPARE(update.count(), 0);
    view.setObjectLineWidth("Shown.", 3, true);
    QCOMPARE(update.count(), 1);
}

QTEST_MAIN(tst_Hobject_View_Gui_Model)
#include "tst_Hobject_View_Gui_Model.moc"
