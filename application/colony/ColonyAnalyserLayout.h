#pragma once

class ColonyTableColumns;

namespace Ui {
class ColonyAnalyserGui;
}

// The Colony Analyser page's splitter states and table column widths in the platform
// settings store, read when the page is built and written when it goes.
class ColonyAnalyserLayout {
public:
    // A stored width of 0 or less leaves the column as it is.
    static void restore(const Ui::ColonyAnalyserGui& form);
    // Only widths above 0 are written; a hidden colony column stores the width it had before
    // it was hidden.
    static void save(const Ui::ColonyAnalyserGui& form, const ColonyTableColumns& columns);
};
