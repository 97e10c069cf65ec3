#pragma once

#include "ColonyEditorModel.h"
#include "Errors.h"
#include "ImageColony.h"

#include <QList>

// The page's side of an accepted colony edit: what changed between the rack handed to the
// editor and the rack it gave back, and that change applied to plain per-container colony
// lists. Only colonies whose pick order changed are marked as edited by the user; an OK
// without an edit changes nothing.
class ColonyEditApply {
public:
    struct PickOrderChange {
        int pageIndex = -1;
        qint32 pickingOrder = 0;
    };

    struct ContainerChange {
        qint32 nextColonyNumber = 0;
        // Colonies from the page whose pick order differs from the one they were handed in with.
        QList<PickOrderChange> pickOrders;
        // Colonies added in the editor, in their edited pick order.
        QList<ColonyEditorModel::EditColony> added;
        // Page indexes of removed colonies, ascending and without repeats; the page removes
        // them from the last to the first so the earlier indexes stay valid.
        QList<int> removedPageIndexes;
    };

    // Application code for an edited rack that does not belong to the rack handed in.
    static constexpr Errors::Type_Error ErrorMismatch = 3;

    // before: the record the page built for the editor; after: the editor's record after OK.
    // 3 (and an empty list) when the container counts differ or a page index of the edited
    // rack was not handed in.
    static Errors::Type_Error changes(const ColonyEditorModel::EditRack& before,
                                      const ColonyEditorModel::EditRack& after, QList<ContainerChange>& result);

    // Applies the changes to the page's colony lists (one per container) and colony counts.
    // Every index is checked before anything is written: on 3 nothing has changed.
    static Errors::Type_Error apply(const QList<ContainerChange>& changes, QList<QList<ImageColony>>& colonies,
                                    QList<qint32>& colonyCounts);

    // The page's colony record of a colony added in the editor.
    static ImageColony toImageColony(const ColonyEditorModel::EditColony& colony);
};
