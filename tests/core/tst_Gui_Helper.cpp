#include "Gui_Helper.h"
#include "Gui_Helper_SignalBlocker.h"
#include "QuendralLibrary.h"

#include <QCheckBox>
#include <QDir>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QMainWindow>
#include <QSignalSpy>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A main window W with a central splitter S of two panes, a dock widget and a tool bar.
struct LayoutWindow
{
    QMainWindow window;
    QSplitter* splitter = nullptr;

    LayoutWindow()
    {
        window.setObjectName(QStringLiteral("W"));
        splitter = new QSplitter(Qt::Horizontal, &window);
        splitter->setObjectName(QStringLiteral("S"));
        splitter->addWidget(new QLabel(QStringLiteral("left")));
        splitter->addWidget(new QLabel(QStringLiteral("right")));
        window.setCentralWidget(splitter);
        auto* dock = new QDockWidget(QStringLiteral("Dock"), &window);
        dock->setObjectName(QStringLiteral("D"));
        dock->setWidget(new QLabel(QStringLiteral("dock")));
        window.addDockWidget(Qt::LeftDockWidgetArea, dock);
        window.resize(600, 400);
    }
};

QString layoutFile(const QString& name)
{
    return QStringLiteral("settings/window/") + name;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A class of its own, so the class name shows where no name is given.
class ColonySettingsGui : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};

} // namespace

class tst_Gui_Helper : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void layoutRoundTrip();
    void automationServerNames();
    void layoutFileNames_data();
    void layoutFileNames();
    void missingFilesChangeNothing();
    void damagedFilesChangeNothing_data();
    void damagedFilesChangeNothing();
    void missingFolderFailsSave();
    void saveReplacesLongerFile();
    void splitterHandleWidthSurvivesRestore();
    void splitterWeights_data();
    void splitterWeights();
    void restoredLayoutStaysOnScreen();
    void widenColumnsToContents();
    void setObjectNameAndDock();
    void fillParentWidget_data();
    void fillParentWidget();
    void stackedWidgetMargins();
    void applyWidgetStyles();
    void waitProcessingEvents();
    void signalBlocker();

private:
    QTemporaryDir m_folder;
    QString m_previousFolder;
};

void tst_Gui_Helper::initTestCase()
{
    QVERIFY(m_folder.isValid());
    m_previousFolder = QDir::currentPath();
    // The handle pictures come from the source tree; the library's start is not needed.
    QDir::addSearchPath(QStringLiteral("pictures"),
                        qEnvironmentVariable("ZELVORIN_SOURCE_DIR", QStringLiteral(__FILE__ "/../../.."))
                            + QStringLiteral("/resources/pictures"));
}

void tst_Gui_Helper::init()
{
    // A fresh program folder per test, with the layout folder present.
    const QString folder = m_folder.path() + QLatin1Char('/') + QString::fromLatin1(QTest::currentTestFunction())
        + QLatin1Char('_') + QString::fromLatin1(QTest::currentDataTag());
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/settings/window")));
    QVERIFY(QDir::setCurrent(folder));
}

void tst_Gui_Helper::cleanup()
{
    QDir::setCurrent(m_previousFolder);
}

void tst_Gui_Helper::layoutRoundTrip()
{
    QByteArray geometry, state, splitterState;
    {
        LayoutWindow saved;
        saved.window.resize(640, 420);
        saved.splitter->setSizes({100, 400});
        geometry = saved.window.saveGeometry();
        state = saved.window.saveState(0);
        splitterState = saved.splitter->saveState();
        QVERIFY(Gui_Helper::saveWindowLayout(&saved.window));
    }
    // Each file holds exactly Qt's bytes.
    QFile file(layoutFile(QStringLiteral("W.windowgeometry")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), geometry);
    file.close();
    file.setFileName(layoutFile(QStringLiteral("W.windowstate")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), state);
    file.close();
    file.setFileName(layoutFile(QStringLiteral("W_S.splittergeometry")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), splitterState);
    file.close();

    LayoutWindow restored;
    QVERIFY(Gui_Helper::restoreWindowLayout(&restored.window));
    QCOMPARE(restored.window.size(), QSize(640, 420));
    QCOMPARE(restored.splitter->saveState(), splitterState);
}

