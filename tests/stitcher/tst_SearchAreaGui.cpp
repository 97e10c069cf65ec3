#include "SearchAreaScene.h"

#include <SearchAreaGui.h>
#include <SearchAreaMouseHandler.h>
#include <SearchAreaSettings.h>

#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLayout>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

using Field = double SearchAreaSettings::*;

// The editor in a placeholder, drawing on the scene's viewer.
struct Editor {
    QWidget placeholder;
    std::unique_ptr<SearchAreaGui> gui;

    Editor(SearchAreaScene& scene, SearchAreaSettings* settings)
    {
        gui = std::make_unique<SearchAreaGui>(&scene.drawing, SearchAreaDrawSettings{{}, QStringLiteral("light blue")},
                                              settings, &placeholder);
    }
    ~Editor()
    {
        gui.reset(); // its tools before the viewer
    }
    QDoubleSpinBox* box(const QString& name) const
    {
        auto* found = gui->findChild<QDoubleSpinBox*>(QStringLiteral("m_QDoubleSpinBox_SearchPosition_") + name);
        if (!found)
            qFatal("no spin box %s", qPrintable(name));
        return found;
    }
    QToolButton* button(const char* name) const
    {
        return gui->findChild<QToolButton*>(QStringLiteral("m_QToolButton_MouseSelect_SearchPosition_")
                                            + QLatin1String(name));
    }
    SearchAreaSettings shown() const
    {
        return SearchAreaSettings(box("PositionX")->value(), box("PositionY")->value(), box("SizeX")->value(),
                                  box("SizeY")->value(), box("Angle")->value());
    }
};

} // namespace

Q_DECLARE_METATYPE(Field)

// The five spin boxes of one search area and what reaches them from the mouse tools.
class tst_SearchAreaGui : public QObject {
    Q_OBJECT
private slots:
    void formShowsTheRecordAndFillsItsPlaceholder();
    void enteredValueReachesItsField_data();
    void enteredValueReachesItsField();
    void refreshWritesAndReportsNothing();
    void withoutRecordNothingIsStored();
    void attachedRecordIsShownAndEdited();
    void mouseDrawingReachesTheBoxesOnce();
};

void tst_SearchAreaGui::formShowsTheRecordAndFillsItsPlaceholder()
{
    SearchAreaScene scene;
    SearchAreaSettings area(12.5, -3, 40, 20.25, -10.5);
    Editor editor(scene, &area);
    QCOMPARE(editor.gui->objectName(), QStringLiteral("SearchAreaGui"));
    QVERIFY(editor.placeholder.layout() && editor.placeholder.layout()->indexOf(editor.gui.get()) >= 0);
    QCOMPARE(editor.shown(), area);
    auto* group = editor.gui->findChild<QGroupBox*>(QStringLiteral("m_QGroupBox_SearchArea"));
    QVERIFY(group);
    QCOMPARE(group->title(), QStringLiteral("Search Area"));
    editor.gui->setTitle(QStringLiteral("Point 2"));
    QCOMPARE(group->title(), QStringLiteral("Point 2"));
    QVERIFY(editor.button("Area")->isCheckable());
    QVERIFY(editor.button("Move")->isCheckable());
}

void tst_SearchAreaGui::enteredValueReachesItsField_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<Field>("field");
    QTest::addColumn<double>("entered");
    QTest::addColumn<double>("stored");
    QTest::newRow("position x") << "PositionX" << &SearchAreaSettings::PosX << 33.25 << 33.25;
    QTest::newRow("position y below 0") << "PositionY" << &SearchAreaSettings::PosY << -12.5 << -12.5;
    QTest::newRow("size x") << "SizeX" << &SearchAreaSettings::SizeX << 47.75 << 47.75;
    QTest::newRow("size y") << "SizeY" << &SearchAreaSettings::SizeY << 5.5 << 5.5;
    QTest::newRow("angle") << "Angle" << &SearchAreaSettings::Angle << -22.5 << -22.5;
    QTest::newRow("angle held at 45") << "Angle" << &SearchAreaSettings::Angle << 50.0 << 45.0;
    QTest::newRow("size held at 0.1") << "SizeX" << &SearchAreaSettings::SizeX << 0.0 << 0.1;
    QTest::newRow("position held at 100") << "PositionX" << &SearchAreaSettings::PosX << 250.0 << 100.0;
}

