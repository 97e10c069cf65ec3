#include "ModelMatchingEditors.h"

#include <Halcon_Helper.h>
#include <MessageBox_Helper.h>
#include <ModelMatchingErrors.h>
#include <ModelMatching_ModelPicture.h>
#include <ThreadChecker.h>

#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>


class tst_ModelMatchingModelPictureGui : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void modeButtonNeedsATemplate();
    void damagedTemplateFileShowsWhenFirstNeeded();
    void defineModeIsHighlighted_data();
    void defineModeIsHighlighted();
    void useCurrentAsksFirst_data();
    void useCurrentAsksFirst();
    void loadFromFile_data();
    void loadFromFile();
    void loadFromFileStartsAtTheLastChoice();
    void withoutFacadeNothingIsLoaded();
    void enabledThroughTheFacade();

private:
    QList<MessageBox_Helper::Request> m_boxes;
    QMessageBox::StandardButton m_answer = QMessageBox::Yes;
    QList<MessageBox_Helper::FileRequest> m_fileRequests;
    QString m_fileAnswer;
};

void tst_ModelMatchingModelPictureGui::initTestCase()
{
    runOperatorsSeriallyUnderThreadChecker();
}

void tst_ModelMatchingModelPictureGui::init()
{
    m_boxes.clear();
    m_fileRequests.clear();
    m_answer = QMessageBox::Yes;
    m_fileAnswer.clear();
    MessageBox_Helper::setAnswerFunction([this](const MessageBox_Helper::Request& request) {
        m_boxes.append(request);
        return m_answer;
    });
    MessageBox_Helper::setFileAnswerFunction([this](const MessageBox_Helper::FileRequest& request) {
        m_fileRequests.append(request);
        return m_fileAnswer;
    });
}

void tst_ModelMatchingModelPictureGui::cleanup()
{
    MessageBox_Helper::setAnswerFunction({});
    MessageBox_Helper::setFileAnswerFunction({});
}

void tst_ModelMatchingModelPictureGui::modeButtonNeedsATemplate()
{
    ModelMatchingSettings settings;
    ModelMatching facade(QStringLiteral("CrossModel"), &settings);
    ModelMatching_ModelSettings_ModelPicture_Gui gui(&facade, ModelMatchingEditors::stitcherPictureStyle());
    QPushButton* mode = child<QPushButton>(gui, "m_QPushButton_DefineModel");
    QPushButton* useCurrent = child<QPushButton>(gui, "m_QPushButton_UseCurrent");
    QPushButton* load = child<QPushButton>(gui, "m_QPushButton_LoadFromFile");
    QSignalSpy modes(&facade, &ModelMatching::signal_ModeChanged);
    QCOMPARE(gui.GetMode(), int(ModelMatching::Mode_Analyse));
    QCOMPARE(mode->text(), QStringLiteral("Switch to define model"));

    mode->click();
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].icon, QMessageBox::Critical);
    QCOMPARE(m_boxes[0].title, QStringLiteral("Model template picture"));
    QCOMPARE(m_boxes[0].text, QStringLiteral("No model template picture defined!"));
    QCOMPARE(gui.GetMode(), int(ModelMatching::Mode_Analyse));
    QCOMPARE(modes.size(), 0);

    QCOMPARE(gui.SetModelPicture(CrossScenes::crossTemplate()), ModelMatchingErrors::NoError);
    QCOMPARE(gui.GetMode(), int(ModelMatching::Mode_Analyse));
    mode->click();
    QCOMPARE(gui.GetMode(), int(ModelMatching::Mode_DefineModel));
    QCOMPARE(mode->text(), QStringLiteral("Switch to analyse mode"));
    QVERIFY(!useCurrent->isEnabled() && load->isEnabled());

    mode->click();
    QCOMPARE(gui.GetMode(), int(ModelMatching::Mode_Analyse));
    QCOMPARE(mode->text(), QStringLiteral("Switch to define model"));
    QVERIFY(useCurrent->isEnabled() && load->isEnabled());
    QCOMPARE(modes.size(), 2);
    QCOMPARE(m_boxes.size(), 1);
    // Called directly, define-model mode needs no template.
    ModelMatching_ModelSettings_ModelPicture_Gui empty(nullptr, RectangleDrawStyle());
    QCOMPARE(empty.SetMode(ModelMatching::Mode_DefineModel), ModelMatchingErrors::NoError);
    QCOMPARE(empty.SetMode(5), ModelMatchingErrors::GeneralError);
    QCOMPARE(empty.GetMode(), int(ModelMatching::Mode_DefineModel));
}

