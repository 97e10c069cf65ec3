#include "AnalyserGui.h"
#include "Camera.h"
#include "ColonyEditorGui.h"
#include "MainWindowFixture.h"
#include "ui_MainWindowGui.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMovie>
#include <QtTest>

#include <functional>

using namespace MainWindowFixture;

namespace {

// What one window shows of its pictures: those that are there, and those named but blank.
// A QIcon made from a missing file is not null, yet it paints nothing.
struct Pictures {
    int shown = 0;
    QStringList blank;

    void icon(const QIcon& icon, const QString& where, bool counts = true)
    {
        if (icon.isNull())
            return;
        if (icon.pixmap(16, 16).isNull())
            blank << where;
        else if (counts)
            ++shown;
    }

    void inspect(QWidget* root)
    {
        const QString window = QString::fromLatin1(root->metaObject()->className());
        auto where = [&window](const QObject* object) {
            return window + QLatin1Char('/') + object->objectName();
        };
        // Inherited from the main window: checked, but not this window's own picture.
        icon(root->windowIcon(), window, false);
        for (QAbstractButton* button : root->findChildren<QAbstractButton*>())
            icon(button->icon(), where(button));
        for (QAction* action : root->findChildren<QAction*>())
            icon(action->icon(), where(action));
        for (QComboBox* box : root->findChildren<QComboBox*>()) {
            for (int i = 0; i < box->count(); ++i)
                icon(box->itemIcon(i), where(box) + QStringLiteral("[%1]").arg(i));
        }
        // A label's picture that does not load is simply none: only those shown count.
        for (QLabel* label : root->findChildren<QLabel*>()) {
            if (!label->pixmap().isNull())
                ++shown;
            if (label->movie() && !label->movie()->isValid())
                blank << where(label);
        }
    }
};

using Opening = std::function<void(MainWindowGui&, Pictures&)>;

// How each window of the program is reached; dialogs are inspected while they run.
const QMap<QString, Opening>& openings()
{
    static const QMap<QString, Opening> all{
        {QStringLiteral("main window"), [](MainWindowGui& window, Pictures& pictures) { pictures.inspect(&window); }},
        {QStringLiteral("main window, camera connected"),
         [](MainWindowGui& window, Pictures& pictures) {
             window.form()->m_QAction_Toolbar_CameraConnect->trigger();
             QVERIFY(window.camera()->IsOpen());
             pictures.inspect(&window);
         }},
        {QStringLiteral("application settings"),
         [](MainWindowGui& window, Pictures&) { window.form()->m_QAction_Menubar_System_Settings->trigger(); }},
        {QStringLiteral("colony results browser"),
         [](MainWindowGui& window, Pictures&) { window.form()->m_QAction_Menubar_PictureFromDatabase->trigger(); }},
        {QStringLiteral("stitcher results browser"),
         [](MainWindowGui& window, Pictures&) {
             window.analyserGui()->showImageStitcher();
             window.form()->m_QAction_Menubar_PictureFromDatabase->trigger();
         }},
        {QStringLiteral("colony editor"),
         [](MainWindowGui& window, Pictures& pictures) {
             ColonyEditorGui editor(window.colonySettings(), ColonyEditorGui::EditRack(), &window, true);
             pictures.inspect(&editor);
         }},
        {QStringLiteral("camera settings choice"),
         [](MainWindowGui& window, Pictures&) {
             QString chosen;
             window.Settings_SelectCameraSettings(QString(), chosen);
         }},
        {QStringLiteral("colony settings choice"),
         [](MainWindowGui& window, Pictures&) {
             QString chosen;
             window.Settings_SelectColonySettings(QString(), chosen);
         }},
        {QStringLiteral("stitcher settings choice"),
         [](MainWindowGui& window, Pictures&) {
             QString chosen;
             window.Settings_SelectImageStitcherSettings(QString(), chosen);
         }},
    };
    return all;
}

} // namespace

// Every picture a window of the program names is there: each icon gives a 16-pixel pixmap,
// and each of these windows, all of which have pictures, shows at least one. The program folder has no pictures of its own, so
// they come from what the build embedded.
class tst_FormPictures : public QObject {
    Q_OBJECT
private slots:
    void everyNamedPictureIsThere_data();
    void everyNamedPictureIsThere();
};

void tst_FormPictures::everyNamedPictureIsThere_data()
{
    QTest::addColumn<QString>("form");
    for (const QString& form : openings().keys())
        QTest::newRow(qPrintable(form)) << form;
}

void tst_FormPictures::everyNamedPictureIsThere()
{
    QFETCH(QString, form);
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    QVERIFY(!QFileInfo::exists(QStringLiteral("pictures")));
    Answers answers;
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    Pictures pictures;
    answers.dialog = [&pictures](QDialog* dialog) {
        pictures.inspect(dialog);
        return int(QDialog::Rejected);
    };

    openings().value(form)(window, pictures);

    QVERIFY2(pictures.blank.isEmpty(), qPrintable(pictures.blank.join(QStringLiteral(", "))));
    QVERIFY2(pictures.shown > 0, "no picture found");
}

QTEST_MAIN(tst_FormPictures)
#include "tst_FormPictures.moc"
