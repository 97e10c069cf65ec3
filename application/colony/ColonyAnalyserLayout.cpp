#include "ColonyAnalyserLayout.h"
#include "ui_ColonyAnalyserGui.h"

#include "ColonyTableColumns.h"

#include <QSettings>
#include <QSplitter>
#include <QTreeWidget>

#include <array>
#include <utility>

namespace {

const char* const kSettingsOrganization = "Varnholt Selvanz AG";
const char* const kSettingsApplication = "Zelvorin";

QSettings store()
{
    return QSettings(QString::fromLatin1(kSettingsOrganization), QString::fromLatin1(kSettingsApplication));
}

// Group of each table in the store; the two colony tables come first.
std::array<std::pair<const char*, QTreeWidget*>, 4> tableGroups(const Ui::ColonyAnalyserGui& form)
{
    return {{{"TableColonies", form.m_ColoniesTable},
             {"TableColoniesRejected", form.m_RejectedColoniesTable},
             {"TableReferencePointsPositions", form.m_ReferencePointsPositions},
             {"TableReferencePointsMetrics", form.m_ReferencePointsMetrics}}};
}

QString columnKey(int column)
{
    return QStringLiteral("%1").arg(column);
}

} // namespace

void ColonyAnalyserLayout::restore(const Ui::ColonyAnalyserGui& form)
{
    QSettings settings = store();
    settings.beginGroup(QStringLiteral("ColonyAnalyserGui"));
    form.m_QSplitter_Colonies->restoreState(settings.value(QStringLiteral("ColoniesSplitter")).toByteArray());
    form.m_QSplitter_ReferencePoints->restoreState(
        settings.value(QStringLiteral("ReferencePointsSpliter")).toByteArray());
    settings.endGroup();
    for (const auto& [group, table] : tableGroups(form)) {
        settings.beginGroup(QLatin1String(group));
        for (int i = 0; i < table->columnCount(); ++i) {
            const int width = settings.value(columnKey(i), -1).toInt();
            if (width > 0)
                table->setColumnWidth(i, width);
        }
        settings.endGroup();
    }
}

void ColonyAnalyserLayout::save(const Ui::ColonyAnalyserGui& form, const ColonyTableColumns& columns)
{
    QSettings settings = store();
    settings.beginGroup(QStringLiteral("ColonyAnalyserGui"));
    settings.setValue(QStringLiteral("ColoniesSplitter"), form.m_QSplitter_Colonies->saveState());
    settings.setValue(QStringLiteral("ReferencePointsSpliter"), form.m_QSplitter_ReferencePoints->saveState());
    settings.endGroup();
    const auto groups = tableGroups(form);
    for (size_t g = 0; g < groups.size(); ++g) {
        QTreeWidget* table = groups[g].second;
        const bool colonyTable = g < 2;
        settings.beginGroup(QLatin1String(groups[g].first));
        for (int i = 0; i < table->columnCount(); ++i) {
            int width = table->isColumnHidden(i) ? 0 : table->columnWidth(i);
            if (width <= 0 && colonyTable) {
                const int remembered = columns.rememberedWidth(i, g == 1);
                if (remembered != 0)
                    width = remembered;
            }
            if (width > 0)
                settings.setValue(columnKey(i), width);
        }
        settings.endGroup();
    }
}
