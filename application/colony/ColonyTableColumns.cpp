#include "ColonyTableColumns.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTreeWidget>

#include <algorithm>

namespace {

void setColumnHidden(QTreeWidget* table, int column, bool hidden, int& rememberedWidth)
{
    if (hidden == table->isColumnHidden(column))
        return;
    if (hidden) {
        rememberedWidth = table->columnWidth(column);
        table->setColumnHidden(column, true);
    } else {
        table->setColumnHidden(column, false);
        if (rememberedWidth > 0)
            table->setColumnWidth(column, rememberedWidth);
    }
}

} // namespace

ColonyTableColumns::ColonyTableColumns()
{
    struct Column {
        const char* header;
        bool cm0;
        bool cm2;
        bool cm1;
        bool rejected;
    };
    // The headers are the page's texts.
    static const Column columns[] = {
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Container\nNumber"), true, true, true, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Container\nColonies"), true, true, true, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Container\nName"), true, true, true, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Pick\nOrder"), true, true, true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "X\n[px]"), true, true, true, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Y\n[px]"), true, true, true, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "X\n[mm]"), true, true, true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Y\n[mm]"), true, true, true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Area\n[mm2]"), true, true, true, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Circulairty"), true, true, true, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Neighbor\n[mm]"), true, true, true, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Margin\n[mm]"), true, true, true, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Red"), false, false, true, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Green"), false, false, true, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Blue"), false, false, true, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Weighted\nArea [%]"), true, false, true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Weighted\nCircularity [%]"), true, false, true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Weighted\nNeighbor [%]"), true, false, true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Weighted\nMargin [%]"), true, false, true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Weighted\nTotal [%]"), true, false, true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Weighted\nRed [%]"), false, false, true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Weighted\nGreen [%]"), false, false, true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Weighted\nBlue [%]"), false, false, true, false},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Hue"), false, true, false, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Saturation"), false, true, false, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Intensity"), false, true, false, true},
        {QT_TRANSLATE_NOOP("ColonyAnalyserGui", "Area\n[%]"), false, true, false, true},
    };
    int index = 0;
    for (const Column& c : columns) {
        ColumnInfo info;
        info.index = index++;
        info.header = QCoreApplication::translate("ColonyAnalyserGui", c.header);
        info.colorModel0 = c.cm0;
        info.colorModel2 = c.cm2;
        info.colorModel1 = c.cm1;
        info.rejected = c.rejected;
        m_columns.append(info);
    }
    std::sort(m_columns.begin(), m_columns.end(),
              [](const ColumnInfo& a, const ColumnInfo& b) { return a.index < b.index; });
}

void ColonyTableColumns::setHeaders(QTreeWidget* table) const
{
    QStringList headers;
    for (const ColumnInfo& column : m_columns)
        headers.append(column.header);
    table->setColumnCount(int(headers.size()));
    table->setHeaderLabels(headers);
    for (int i = 0; i < headers.size(); ++i)
        table->headerItem()->setToolTip(i, headers.at(i));
}

bool ColonyTableColumns::hiddenInGood(const ColumnInfo& column, int colorModel)
{
    switch (colorModel) {
    case 0:
        return !column.colorModel0;
    case 1:
        return !column.colorModel1;
    case 2:
        return !column.colorModel2;
    default:
        return false;
    }
}

bool ColonyTableColumns::hiddenInRejected(const ColumnInfo& column, int colorModel)
{
    return hiddenInGood(column, colorModel) || !column.rejected;
}

void ColonyTableColumns::applyVisibility(int colorModel, QTreeWidget* good, QTreeWidget* rejected)
{
    for (int i = 0; i < m_columns.size(); ++i) {
        ColumnInfo& column = m_columns[i];
        setColumnHidden(good, i, hiddenInGood(column, colorModel), column.widthGood);
        setColumnHidden(rejected, i, hiddenInRejected(column, colorModel), column.widthRejected);
    }
}

int ColonyTableColumns::rememberedWidth(int column, bool rejectedTable) const
{
    if (column < 0 || column >= m_columns.size())
        return 0;
    return rejectedTable ? m_columns.at(column).widthRejected : m_columns.at(column).widthGood;
}
