// What the Colony Analyser page selects in its view, on a real viewer with the page's groups
// and no page: the overlays an editor page is about, the colour-range selection of colonies,
// and picking a colony in the tables or in the picture.

#include "ColonyAnalyserViewGroups.h"
#include "ColonyColourSelection.h"
#include "ColonyPicking.h"
#include "ColonyRackRecord.h"
#include "ColonySelectorHighlight.h"
#include "ColonySettings.h"
#include "MessageBox_Helper.h"

#include <Halcon.h>
#include <Hobject_View_Gui.h>

#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

const QString kReferencePoints = QStringLiteral("HalconObject_ReferencePoints");
const QString kColonies = QStringLiteral("HalconObject_Colonies.");

// The viewer checks its selector boxes through queued calls.
void deliverQueuedCalls()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

// A viewer as the page sets it up, and a rack of two containers whose colonies "a" and "b"
// overlap at (22, 20); "c" stands apart. Each colony has a row in the good table.
struct Scene {
    Hobject_View_Gui view{nullptr, QStringLiteral("Colony Analyser")};
    QTreeWidget good;
    QTreeWidget rejected;
    ColonyRackRecord rack;

    Scene()
    {
        ColonyAnalyserViewGroups::install(view);
        add(0, QStringLiteral("a"), 20.0, 20.0, 110.0);
        add(1, QStringLiteral("b"), 24.0, 20.0, 120.0);
        add(1, QStringLiteral("c"), 80.0, 60.0, 130.0);
    }

    void add(size_t container, const QString& label, double x, double y, double hue)
    {
        while (rack.containers.size() <= container)
            rack.containers.push_back(std::make_unique<ColonyRackRecord::Container>());
        auto colony = std::make_unique<ColonyRackRecord::Colony>();
        colony->objectName = kColonies + label + QLatin1Char('.');
        Halcon::gen_circle_contour_xld(&colony->contour, y, x, 5.0, 0.0, 6.283185307179586, "positive", 1.0);
        colony->row.ColorHue = hue;
        colony->row.ColorSaturation = hue / 2.0;
        colony->row.ColorIntensity = hue / 4.0;
        colony->item = new QTreeWidgetItem(&good, QStringList(label));
        view.addObject(colony->contour, QStringLiteral("green"), QStringLiteral("margin"), 1, colony->objectName,
                       true, false);
        rack.containers[container]->colonies.push_back(std::move(colony));
    }

    const ColonyRackRecord::Colony& colony(size_t container, size_t index) const
    {
        return *rack.containers[container]->colonies[index];
    }
};

} // namespace

class tst_ColonyViewSelection : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void highlightFollowsTheEditorPage_data();
    void highlightFollowsTheEditorPage();
    void clickTogglesEveryColonyUnderIt();
    void pickedColoniesToggleByName();
    void colourRange_data();
    void colourRange();
    void enterAndLeaveTheMode();
    void pickingKeepsOneCurrentRow();
    void pressBesideColoniesClearsTheSelection();
};

void tst_ColonyViewSelection::cleanup()
{
    MessageBox_Helper::setAnswerFunction({});
}

void tst_ColonyViewSelection::highlightFollowsTheEditorPage_data()
{
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<QString>("highlighted");
    QTest::addColumn<bool>("referencePointsChecked");
    QTest::addColumn<bool>("coloniesChecked");
    // The reference points start unchecked, the colonies start checked (the page's groups);
    // "colonies off" unchecks them first.
    QTest::newRow("reference points page") << QList<int>{1} << kReferencePoints << true << true;
    QTest::newRow("left for a page about checked overlays") << QList<int>{1, 2} << QString() << false << true;
    QTest::newRow("left for no overlays") << QList<int>{1, 0} << QString() << false << true;
    QTest::newRow("checked overlays are no highlight") << QList<int>{4} << QString() << false << true;
    QTest::newRow("colonies off, page 4") << QList<int>{-1, 4} << kColonies << false << true;
    QTest::newRow("colonies off, page 4 then 5") << QList<int>{-1, 4, 5} << kColonies << false << true;
    QTest::newRow("colonies off, page 4 then 3") << QList<int>{-1, 4, 3} << QString() << false << false;
}

