#pragma once

#include <QColor>
#include <QPoint>
#include <QString>

#include <functional>

class Automation_Call;
class QGroupBox;
class QMainWindow;
class QSplitter;
class QTreeView;
class QStackedWidget;
class QWidget;

// What every window, dialog and page does when it is built and closed: stable object
// names, the library's look for group boxes, splitters and stacked widgets, placing a
// widget into a placeholder, waiting with a live event loop, and keeping window layouts
// in files under "settings/window" (one set stand-alone, one ".COM" set as automation
// server). Functions with a bool result give false for a null widget.
namespace Gui_Helper {

// Object name := name, or the class name when name is empty; a QDockWidget parent takes
// the same name, since the main-window state finds dock widgets by object name.
bool setObjectName(QWidget* widget, const QString& name);
// The title an editor shows its state in: that of the dock it sits in (also inside a scroll
// area), else of its parent, else its own.
bool setHolderTitle(QWidget* widget, const QString& title);
// Walks every widget below root and styles flat group boxes, splitters and stacked
// widgets (those of a tab widget keep their margins). False when any step failed.
bool applyWidgetStyles(QWidget* root, bool groupBoxes, bool splitters, bool stackedWidgets);
bool setSplitterHandleStyle(QSplitter* splitter);
bool setFlatGroupBoxMargins(QGroupBox* groupBox);
bool clearStackedWidgetMargins(QStackedWidget* stackedWidget);
bool clearLayoutMargins(QWidget* widget);
bool setExpanded(QWidget* widget, bool expanded);
bool setTextColor(QWidget* widget, const QColor& color);
bool setFrameColors(QWidget* widget, const QColor& shadow, const QColor& text);
// Global position for widget's top-left corner that centres it over `over`.
QPoint centerOnWidget(QWidget* over, QWidget* widget);
// Puts widget into its parent (a placeholder without a layout) through a new grid layout
// without margins. False without a parent or when the parent has a layout already.
bool fillParentWidget(QWidget* widget, bool zeroMargins, bool zeroMinimumSize);
// Widens every shown column of a tree or table view that is narrower than its header or its
// widest value; wider columns (the operator's) stay as they are.
void widenColumnsToContents(QTreeView* view);
// Keeps the calling thread's events flowing for at least the given time (0: one pass).
void waitProcessingEvents(unsigned int milliseconds);
// Waits until done holds (next(true)) or timeoutMs passed (next(false)) and answers what next
// answers. With a call no event loop turns here: next runs when the wait ends, and the answer
// now is Automation_Call::Pending. Without one the wait is here, events flowing every stepMs.
int waitThen(Automation_Call* call, const std::function<bool()>& done, int timeoutMs, int stepMs,
             const std::function<int(bool)>& next);

// Layout files. name empty: the widget's object name (for splitters, the object name of
// the splitter's window). Saves replace the file in one step; a missing folder
// "settings/window" makes them fail. Restores return false only when the file cannot
// be read; bytes that Qt refuses leave the widget as it was.
bool saveWindowGeometry(QWidget* widget, const QString& name = QString());
bool restoreWindowGeometry(QWidget* widget, const QString& name = QString());
bool saveWindowState(QMainWindow* window, const QString& name = QString());
bool restoreWindowState(QMainWindow* window, const QString& name = QString());
bool saveSplitterState(QSplitter* splitter, const QString& name = QString());
bool restoreSplitterState(QSplitter* splitter, const QString& name = QString());
// Shares of a splitter's panes by weight (e.g. 2 and 1: two thirds and one third), given
// once the splitter is first shown with its size; a state restored before then wins.
void setSplitterWeights(QSplitter* splitter, const QList<int>& weights);
// Geometry of a top-level window, state of a QMainWindow and every splitter of the window.
bool saveWindowLayout(QWidget* widget, const QString& name = QString());
bool restoreWindowLayout(QWidget* widget, const QString& name = QString());

// The file a layout goes to, relative to the current folder; empty when the names are
// not usable (empty, or holding a path separator).
QString windowGeometryPath(const QString& name);
QString windowStatePath(const QString& name);
QString splitterStatePath(const QString& windowName, const QString& splitterName);

} // namespace Gui_Helper
