#include "Hobject_View_SelectorRows.h"

#include "ui_Hobject_View_Gui.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>

namespace {

void showRow(QWidget* container, QAbstractButton* button, QLabel* label, bool rowVisible, bool checked,
             const QString& labelText)
{
    container->setVisible(rowVisible);
    {
        const QSignalBlocker blocker(button);
        button->setChecked(checked);
    }
    label->setText(labelText);
}

} // namespace

Hobject_View_SelectorRows::Hobject_View_SelectorRows(Ui::Hobject_View_Gui& ui, const QFont& font)
{
    m_pictureRows[0] = ui.m_QWidget_HalconPicture1;
    m_pictureRows[1] = ui.m_QWidget_HalconPicture2;
    m_pictureRows[2] = ui.m_QWidget_HalconPicture3;
    m_pictureRows[3] = ui.m_QWidget_HalconPicture4;
    m_pictureRows[4] = ui.m_QWidget_HalconPicture5;
    m_pictureRows[5] = ui.m_QWidget_HalconPicture6;
    m_pictureRadios[0] = ui.m_QRadioButton_HalconPicture1;
    m_pictureRadios[1] = ui.m_QRadioButton_HalconPicture2;
    m_pictureRadios[2] = ui.m_QRadioButton_HalconPicture3;
    m_pictureRadios[3] = ui.m_QRadioButton_HalconPicture4;
    m_pictureRadios[4] = ui.m_QRadioButton_HalconPicture5;
    m_pictureRadios[5] = ui.m_QRadioButton_HalconPicture6;
    m_pictureLabels[0] = ui.m_QLabel_HalconPicture1;
    m_pictureLabels[1] = ui.m_QLabel_HalconPicture2;
    m_pictureLabels[2] = ui.m_QLabel_HalconPicture3;
    m_pictureLabels[3] = ui.m_QLabel_HalconPicture4;
    m_pictureLabels[4] = ui.m_QLabel_HalconPicture5;
    m_pictureLabels[5] = ui.m_QLabel_HalconPicture6;
    m_objectRows[0] = ui.m_QWidget_HalconObject1;
    m_objectRows[1] = ui.m_QWidget_HalconObject2;
    m_objectRows[2] = ui.m_QWidget_HalconObject3;
    m_objectRows[3] = ui.m_QWidget_HalconObject4;
    m_objectRows[4] = ui.m_QWidget_HalconObject5;
    m_objectRows[5] = ui.m_QWidget_HalconObject6;
    m_objectRows[6] = ui.m_QWidget_HalconObject7;
    m_objectRows[7] = ui.m_QWidget_HalconObject8;
    m_objectRows[8] = ui.m_QWidget_HalconObject9;
    m_objectCheckBoxes[0] = ui.m_QCheckBox_HalconObject1;
    m_objectCheckBoxes[1] = ui.m_QCheckBox_HalconObject2;
    m_objectCheckBoxes[2] = ui.m_QCheckBox_HalconObject3;
    m_objectCheckBoxes[3] = ui.m_QCheckBox_HalconObject4;
    m_objectCheckBoxes[4] = ui.m_QCheckBox_HalconObject5;
    m_objectCheckBoxes[5] = ui.m_QCheckBox_HalconObject6;
    m_objectCheckBoxes[6] = ui.m_QCheckBox_HalconObject7;
    m_objectCheckBoxes[7] = ui.m_QCheckBox_HalconObject8;
    m_objectCheckBoxes[8] = ui.m_QCheckBox_HalconObject9;
    m_objectLabels[0] = ui.m_QLabel_HalconObject1;
    m_objectLabels[1] = ui.m_QLabel_HalconObject2;
    m_objectLabels[2] = ui.m_QLabel_HalconObject3;
    m_objectLabels[3] = ui.m_QLabel_HalconObject4;
    m_objectLabels[4] = ui.m_QLabel_HalconObject5;
    m_objectLabels[5] = ui.m_QLabel_HalconObject6;
    m_objectLabels[6] = ui.m_QLabel_HalconObject7;
    m_objectLabels[7] = ui.m_QLabel_HalconObject8;
    m_objectLabels[8] = ui.m_QLabel_HalconObject9;

    QFont labelFont = font;
    if (labelFont.pointSizeF() > 1.0)
        labelFont.setPointSizeF(labelFont.pointSizeF() - 1.0);
    for (int row = 0; row < Hobject_View_Gui::kPictureSelectorRows; ++row) {
        m_pictureLabels[row]->setFont(labelFont);
        m_pictureRows[row]->setVisible(false);
    }
    for (int row = 0; row < Hobject_View_Gui::kObjectSelectorRows; ++row) {
        m_objectLabels[row]->setFont(labelFont);
        m_objectRows[row]->setVisible(false);
    }
}

void Hobject_View_SelectorRows::showPictureSelector(int row, bool rowVisible, bool checked, const QString& labelText)
{
    showRow(m_pictureRows[row], m_pictureRadios[row], m_pictureLabels[row], rowVisible, checked, labelText);
}

void Hobject_View_SelectorRows::showObjectSelector(int row, bool rowVisible, bool checked, const QString& labelText)
{
    showRow(m_objectRows[row], m_objectCheckBoxes[row], m_objectLabels[row], rowVisible, checked, labelText);
}

void Hobject_View_SelectorRows::choosePicture(int row, bool checked)
{
    QRadioButton* radio = m_pictureRadios[row];
    if (!checked) {
        const QSignalBlocker blocker(radio);
        radio->setChecked(true);
        return;
    }
    for (int other = 0; other < Hobject_View_Gui::kPictureSelectorRows; ++other) {
        if (other != row && m_pictureRadios[other]->isChecked()) {
            const QSignalBlocker blocker(m_pictureRadios[other]);
            m_pictureRadios[other]->setChecked(false);
        }
    }
}
