#pragma once

#include "ColonyAnalyserGui.h"
#include "ColonyEditorModel.h"
#include "Errors.h"

// The page's side of the colony editor: the copy of the page's rack the editor works on (good
// colonies only, each with its index in the page's colony list of its container), and an
// accepted edit applied back to the page's own rows, tables and view.
class ColonyEditApply {
public:
    // Application code for an edited record that does not belong to the page's rack.
    static constexpr Errors::Type_Error ErrorMismatch = 3;

    static ColonyEditorModel::EditRack editRack(const ColonyAnalyserGui::RackEntry& rack);

    // Per container (editor container i is page container i): the colony count becomes the
    // editor's next colony number; a colony from the page takes its edited pick order and
    // counts as edited by the user; an added colony joins the good table and the view, placed
    // in millimetres; removed colonies leave rows, table and view, the last first. Every index
    // is checked before anything is written: on 3 nothing has changed.
    static Errors::Type_Error apply(ColonyAnalyserGui& page, const ColonyEditorModel::EditRack& edited);

private:
    static bool fits(const ColonyAnalyserGui::RackEntry& rack, const ColonyEditorModel::EditRack& edited);
    static void addColony(ColonyAnalyserGui& page, int container, const ColonyEditorModel::EditColony& colony);
};
