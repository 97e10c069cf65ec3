#include "Hobject_View_Gui.h"
#include "ViewTestHelpers.h"

#include "ExportTarget_Guard.h"
#include "Halcon_Helper.h"
#include "MessageBox_Helper.h"

#include <HalconTestPictures.h>
#include <TextInk.h>

#include <HalconXldOps.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <thread>

using namespace ViewTestHelpers;
using Halcon::Hobject;

namespace {

QRect partOf(const Hobject_View_Gui& view)
{
    int c1 = 0, r1 = 0, c2 = 0, r2 = 0;
    view.getVisiblePart(c1, r1, c2, r2);
    return QRect(QPoint(c1, r1), QPoint(c2, r2));
}

// A 600 x 600 grey picture in a 300 x 300 picture area: two picture pixels per screen pixel.
void prepare(Hobject_View_Gui& view)
{
    view.addObjectGroup("all", QString(), true);
    view.setPicture(grayPicture(600, 600, 128), QString(), false);
    QVERIFY(showWithPictureSize(view, 300, 300));
    view.resetZoom(false);
}

struct ScriptedDialogs {
    QList<MessageBox_Helper::Request> boxes;
    QList<MessageBox_Helper::FileRequest> files;
    QMessageBox::StandardButton answer = QMessageBox::No;
    // To "... already exists. Do you want to replace it?"
    QMessageBox::StandardButton replace = QMessageBox::Yes;
    QString fileName;

    ScriptedDialogs()
    {
        MessageBox_Helper::setAnswerFunction([this](const MessageBox_Helper::Request& request) {
            boxes.append(request);
            if (request.icon != QMessageBox::Question)
                return QMessageBox::Ok;
            return request.text.contains(QLatin1String("already exists")) ? replace : answer;
        });
        MessageBox_Helper::setFileAnswerFunction([this](const MessageBox_Helper::FileRequest& request) {
            files.append(request);
            return fileName;
        });
    }
    ~ScriptedDialogs()
    {
        MessageBox_Helper::setAnswerFunction({});
        MessageBox_Helper::setFileAnswerFunction({});
    }
};

} // namespace

class tst_Hobject_View_Gui_Interaction : public QObject {
    Q_OBJECT
private slots:
    void clickSelectsEveryObjectHitOnce();
    void pickingIgnoresHiddenUnselectableAndOtherClasses();
    void panMovesPartWithinPicture();
    void externalMouseModeOnlySignals();
    void rubberBandBecomesSquareAboutItsRows();
    void selectByNameAndRegion();
    void selectorRowsAreLimited();
    void pictureRadiosStayExclusive();
    void objectCheckBoxShowsItsObjects();
    void selectorRequestsFromWorkerThread();
    void hidingTheChosenPictureSelectorChoosesAnother();
    void dumpViewImage();
    void dumpWritesTextsAtTheirPlaceAndSize_data();
    void dumpWritesTextsAtTheirPlaceAndSize();
    void exportThroughDialogs_data();
    void exportThroughDialogs();
    void exportOverALink_data();
    void exportOverALink();
};

