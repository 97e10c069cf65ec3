#include "Gui_Helper.h"

#include "Automation_Call.h"
#include "Gui_Helper_ScreenKeeper.h"
#include "QuendralLibrary.h"
#include "ReplacingFile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDockWidget>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLayout>
#include <QMainWindow>
#include <QPalette>
#include <QSplitter>
#include <QStackedWidget>
#include <QThread>
#include <QTreeView>
#include <QWidget>

#include <algorithm>

namespace {

const char* const kWindowFolder = "settings/window";
const char* const kHorizontalHandle = "pictures:/Symbols/QSplitter_horizontal.png";
const char* const kVerticalHandle = "pictures:/Symbols/QSplitter_vertical.png";
constexpr int kSplitterHandleWidth = 20;
const char* const kSplitterWeights = "Gui_Helper_SplitterWeights";

bool isClass(const QObject* object, const char* className)
{
    return qstrcmp(object->metaObject()->className(), className) == 0;
}

// A name that is part of a file name: it must not lead out of the folder.
bool usableName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && name != QLatin1String("..") && name != QLatin1String(".");
}

QString layoutPath(const QString& baseName, const char* extension)
{
    const QString server = QuendralLibrary::IsAutomationServer() ? QStringLiteral(".COM") : QString();
    return QLatin1String(kWindowFolder) + QLatin1Char('/') + baseName + server + QLatin1String(extension);
}

QString nameOf(const QWidget* widget, const QString& name)
{
    return name.isEmpty() ? widget->objectName() : name;
}

// Replaces the file as a whole, so a failed write never leaves a cut file behind.
bool writeLayoutFile(const QString& path, const QByteArray& bytes)
{
    return !path.isEmpty() && ReplacingFile::write(path, bytes);
}

bool readLayoutFile(const QString& path, QByteArray* bytes)
{
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *bytes = file.readAll();
    return true;
}

// Qt's geometry record: magic, major and minor version, two rectangles, screen number,
// two flags, from version 2 the screen width and from version 3 the restored screen
// geometry, all big-endian.
bool plausibleGeometry(const QByteArray& bytes)
{
    if (bytes.size() < 8)
        return false;
    const auto byte = [&bytes](int i) { return quint32(quint8(bytes[i])); };
    const quint32 magic = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
    const quint32 major = byte(4) << 8 | byte(5);
    if (magic != 0x1D9D0CB || major < 1)
        return false;
    qsizetype needed = 8 + 16 + 16 + 4 + 1 + 1;
    if (major >= 2)
        needed += 4;
    if (major >= 3)
        needed += 16;
    return bytes.size() >= needed;
}

QString splitterWindowName(const QSplitter* splitter, const QString& name)
{
    return name.isEmpty() ? splitter->window()->objectName() : name;
}

// Shares a splitter's panes by weight at its first show: until then its size is a
// placeholder, and sizes set then are lost.
class SplitterWeights : public QObject {
public:
    SplitterWeights(QSplitter* splitter, const QList<int>& weights)
        : QObject(splitter)
        , m_weights(weights)
    {
        setObjectName(QLatin1String(kSplitterWeights));
        splitter->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* splitter = static_cast<QSplitter*>(parent());
        if (m_done || watched != splitter || event->type() != QEvent::Show)
            return false;
        m_done = true;
        const int length = splitter->orientation() == Qt::Horizontal ? splitter->width() : splitter->height();
        int sum = 0;
        for (int weight : m_weights)
            sum += std::max(weight, 0);
        if (sum > 0 && length > 0) {
            QList<int> sizes;
            for (int weight : m_weights)
                sizes << int(qint64(length) * std::max(weight, 0) / sum);
            splitter->setSizes(sizes);
        }
        deleteLater();
        return false;
    }

private:
    QList<int> m_weights;
    bool m_done = false;
};

