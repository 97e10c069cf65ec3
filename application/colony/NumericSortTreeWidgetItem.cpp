#include "NumericSortTreeWidgetItem.h"

#include <QTreeWidget>

NumericSortTreeWidgetItem::NumericSortTreeWidgetItem(QTreeWidget* parent)
    : QTreeWidgetItem(parent, QTreeWidgetItem::Type)
{
}

NumericSortTreeWidgetItem::NumericSortTreeWidgetItem(QTreeWidgetItem* parent)
    : QTreeWidgetItem(parent, QTreeWidgetItem::Type)
{
}

bool NumericSortTreeWidgetItem::operator<(const QTreeWidgetItem& other) const
{
    const QTreeWidget* tree = treeWidget();
    const int column = tree ? tree->sortColumn() : 0;
    const QString a = text(column);
    const QString b = other.text(column);
    double numberA = 0.0;
    double numberB = 0.0;
    if (toNumber(a, numberA) && toNumber(b, numberB))
        return numberA < numberB;
    return QString::localeAwareCompare(a, b) < 0;
}

bool NumericSortTreeWidgetItem::toNumber(const QString& text, double& value)
{
    bool ok = false;
    const int n = leadingNumberLength(text);
    value = n >= 1 ? text.left(n).toDouble(&ok) : text.toDouble(&ok);
    return ok;
}

int NumericSortTreeWidgetItem::leadingNumberLength(const QString& text)
{
    int n = 0;
    while (n < text.size() && (text.at(n) == QLatin1Char('.') || text.at(n).isNumber()))
        ++n;
    if (n == text.size())
        return n;
    if (text.at(n).isSpace())
        return n;
    return 0;
}

void ResizeTreeWidgetColumnsToContents(QTreeWidget* tree)
{
    if (!tree)
        return;
    tree->setSortingEnabled(false);
    for (int i = 0; i < tree->columnCount(); ++i)
        tree->resizeColumnToContents(i);
    tree->setSortingEnabled(true);
}
