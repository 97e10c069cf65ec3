#pragma once

#include "Camera_LiveView_Aids.h"

#include <QList>
#include <QString>

class QGroupBox;
class QLabel;
class QSlider;

// The panel of one set-up aid in the live view and the aid's state: whether it is shown
// (evaluated on every picture), whether it has a result since it was opened, and that
// result. It fills its bar display and number labels; the live view decides when.
class Camera_LiveView_AidPanel {
public:
    // Threshold: focus and homogeneity, whose scale ends at the threshold (green on the
    // right). Centre: the aperture, green about the centre value.
    enum class Scale { Threshold, Centre };

    // Widgets of the form, not owned; those an aid does not have stay null.
    struct Widgets {
        QGroupBox* panel = nullptr;
        QList<QGroupBox*> settingsGroups;
        QSlider* slider = nullptr;
        QSlider* sliderMaximum = nullptr;
        QLabel* value = nullptr;
        QLabel* maximum = nullptr;
        QLabel* lowerLimit = nullptr;
        QLabel* upperLimit = nullptr;
    };

    Camera_LiveView_AidPanel(Scale scale, const QString& overlayPrefix, const Widgets& widgets);

    // Style sheet of the current-value bar with its handle in that colour.
    static QString IndicatorStyleSheet(Scale scale, const QString& color);

    const QString& overlayPrefix() const { return m_overlayPrefix; }
    const Widgets& widgets() const { return m_widgets; }
    bool isShown() const { return m_shown; }
    bool isFresh() const { return m_fresh; }
    const Camera_LiveView_Aids::Result& result() const { return m_result; }

    // Opened by its button or the automation interface: display reset, maximum 0, shown, no
    // result yet. The settings groups are shown only when asked.
    void open(bool showSettings);
    // Evaluation off; the panel is hidden when asked.
    void close(bool hidePanel);
    // Labels empty, bars at 0, handle white, no result yet; shown and maximum stay.
    void resetDisplay();
    void showResult(const Camera_LiveView_Aids::Result& result);
    void setIndicatorColor(const QString& color);

private:
    Scale m_scale;
    QString m_overlayPrefix;
    Widgets m_widgets;
    bool m_shown = false;
    bool m_fresh = false;
    Camera_LiveView_Aids::Result m_result;
};
