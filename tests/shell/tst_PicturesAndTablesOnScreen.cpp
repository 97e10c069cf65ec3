#include "AnalyserGui.h"
#include "ColonyAnalyserGui.h"
#include "DemoTruth.h"
#include "ImageStitcherGui.h"
#include "MainWindowFixture.h"
#include "ScreenChecks.h"
#include "ui_MainWindowGui.h"

#include <QHeaderView>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>

using namespace MainWindowFixture;
using namespace ScreenChecks;

namespace {

// The share of its page a viewer has, when it is less than half.
QString smallShare(const QWidget& view, const QWidget& page)
{
    const qint64 viewArea = qint64(view.width()) * view.height();
    const qint64 pageArea = qint64(page.width()) * page.height();
    if (2 * viewArea >= pageArea)
        return QString();
    return QStringLiteral("viewer %1 x %2 px on a page of %3 x %4 px")
        .arg(view.width())
        .arg(view.height())
        .arg(page.width())
        .arg(page.height());
}

// The shown columns of a table narrower than their header or their widest value.
QStringList narrowColumns(QTreeWidget* table)
{
    QStringList narrow;
    QHeaderView* header = table->header();
    for (int column = 0; column < table->columnCount(); ++column) {
        if (table->isColumnHidden(column))
            continue;
        const int needed = std::max(header->sectionSizeHint(column),
                                    static_cast<QAbstractItemView*>(table)->sizeHintForColumn(column));
        if (table->columnWidth(column) < needed)
            narrow << QStringLiteral("\"%1\" %2 px of %3")
                          .arg(table->headerItem()->text(column).replace(QLatin1Char('\n'), QLatin1Char(' ')))
                          .arg(table->columnWidth(column))
                          .arg(needed);
    }
    return narrow;
}

} // namespace

// What the pages show after their demos, on the screens operators have: the picture on the
// most of its page and fitted to its viewer, every column of the colony tables as wide as its
// header and its values. Each row runs on a screen of its size (ScreenChecks).
class tst_PicturesAndTablesOnScreen : public QObject {
    Q_OBJECT
private slots:
    void pictureHasMostOfItsPage_data();
    void pictureHasMostOfItsPage();
    void colonyTablesShowTheirText_data();
    void colonyTablesShowTheirText();
};

void tst_PicturesAndTablesOnScreen::pictureHasMostOfItsPage_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QString>("page");
    for (const QSize& size : ScreenOfSize::sizes()) {
        for (const char* page : {"Colony Analyser", "Image Stitcher", "Image Stitcher Result"})
            QTest::newRow(qPrintable(ScreenOfSize::name(size) + QLatin1Char(' ') + QLatin1String(page)))
                << size << QString::fromLatin1(page);
    }
}

// Each page that shows a picture after its demo, at the default layout: the viewer has the
// most of the page, and the picture fills the viewer's width or height.
void tst_PicturesAndTablesOnScreen::pictureHasMostOfItsPage()
{
    QFETCH(QSize, screen);
    QFETCH(QString, page);
    ZELVORIN_ON_SCREEN_OF_SIZE(screen);
    ShownProgram program;
    QVERIFY(program.start());
    MainWindowGui& window = *program.test.window();
    Answers& answers = program.answers;
    AnalyserGui* pages = window.analyserGui();
    QWidget* shown = nullptr;
    Hobject_View_Gui* view = nullptr;
    if (page == QLatin1String("Colony Analyser")) {
        window.form()->m_QAction_Toolbar_Colony_Demo_Plate->trigger();
        QCOMPARE(DemoTruth::waitForAnalysis(window), Errors::Type_Error(0));
        shown = pages->colonyAnalyserPage();
        view = window.colonyAnalyserGui()->view();
    } else {
        window.form()->m_QAction_Toolbar_Stitcher_Demo_QTrayPlate->trigger();
        QCOMPARE(DemoTruth::waitForStitching(window), Errors::Type_Error(0));
        // The stitched tray goes on to the colony analysis; the stitcher's pages stay.
        QCOMPARE(DemoTruth::waitForAnalysis(window), Errors::Type_Error(0));
        pages->showImageStitcher();
        if (page == QLatin1String("Image Stitcher")) {
            shown = pages->imageStitcherPage();
            QList<Hobject_View_Gui*> views = window.imageStitcherGui()->getPictureViews();
            views << window.imageStitcherGui()->getHobjectView();
            for (Hobject_View_Gui* candidate : views)
                view = candidate->isVisible() ? candidate : view;
        } else {
            shown = pages->imageStitcherResultPage();
            pages->findChild<QTabWidget*>()->setCurrentWidget(shown);
            view = window.imageStitcherGui()->getResultView();
        }
    }
    QVERIFY(answers.boxes.isEmpty());
    QTRY_VERIFY(shown->isVisible());
    QVERIFY(view && view->isVisible());
    settle();
    QTRY_VERIFY2(smallShare(*view, *shown).isEmpty(), qPrintable(smallShare(*view, *shown)));
    QTRY_VERIFY2(unfitted(*view).isEmpty(), qPrintable(unfitted(*view)));
    saveScreenshot(window, QStringLiteral("window"));
}