void tst_Hobject_View_Gui_Interaction::clickSelectsEveryObjectHitOnce()
{
    Hobject_View_Gui view;
    prepare(view);
    view.addObject(HalconTestPictures::rectangleRegion(100, 100, 199, 199), "red", "fill", 1, "A", true, false);
    view.addObject(HalconTestPictures::rectangleRegion(150, 150, 249, 249), "green", "fill", 1, "B", true, false);
    view.addObject(HalconTestPictures::rectangleRegion(400, 400, 450, 450), "green", "fill", 1, "C", true, false);
    QSignalSpy single(&view, qOverload<QString>(&Hobject_View_Gui::signal_HalconObjectSelected));
    QSignalSpy singleModifiers(&view, qOverload<QString, Qt::KeyboardModifiers>(&Hobject_View_Gui::signal_HalconObjectSelected));
    QSignalSpy list(&view, qOverload<QStringList, double, double>(&Hobject_View_Gui::signal_HalconObjectSelected));
    QSignalSpy listModifiers(
        &view, qOverload<QStringList, double, double, Qt::KeyboardModifiers>(&Hobject_View_Gui::signal_HalconObjectSelected));
    QSignalSpy press(&view, &Hobject_View_Gui::signal_HalconMousePressEvent);

    // Screen (88, 88) is picture (176, 176): inside A and B.
    QTest::mouseClick(pictureWidget(view), Qt::LeftButton, Qt::ShiftModifier, QPoint(88, 88));
    QCOMPARE(press.count(), 1);
    QCOMPARE(press.at(0).at(0).toDouble(), 176.0);
    QCOMPARE(single.count(), 2);
    QCOMPARE(singleModifiers.at(1).at(1).value<Qt::KeyboardModifiers>(), Qt::KeyboardModifiers(Qt::ShiftModifier));
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.at(0).at(0).toStringList(), QStringList({"A", "B"}));
    QCOMPARE(listModifiers.count(), 1);
    QCOMPARE(view.getSelectedObjects(QString()), QStringList({"A", "B"}));

    // A second click keeps them selected and reports nothing new.
    QTest::mouseClick(pictureWidget(view), Qt::LeftButton, Qt::NoModifier, QPoint(88, 88));
    QCOMPARE(list.count(), 1);
    QCOMPARE(view.getSelectedObjects(QString()), QStringList({"A", "B"}));
}

void tst_Hobject_View_Gui_Interaction::pickingIgnoresHiddenUnselectableAndOtherClasses()
{
    Hobject_View_Gui view;
    prepare(view);
    view.addObject(HalconTestPictures::rectangleRegion(100, 100, 199, 199), "red", "fill", 1, "Fixed", false, false);
    view.addObject(HalconTestPictures::rectangleRegion(100, 100, 199, 199), "red", "fill", 1, "Hidden.1", true, false);
    view.setObjectsVisible("Hidden.", false, false);
    view.addLine(100, 100, 200, 200, "red", 1, "Line", true, false);
    Hobject contour;
    Halcon::gen_circle_contour_xld(&contour, 150.0, 150.0, 30.0, 0.0, 6.283185307179586, "positive", 1.0);
    view.addObject(contour, "red", "margin", 1, "Contour", true, false);
    view.pickObjects(150.0, 150.0, Qt::NoModifier, false);
    QCOMPARE(view.getSelectedObjects(QString()), QStringList({"Contour"}));
    view.clearSelection(QString(), false);
    view.pickObjects(300.0, 300.0, Qt::NoModifier, false);
    QVERIFY(view.getSelectedObjects(QString()).isEmpty());
}

