#pragma once

#include <QWidget>

class QHideEvent;
class QMouseEvent;
class QPaintEvent;
class QResizeEvent;
class QShowEvent;
class QWheelEvent;

// The bare picture area of the viewer: owns no state and hands every paint, geometry,
// visibility, mouse and wheel event to its receiver (the viewer).
class Hobject_View_Gui_Picture : public QWidget {
    Q_OBJECT
public:
    class CallbackFunctions {
    public:
        virtual ~CallbackFunctions() = default;
        virtual void paintEvent(QPaintEvent* event) = 0;
        virtual void resizeEvent(QResizeEvent* event) = 0;
        virtual void showEvent(QShowEvent* event) = 0;
        virtual void hideEvent(QHideEvent* event) = 0;
        virtual void mouseMoveEvent(QMouseEvent* event) = 0;
        virtual void mousePressEvent(QMouseEvent* event) = 0;
        virtual void mouseReleaseEvent(QMouseEvent* event) = 0;
        virtual void mouseDoubleClickEvent(QMouseEvent* event) = 0;
        virtual void wheelEvent(QWheelEvent* event) = 0;
    };

    // Fills parent (a placeholder of a form) with itself; receiver may be null.
    Hobject_View_Gui_Picture(CallbackFunctions* receiver, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    CallbackFunctions* m_receiver = nullptr;
    QWidget* m_parentWidget = nullptr;
};
