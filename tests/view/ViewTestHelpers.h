#pragma once

#include "Hobject_View_Gui.h"
#include "Hobject_View_Gui_Picture.h"

#include <HalconTestPictures.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTest>

// Shared by the viewer's tests: sizing the picture area exactly and reading what it shows.
namespace ViewTestHelpers {

inline Hobject_View_Gui_Picture* pictureWidget(Hobject_View_Gui& view)
{
    return view.findChild<Hobject_View_Gui_Picture*>();
}

// Shows the viewer and resizes it until its picture area is width x height screen pixels.
// Small areas need the control panel out of the way (its buttons set a minimum width).
inline bool showWithPictureSize(Hobject_View_Gui& view, int width, int height, bool hideControlPanel = false)
{
    if (hideControlPanel)
        view.setControlPanelVisible(false);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view))
        return false;
    Hobject_View_Gui_Picture* picture = pictureWidget(view);
    for (int attempt = 0; attempt < 5; ++attempt) {
        QApplication::processEvents();
        const QSize now = picture->size();
        if (now == QSize(width, height))
            return true;
        view.resize(view.size() + QSize(width - now.width(), height - now.height()));
        QApplication::processEvents();
    }
    return picture->size() == QSize(width, height);
}

// What the picture area shows now (a paint runs for it).
inline QImage shownImage(Hobject_View_Gui& view)
{
    return pictureWidget(view)->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Window pixel of a picture point for the visible part of the viewer's buffer window:
// columns column1..column2 (both shown) spread over the window width.
inline QPoint windowPoint(double row, double column, int column1, int row1, int column2, int row2, int windowWidth,
                          int windowHeight)
{
    const double x = (column - column1 + 0.5) * windowWidth / double(column2 - column1 + 1);
    const double y = (row - row1 + 0.5) * windowHeight / double(row2 - row1 + 1);
    return QPoint(int(x), int(y));
}

inline Halcon::Hobject grayPicture(int width, int height, int value)
{
    return HalconTestPictures::grayImage(width, height, [value](int, int) { return value; });
}

// A left-button drag over the picture area, through its middle.
inline void drag(Hobject_View_Gui_Picture* picture, const QPoint& from, const QPoint& to)
{
    QTest::mousePress(picture, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(picture, (from + to) / 2);
    QTest::mouseMove(picture, to);
    QTest::mouseRelease(picture, Qt::LeftButton, Qt::NoModifier, to);
}

inline bool hasObject(const Hobject_View_Gui& view, const QString& name)
{
    Halcon::Hobject object;
    bool visible = false;
    bool selected = false;
    return view.getObject(name, object, visible, selected);
}

} // namespace ViewTestHelpers
