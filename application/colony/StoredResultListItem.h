#pragma once

#include "Errors.h"

#include <QDateTime>
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

// One stored result (a rack or a stitcher result) as a row of a results browser's list:
// identifier (also as item data under the user role), creation time, barcode, description,
// picture file and "code (text)"; a failed result on a light red background.
struct StoredResultListItem {
    int id = -1;
    QDateTime created;
    QString barcode;
    QString description;
    QString pictureFile;
    Errors::Type_Error errorCode = 0;

    QTreeWidgetItem* addTo(QTreeWidget* list) const;
};