void tst_Gui_Helper::automationServerNames()
{
    LayoutWindow window;
    QVERIFY(Gui_Helper::saveWindowLayout(&window.window));
    QVERIFY(QuendralLibrary::Start(QStringLiteral("tst_Gui_Helper_server"), QStringLiteral("1.0"),
                                   QStringLiteral("2024"), nullptr, true) == 0);
    QVERIFY(QuendralLibrary::IsAutomationServer());
    QCOMPARE(Gui_Helper::windowGeometryPath(QStringLiteral("W")), layoutFile(QStringLiteral("W.COM.windowgeometry")));
    QCOMPARE(Gui_Helper::splitterStatePath(QStringLiteral("W"), QStringLiteral("S")),
             layoutFile(QStringLiteral("W_S.COM.splittergeometry")));
    // The server set starts empty and never reads the stand-alone files.
    QVERIFY(!Gui_Helper::restoreWindowLayout(&window.window));
    window.window.resize(300, 200);
    window.splitter->setSizes({50, 250});
    const QByteArray serverSplitter = window.splitter->saveState();
    QVERIFY(Gui_Helper::saveWindowLayout(&window.window));
    QVERIFY(QFile::exists(layoutFile(QStringLiteral("W.COM.windowgeometry"))));
    QVERIFY(QFile::exists(layoutFile(QStringLiteral("W.COM.windowstate"))));
    QVERIFY(QFile::exists(layoutFile(QStringLiteral("W_S.COM.splittergeometry"))));
    QuendralLibrary::Stop();
    QuendralLibrary::Start(QStringLiteral("tst_Gui_Helper_server"), QStringLiteral("1.0"), QStringLiteral("2024"),
                           nullptr, false);
    QuendralLibrary::Stop();
    QVERIFY(!QuendralLibrary::IsAutomationServer());

    // Stand-alone again: the stand-alone layout comes back, not the server's.
    LayoutWindow standAlone;
    QVERIFY(Gui_Helper::restoreWindowLayout(&standAlone.window));
    QCOMPARE(standAlone.window.size(), QSize(600, 400));
    QVERIFY(standAlone.splitter->saveState() != serverSplitter);
}

void tst_Gui_Helper::layoutFileNames_data()
{
    QTest::addColumn<QString>("windowName");
    QTest::addColumn<QString>("splitterName");
    QTest::addColumn<QString>("geometry");
    QTest::addColumn<QString>("splitter");
    QTest::newRow("plain") << "W" << "S" << "settings/window/W.windowgeometry" << "settings/window/W_S.splittergeometry";
    QTest::newRow("no window name") << "" << "S" << "" << "";
    QTest::newRow("no splitter name") << "W" << "" << "settings/window/W.windowgeometry" << "";
    QTest::newRow("path in the name") << "../W" << "S" << "" << "";
    QTest::newRow("dot dot") << ".." << "S" << "" << "";
}

void tst_Gui_Helper::layoutFileNames()
{
    QFETCH(QString, windowName);
    QFETCH(QString, splitterName);
    QFETCH(QString, geometry);
    QFETCH(QString, splitter);
    QCOMPARE(Gui_Helper::windowGeometryPath(windowName), geometry);
    QCOMPARE(Gui_Helper::splitterStatePath(windowName, splitterName), splitter);

    // Unusable names are refused by the save functions too.
    QWidget widget;
    widget.setObjectName(windowName);
    QCOMPARE(Gui_Helper::saveWindowGeometry(&widget), !geometry.isEmpty());
}

