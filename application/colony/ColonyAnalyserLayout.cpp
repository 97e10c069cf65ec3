#include "ColonyAnalyserLayout.h"

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
std::array<std::pair<const char*, QTreeWidget*>, 4> tableGroups(const ColonyAnalyserLayout::Widgets& widgets)
{
    return {{{"TableColonies", widgets.goodColonies},
             {"TableColoniesRejected", widgets.rejectedColonies},
             {"TableReferencePointsPositions", widgets.referencePoints},
             {"TableReferencePointsMetrics", widgets.metrics}}};
}

QString columnKey(int column)
{
    return QStringLiteral("%1").arg(column);
}

} // namespace

void ColonyAnalyserLayout::restore(const Widgets& widgets)
{
    QSettings settings = store();
    settings.beginGroup(QStringLiteral("ColonyAnalyserGui"));
    widgets.coloniesSplitter->restoreState(settings.value(QStringLiteral("ColoniesSplitter")).toByteArray());
    widgets.referencePointsSplitter->restoreState(
        settings.value(QStringLiteral("ReferencePointsSpliter")).toByteArray());
    settings.endGroup();
    for (const auto& [group, table] : tableGroups(widgets)) {
        settings.beginGroup(QLatin1String(group));
        for (int i = 0; i < table->columnCount(); ++i) {
            const int width = settings.value(columnKey(i), -1).toInt();
            if (width > 0)
                table->setColumnWidth(i, width);
        }
        settings.endGroup();
    }
}

void ColonyAnalyserLayout::save(const Widgets& widgets, const ColonyTableColumns& columns)
{
    QSettings settings = store();
    settings.beginGroup(QStringLiteral("ColonyAnalyserGui"));
    settings.setValue(QStringLiteral("ColoniesSplitter"), widgets.coloniesSplitter->saveState());
    settings.setValue(QStringLiteral("ReferencePointsSpliter"), widgets.referencePointsSplitter->saveState());
    settings.endGroup();
    const auto groups = tableGroups(widgets);
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