// The splitters whose layout is this window's: those not inside another native window,
// with a floating dock widget that holds the window counting as its own.
QList<QSplitter*> windowSplitters(QWidget* widget)
{
    QList<QSplitter*> splitters;
    const QList<QWidget*> descendants = widget->findChildren<QWidget*>();
    for (QWidget* descendant : descendants) {
        if (!isClass(descendant, "QSplitter"))
            continue;
        QWidget* nativeParent = descendant->nativeParentWidget();
        const bool belongs = nativeParent == nullptr || nativeParent == widget
            || (isClass(nativeParent, "QDockWidget") && nativeParent->isAncestorOf(widget));
        if (belongs)
            splitters << static_cast<QSplitter*>(descendant);
    }
    return splitters;
}

} // namespace

namespace Gui_Helper {

bool setObjectName(QWidget* widget, const QString& name)
{
    if (!widget)
        return false;
    const QString objectName = name.isEmpty() ? QString::fromLatin1(widget->metaObject()->className()) : name;
    widget->setObjectName(objectName);
    QWidget* parent = widget->parentWidget();
    if (parent && isClass(parent, "QDockWidget"))
        parent->setObjectName(objectName);
    return true;
}

bool setHolderTitle(QWidget* widget, const QString& title)
{
    if (!widget)
        return false;
    QWidget* holder = widget->parentWidget() ? widget->parentWidget() : widget;
    for (QWidget* ancestor = widget->parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (isClass(ancestor, "QDockWidget")) {
            holder = ancestor;
            break;
        }
    }
    holder->setWindowTitle(title);
    return true;
}

bool applyWidgetStyles(QWidget* root, bool groupBoxes, bool splitters, bool stackedWidgets)
{
    if (!root)
        return false;
    bool result = true;
    const QList<QWidget*> descendants = root->findChildren<QWidget*>();
    for (QWidget* widget : descendants) {
        if (groupBoxes && isClass(widget, "QGroupBox")) {
            auto* groupBox = static_cast<QGroupBox*>(widget);
            if (groupBox->layout() && groupBox->isFlat() && !setFlatGroupBoxMargins(groupBox))
                result = false;
        }
        if (splitters && isClass(widget, "QSplitter") && !setSplitterHandleStyle(static_cast<QSplitter*>(widget)))
            result = false;
        if (stackedWidgets && isClass(widget, "QStackedWidget")) {
            QWidget* parent = widget->parentWidget();
            if (parent && !isClass(parent, "QTabWidget")
                && !clearStackedWidgetMargins(static_cast<QStackedWidget*>(widget)))
                result = false;
        }
    }
    return result;
}

bool setSplitterHandleStyle(QSplitter* splitter)
{
    if (!splitter)
        return false;
    const QString picture =
        QLatin1String(splitter->orientation() == Qt::Horizontal ? kHorizontalHandle : kVerticalHandle);
    if (!QFile::exists(picture))
        return false;
    splitter->setStyleSheet(QStringLiteral("QSplitter::handle { image: url(%1); }").arg(picture));
    splitter->setHandleWidth(kSplitterHandleWidth);
    return true;
}

bool setFlatGroupBoxMargins(QGroupBox* groupBox)
{
    if (!groupBox || !groupBox->layout() || !groupBox->isFlat())
        return false;
    groupBox->layout()->setContentsMargins(6, 6, 6, 3);
    return true;
}

bool clearStackedWidgetMargins(QStackedWidget* stackedWidget)
{
    if (!stackedWidget)
        return false;
    for (int i = 0; i < stackedWidget->count(); ++i) {
        QLayout* layout = stackedWidget->widget(i)->layout();
        if (!layout)
            return false;
        layout->setContentsMargins(0, 0, 0, 0);
    }
    return true;
}

bool clearLayoutMargins(QWidget* widget)
{
    if (!widget || !widget->layout())
        return false;
    widget->layout()->setContentsMargins(0, 0, 0, 0);
    return true;
}

bool setExpanded(QWidget* widget, bool expanded)
{
    if (!widget)
        return false;
    widget->setMaximumHeight(expanded ? QWIDGETSIZE_MAX : 15);
    return true;
}

bool setTextColor(QWidget* widget, const QColor& color)
{
    if (!widget)
        return false;
    QPalette palette = widget->palette();
    const QBrush brush(color, Qt::SolidPattern);
    palette.setBrush(QPalette::Active, QPalette::WindowText, brush);
    palette.setBrush(QPalette::Inactive, QPalette::WindowText, brush);
    widget->setPalette(palette);
    return true;
}

bool setFrameColors(QWidget* widget, const QColor& shadow, const QColor& text)
{
    if (!widget)
        return false;
    QPalette palette = widget->palette();
    const QBrush shadowBrush(shadow, Qt::SolidPattern);
    const QBrush textBrush(text, Qt::SolidPattern);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setBrush(group, QPalette::Shadow, shadowBrush);
        palette.setBrush(group, QPalette::WindowText, textBrush);
    }
    widget->setPalette(palette);
    return true;
}

