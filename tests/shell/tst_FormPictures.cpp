#include "Camera.h"
#include "MainWindowFixture.h"
#include "ProgramWindows.h"
#include "ui_MainWindowGui.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMovie>
#include <QtTest>


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

// The main window's own pictures, also those it changes to; every dialog's come through the
// dialog seam. Dialogs without pictures of their own are checked for blank ones only.
const QMap<QString, ProgramWindows::Opening>& openings()
{
    static const QMap<QString, ProgramWindows::Opening> all = [] {
        QMap<QString, ProgramWindows::Opening> openings = ProgramWindows::dialogs();
        openings.insert(QStringLiteral("main window"), [](MainWindowGui& window) { window.startShow(); });
        openings.insert(QStringLiteral("main window, camera connected"), [](MainWindowGui& window) {
            window.startShow();
            window.form()->m_QAction_Toolbar_CameraConnect->trigger();
            QVERIFY(window.camera()->IsOpen());
        });
        return openings;
    }();
    return all;
}

bool hasPicturesOfItsOwn(const QString& form)
{
    return form != QLatin1String("instrument settings");
}

} // namespace

// Every picture a window of the program names is there: each icon gives a 16-pixel pixmap,
// and each window that has pictures shows at least one. The program folder has no pictures of its own, so
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

    openings().value(form)(window);
    if (window.isVisible())
        pictures.inspect(&window);

    QVERIFY2(pictures.blank.isEmpty(), qPrintable(pictures.blank.join(QStringLiteral(", "))));
    if (hasPicturesOfItsOwn(form))
        QVERIFY2(pictures.shown > 0, "no picture found");
}

QTEST_MAIN(tst_FormPictures)
#include "tst_FormPictures.moc"