void tst_ColonyViewSelection::highlightFollowsTheEditorPage()
{
    QFETCH(QList<int>, pages);
    QFETCH(QString, highlighted);
    QFETCH(bool, referencePointsChecked);
    QFETCH(bool, coloniesChecked);
    Scene scene;
    ColonySelectorHighlight highlight;
    for (const int page : pages) {
        if (page == -1)
            scene.view.setObjectSelectorsChecked(kColonies, false, false);
        else
            highlight.pageEntered(scene.view, page);
        deliverQueuedCalls();
    }
    QCOMPARE(highlight.prefix(), highlighted);
    QCOMPARE(highlight.isActive(), !highlighted.isEmpty());
    QCOMPARE(scene.view.isObjectSelectorChecked(kReferencePoints), referencePointsChecked);
    QCOMPARE(scene.view.isObjectSelectorChecked(kColonies), coloniesChecked);
}

void tst_ColonyViewSelection::clickTogglesEveryColonyUnderIt()
{
    Scene scene;
    ColonyColourSelection::toggleAt(scene.rack, scene.view, 22.0, 20.0);
    QVERIFY(scene.view.isObjectSelected(scene.colony(0, 0).objectName));
    QVERIFY(scene.view.isObjectSelected(scene.colony(1, 0).objectName));
    QVERIFY(!scene.view.isObjectSelected(scene.colony(1, 1).objectName));

    // Only "a" lies under (16, 20): it alone goes back.
    ColonyColourSelection::toggleAt(scene.rack, scene.view, 16.0, 20.0);
    QVERIFY(!scene.view.isObjectSelected(scene.colony(0, 0).objectName));
    QVERIFY(scene.view.isObjectSelected(scene.colony(1, 0).objectName));
}

void tst_ColonyViewSelection::pickedColoniesToggleByName()
{
    Scene scene;
    ColonyColourSelection selection;
    selection.enter(scene.view);
    const QString name = scene.colony(1, 0).objectName;
    scene.view.selectObjects(name, false);
    selection.objectSelected(scene.rack, scene.view, name);
    QCOMPARE(selection.picked().size(), size_t(1));
    QCOMPARE(selection.picked().front()->row.ColorHue, 120.0);
    // A copy: a new run may take the rack's own colonies away.
    QVERIFY(selection.picked().front().get() != &scene.colony(1, 0));

    selection.objectSelected(scene.rack, scene.view, name);
    QVERIFY(selection.picked().empty());
    QVERIFY(!scene.view.isObjectSelected(name));
    selection.objectSelected(scene.rack, scene.view, QStringLiteral("HalconObject_Colonies.none."));
    QVERIFY(selection.picked().empty());
}

void tst_ColonyViewSelection::colourRange_data()
{
    QTest::addColumn<QStringList>("picks");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<double>("startHue");
    QTest::addColumn<double>("endHue");
    QTest::addColumn<double>("resultTolerance");
    QTest::newRow("one colony: no width") << QStringList{QStringLiteral("a")} << 10.0 << int(QMessageBox::Yes)
                                          << false << 110.0 << 110.0 << 10.0;
    QTest::newRow("span of two") << QStringList{QStringLiteral("c"), QStringLiteral("a")} << 10.0
                                 << int(QMessageBox::Yes) << false << 110.0 << 130.0 << 10.0;
    QTest::newRow("small tolerance raised") << QStringList{QStringLiteral("b")} << 1.0 << int(QMessageBox::Yes)
                                            << true << 120.0 << 120.0 << 5.0;
    QTest::newRow("small tolerance kept") << QStringList{QStringLiteral("b")} << 1.0 << int(QMessageBox::No)
                                          << true << 120.0 << 120.0 << 1.0;
    QTest::newRow("nothing picked") << QStringList() << 1.0 << int(QMessageBox::Yes) << false << 0.0 << 0.0 << 1.0;
}

void tst_ColonyViewSelection::colourRange()
{
    QFETCH(QStringList, picks);
    QFETCH(double, tolerance);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(double, startHue);
    QFETCH(double, endHue);
    QFETCH(double, resultTolerance);
    Scene scene;
    ColonySettings settings;
    ColonySettingsData::ColonyColorData& color = settings.ColonyColor;
    for (double* t : {&color.StartHuePercent, &color.EndHuePercent, &color.StartSaturationPercent,
                      &color.EndSaturationPercent, &color.StartIntensityPercent, &color.EndIntensityPercent})
        *t = tolerance;
    int questions = 0;
    MessageBox_Helper::setAnswerFunction([&](const MessageBox_Helper::Request&) {
        ++questions;
        return QMessageBox::StandardButton(answer);
    });
    QSignalSpy custom(&settings, &ColonySettings::signal_custom);

    ColonyColourSelection selection;
    selection.enter(scene.view);
    for (const QString& pick : picks)
        selection.objectSelected(scene.rack, scene.view, kColonies + pick + QLatin1Char('.'));
    selection.apply(settings, nullptr);

    QCOMPARE(questions, asked ? 1 : 0);
    QCOMPARE(color.StartHue, startHue);
    QCOMPARE(color.EndHue, endHue);
    QCOMPARE(color.StartSaturation, startHue / 2.0);
    QCOMPARE(color.EndIntensity, endHue / 4.0);
    QCOMPARE(color.StartHuePercent, resultTolerance);
    QCOMPARE(color.EndIntensityPercent, resultTolerance);
    QCOMPARE(custom.size(), picks.isEmpty() ? 0 : 1);
    if (!custom.isEmpty())
        QCOMPARE(custom.first().at(0).value<ColonySettings::Enum_CustomSignal>(),
                 ColonySettings::CustomSignal_ValuesChanged);
}