void tst_Gui_Helper::missingFilesChangeNothing()
{
    LayoutWindow window;
    window.splitter->setSizes({120, 380});
    const QByteArray before = window.splitter->saveState();
    QVERIFY(!Gui_Helper::restoreWindowLayout(&window.window));
    QCOMPARE(window.window.size(), QSize(600, 400));
    QCOMPARE(window.splitter->saveState(), before);
    QVERIFY(!Gui_Helper::restoreWindowLayout(nullptr));
    QVERIFY(!Gui_Helper::saveWindowLayout(nullptr));
    QWidget unnamed;
    QVERIFY(!Gui_Helper::saveWindowLayout(&unnamed));
}

void tst_Gui_Helper::damagedFilesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("this is not a layout\n");
    QTest::newRow("cut short") << QByteArray::fromHex("01d9d0cb000300000000");
}

void tst_Gui_Helper::damagedFilesChangeNothing()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(writeFile(layoutFile(QStringLiteral("W.windowgeometry")), bytes));
    QVERIFY(writeFile(layoutFile(QStringLiteral("W.windowstate")), bytes));
    QVERIFY(writeFile(layoutFile(QStringLiteral("W_S.splittergeometry")), bytes));
    LayoutWindow window;
    window.splitter->setSizes({120, 380});
    const QByteArray splitterBefore = window.splitter->saveState();
    const QByteArray stateBefore = window.window.saveState(0);
    // Readable files count as restored, whatever Qt made of them.
    QVERIFY(Gui_Helper::restoreWindowLayout(&window.window));
    QCOMPARE(window.window.size(), QSize(600, 400));
    QCOMPARE(window.splitter->saveState(), splitterBefore);
    QCOMPARE(window.window.saveState(0), stateBefore);
}

void tst_Gui_Helper::missingFolderFailsSave()
{
    QVERIFY(QDir(QStringLiteral("settings/window")).removeRecursively());
    LayoutWindow window;
    QVERIFY(!Gui_Helper::saveWindowLayout(&window.window));
    QVERIFY(!Gui_Helper::saveWindowGeometry(&window.window));
    QVERIFY(!Gui_Helper::saveSplitterState(window.splitter));
    // The folder is not made by these functions.
    QVERIFY(!QDir(QStringLiteral("settings/window")).exists());
}

void tst_Gui_Helper::saveReplacesLongerFile()
{
    const QString path = layoutFile(QStringLiteral("W.windowgeometry"));
    QVERIFY(writeFile(path, QByteArray(20000, 'x')));
    LayoutWindow window;
    QVERIFY(Gui_Helper::saveWindowGeometry(&window.window));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), window.window.saveGeometry());
    // No temporary file is left beside it.
    QCOMPARE(QDir(QStringLiteral("settings/window")).entryList(QDir::Files), QStringList{QStringLiteral("W.windowgeometry")});
}

void tst_Gui_Helper::splitterHandleWidthSurvivesRestore()
{
    LayoutWindow window;
    window.splitter->setHandleWidth(5);
    QVERIFY(Gui_Helper::saveSplitterState(window.splitter));
    QVERIFY(Gui_Helper::setSplitterHandleStyle(window.splitter));
    QCOMPARE(window.splitter->handleWidth(), 20);
    QVERIFY(window.splitter->styleSheet().contains(QStringLiteral("pictures:/Symbols/QSplitter_horizontal.png")));
    QVERIFY(Gui_Helper::restoreSplitterState(window.splitter));
    QCOMPARE(window.splitter->handleWidth(), 20);

    QSplitter vertical(Qt::Vertical);
    QVERIFY(Gui_Helper::setSplitterHandleStyle(&vertical));
    QVERIFY(vertical.styleSheet().contains(QStringLiteral("QSplitter_vertical.png")));
}

void tst_Gui_Helper::splitterWeights_data()
{
    QTest::addColumn<bool>("stored");
    QTest::newRow("no stored layout: the weights") << false;
    QTest::newRow("a stored layout wins") << true;
}