QPoint centerOnWidget(QWidget* over, QWidget* widget)
{
    if (!over || !widget)
        return QPoint();
    return over->mapToGlobal(
        QPoint((over->width() - widget->width()) / 2, (over->height() - widget->height()) / 2));
}

bool fillParentWidget(QWidget* widget, bool zeroMargins, bool zeroMinimumSize)
{
    if (!widget)
        return false;
    QWidget* parent = widget->parentWidget();
    if (!parent || parent->layout())
        return false;
    if (zeroMinimumSize) {
        parent->setMinimumSize(0, 0);
        widget->setMinimumSize(0, 0);
    }
    if (zeroMargins && widget->layout())
        widget->layout()->setContentsMargins(0, 0, 0, 0);
    auto* layout = new QGridLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(widget, 0, 0);
    return true;
}

void widenColumnsToContents(QTreeView* view)
{
    if (!view)
        return;
    QHeaderView* header = view->header();
    // A view on a page not shown yet has not had its style's fonts and margins: measured
    // without them, its texts come out narrower than they are drawn.
    view->ensurePolished();
    header->ensurePolished();
    // The values' width comes through the item view's public face.
    const QAbstractItemView* items = view;
    for (int column = 0; column < header->count(); ++column) {
        if (header->isSectionHidden(column))
            continue;
        const int needed = std::max(header->sectionSizeHint(column), items->sizeHintForColumn(column));
        if (header->sectionSize(column) < needed)
            header->resizeSection(column, needed);
    }
}

void waitProcessingEvents(unsigned int milliseconds)
{
    if (milliseconds == 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::yieldCurrentThread();
        return;
    }
    // A steady clock: a wall-clock change must neither end the wait early nor stretch it.
    const QDeadlineTimer deadline(qint64(milliseconds), Qt::PreciseTimer);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::yieldCurrentThread();
        const qint64 left = deadline.remainingTime();
        if (left > 0)
            QThread::msleep(unsigned(std::min<qint64>(left, 10)));
    }
    // What fell due during the last sleep (on a loaded machine the whole wait may pass in it).
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

int waitThen(Automation_Call* call, const std::function<bool()>& done, int timeoutMs, int stepMs,
             const std::function<int(bool)>& next)
{
    if (call)
        return call->waitUntil(done, timeoutMs, stepMs, [next](int met) { return next(met != 0); });
    const QDeadlineTimer deadline(qint64(std::max(0, timeoutMs)), Qt::PreciseTimer);
    for (;;) {
        if (done())
            return next(true);
        if (deadline.hasExpired())
            return next(false);
        waitProcessingEvents(unsigned(std::max(1, stepMs)));
    }
}

QString windowGeometryPath(const QString& name)
{
    return usableName(name) ? layoutPath(name, ".windowgeometry") : QString();
}

QString windowStatePath(const QString& name)
{
    return usableName(name) ? layoutPath(name, ".windowstate") : QString();
}

QString splitterStatePath(const QString& windowName, const QString& splitterName)
{
    if (!usableName(windowName) || !usableName(splitterName))
        return QString();
    return layoutPath(windowName + QLatin1Char('_') + splitterName, ".splittergeometry");
}

bool saveWindowGeometry(QWidget* widget, const QString& name)
{
    if (!widget)
        return false;
    return writeLayoutFile(windowGeometryPath(nameOf(widget, name)), widget->saveGeometry());
}