void tst_ModelMatchingModelPictureGui::damagedTemplateFileShowsWhenFirstNeeded()
{
    QTemporaryDir dir;
    ModelMatching_ModelSettings_ModelPicture_Gui gui(nullptr, ModelMatchingEditors::stitcherPictureStyle());
    QFile damaged(dir.filePath(QStringLiteral("Plate.modelmatching.modelpicture.png")));
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("not a picture") > 0);
    damaged.close();
    // Read on demand: the load itself succeeds.
    QCOMPARE(gui.LoadFiles(dir.path(), QStringLiteral("Plate")), ModelMatchingErrors::NoError);
    child<QPushButton>(gui, "m_QPushButton_DefineModel")->click();
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].text, QStringLiteral("No model template picture defined!"));
    QCOMPARE(gui.GetMode(), int(ModelMatching::Mode_Analyse));
}

void tst_ModelMatchingModelPictureGui::defineModeIsHighlighted_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("highlighted");
    QTest::newRow("translucent red") << QColor(255, 0, 0, 80) << true;
    QTest::newRow("transparent black means none") << QColor(0, 0, 0, 0) << false;
}

void tst_ModelMatchingModelPictureGui::defineModeIsHighlighted()
{
    QFETCH(QColor, colour);
    QFETCH(bool, highlighted);
    RectangleDrawStyle style = ModelMatchingEditors::stitcherPictureStyle();
    style.brush = QBrush(colour);
    ModelMatching_ModelSettings_ModelPicture_Gui gui(nullptr, style);
    QGroupBox* group = child<QGroupBox>(gui, "m_QGroupBox_ModelPicture");
    const QColor before = group->palette().brush(QPalette::Active, QPalette::Window).color();

    QCOMPARE(gui.SetMode(ModelMatching::Mode_DefineModel), ModelMatchingErrors::NoError);
    QCOMPARE(group->autoFillBackground(), highlighted);
    const QColor shown = group->palette().brush(QPalette::Active, QPalette::Window).color();
    QCOMPARE(shown, highlighted ? colour : before);
    QCOMPARE(group->palette().brush(QPalette::Inactive, QPalette::Window).color(), shown);

    QCOMPARE(gui.SetMode(ModelMatching::Mode_Analyse), ModelMatchingErrors::NoError);
    QVERIFY(!group->autoFillBackground());
}

void tst_ModelMatchingModelPictureGui::useCurrentAsksFirst_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("announced");
    QTest::newRow("yes") << int(QMessageBox::Yes) << 1;
    QTest::newRow("no") << int(QMessageBox::No) << 0;
}