// Weights set while the splitter is still unlaid-out (as a page's constructor sets them) give
// the shares once it is shown; a layout restored before then is kept.
void tst_Gui_Helper::splitterWeights()
{
    QFETCH(bool, stored);
    if (stored) {
        LayoutWindow saved;
        saved.window.resize(900, 400);
        saved.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&saved.window));
        saved.splitter->setSizes({500, 100});
        QVERIFY(Gui_Helper::saveWindowLayout(&saved.window));
    }
    LayoutWindow window;
    window.window.resize(900, 400);
    Gui_Helper::setSplitterWeights(window.splitter, {1, 2});
    QCOMPARE(Gui_Helper::restoreWindowLayout(&window.window), stored);
    window.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window.window));
    const QList<int> sizes = window.splitter->sizes();
    QCOMPARE(sizes.size(), 2);
    if (stored)
        QVERIFY2(sizes[0] > 2 * sizes[1], qPrintable(QStringLiteral("%1 : %2").arg(sizes[0]).arg(sizes[1])));
    else
        QVERIFY2(qAbs(2 * sizes[0] - sizes[1]) <= 2 + window.splitter->handleWidth(),
                 qPrintable(QStringLiteral("%1 : %2").arg(sizes[0]).arg(sizes[1])));
}

// A layout saved with the window beyond the screen's edge (a larger screen, a window
// manager's title bar added on the way) is restored onto the screen, floating docks too.
void tst_Gui_Helper::restoredLayoutStaysOnScreen()
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    {
        LayoutWindow saved;
        saved.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&saved.window));
        auto* dock = saved.window.findChild<QDockWidget*>();
        dock->setFloating(true);
        dock->setGeometry(QRect(available.bottomRight() - QPoint(50, 50), QSize(300, 200)));
        saved.window.setGeometry(QRect(available.topLeft() + QPoint(0, 20), available.size() - QSize(100, 0)));
        QVERIFY(Gui_Helper::saveWindowLayout(&saved.window));
    }
    LayoutWindow restored;
    restored.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&restored.window));
    QVERIFY(Gui_Helper::restoreWindowLayout(&restored.window));
    auto* dock = restored.window.findChild<QDockWidget*>();
    QVERIFY(dock->isFloating());
    for (QWidget* window : {static_cast<QWidget*>(&restored.window), static_cast<QWidget*>(dock)})
        QTRY_VERIFY2(available.contains(window->frameGeometry()),
                     qPrintable(QStringLiteral("%1 at %2,%3 %4x%5")
                                    .arg(QString::fromLatin1(window->metaObject()->className()))
                                    .arg(window->frameGeometry().x())
                                    .arg(window->frameGeometry().y())
                                    .arg(window->frameGeometry().width())
                                    .arg(window->frameGeometry().height())));
}

// Filled columns become as wide as their header and their widest value; a column the
// operator made wider keeps its width, a hidden one stays hidden.
void tst_Gui_Helper::widenColumnsToContents()
{
    QTreeWidget tree;
    tree.setColumnCount(4);
    tree.setHeaderLabels({QStringLiteral("Container\nNumber"), QStringLiteral("Y\n[mm]"), QStringLiteral("wide"),
                          QStringLiteral("hidden")});
    auto* row = new QTreeWidgetItem(&tree);
    row->setText(0, QStringLiteral("1"));
    row->setText(1, QStringLiteral("188.123"));
    row->setText(2, QStringLiteral("x"));
    (new QTreeWidgetItem(row))->setText(1, QStringLiteral("1188.123"));
    row->setExpanded(true);
    for (int column = 0; column < 4; ++column)
        tree.setColumnWidth(column, 20);
    tree.setColumnWidth(2, 400);
    tree.setColumnHidden(3, true);

    Gui_Helper::widenColumnsToContents(&tree);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    QHeaderView* header = tree.header();
    const QFontMetrics values(tree.font());
    QVERIFY(tree.columnWidth(0) >= header->sectionSizeHint(0));
    QVERIFY(tree.columnWidth(1) >= header->sectionSizeHint(1));
    // The child row's value, indented under its container, fits too.
    QVERIFY(tree.columnWidth(1) >= values.horizontalAdvance(QStringLiteral("1188.123")));
    QCOMPARE(tree.columnWidth(2), 400);
    QVERIFY(tree.isColumnHidden(3));
}