bool restoreWindowGeometry(QWidget* widget, const QString& name)
{
    if (!widget)
        return false;
    QByteArray bytes;
    if (!readLayoutFile(windowGeometryPath(nameOf(widget, name)), &bytes))
        return false;
    // Qt applies a geometry cut short as if the missing fields were zero (a 1 x 1 window),
    // so only bytes of complete length are handed on.
    if (plausibleGeometry(bytes))
        widget->restoreGeometry(bytes);
    return true;
}

bool saveWindowState(QMainWindow* window, const QString& name)
{
    if (!window)
        return false;
    return writeLayoutFile(windowStatePath(nameOf(window, name)), window->saveState(0));
}

bool restoreWindowState(QMainWindow* window, const QString& name)
{
    if (!window)
        return false;
    QByteArray bytes;
    if (!readLayoutFile(windowStatePath(nameOf(window, name)), &bytes))
        return false;
    window->restoreState(bytes, 0);
    return true;
}

bool saveSplitterState(QSplitter* splitter, const QString& name)
{
    if (!splitter)
        return false;
    return writeLayoutFile(splitterStatePath(splitterWindowName(splitter, name), splitter->objectName()),
                           splitter->saveState());
}

bool restoreSplitterState(QSplitter* splitter, const QString& name)
{
    if (!splitter)
        return false;
    QByteArray bytes;
    if (!readLayoutFile(splitterStatePath(splitterWindowName(splitter, name), splitter->objectName()), &bytes))
        return false;
    // What the operator left replaces the default shares.
    delete splitter->findChild<QObject*>(QLatin1String(kSplitterWeights), Qt::FindDirectChildrenOnly);
    // The stored state carries a handle width; the library's handle style sets its own.
    const int handleWidth = splitter->handleWidth();
    splitter->restoreState(bytes);
    if (splitter->handleWidth() != handleWidth)
        splitter->setHandleWidth(handleWidth);
    return true;
}

void setSplitterWeights(QSplitter* splitter, const QList<int>& weights)
{
    if (!splitter)
        return;
    delete splitter->findChild<QObject*>(QLatin1String(kSplitterWeights), Qt::FindDirectChildrenOnly);
    new SplitterWeights(splitter, weights);
}

} // namespace Gui_Helper

namespace {

// The one walk over a window's layout parts, shared by saving and restoring.
struct LayoutSteps {
    bool (*geometry)(QWidget*, const QString&);
    bool (*state)(QMainWindow*, const QString&);
    bool (*splitter)(QSplitter*, const QString&);
};

bool applyLayoutSteps(QWidget* widget, const QString& name, const LayoutSteps& steps)
{
    if (!widget)
        return false;
    const QString windowName = nameOf(widget, name);
    if (windowName.isEmpty())
        return false;
    bool result = true;
    if (widget->isWindow() && !steps.geometry(widget, windowName))
        result = false;
    // Application windows derive from QMainWindow; their dock and tool bar state is kept too.
    if (auto* mainWindow = qobject_cast<QMainWindow*>(widget); mainWindow && !steps.state(mainWindow, windowName))
        result = false;
    for (QSplitter* splitter : windowSplitters(widget)) {
        if (!steps.splitter(splitter, windowName))
            result = false;
    }
    return result;
}

} // namespace

namespace Gui_Helper {

bool saveWindowLayout(QWidget* widget, const QString& name)
{
    return applyLayoutSteps(widget, name, {&saveWindowGeometry, &saveWindowState, &saveSplitterState});
}

bool restoreWindowLayout(QWidget* widget, const QString& name)
{
    const bool result =
        applyLayoutSteps(widget, name, {&restoreWindowGeometry, &restoreWindowState, &restoreSplitterState});
    // A layout saved on another screen, or moved by a window manager on its way to the file,
    // stays within this screen: the window and the docks that float from it.
    if (widget && widget->isWindow() && widget->isVisible())
        Gui_Helper_ScreenKeeper::fit(widget);
    if (widget) {
        for (QDockWidget* dock : widget->findChildren<QDockWidget*>()) {
            if (dock->isFloating() && dock->isVisible())
                Gui_Helper_ScreenKeeper::fit(dock);
        }
    }
    return result;
}

} // namespace Gui_Helper
