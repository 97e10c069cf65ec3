#include "MainWindowFixture.h"
#include "ProgramWindows.h"
#include "ScreenOfSize.h"
#include "ui_MainWindowGui.h"

#include <QScreen>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtTest>

using namespace MainWindowFixture;

namespace {

// Where a shown window lies against the available area of its screen; empty when within.
// A window squeezed below the least size its content needs does not fit either: its content
// is cut off.
QString outside(QWidget* window)
{
    const QRect available = window->screen()->availableGeometry();
    const QRect frame = window->frameGeometry();
    const QSize least = window->minimumSizeHint().expandedTo(window->minimumSize());
    if (available.contains(frame) && window->width() >= least.width() && window->height() >= least.height())
        return QString();
    return QStringLiteral("%1 at %2,%3 %4x%5 (needs %6x%7) on %8x%9")
        .arg(QString::fromLatin1(window->metaObject()->className()))
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.width())
        .arg(frame.height())
        .arg(least.width())
        .arg(least.height())
        .arg(available.width())
        .arg(available.height());
}

// Shows the window as the program would, and tells where it does not fit.
QString showAndMeasure(QWidget* window)
{
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return QStringLiteral("not shown");
    const QString result = outside(window);
    window->hide();
    return result;
}

QString plainText(const QString& text)
{
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

// The box the program shows for a request: within the screen, with the whole text readable.
QString showBox(const MessageBox_Helper::Request& request)
{
    const std::unique_ptr<QDialog> box = MessageBox_Helper::createBox(request);
    box->show();
    if (!QTest::qWaitForWindowExposed(box.get()))
        return QStringLiteral("not shown");
    if (const QString where = outside(box.get()); !where.isEmpty())
        return where;
    if (auto* message = qobject_cast<QMessageBox*>(box.get()))
        return message->text() == request.text ? QString() : QStringLiteral("text cut");
    auto* view = box->findChild<QTextBrowser*>();
    if (!view || view->toPlainText() != plainText(request.text))
        return QStringLiteral("text cut");
    return QString();
}

const QMap<QString, ProgramWindows::Opening>& openings()
{
    static const QMap<QString, ProgramWindows::Opening> all = [] {
        QMap<QString, ProgramWindows::Opening> openings = ProgramWindows::dialogs();
        openings.insert(QStringLiteral("main window"), [](MainWindowGui& window) { window.startShow(); });
        openings.insert(QStringLiteral("system information"), [](MainWindowGui& window) {
            window.form()->m_QAction_Menubar_Help_SystemInformation->trigger();
        });
        openings.insert(QStringLiteral("about"),
                        [](MainWindowGui& window) { window.form()->m_QAction_Menubar_Help_About->trigger(); });
        return openings;
    }();
    return all;
}

} // namespace

// Every window of the program fits the available area of the screen it opens on, on the
// screens operators have (each row on a screen of its size); what is longer scrolls inside it.
class tst_WindowsOnScreen : public QObject {
    Q_OBJECT
private slots:
    void fitsTheScreen_data();
    void fitsTheScreen();
};

void tst_WindowsOnScreen::fitsTheScreen_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QString>("form");
    for (const QSize& screen : ScreenOfSize::sizes()) {
        for (const QString& form : openings().keys())
            QTest::newRow(qPrintable(ScreenOfSize::name(screen) + QLatin1Char(' ') + form)) << screen << form;
    }
}

void tst_WindowsOnScreen::fitsTheScreen()
{
    QFETCH(QSize, screen);
    QFETCH(QString, form);
    ZELVORIN_ON_SCREEN_OF_SIZE(screen);
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    Answers answers;
    WindowUnderTest test(false, answers);
    MainWindowGui& window = test.make();
    QStringList misfits;
    int shown = 0;
    answers.dialog = [&](QDialog* dialog) {
        ++shown;
        if (const QString where = showAndMeasure(dialog); !where.isEmpty())
            misfits << where;
        return int(QDialog::Rejected);
    };

    openings().value(form)(window);
    if (window.isVisible()) {
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ++shown;
        if (const QString where = outside(&window); !where.isEmpty())
            misfits << where;
    }
    for (const MessageBox_Helper::Request& box : std::as_const(answers.boxes)) {
        ++shown;
        if (const QString where = showBox(box); !where.isEmpty())
            misfits << box.title + QStringLiteral(": ") + where;
    }
    QCOMPARE(shown, 1);
    QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QStringLiteral("; "))));
}

QTEST_MAIN(tst_WindowsOnScreen)
#include "tst_WindowsOnScreen.moc"
