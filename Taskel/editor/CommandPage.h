// The command page of the edit sheet, as the edit flow sees it: one call
// that makes the page for a command file and loads the command into it.
// The page itself (its lists, options and saving) lives beside this
// declaration; until it is complete a placeholder page stands in.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class CTaskel;
class CPropertyPageExEx;
class CTaskelPropPage;

// Creates the command page bound to the command file `path` (its caption
// from the file name) and loads the command from the file into `command`,
// of which the page keeps its own reference. A read-only page never
// writes. On success `page` holds the page, to be added to a sheet and
// freed by the caller after the sheet has ended; on failure the result is
// the load's failing result and `page` stays empty.
HRESULT CreateCommandPage(const std::wstring &path, CTaskel &command, bool readOnly,
                          std::unique_ptr<CPropertyPageExEx> &page);

// The shell's way to the command page: a page bound to the command file
// `path` (already a full command file path) that loads a command object of
// its own. `created` tells whether a page was made at all; on a failing
// load the page is destroyed again and `page` stays empty.
HRESULT OpenCommandPage(const std::wstring &path, std::unique_ptr<CTaskelPropPage> &page,
                        bool &created);