void tst_SearchAreaGui::enteredValueReachesItsField()
{
    QFETCH(QString, box);
    QFETCH(Field, field);
    QFETCH(double, entered);
    QFETCH(double, stored);
    SearchAreaScene scene;
    SearchAreaSettings area(10, 10, 30, 30, 0);
    Editor editor(scene, &area);
    SearchAreaSettings expected = area;
    expected.*field = stored;
    QSignalSpy changed(editor.gui.get(), &SearchAreaGui::signal_SettingChanged);

    editor.box(box)->setValue(entered);
    QCOMPARE(area, expected);
    QCOMPARE(changed.count(), 1);
}

void tst_SearchAreaGui::refreshWritesAndReportsNothing()
{
    SearchAreaScene scene;
    SearchAreaSettings area(10, 10, 30, 30, 0);
    Editor editor(scene, &area);
    QSignalSpy changed(editor.gui.get(), &SearchAreaGui::signal_SettingChanged);

    // Values beyond the boxes' ranges are shown as far as they go and stay in the record.
    area = SearchAreaSettings(150, -7.25, 0.01, 60, 60);
    const SearchAreaSettings stored = area;
    editor.gui->updateFromSettings();
    QCOMPARE(area, stored);
    QCOMPARE(editor.shown(), SearchAreaSettings(100, -7.25, 0.1, 60, 45));
    QCOMPARE(changed.count(), 0);
}

void tst_SearchAreaGui::withoutRecordNothingIsStored()
{
    SearchAreaScene scene;
    Editor editor(scene, nullptr);
    QSignalSpy changed(editor.gui.get(), &SearchAreaGui::signal_SettingChanged);
    editor.box("SizeX")->setValue(44);
    editor.gui->updateFromSettings();
    QCOMPARE(editor.box("SizeX")->value(), 44.0);
    QCOMPARE(changed.count(), 0);
    QVERIFY(!editor.gui->searchAreaSettings());
}

void tst_SearchAreaGui::attachedRecordIsShownAndEdited()
{
    SearchAreaScene scene;
    const SearchAreaSettings first(10, 10, 30, 30, 0);
    SearchAreaSettings firstArea = first;
    SearchAreaSettings secondArea(1, 2, 3, 4, 5);
    Editor editor(scene, &firstArea);
    QSignalSpy changed(editor.gui.get(), &SearchAreaGui::signal_SettingChanged);

    editor.gui->setSearchAreaSettings(&secondArea);
    QCOMPARE(editor.gui->searchAreaSettings(), &secondArea);
    QCOMPARE(editor.gui->mouseHandler()->searchAreaSettings(), &secondArea);
    QCOMPARE(editor.shown(), secondArea);
    QCOMPARE(changed.count(), 0);
    editor.box("PositionY")->setValue(8);
    QCOMPARE(secondArea.PosY, 8.0);
    QCOMPARE(firstArea, first);
}

void tst_SearchAreaGui::mouseDrawingReachesTheBoxesOnce()
{
    SearchAreaScene scene;
    SearchAreaSettings area(5, 5, 10, 10, 0);
    Editor editor(scene, &area);
    QVERIFY(scene.show());
    QSignalSpy changed(editor.gui.get(), &SearchAreaGui::signal_SettingChanged);
    QSignalSpy abort(editor.gui.get(), &SearchAreaGui::signal_AnalysingAbort);
    QSignalSpy newSettings(editor.gui.get(), &SearchAreaGui::signal_NewDialogSettings);

    editor.button("Area")->click();
    QCOMPARE(abort.count(), 1);
    scene.drag(SearchAreaScene::screen(10, 20), SearchAreaScene::screen(50, 60));
    QCOMPARE(area, SearchAreaSettings(10, 20, 40, 40, 0));
    QCOMPARE(editor.shown(), area);
    // The tool's end is the one edit; the boxes following the record add none.
    QCOMPARE(changed.count(), 1);
    QCOMPARE(newSettings.count(), 2);
}

QTEST_MAIN(tst_SearchAreaGui)
#include "tst_SearchAreaGui.moc"
