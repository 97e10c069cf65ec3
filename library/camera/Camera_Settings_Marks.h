#pragma once

#include <QHash>
#include <QString>

class QAbstractSpinBox;
class QDoubleSpinBox;
class QSpinBox;
class QWidget;

// The marks of the camera settings editor's value displays. A settings file may hold any
// number: a value outside its control's range is shown as it is, not silently changed, and
// marked, as is a value the camera refused. A mark is red text and a tool tip that says why.
//
// Spin boxes show such a value by widening their range to it; the first edit brings the
// value back into the box's own range, so that the editor itself only ever stores values
// of that range.
class Camera_Settings_Marks {
public:
    struct Range {
        double minimum = 0.0;
        double maximum = 0.0;
    };

    // The ranges the boxes have now are their own.
    void addBox(QSpinBox* box);
    void addBox(QDoubleSpinBox* box);
    // Shows the value as it is, without signals; one outside the box's own range is marked.
    void showValue(QSpinBox* box, double value);
    void showValue(QDoubleSpinBox* box, double value);
    // The value an edit of the box stores: held to the box's own range, which the box gets
    // back, without signals.
    int takeValue(QSpinBox* box, int value);
    double takeValue(QDoubleSpinBox* box, double value);

    // A display whose value lies outside minimum to maximum (outside false removes the mark).
    void setOutOfRange(QWidget* display, bool outside, const QString& minimum, const QString& maximum);
    void setRefused(QWidget* display, const QString& parameter, const QString& value, const QString& why);
    void clearRefused();

    static bool isMarked(const QWidget* display);

private:
    template <typename Box>
    void show(Box* box, double value);
    template <typename Box, typename Value>
    Value take(Box* box, Value value);
    void apply(QWidget* display);

    QHash<QAbstractSpinBox*, Range> m_ranges;
    QHash<QWidget*, QString> m_outOfRange;
    QHash<QWidget*, QString> m_refused;
};