void tst_Hobject_View_Gui_Interaction::panMovesPartWithinPicture()
{
    Hobject_View_Gui view;
    prepare(view);
    view.setViewPercentRange(25, 25, 50, 50);   // 150..450
    QCOMPARE(partOf(view), QRect(QPoint(150, 150), QPoint(450, 450)));
    Hobject_View_Gui_Picture* picture = pictureWidget(view);
    QTest::mousePress(picture, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QCOMPARE(picture->cursor().shape(), Qt::ClosedHandCursor);
    QTest::mouseMove(picture, QPoint(80, 90));   // drag left and up by 20 and 10 picture pixels... times two
    QCOMPARE(partOf(view), QRect(QPoint(170, 160), QPoint(470, 460)));
    // Beyond the picture's edge the part stops in that direction only.
    QTest::mouseMove(picture, QPoint(-200, 90));
    QCOMPARE(partOf(view), QRect(QPoint(170, 160), QPoint(470, 460)));
    QTest::mouseRelease(picture, Qt::LeftButton, Qt::NoModifier, QPoint(-200, 90));
    QCOMPARE(picture->cursor().shape(), Qt::ArrowCursor);
}

void tst_Hobject_View_Gui_Interaction::externalMouseModeOnlySignals()
{
    Hobject_View_Gui view;
    prepare(view);
    view.setViewPercentRange(25, 25, 50, 50);
    view.addObject(HalconTestPictures::rectangleRegion(0, 0, 599, 599), "red", "margin", 1, "All", true, false);
    QSignalSpy press(&view, &Hobject_View_Gui::signal_HalconMousePressEvent);
    QSignalSpy move(&view, &Hobject_View_Gui::signal_HalconMouseMoveEvent);
    QSignalSpy release(&view, &Hobject_View_Gui::signal_HalconMouseReleaseEvent);
    QToolButton* zoomRange = view.findChild<QToolButton*>("m_QToolButton_ZoomRange");
    zoomRange->setChecked(true);

    view.beginMouseMode(QCursor(Qt::CrossCursor));
    QVERIFY(!zoomRange->isChecked());
    QVERIFY(!zoomRange->isEnabled());
    Hobject_View_Gui_Picture* picture = pictureWidget(view);
    QCOMPARE(picture->cursor().shape(), Qt::CrossCursor);
    const QRect before = partOf(view);
    QTest::mousePress(picture, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseMove(picture, QPoint(50, 50));
    QTest::mouseRelease(picture, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    QCOMPARE(press.count(), 1);
    QVERIFY(move.count() >= 1);
    QCOMPARE(release.count(), 1);
    QCOMPARE(partOf(view), before);
    QVERIFY(view.getSelectedObjects(QString()).isEmpty());

    view.endMouseMode();
    QVERIFY(zoomRange->isEnabled());
    QTest::mousePress(picture, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseMove(picture, QPoint(90, 100));
    QTest::mouseRelease(picture, Qt::LeftButton, Qt::NoModifier, QPoint(90, 100));
    QVERIFY(partOf(view) != before);
}

void tst_Hobject_View_Gui_Interaction::rubberBandBecomesSquareAboutItsRows()
{
    Hobject_View_Gui view;
    prepare(view);
    QToolButton* zoomRange = view.findChild<QToolButton*>("m_QToolButton_ZoomRange");
    zoomRange->setChecked(true);
    Hobject_View_Gui_Picture* picture = pictureWidget(view);
    // Picture (100, 100) to (140, 110): 40 columns, 10 rows, drawn from the lower right.
    QTest::mousePress(picture, Qt::LeftButton, Qt::NoModifier, QPoint(70, 55));
    QTest::mouseMove(picture, QPoint(50, 50));
    QTest::mouseRelease(picture, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    QVERIFY(!zoomRange->isChecked());
    QCOMPARE(partOf(view), QRect(QPoint(100, 85), QPoint(140, 125)));
    QVERIFY(view.getSelectedObjects(QString()).isEmpty());
}

void tst_Hobject_View_Gui_Interaction::selectByNameAndRegion()
{
    Hobject_View_Gui view;
    view.addObjectGroup("all", QString(), true);
    view.addObject(HalconTestPictures::rectangleRegion(10, 10, 20, 20), "red", "fill", 1, "In.1", true, false);
    Hobject contour;
    Halcon::gen_circle_contour_xld(&contour, 30.0, 30.0, 5.0, 0.0, 6.283185307179586, "positive", 1.0);
    view.addObject(contour, "red", "margin", 1, "In.2", true, false);
    view.addObject(HalconTestPictures::rectangleRegion(10, 10, 80, 80), "red", "fill", 1, "Out.1", true, false);
    view.addCross(5, 5, 3, 0, "red", 1, "In.Cross", true, false);
    QSignalSpy list(&view, qOverload<QStringList, double, double>(&Hobject_View_Gui::signal_HalconObjectSelected));

    view.selectObjectsInRegion(HalconTestPictures::rectangleRegion(0, 0, 50, 50), false);
    QCOMPARE(view.getSelectedObjects(QString()), QStringList({"In.1", "In.2"}));
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.at(0).at(1).toDouble(), 0.0);

    view.clearSelection("In.", false);
    view.selectObjects("In.", false);
    QCOMPARE(view.getSelectedObjects(QString()), QStringList({"In.1", "In.2", "In.Cross"}));
    QVERIFY(view.isObjectSelected("In.C"));
    QVERIFY(!view.isObjectSelected("Out."));
}

void tst_Hobject_View_Gui_Interaction::selectorRowsAreLimited()
{
    Hobject_View_Gui view;
    for (int i = 0; i < Hobject_View_Gui::kPictureSelectorRows; ++i)
        QVERIFY(view.addPictureSelector("P", QStringLiteral("P%1.").arg(i), "label", true, i == 0));
    QVERIFY(!view.addPictureSelector("P", "P7.", "label", true, true));
    QCOMPARE(view.getCurrentPictureSelector(), QStringLiteral("P0."));
    for (int i = 0; i < Hobject_View_Gui::kObjectSelectorRows; ++i)
        QVERIFY(view.addObjectSelector("O", QStringLiteral("O%1.").arg(i), "label", true, false));
    QVERIFY(!view.addObjectSelector("O", "O10.", "label", true, true));
    QVERIFY(!view.isObjectSelectorChecked("O10."));
    QCOMPARE(view.findChild<QLabel*>("m_QLabel_HalconPicture6")->text(), QStringLiteral("label"));
}

void tst_Hobject_View_Gui_Interaction::pictureRadiosStayExclusive()
{
    Hobject_View_Gui view;
    view.addPictureSelector("Normal", "Pic.Normal.", "Normal", true, true);
    view.addPictureSelector("Pre", "Pic.Pre.", "Pre", true, false);
    view.setPicture(grayPicture(300, 300, 60), "Pic.Normal.1", false);
    view.setPicture(grayPicture(300, 300, 200), "Pic.Pre.1", false);
    QVERIFY(showWithPictureSize(view, 300, 300));
    QRadioButton* first = view.findChild<QRadioButton*>("m_QRadioButton_HalconPicture1");
    QRadioButton* second = view.findChild<QRadioButton*>("m_QRadioButton_HalconPicture2");
    QVERIFY(!first->autoExclusive());
    QCOMPARE(qRed(shownImage(view).pixel(150, 150)), 60);

    QTest::mouseClick(second, Qt::LeftButton);
    QVERIFY(second->isChecked());
    QVERIFY(!first->isChecked());
    QCOMPARE(view.getCurrentPictureSelector(), QStringLiteral("Pic.Pre."));
    QCOMPARE(qRed(shownImage(view).pixel(150, 150)), 200);

    // Switching the chosen one off by code does not count: it is checked again.
    view.checkPictureSelector("Pic.Pre.", false, true);
    QTRY_VERIFY(second->isChecked());
    QApplication::processEvents();
    QVERIFY(second->isChecked());
    QVERIFY(!first->isChecked());
    QCOMPARE(view.getCurrentPictureSelector(), QStringLiteral("Pic.Pre."));

    view.checkPictureSelector("Pic.Normal.", true, true);
    QTRY_VERIFY(first->isChecked());
    QVERIFY(!second->isChecked());
    QCOMPARE(qRed(shownImage(view).pixel(150, 150)), 60);
}

void tst_Hobject_View_Gui_Interaction::objectCheckBoxShowsItsObjects()
{
    Hobject_View_Gui view;
    view.addObjectSelector("Colonies", "Obj.Colonies.", "Colonies", true, false);
    view.addObject(HalconTestPictures::rectangleRegion(1, 1, 5, 5), "red", "fill", 1, "Obj.Colonies.1", false, false);
    Hobject object;
    bool visible = true, selected = false;
    view.getObject("Obj.Colonies.1", object, visible, selected);
    QVERIFY(!visible);
    QSignalSpy update(&view, &Hobject_View_Gui::signal_update);
    view.findChild<QCheckBox*>("m_QCheckBox_HalconObject1")->setChecked(true);
    view.getObject("Obj.Colonies.1", object, visible, selected);
    QVERIFY(visible);
    QVERIFY(view.isObjectSelectorChecked("Obj.Colonies."));
    QVERIFY(!view.isObjectSelectorChecked("Obj.Colonies"));
    QVERIFY(update.count() >= 1);
}

void tst_Hobject_View_Gui_Interaction::selectorRequestsFromWorkerThread()
{
    Hobject_View_Gui view;
    view.addObjectSelector("Colonies", "Obj.Colonies.", "Colonies", true, false);
    QCheckBox* box = view.findChild<QCheckBox*>("m_QCheckBox_HalconObject1");
    std::thread worker([&view] {
        view.setObjectSelectorsChecked("Obj.", true, true);
        view.setObjectSelectorsVisible("Obj.", false, true);
    });
    worker.join();
    // Nothing of the widgets was touched by the worker; the GUI thread applies the requests.
    QVERIFY(!box->isChecked());
    QTRY_VERIFY(box->isChecked());
    QVERIFY(view.isObjectSelectorChecked("Obj.Colonies."));
    QTRY_VERIFY(view.findChild<QWidget*>("m_QWidget_HalconObject1")->isHidden());
}

void tst_Hobject_View_Gui_Interaction::hidingTheChosenPictureSelectorChoosesAnother()
{
    Hobject_View_Gui view;
    view.addPictureSelector("A", "Pic.A.", "A", true, true);
    view.addPictureSelector("B", "Pic.B.", "B", true, false);
    view.setPictureSelectorsVisible("Pic.A.", false, true);
    QTRY_VERIFY(view.findChild<QRadioButton*>("m_QRadioButton_HalconPicture2")->isChecked());
    QVERIFY(!view.findChild<QRadioButton*>("m_QRadioButton_HalconPicture1")->isChecked());
    QTRY_VERIFY(view.findChild<QWidget*>("m_QWidget_HalconPicture1")->isHidden());
    QCOMPARE(view.getCurrentPictureSelector(), QStringLiteral("Pic.B."));
}

void tst_Hobject_View_Gui_Interaction::dumpViewImage()
{
    Hobject_View_Gui view;
    Hobject plain, overlay;
    QVERIFY(!view.dumpViewImage(plain, overlay));
    QVERIFY(plain.IsEmpty());

    view.addObjectGroup("all", QString(), true);
    const Hobject picture = HalconTestPictures::gradientGray(320, 240);
    view.setPicture(picture, QString(), false);
    view.addObject(HalconTestPictures::rectangleRegion(50, 60, 99, 139), "red", "fill", 1, "R", false, false);
    // The last column too: the dump is the picture, pixel for pixel, not a rescaled copy.
    view.addObject(HalconTestPictures::rectangleRegion(0, 319, 239, 319), "red", "fill", 1, "Edge", false, false);
    QVERIFY(view.dumpViewImage(plain, overlay));
    int width = 0, height = 0;
    QCOMPARE(Halcon_Helper::GetImageSize(overlay, width, height), Errors::Type_Error(0));
    QCOMPARE(width, 320);
    QCOMPARE(height, 240);
    QCOMPARE(HalconTestPictures::maxPixelDifference(plain, picture), 0);
    QCOMPARE(HalconTestPictures::pixel(overlay, 75, 100, 0), 255);
    QCOMPARE(HalconTestPictures::pixel(overlay, 75, 100, 1), 0);
    QCOMPARE(HalconTestPictures::pixel(overlay, 20, 20, 0), HalconTestPictures::pixel(picture, 20, 20));
    QCOMPARE(HalconTestPictures::pixel(overlay, 120, 319, 1), 0);
    QCOMPARE(HalconTestPictures::pixel(overlay, 120, 318, 0), HalconTestPictures::pixel(picture, 120, 318));
}

void tst_Hobject_View_Gui_Interaction::dumpWritesTextsAtTheirPlaceAndSize_data()
{
    QTest::addColumn<QString>("font");
    QTest::addColumn<int>("size");
    QTest::addColumn<QPoint>("position"); // column, row
    QTest::newRow("named font") << "Arial" << 20 << QPoint(40, 30);
    QTest::newRow("named font, larger") << "Arial" << 36 << QPoint(10, 60);
    QTest::newRow("default font") << "" << 20 << QPoint(40, 30);
    QTest::newRow("default font, larger") << "" << 36 << QPoint(10, 60);
}

void tst_Hobject_View_Gui_Interaction::dumpWritesTextsAtTheirPlaceAndSize()
{
    QFETCH(QString, font);
    QFETCH(int, size);
    QFETCH(QPoint, position);
    Hobject_View_Gui view;
    view.addObjectGroup("all", QString(), true);
    view.setPicture(grayPicture(320, 240, 0), QString(), false);
    // Shown on screen first: what the screen drew before must not change the dump.
    QVERIFY(showWithPictureSize(view, 160, 120));
    const QByteArray family = font.toLatin1();
    view.addText(QStringLiteral("MMMM"), position.x(), position.y(), QStringLiteral("yellow"), family.constData(), size,
                 QStringLiteral("T"), false, true);
    Hobject plain, overlay;
    QVERIFY(view.dumpViewImage(plain, overlay));
    const QRect ink = TextInk::yellowBox(overlay);
    // The viewer writes its texts in bold.
    const QRectF expected = TextInk::expected(font, size, true, QStringLiteral("MMMM"), position.x(), position.y());
    QVERIFY2(TextInk::matches(ink, expected), qPrintable(TextInk::describe(ink, expected)));
}

void tst_Hobject_View_Gui_Interaction::exportOverALink_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("protectedTarget");
    // The writer appends ".png" to a bare name: the link lies at that name.
    QTest::newRow("bare name, a link to protected data") << "x" << true;
    QTest::newRow("bare name, a link to another file") << "x" << false;
    QTest::newRow("full name, a link to another file") << "x.png" << false;
}

// The picture goes in place of a link where it is exported, never into what the link points
// at; one that points at protected data is refused, and the refusal names the written file.
void tst_Hobject_View_Gui_Interaction::exportOverALink()
{
    QFETCH(QString, fileName);
    QFETCH(bool, protectedTarget);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pointedAt = dir.filePath(QStringLiteral("data/kept.db3"));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("data"))));
    QFile file(pointedAt);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("kept") == 4);
    file.close();
    const int owner = 0;
    if (protectedTarget)
        ExportTarget_Guard::protect(&owner, {pointedAt});
    const QString link = dir.filePath(QStringLiteral("x.png"));
    QVERIFY(QFile::link(pointedAt, link));
    ScriptedDialogs dialogs;
    dialogs.answer = QMessageBox::No;
    dialogs.fileName = dir.filePath(fileName);

    Hobject_View_Gui view;
    view.setPicture(grayPicture(64, 48, 100), QString(), false);
    view.findChild<QToolButton*>("m_QToolButton_Save")->click();
    ExportTarget_Guard::release(&owner);

    const MessageBox_Helper::Request last = dialogs.boxes.last();
    QCOMPARE(last.title, QStringLiteral("Export picture ..."));
    if (protectedTarget) {
        QCOMPARE(last.icon, QMessageBox::Critical);
        QVERIFY2(last.text.contains(QStringLiteral("the picture is written as \"%1\"").arg(QDir::toNativeSeparators(link))),
                 qPrintable(last.text));
    } else {
        // Asked about the file that is replaced, whatever the name typed.
        QCOMPARE(last.icon, QMessageBox::Question);
        QVERIFY2(last.text.startsWith(QStringLiteral("\"%1\" already exists.").arg(QDir::toNativeSeparators(link))),
                 qPrintable(last.text));
    }
    QFile kept(pointedAt);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("kept"));
    QCOMPARE(QFileInfo(link).isSymLink(), protectedTarget);
    if (!protectedTarget) {
        Hobject saved;
        QCOMPARE(Halcon_Helper::LoadImageFile(link, saved), Errors::Type_Error(0));
        QCOMPARE(HalconTestPictures::pixel(saved, 20, 30, 0), 100);
    }
}

