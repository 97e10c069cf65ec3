#pragma once

#include "Gui_Helper_ScrollColumn.h"

#include <QList>

class QGroupBox;

// The aid panels below the live picture, in a column that scrolls: shown while a panel is
// open, as high as the open panels need but at most a third of the live view, so that the
// picture keeps the most of the window whatever is open.
class Camera_LiveView_AidArea : public Gui_Helper_ScrollColumn {
    Q_OBJECT
public:
    // Takes the panels out of their place into the column; liveView is the widget whose
    // height the column shares with the picture.
    Camera_LiveView_AidArea(const QList<QGroupBox*>& panels, QWidget* liveView);

    // Of the live view's height, at most this share goes to the panels.
    static constexpr int kShareDivisor = 3;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void share();

    QList<QGroupBox*> m_panels;
    QWidget* m_liveView;
};
