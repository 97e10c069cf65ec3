#pragma once

// What the window tests on the screens operators have look at, each as a person would see
// it; every check gives what is wrong, empty when nothing is. The rows run on a screen of
// their size (ScreenOfSize); ZELVORIN_SCREEN_SHOTS names a folder for pictures of the windows.

#include "Hobject_View_Gui.h"
#include "MainWindowFixture.h"
#include "ScreenOfSize.h"

#include <QApplication>
#include <QScreen>
#include <QStringList>
#include <QtTest>

namespace ScreenChecks {

inline QString describe(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    return QStringLiteral("%1 \"%2\" at %3,%4 %5x%6")
        .arg(QString::fromLatin1(window->metaObject()->className()), window->windowTitle())
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.width())
        .arg(frame.height());
}

// The shown windows of the program that reach beyond the available area of their screen.
inline QStringList outsideTheScreen()
{
    QStringList outside;
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !window->screen()->availableGeometry().contains(window->frameGeometry()))
            outside << describe(window);
    }
    return outside;
}

// Lays out what waits to be laid out, so that what a check sees is what the operator gets,
// not a step on the way.
inline void settle()
{
    for (int round = 0; round < 10; ++round) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
}

// How a viewer shows its picture, when it does not show the whole picture on all of its width
// or all of its height; empty when it does.
inline QString unfitted(const Hobject_View_Gui& view)
{
    int width = 0, height = 0, column1 = 0, row1 = 0, column2 = 0, row2 = 0;
    view.getPictureSize(width, height);
    view.getVisiblePart(column1, row1, column2, row2);
    const bool whole = column1 <= 0 && row1 <= 0 && column2 >= width && row2 >= height;
    if (width > 0 && whole && (column2 == width || row2 == height))
        return QString();
    return QStringLiteral("%1 x %2 picture shown as columns %3 .. %4, rows %5 .. %6 in %7 x %8 px")
        .arg(width)
        .arg(height)
        .arg(column1)
        .arg(column2)
        .arg(row1)
        .arg(row2)
        .arg(view.width())
        .arg(view.height());
}

// The program in a folder of its own, its main window shown as at a first start.
struct ShownProgram {
    MainWindowFixture::ProgramFolder folder;
    MainWindowFixture::Answers answers;
    MainWindowFixture::WindowUnderTest test{false, answers};

    // The shown window, or null when the folder or the window could not be had.
    MainWindowGui* start()
    {
        if (!folder.isValid())
            return nullptr;
        MainWindowGui& window = test.make();
        window.startShow();
        return QTest::qWaitForWindowExposed(&window) ? &window : nullptr;
    }
};

inline void addScreenRows()
{
    QTest::addColumn<QSize>("screen");
    for (const QSize& size : ScreenOfSize::sizes())
        QTest::newRow(qPrintable(ScreenOfSize::name(size))) << size;
}

// A picture of what a window shows, where pictures are asked for.
inline void saveScreenshot(QWidget& window, const QString& what)
{
    const QString path = ScreenOfSize::screenshotPath(what);
    if (path.isEmpty())
        return;
    QVERIFY(window.grab().save(path, "PNG"));
}

} // namespace ScreenChecks