void tst_Hobject_View_Gui_Interaction::exportThroughDialogs_data()
{
    QTest::addColumn<bool>("withPicture");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("savedRed");   // -1: nothing saved
    QTest::addColumn<QString>("lastBoxTitle");
    QTest::newRow("no picture") << false << int(QMessageBox::Yes) << "x.png" << -1 << "Export picture error";
    QTest::newRow("cancel") << true << int(QMessageBox::Cancel) << "x.png" << -1 << "Export picture ...";
    QTest::newRow("no file name") << true << int(QMessageBox::Yes) << QString() << -1 << "Export picture ...";
    QTest::newRow("with overlays") << true << int(QMessageBox::Yes) << "x.png" << 255 << "Export picture ...";
    QTest::newRow("plain picture") << true << int(QMessageBox::No) << "x.png" << 100 << "Export picture ...";
    QTest::newRow("folder missing") << true << int(QMessageBox::No) << "missing/x.png" << -1 << "Export error";
}

void tst_Hobject_View_Gui_Interaction::exportThroughDialogs()
{
    QFETCH(bool, withPicture);
    QFETCH(int, answer);
    QFETCH(QString, fileName);
    QFETCH(int, savedRed);
    QFETCH(QString, lastBoxTitle);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScriptedDialogs dialogs;
    dialogs.answer = QMessageBox::StandardButton(answer);
    dialogs.fileName = fileName.isEmpty() ? QString() : dir.filePath(fileName);

    Hobject_View_Gui view;
    view.addObjectGroup("all", QString(), true);
    if (withPicture)
        view.setPicture(grayPicture(64, 48, 100), QString(), false);
    view.addObject(HalconTestPictures::rectangleRegion(0, 0, 47, 63), "red", "fill", 1, "R", false, false);
    view.findChild<QToolButton*>("m_QToolButton_Save")->click();

    QVERIFY(!dialogs.boxes.isEmpty());
    QCOMPARE(dialogs.boxes.last().title, lastBoxTitle);
    if (!withPicture) {
        QCOMPARE(dialogs.boxes.last().text, QStringLiteral("No picture information available!"));
        QVERIFY(dialogs.files.isEmpty());
        return;
    }
    const MessageBox_Helper::Request question = dialogs.boxes.first();
    QCOMPARE(question.icon, QMessageBox::Question);
    QCOMPARE(question.defaultButton, QMessageBox::No);
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(dialogs.files.count(), answer == QMessageBox::Cancel ? 0 : 1);
    if (!dialogs.files.isEmpty()) {
        QCOMPARE(dialogs.files.first().caption, QStringLiteral("Save the picture to ..."));
        QCOMPARE(dialogs.files.first().filter, QStringLiteral("*.png"));
    }
    if (lastBoxTitle == QLatin1String("Export error"))
        QVERIFY(dialogs.boxes.last().text.startsWith(QStringLiteral("Cannot export the picture to \"%1\"!\n").arg(dialogs.fileName)));
    if (savedRed < 0) {
        QVERIFY(dialogs.fileName.isEmpty() || !QFile::exists(dialogs.fileName));
        return;
    }
    Hobject saved;
    QCOMPARE(Halcon_Helper::LoadImageFile(dialogs.fileName, saved), Errors::Type_Error(0));
    QCOMPARE(HalconTestPictures::pixel(saved, 20, 30, 0), savedRed);
}

QTEST_MAIN(tst_Hobject_View_Gui_Interaction)
#include "tst_Hobject_View_Gui_Interaction.moc"
