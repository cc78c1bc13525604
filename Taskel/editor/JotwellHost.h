// The host side of the Jotwell settings library: AddJotwellPage creates its
// automation object by ProgID, describes this product's trace-log
// configuration through the object's dispatch properties and has it add its
// page to a running sheet, right after a reference page, through the same
// shell-extension interfaces the shell uses for handlers.
#pragma once

#include <windows.h>
#include <prsht.h>

// Puts the Jotwell settings page into `sheet` after `referencePage` (at the
// end when that page is not in the sheet) and makes it the current page
// when `select` is set; true when the page was added. False when the
// library is not registered, an interface is missing or a call fails.
bool AddJotwellPage(HWND sheet, HWND referencePage, bool select);

// Where the settings page goes (the lParam of the object's AddPages, given
// back to the insertion callback).
struct PageInsertion
{
    HWND sheet;
    HWND referencePage; // the page after which the new page goes, or none
    int index;          // zero-based index of the page added last; -1 before any
};

// The insertion callback: inserts `page` after the reference page (PSM_INSERTPAGE)
// or appends it (PSM_ADDPAGE) and records its index; the sheet's answer.
BOOL CALLBACK InsertPageAfterReference(HPROPSHEETPAGE page, LPARAM insertion);

// The callback's decisions. The position a page goes to for the reference
// page's index: -1 = append, else the index to insert at.
int InsertPosition(int referenceIndex);
// The new page's index: the sheet's answer to PSM_PAGETOINDEX, or (where the
// sheet answers -1 for every page, as Wine's does) the position it was
// inserted at, or the last index after an append.
int InsertedPageIndex(int pageToIndex, int position, int pageCount);
