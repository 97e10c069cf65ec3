#pragma once

#include "Hobject_View_Gui.h"

#include <QString>

class QCheckBox;
class QFont;
class QLabel;
class QRadioButton;
class QWidget;

namespace Ui {
class Hobject_View_Gui;
}

// The selector rows of the viewer's form: six picture rows (container, radio button, label)
// and nine object rows (container, check box, label). A row is hidden until a selector is
// registered on it. GUI thread only.
class Hobject_View_SelectorRows {
public:
    // The form's rows; labels one point smaller than font, every row hidden.
    Hobject_View_SelectorRows(Ui::Hobject_View_Gui& ui, const QFont& font);

    QWidget* pictureRow(int row) const { return m_pictureRows[row]; }
    QRadioButton* pictureRadio(int row) const { return m_pictureRadios[row]; }
    QWidget* objectRow(int row) const { return m_objectRows[row]; }
    QCheckBox* objectCheckBox(int row) const { return m_objectCheckBoxes[row]; }

    // A selector took the row: shown as asked, the button set without a toggle, the label
    // written.
    void showPictureSelector(int row, bool rowVisible, bool checked, const QString& labelText);
    void showObjectSelector(int row, bool rowVisible, bool checked, const QString& labelText);
    // The radio button of a row was toggled: one picture is always chosen, so switching the
    // current one off does not count, and choosing one unchooses the others. No toggles are
    // sent.
    void choosePicture(int row, bool checked);

private:
    QWidget* m_pictureRows[Hobject_View_Gui::kPictureSelectorRows] = {};
    QRadioButton* m_pictureRadios[Hobject_View_Gui::kPictureSelectorRows] = {};
    QLabel* m_pictureLabels[Hobject_View_Gui::kPictureSelectorRows] = {};
    QWidget* m_objectRows[Hobject_View_Gui::kObjectSelectorRows] = {};
    QCheckBox* m_objectCheckBoxes[Hobject_View_Gui::kObjectSelectorRows] = {};
    QLabel* m_objectLabels[Hobject_View_Gui::kObjectSelectorRows] = {};
};