void tst_ColonyViewSelection::enterAndLeaveTheMode()
{
    Scene scene;
    scene.view.setObjectSelectorsChecked(kColonies, false, false);
    deliverQueuedCalls();
    ColonyColourSelection selection;
    selection.enter(scene.view);
    deliverQueuedCalls();
    selection.objectSelected(scene.rack, scene.view, scene.colony(0, 0).objectName);
    scene.view.selectObjects(scene.colony(0, 0).objectName, false);
    QVERIFY(selection.isActive());
    QVERIFY(scene.view.isObjectSelectorChecked(kColonies));

    // Entering again starts over: nothing picked, nothing selected.
    selection.enter(scene.view);
    QVERIFY(selection.picked().empty());
    QVERIFY(!scene.view.isObjectSelected(kColonies));

    scene.view.selectObjects(scene.colony(1, 1).objectName, false);
    selection.leave(scene.view);
    QVERIFY(!selection.isActive());
    QVERIFY(!scene.view.isObjectSelected(kColonies));
}

void tst_ColonyViewSelection::pickingKeepsOneCurrentRow()
{
    Scene scene;
    auto* rejectedRow = new QTreeWidgetItem(&scene.rejected, QStringList(QStringLiteral("r")));
    scene.rejected.setCurrentItem(rejectedRow);
    QSignalSpy goodChanged(&scene.good, &QTreeWidget::currentItemChanged);
    QSignalSpy rejectedChanged(&scene.rejected, &QTreeWidget::currentItemChanged);
    ColonyPicking picking(scene.rack, &scene.view, &scene.good, &scene.rejected);

    // The view reports "b": its row becomes current, quietly, and the other table has none.
    picking.objectSelected(scene.colony(1, 0).objectName);
    QCOMPARE(scene.good.currentItem(), scene.colony(1, 0).item);
    QCOMPARE(scene.rejected.currentItem(), nullptr);
    QVERIFY(goodChanged.isEmpty());
    QVERIFY(rejectedChanged.isEmpty());
    QVERIFY(scene.view.isObjectSelected(scene.colony(1, 0).objectName));
    QVERIFY(!scene.view.isObjectSelected(scene.colony(0, 0).objectName));

    // A row made current selects its colony's overlays alone.
    scene.rejected.setCurrentItem(rejectedRow);
    rejectedChanged.clear();
    picking.rowChanged(scene.colony(1, 1).item);
    QVERIFY(scene.view.isObjectSelected(scene.colony(1, 1).objectName));
    QVERIFY(!scene.view.isObjectSelected(scene.colony(1, 0).objectName));
    QCOMPARE(scene.rejected.currentItem(), nullptr);
    QVERIFY(rejectedChanged.isEmpty());

    // A row that is no colony selects nothing.
    picking.rowChanged(rejectedRow);
    QVERIFY(!scene.view.isObjectSelected(kColonies));
    QVERIFY(picking.isColonyTable(&scene.rejected));
    QVERIFY(!picking.isColonyTable(nullptr));
}

void tst_ColonyViewSelection::pressBesideColoniesClearsTheSelection()
{
    Scene scene;
    ColonyPicking picking(scene.rack, &scene.view, &scene.good, &scene.rejected);
    scene.view.selectObjects(scene.colony(1, 1).objectName, false);
    // On a colony the view's own selection answers; the page leaves it alone.
    picking.pressed(20.0, 20.0);
    QVERIFY(scene.view.isObjectSelected(scene.colony(1, 1).objectName));
    picking.pressed(50.0, 90.0);
    QVERIFY(!scene.view.isObjectSelected(QString()));
}

QTEST_MAIN(tst_ColonyViewSelection)
#include "tst_ColonyViewSelection.moc"
