#pragma once

#include <QScrollArea>

// A one-line strip of controls that scrolls sideways when its room is narrower than its
// content: always as high as the content, plus the scroll bar while that is shown.
class Gui_Helper_ScrollStrip : public QScrollArea {
    Q_OBJECT
public:
    explicit Gui_Helper_ScrollStrip(QWidget* parent = nullptr);

    // Takes content as the scrolled widget; the strip is hidden and shown with it.
    void setContent(QWidget* content);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int contentHeight() const;
};