void tst_PicturesAndTablesOnScreen::colonyTablesShowTheirText_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<bool>("stitchedTray");
    for (const QSize& size : ScreenOfSize::sizes()) {
        QTest::newRow(qPrintable(ScreenOfSize::name(size) + QStringLiteral(" plate"))) << size << false;
        // Millimetres of 100 and more.
        QTest::newRow(qPrintable(ScreenOfSize::name(size) + QStringLiteral(" stitched tray"))) << size << true;
    }
}

// After an analysis every shown column of the colony tables, and of the colony editor's
// table, is as wide as its header and its widest value.
void tst_PicturesAndTablesOnScreen::colonyTablesShowTheirText()
{
    QFETCH(QSize, screen);
    QFETCH(bool, stitchedTray);
    ZELVORIN_ON_SCREEN_OF_SIZE(screen);
    ShownProgram program;
    QVERIFY(program.start());
    MainWindowGui& window = *program.test.window();
    Answers& answers = program.answers;
    if (stitchedTray) {
        window.form()->m_QAction_Toolbar_Stitcher_Demo_QTrayPlate->trigger();
        QCOMPARE(DemoTruth::waitForStitching(window), Errors::Type_Error(0));
    } else {
        window.form()->m_QAction_Toolbar_Colony_Demo_Plate->trigger();
    }
    QCOMPARE(DemoTruth::waitForAnalysis(window), Errors::Type_Error(0));
    ColonyAnalyserGui* page = window.colonyAnalyserGui();
    window.colonySettings()->emitCustom(ColonySettings::CustomSignal_PageLeft);
    QTRY_VERIFY(page->isVisible());
    page->findChild<QTabWidget*>(QStringLiteral("m_AnalysisReportTab"))->setCurrentIndex(1);
    QVERIFY(page->goodColoniesTable()->topLevelItemCount() > 0);
    QVERIFY(page->goodColoniesTable()->topLevelItem(0)->childCount() > 0);
    for (QTreeWidget* table : {page->goodColoniesTable(), page->rejectedColoniesTable()})
        QVERIFY2(narrowColumns(table).isEmpty(),
                 qPrintable(table->objectName() + QStringLiteral(": ") + narrowColumns(table).join(QStringLiteral("; "))));
    saveScreenshot(window, QStringLiteral("window"));

    QStringList narrowInEditor;
    answers.dialog = [&narrowInEditor](QDialog* dialog) {
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog))
            narrowInEditor << QStringLiteral("not shown");
        auto* table = dialog->findChild<QTreeWidget*>(QStringLiteral("m_ColoniesTable"));
        if (!table || table->topLevelItemCount() == 0)
            narrowInEditor << QStringLiteral("no colonies");
        else
            narrowInEditor << narrowColumns(table);
        saveScreenshot(*dialog, QStringLiteral("editor"));
        return int(QDialog::Rejected);
    };
    window.form()->m_QAction_Menubar_Analyse_EditColonies->trigger();
    QCOMPARE(answers.dialogs, 1);
    QVERIFY2(narrowInEditor.isEmpty(), qPrintable(narrowInEditor.join(QStringLiteral("; "))));
}

QTEST_MAIN(tst_PicturesAndTablesOnScreen)
#include "tst_PicturesAndTablesOnScreen.moc"
