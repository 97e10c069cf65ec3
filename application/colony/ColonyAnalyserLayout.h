#pragma once

class ColonyTableColumns;
class QSplitter;
class QTreeWidget;

// The page's splitter states and table column widths in the platform settings store, read
// when the page is built and written when it goes.
class ColonyAnalyserLayout {
public:
    struct Widgets {
        QSplitter* coloniesSplitter = nullptr;
        QSplitter* referencePointsSplitter = nullptr;
        QTreeWidget* goodColonies = nullptr;
        QTreeWidget* rejectedColonies = nullptr;
        QTreeWidget* referencePoints = nullptr;
        QTreeWidget* metrics = nullptr;
    };

    // A stored width of 0 or less leaves the column as it is.
    static void restore(const Widgets& widgets);
    // Only widths above 0 are written; a hidden colony column stores the width it had before
    // it was hidden.
    static void save(const Widgets& widgets, const ColonyTableColumns& columns);
};
