// The rows a preview shows for a plan (ExecPlan.h): one per source of every
// request with its target and what the shell will meet there, then the
// entries left out and the specifications that match nothing; their totals
// and their text for the clipboard and for CSV files. Plain functions over
// the plan and what a disk query says about the paths.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ExecPlan.h"

enum class PlanOutcome
{
    NewTarget,      // nothing is there yet
    Replaces,       // an existing file is replaced
    Merges,         // a folder goes into an existing folder of its name
    RenamedCopy,    // the target exists; "Rename duplicates" gives a new name
    Deleted,        // deleted for good
    Recycled,       // moved to the Recycle Bin
    SourceMissing,  // the shell will find no such source
    NothingMatches, // a specification that matched nothing
    LeftOut,        // left out of the requests (see the row's reason)
    Pending,        // found while the plan is being made; its request is not put together yet
};

struct PathFacts
{
    bool exists = false;
    bool folder = false;
    ULONGLONG size = 0;
};

// The disk as the rows see it: the facts of one path, and the entries a
// name with wildcards matches in its folder (full paths with their facts).
struct PlanDisk
{
    std::function<PathFacts(const std::wstring &path)> facts;
    std::function<std::vector<std::pair<std::wstring, PathFacts>>(const std::wstring &pattern,
                                                                  bool filesOnly)>
        matches;
};
// The disk through FindFirstFile.
PlanDisk SystemDisk();

struct PlanRow
{
    UINT func = 0; // the request's FO_ code, or the command's for rows outside requests
    std::wstring source;
    std::wstring target;
    PlanOutcome outcome = PlanOutcome::NewTarget;
    LeftOutReason reason = LeftOutReason::TooLong; // for LeftOut rows
    bool folder = false;
    bool sized = false; // files have a size, folders and missing entries none
    ULONGLONG size = 0;
};

struct PlanTotals
{
    size_t files = 0;
    size_t folders = 0;
    ULONGLONG bytes = 0;
    size_t replaced = 0; // replaced, merged into or renamed on collision
    size_t missing = 0;  // missing sources and specifications matching nothing
    size_t leftOut = 0;
};

// The shell's function code for a stored action (FO_MOVE for Move and
// MoveRename, and so on).
UINT PlanFunc(DWORD storedAction);

// The rows of requests [first, last) of `plan`, one per source; a source
// with wildcards gives a row per entry it matches now.
std::vector<PlanRow> RequestRows(const ExecPlan &plan, size_t first, size_t last,
                                 const PlanDisk &disk);
// The rows of the entries left out and the specifications that matched
// nothing, shown with the command's function code.
std::vector<PlanRow> NoteRows(const ExecPlan &plan, UINT commandFunc);
// Provisional rows of entries the expansion found (ExecPlan::found): the
// source as found, no target and no size. They stand for the rows of the
// request that will hold the entries until it is recorded.
std::vector<PlanRow> PendingRows(const StringArray &entries, UINT commandFunc);
// All rows: the requests' in order, then the notes'.
std::vector<PlanRow> PlanRows(const ExecPlan &plan, UINT commandFunc, const PlanDisk &disk);

// Pending rows are not counted: nothing is known yet of what they come to.
void AddToTotals(PlanTotals &totals, const PlanRow &row);

// The texts of a row's columns: Action, Source, Target, What happens,
// Size (bytes, empty for folders and missing entries).
struct PlanTexts
{
    std::function<std::wstring(UINT func)> action;
    std::function<std::wstring(const PlanRow &row)> outcome;
};
enum
{
    PLAN_COLUMNS = 5
};
std::vector<std::wstring> RowColumns(const PlanRow &row, const PlanTexts &texts);

// Tab-separated lines (tabs and line breaks inside a field become spaces),
// each ending in CR LF, with the column names first when `header` is given.
std::wstring TabText(const std::vector<PlanRow> &rows, const PlanTexts &texts,
                     const std::vector<std::wstring> *header);
// One CSV field: quoted when it holds a comma, a quote, a line break or
// leading or trailing spaces, quotes doubled.
std::wstring CsvField(const std::wstring &field);
// The CSV text: header line, then one line per row, CR LF after each.
std::wstring CsvText(const std::vector<PlanRow> &rows, const PlanTexts &texts,
                     const std::vector<std::wstring> &header);
// UTF-8 with a byte order mark, as spreadsheet programs read it.
std::string Utf8WithBom(const std::wstring &text);