void tst_Gui_Helper::setObjectNameAndDock()
{
    QDockWidget dock;
    auto* page = new ColonySettingsGui;
    dock.setWidget(page);
    QVERIFY(Gui_Helper::setObjectName(page, QString()));
    QCOMPARE(page->objectName(), QStringLiteral("ColonySettingsGui"));
    QCOMPARE(dock.objectName(), QStringLiteral("ColonySettingsGui"));
    QVERIFY(Gui_Helper::setObjectName(page, QStringLiteral("Colonies")));
    QCOMPARE(dock.objectName(), QStringLiteral("Colonies"));

    QWidget plainParent;
    auto* child = new QLineEdit(&plainParent);
    QVERIFY(Gui_Helper::setObjectName(child, QStringLiteral("Edit")));
    QVERIFY(plainParent.objectName().isEmpty());
    QVERIFY(!Gui_Helper::setObjectName(nullptr, QStringLiteral("x")));
}

void tst_Gui_Helper::fillParentWidget_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("expected");
    QTest::newRow("null") << "null" << false;
    QTest::newRow("no parent") << "orphan" << false;
    QTest::newRow("parent with layout") << "parent layout" << false;
    QTest::newRow("placeholder") << "placeholder" << true;
}

void tst_Gui_Helper::fillParentWidget()
{
    QFETCH(QString, setup);
    QFETCH(bool, expected);
    QWidget placeholder;
    placeholder.setMinimumSize(50, 40);
    QWidget orphan;
    QWidget* widget = nullptr;
    if (setup == QLatin1String("orphan")) {
        widget = &orphan;
    } else if (setup != QLatin1String("null")) {
        widget = new QWidget(&placeholder);
        widget->setMinimumSize(30, 30);
        auto* inner = new QVBoxLayout(widget);
        inner->setContentsMargins(9, 9, 9, 9);
        if (setup == QLatin1String("parent layout"))
            new QVBoxLayout(&placeholder);
    }
    QCOMPARE(Gui_Helper::fillParentWidget(widget, true, true), expected);
    if (!expected) {
        if (setup == QLatin1String("parent layout"))
            QCOMPARE(widget->minimumSize(), QSize(30, 30)); // untouched on failure
        return;
    }
    auto* grid = qobject_cast<QGridLayout*>(placeholder.layout());
    QVERIFY(grid);
    QCOMPARE(grid->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(grid->itemAtPosition(0, 0)->widget(), widget);
    QCOMPARE(widget->layout()->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(placeholder.minimumSize(), QSize(0, 0));
    QCOMPARE(widget->minimumSize(), QSize(0, 0));
}

void tst_Gui_Helper::stackedWidgetMargins()
{
    QStackedWidget stack;
    auto* first = new QWidget;
    (new QVBoxLayout(first))->setContentsMargins(7, 7, 7, 7);
    auto* second = new QWidget;
    auto* third = new QWidget;
    (new QVBoxLayout(third))->setContentsMargins(7, 7, 7, 7);
    stack.addWidget(first);
    stack.addWidget(second);
    stack.addWidget(third);
    QVERIFY(!Gui_Helper::clearStackedWidgetMargins(&stack));
    QCOMPARE(first->layout()->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(third->layout()->contentsMargins(), QMargins(7, 7, 7, 7));
    QStackedWidget empty;
    QVERIFY(Gui_Helper::clearStackedWidgetMargins(&empty));
}

void tst_Gui_Helper::applyWidgetStyles()
{
    QWidget root;
    auto* flat = new QGroupBox(&root);
    flat->setFlat(true);
    (new QVBoxLayout(flat))->setContentsMargins(1, 1, 1, 1);
    auto* raised = new QGroupBox(&root);
    (new QVBoxLayout(raised))->setContentsMargins(1, 1, 1, 1);
    auto* stack = new QStackedWidget(&root);
    auto* page = new QWidget;
    (new QVBoxLayout(page))->setContentsMargins(5, 5, 5, 5);
    stack->addWidget(page);
    auto* tabs = new QTabWidget(&root);
    auto* tabPage = new QWidget;
    (new QVBoxLayout(tabPage))->setContentsMargins(5, 5, 5, 5);
    tabs->addTab(tabPage, QStringLiteral("tab"));
    auto* splitter = new QSplitter(&root);

    QVERIFY(Gui_Helper::applyWidgetStyles(&root, true, true, true));
    QCOMPARE(flat->layout()->contentsMargins(), QMargins(6, 6, 6, 3));
    QCOMPARE(raised->layout()->contentsMargins(), QMargins(1, 1, 1, 1));
    QCOMPARE(page->layout()->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(tabPage->layout()->contentsMargins(), QMargins(5, 5, 5, 5)); // a tab widget's own stack
    QCOMPARE(splitter->handleWidth(), 20);

    // A failing step makes the result false, and the walk goes on.
    auto* badStack = new QStackedWidget(&root);
    badStack->addWidget(new QWidget);
    flat->layout()->setContentsMargins(1, 1, 1, 1);
    QVERIFY(!Gui_Helper::applyWidgetStyles(&root, true, false, true));
    QCOMPARE(flat->layout()->contentsMargins(), QMargins(6, 6, 6, 3));
    QVERIFY(!Gui_Helper::applyWidgetStyles(nullptr, true, true, true));
}

void tst_Gui_Helper::waitProcessingEvents()
{
    bool delivered = false;
    QTimer::singleShot(0, this, [&] { delivered = true; });
    Gui_Helper::waitProcessingEvents(0);
    QVERIFY(delivered);

    QElapsedTimer timer;
    timer.start();
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(1);
    Gui_Helper::waitProcessingEvents(25);
    QVERIFY(timer.elapsed() >= 25);
    QVERIFY(ticks > 0); // the event loop ran during the wait
}

void tst_Gui_Helper::signalBlocker()
{
    QWidget root;
    auto* free = new QCheckBox(&root);
    auto* alreadyBlocked = new QCheckBox(&root);
    auto* doomed = new QCheckBox(&root);
    alreadyBlocked->blockSignals(true);
    QSignalSpy spy(free, &QCheckBox::toggled);
    {
        Gui_Helper_SignalBlocker blocker(&root, true);
        free->setChecked(true);
        QCOMPARE(spy.count(), 0);
        QVERIFY(doomed->signalsBlocked());
        delete doomed;
        // A widget added later was not blocked by this blocker and is not touched.
        auto* late = new QCheckBox(&root);
        late->blockSignals(true);
        late->setObjectName(QStringLiteral("late"));
    }
    QVERIFY(!free->signalsBlocked());
    QVERIFY(alreadyBlocked->signalsBlocked());
    QVERIFY(root.findChild<QCheckBox*>(QStringLiteral("late"))->signalsBlocked());
    free->setChecked(false);
    QCOMPARE(spy.count(), 1);

    // A widget moved away from the root while blocked stays as it is.
    QWidget elsewhere;
    Gui_Helper_SignalBlocker blocker(&root, false);
    blocker.setBlocked(true);
    QVERIFY(free->signalsBlocked());
    free->setParent(&elsewhere);
    blocker.setBlocked(false);
    QVERIFY(free->signalsBlocked());

    // A root that is gone is no harm.
    auto* shortLived = new QWidget;
    new QCheckBox(shortLived);
    Gui_Helper_SignalBlocker orphaned(shortLived, true);
    delete shortLived;
    orphaned.setBlocked(false);
}

QTEST_MAIN(tst_Gui_Helper)
#include "tst_Gui_Helper.moc"
