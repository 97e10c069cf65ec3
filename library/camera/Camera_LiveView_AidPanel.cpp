#include "Camera_LiveView_AidPanel.h"

#include <QGroupBox>
#include <QLabel>
#include <QSlider>

namespace {

QString oneDecimal(double value)
{
    return QString::number(value, 'f', 1);
}

QString limitText(double value)
{
    return QLatin1Char('(') + oneDecimal(value) + QLatin1Char(')');
}

void setText(QLabel* label, const QString& text)
{
    if (label)
        label->setText(text);
}

void setValue(QSlider* slider, int value)
{
    if (slider)
        slider->setValue(value);
}

} // namespace

Camera_LiveView_AidPanel::Camera_LiveView_AidPanel(Scale scale, const QString& overlayPrefix, const Widgets& widgets)
    : m_scale(scale)
    , m_overlayPrefix(overlayPrefix)
    , m_widgets(widgets)
{
}

QString Camera_LiveView_AidPanel::IndicatorStyleSheet(Scale scale, const QString& color)
{
    const QString gradient = scale == Scale::Threshold
        ? QStringLiteral("    background: QLinearGradient(x1: 0, y1: 0, x2:1, y2: 0, stop: 0 #f00,  stop: 0.5 #f00, "
                         "stop: 0.80 #f90, stop: 0.87 #0f0, stop: 1 #0f0);")
        : QStringLiteral("    background: QLinearGradient(x1: 0, y1: 0, x2:1, y2: 0, stop: 0 #f00,  stop: 0.2 #f00, "
                         "stop: 0.42 #f90, stop: 0.5 #0f0, stop: 0.58 #f90, stop: 0.8 #f00, stop: 1 #f00);");
    return QStringLiteral("QSlider::groove:horizontal {") + QStringLiteral("    border: 1px solid #999999;")
        + QStringLiteral("    height: 40px;") + gradient + QStringLiteral("    margin: 2px 0;") + QStringLiteral("}")
        + QStringLiteral("QSlider::handle:horizontal {") + QStringLiteral("    background: ") + color
        + QStringLiteral(";") + QStringLiteral("    border: 5px solid white;") + QStringLiteral("    width: 6px;")
        + QStringLiteral("    margin: 4px 0;") + QStringLiteral("    border-radius: 5px;") + QStringLiteral("}");
}

void Camera_LiveView_AidPanel::open(bool showSettings)
{
    resetDisplay();
    if (m_widgets.panel)
        m_widgets.panel->setVisible(true);
    for (QGroupBox* group : m_widgets.settingsGroups)
        group->setVisible(showSettings);
    m_result.maximum = 0.0;
    m_shown = true;
    m_fresh = false;
}

void Camera_LiveView_AidPanel::close(bool hidePanel)
{
    if (hidePanel && m_widgets.panel)
        m_widgets.panel->setVisible(false);
    m_shown = false;
}

void Camera_LiveView_AidPanel::resetDisplay()
{
    m_fresh = false;
    setText(m_widgets.value, QString());
    setText(m_widgets.maximum, QString());
    setText(m_widgets.lowerLimit, QString());
    setText(m_widgets.upperLimit, QString());
    setValue(m_widgets.slider, 0);
    setValue(m_widgets.sliderMaximum, 0);
    setIndicatorColor(QStringLiteral("white"));
}

void Camera_LiveView_AidPanel::showResult(const Camera_LiveView_Aids::Result& result)
{
    m_result = result;
    if (m_scale == Scale::Threshold) {
        setText(m_widgets.maximum, oneDecimal(result.maximum));
        setValue(m_widgets.sliderMaximum, result.sliderMaximum);
    }
    setText(m_widgets.value, oneDecimal(result.current));
    setValue(m_widgets.slider, result.slider);
    setText(m_widgets.lowerLimit, limitText(result.lowerLimit));
    if (m_scale == Scale::Centre)
        setText(m_widgets.upperLimit, limitText(result.upperLimit));
    setIndicatorColor(result.inTolerance ? QStringLiteral("#0f0") : QStringLiteral("#f00"));
    m_fresh = true;
}

void Camera_LiveView_AidPanel::setIndicatorColor(const QString& color)
{
    if (!m_widgets.slider)
        return;
    const QString sheet = IndicatorStyleSheet(m_scale, color);
    // Restyling polishes the slider again: only when the colour changed.
    if (m_widgets.slider->styleSheet() != sheet)
        m_widgets.slider->setStyleSheet(sheet);
}
