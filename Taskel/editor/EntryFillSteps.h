// How an entry list of the command page is filled, as plain decisions.
// Describing a source takes about a millisecond, so the description list
// of a long command is filled in steps: the rows in sight at once, the
// others on the fill timer once the sheet shows and the list has drawn its
// first rows, each step for a short time, so the sheet paints and takes
// input before a thousand rows are described.
#pragma once

#include <windows.h>

// Rows set at once past the list's top row, and how long a later step
// describes rows before the sheet takes input again.
constexpr int kFillFirstRows = 40;
constexpr DWORD kFillStepMs = 25;
// Timer ticks a step waits for the list's first drawing before it goes on
// all the same.
constexpr int kFillDrawWaits = 20;

// The rows the first step sets: every row in the specification view (a
// list view fills fast), in the description view those in sight from the
// top row on.
int FirstFillRows(bool descriptionView, int topRow);

// Whether a later step may set rows: the sheet shows and the list has
// drawn, or the step has waited `waits` ticks, more than kFillDrawWaits.
bool FillStepReady(bool sheetShown, bool listDrawn, int waits);

// The interval until the next step: a hidden sheet waits for its modal
// loop to go idle before it shows, and a busy timer would keep it from
// that, so steps are slow until the list has drawn.
UINT FillStepInterval(bool listDrawn);

// The row to select after a fill changed the rows: the row selected before
// when it is still there but lost its selection, row 0 when none is
// selected, otherwise -1 (the selection stays as it is).
int SelectionAfterFill(int before, int now, int rowCount);
