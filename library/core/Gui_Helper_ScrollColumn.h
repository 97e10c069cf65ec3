#pragma once

#include <QScrollArea>

// A column of controls (a settings editor) that scrolls downwards when its room is lower than
// its content, and never sideways: at least as wide as the content's least width beside the
// vertical scroll bar, and as wide as the content wants where there is room.
class Gui_Helper_ScrollColumn : public QScrollArea {
    Q_OBJECT
public:
    explicit Gui_Helper_ScrollColumn(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The content's width plus the bar (kept free whether shown or not, so that a bar coming
    // never makes the content too narrow) and the frame.
    int widthFor(int contentWidth) const;
};
