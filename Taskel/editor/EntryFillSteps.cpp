// The fill steps' decisions.
#include "EntryFillSteps.h"

#include <climits>

int FirstFillRows(bool descriptionView, int topRow)
{
    if (!descriptionView) return INT_MAX;
    return kFillFirstRows + (topRow > 0 ? topRow : 0);
}

bool FillStepReady(bool sheetShown, bool listDrawn, int waits)
{
    return sheetShown && (listDrawn || waits > kFillDrawWaits);
}

UINT FillStepInterval(bool listDrawn)
{
    return listDrawn ? 10 : 50;
}

int SelectionAfterFill(int before, int now, int rowCount)
{
    if (before >= 0 && before < rowCount) return now != before ? before : -1;
    return now < 0 ? 0 : -1;
}
