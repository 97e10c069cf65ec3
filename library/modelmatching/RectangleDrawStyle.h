#pragma once

#include <QBrush>
#include <QColor>
#include <QString>

// What the template picture editor takes from its owner: the word in the template
// picture's file name, when the picture is read, and the highlight of define-model mode.
struct RectangleDrawStyle {
    enum Enum_Mode { Mode_LoadOnDemand = 1, Mode_LoadAtOnce = 2 };

    QString name;
    // Mode_LoadOnDemand: loading only checks that the file exists; the picture is read
    // when first needed. Any other value reads it at once.
    int mode = Mode_LoadOnDemand;
    // Background of the template picture group in define-model mode; transparent black
    // (0, 0, 0, 0) means no highlight.
    QBrush brush = QBrush(QColor(255, 0, 0, 80));
};
