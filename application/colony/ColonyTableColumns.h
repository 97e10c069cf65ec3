#pragma once

#include <QList>
#include <QString>

class QTreeWidget;

// The 27 columns of the good and the rejected colony table: their headers, which colour
// model shows which of them, and the width a column had when it was hidden, so that showing
// it again gives it back.
class ColonyTableColumns {
public:
    struct ColumnInfo {
        int index = -1;
        QString header;
        // Shown with colour model 0, 2, 1, shown in the rejected table.
        bool colorModel0 = false;
        bool colorModel2 = false;
        bool colorModel1 = false;
        bool rejected = true;
        int widthGood = 0;
        int widthRejected = 0;
    };

    ColonyTableColumns();

    const QList<ColumnInfo>& columns() const { return m_columns; }

    // Column count, header labels and header tool tips of a colony table.
    void setHeaders(QTreeWidget* table) const;

    // A colour model outside 0 to 2 hides nothing.
    static bool hiddenInGood(const ColumnInfo& column, int colorModel);
    static bool hiddenInRejected(const ColumnInfo& column, int colorModel);

    // Hides and shows the columns of both tables for a colour model; a column that is hidden
    // keeps its width for the next time it is shown.
    void applyVisibility(int colorModel, QTreeWidget* good, QTreeWidget* rejected);

    // The width a column of the good or the rejected table had before it was hidden; 0 when
    // it has none.
    int rememberedWidth(int column, bool rejectedTable) const;

private:
    QList<ColumnInfo> m_columns;
};
