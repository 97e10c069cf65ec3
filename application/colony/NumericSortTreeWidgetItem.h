#pragma once

#include <QString>
#include <QTreeWidgetItem>

class QTreeWidget;

// Row item of every result tree: a column whose texts start with a number (optionally
// followed by a blank and a unit) sorts by that number, any other column locale-aware.
class NumericSortTreeWidgetItem : public QTreeWidgetItem {
public:
    explicit NumericSortTreeWidgetItem(QTreeWidget* parent);
    explicit NumericSortTreeWidgetItem(QTreeWidgetItem* parent);

    bool operator<(const QTreeWidgetItem& other) const override;

    // The leading number of text (see leadingNumberLength), else the whole text, as double.
    static bool toNumber(const QString& text, double& value);
    // Length of the run of '.' and number characters at the start of text when it reaches
    // the end or is followed by white space; 0 otherwise.
    static int leadingNumberLength(const QString& text);
};

// Sorting off, every column fitted to its contents, sorting on again.
void ResizeTreeWidgetColumnsToContents(QTreeWidget* tree);
