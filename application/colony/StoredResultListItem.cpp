#include "StoredResultListItem.h"

#include "NumericSortTreeWidgetItem.h"

#include <QBrush>
#include <QColor>
#include <QTreeWidget>

QTreeWidgetItem* StoredResultListItem::addTo(QTreeWidget* list) const
{
    auto* item = new NumericSortTreeWidgetItem(list);
    item->setData(0, Qt::UserRole, id);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setText(0, QString::asprintf("%ld", long(id)));
    item->setText(1, created.toString(QStringLiteral("yyyy.MM.dd hh:mm:ss")));
    item->setText(2, barcode);
    item->setText(3, description);
    item->setText(4, pictureFile);
    item->setText(5, QStringLiteral("%1 (%2)").arg(errorCode).arg(Errors::getErrorText(errorCode)));
    for (int c = 1; c <= 5; ++c)
        item->setToolTip(c, item->text(c));
    if (errorCode != 0) {
        const QBrush errorBrush(QColor(Qt::red).lighter(150));
        for (int c = 0; c < list->columnCount(); ++c)
            item->setBackground(c, errorBrush);
    }
    return item;
}