void tst_ModelMatchingModelPictureGui::useCurrentAsksFirst()
{
    QFETCH(int, answer);
    QFETCH(int, announced);
    ModelMatchingEditors editors;
    QSignalSpy useCurrent(editors.setup.facade.get(), &ModelMatching::signal_UseCurrentPicture);
    m_answer = QMessageBox::StandardButton(answer);

    child<QPushButton>(*editors.pictureGui, "m_QPushButton_UseCurrent")->click();

    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].icon, QMessageBox::Question);
    QCOMPARE(m_boxes[0].title, QStringLiteral("Model template picture"));
    QCOMPARE(m_boxes[0].text, QStringLiteral("Do you want use the current picture for the model template?"));
    QCOMPARE(m_boxes[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(useCurrent.size(), announced);
}

void tst_ModelMatchingModelPictureGui::loadFromFile_data()
{
    QTest::addColumn<QString>("file"); // "picture", "damaged", "missing" or empty (cancelled)
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("boxText");
    QTest::newRow("picture") << "picture" << QString() << QString();
    QTest::newRow("cancelled") << QString() << QString() << QString();
    QTest::newRow("not a picture") << "damaged" << "Read image error" << Errors::getErrorText(54) + "!";
    QTest::newRow("gone") << "missing" << "Read image error" << Errors::getErrorText(51) + "!";
}

void tst_ModelMatchingModelPictureGui::loadFromFile()
{
    QFETCH(QString, file);
    QFETCH(QString, boxTitle);
    QFETCH(QString, boxText);
    QTemporaryDir dir;
    const Halcon::Hobject loadedPicture = CrossScenes::crossTemplate(3);
    QCOMPARE(Halcon_Helper::SaveImageFile(dir.filePath("picture.png"), loadedPicture, "png", false, false),
             Errors::Type_Error(0));
    QFile damaged(dir.filePath("damaged.png"));
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("no picture") > 0);
    damaged.close();
    m_fileAnswer = file.isEmpty() ? QString() : dir.filePath(file + ".png");

    ModelMatchingEditors editors;
    const Halcon::Hobject before = editors.setup.facade->GetModelPictureCopy();
    QSignalSpy loaded(editors.setup.facade.get(), &ModelMatching::signal_LoadFromFile);
    QSignalSpy changed(editors.setup.facade.get(), &ModelMatching::signal_SettingChanged);

    child<QPushButton>(*editors.pictureGui, "m_QPushButton_LoadFromFile")->click();

    QCOMPARE(m_fileRequests.size(), 1);
    QCOMPARE(m_fileRequests[0].kind, MessageBox_Helper::FileRequest::OpenFile);
    QCOMPARE(m_fileRequests[0].caption, QStringLiteral("Select picture for model template"));
    QCOMPARE(m_fileRequests[0].filter, Halcon_Helper::PictureFileFilter());
    const bool success = file == "picture";
    QCOMPARE(loaded.size(), success ? 1 : 0);
    QCOMPARE(changed.size(), success ? 1 : 0);
    Halcon::Hobject now = editors.setup.facade->GetModelPictureCopy();
    if (success) {
        QVERIFY(!now.SharesElementsWith(before));
        QCOMPARE(Halcon_Helper::CheckImage(now), Errors::Type_Error(0));
    } else {
        // A failed or cancelled load keeps the template there was.
        QVERIFY(now.SharesElementsWith(before));
    }
    QCOMPARE(m_boxes.size(), boxTitle.isEmpty() ? 0 : 1);
    if (!boxTitle.isEmpty()) {
        QCOMPARE(m_boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(m_boxes[0].title, boxTitle);
        QCOMPARE(m_boxes[0].text, boxText);
    }
}

void tst_ModelMatchingModelPictureGui::loadFromFileStartsAtTheLastChoice()
{
    QTemporaryDir dir;
    ModelMatchingEditors editors;
    QPushButton* load = child<QPushButton>(*editors.pictureGui, "m_QPushButton_LoadFromFile");
    load->click();
    m_fileAnswer = dir.filePath("absent.png");
    load->click();
    m_fileAnswer.clear();
    load->click();
    QCOMPARE(m_fileRequests.size(), 3);
    QCOMPARE(m_fileRequests[0].directory, QString());
    QCOMPARE(m_fileRequests[1].directory, QString());
    // Even a choice that could not be read is where the next dialog starts.
    QCOMPARE(m_fileRequests[2].directory, dir.filePath("absent.png"));
}

void tst_ModelMatchingModelPictureGui::withoutFacadeNothingIsLoaded()
{
    ModelMatching_ModelSettings_ModelPicture_Gui gui(nullptr, RectangleDrawStyle());
    QSignalSpy loaded(&gui, &ModelMatching_ModelSettings_ModelPicture_Gui::signal_LoadFromFile);
    child<QPushButton>(gui, "m_QPushButton_LoadFromFile")->click();
    QVERIFY(m_fileRequests.isEmpty());
    QCOMPARE(loaded.size(), 0);
}

void tst_ModelMatchingModelPictureGui::enabledThroughTheFacade()
{
    ModelMatchingSettings settings;
    ModelMatching facade(QStringLiteral("CrossModel"), &settings);
    QCOMPARE(facade.SetModelPictureEnabled(false), ModelMatchingErrors::NoError);
    ModelMatching_ModelSettings_ModelPicture_Gui gui(&facade, RectangleDrawStyle());
    QGroupBox* group = child<QGroupBox>(gui, "m_QGroupBox_ModelPicture");
    QCOMPARE(facade.SetModelPictureEnabled(false), ModelMatchingErrors::NoError);
    QVERIFY(!group->isEnabled());
    QCOMPARE(facade.SetModelPictureEnabled(true), ModelMatchingErrors::NoError);
    QVERIFY(group->isEnabled());
}

QTEST_MAIN(tst_ModelMatchingModelPictureGui)
#include "tst_ModelMatchingModelPictureGui.moc"
