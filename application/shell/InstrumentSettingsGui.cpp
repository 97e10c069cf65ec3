#include "InstrumentSettingsGui.h"

#include "ui_InstrumentSettingsGui.h"

#include "InstrumentSettings.h"
#include "MessageBox_Helper.h"
#include "NoEditDelegate.h"

#include <cmath>

InstrumentSettingsGui::InstrumentSettingsGui(InstrumentSettings* settings, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui_InstrumentSettingsGui>())
    , m_settings(settings)
{
    ui->setupUi(this);
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("InstrumentSettingsGui"));
    connect(ui->m_okButton, SIGNAL(clicked()), this, SLOT(slot_accepted()));
    connect(ui->m_cancelButton, SIGNAL(clicked()), this, SLOT(slot_rejected()));

    for (int channel = 1; channel <= InstrumentSettings::ChannelCount; ++channel) {
        auto* item = new QTreeWidgetItem(ui->m_offsetsTabel);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        item->setText(0, QString::number(channel));
        item->setText(1, QStringLiteral("%1").arg(m_settings->channelOffsetX_mm[channel - 1]));
        item->setText(2, QStringLiteral("%1").arg(m_settings->channelOffsetY_mm[channel - 1]));
    }
    ui->m_offsetsTabel->setItemDelegateForColumn(0, new NoEditDelegate(this));
}

InstrumentSettingsGui::~InstrumentSettingsGui() = default;

void InstrumentSettingsGui::slot_accepted()
{
    double x[InstrumentSettings::ChannelCount];
    double y[InstrumentSettings::ChannelCount];
    for (int row = 0; row < InstrumentSettings::ChannelCount; ++row) {
        const QTreeWidgetItem* item = ui->m_offsetsTabel->topLevelItem(row);
        for (int column = 1; column <= 2; ++column) {
            const QString text = item ? item->text(column) : QString();
            bool ok = false;
            const double value = text.toDouble(&ok);
            // "inf" and "nan" convert, but are no place a channel can go to.
            if (!ok || !std::isfinite(value)) {
                MessageBox_Helper::critical(this, tr("Instrument Settings Error"),
                                            tr("Failed to convert string to number \"%1\"!").arg(text));
                return;
            }
            if (!InstrumentSettings::isReachableOffset(value)) {
                MessageBox_Helper::critical(this, tr("Instrument Settings Error"),
                                            tr("The offset \"%1\" of channel %2 lies beyond %3 mm either way!")
                                                .arg(text)
                                                .arg(row + 1)
                                                .arg(InstrumentSettings::MaximumOffset_mm));
                return;
            }
            (column == 1 ? x : y)[row] = value;
        }
    }
    std::copy(std::begin(x), std::end(x), std::begin(m_settings->channelOffsetX_mm));
    std::copy(std::begin(y), std::end(y), std::begin(m_settings->channelOffsetY_mm));
    accept();
}

void InstrumentSettingsGui::slot_rejected()
{
    reject();
}
