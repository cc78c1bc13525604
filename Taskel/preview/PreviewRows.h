// What the preview window shows, as plain data: the outcome groups of its
// "Show:" box, the rows it holds with the indices of those shown and their
// totals, the texts of its progress and totals lines, and the slices in
// which a big request is turned into rows so that a fill can stop between
// them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "PlanRows.h"

// The entries of the "Show:" box, in their order there.
enum class PreviewFilter
{
    All,
    New,      // nothing at the target yet
    Replaced, // replaced, renamed on collision or merged into a folder
    Deleted,  // deleted or recycled
    Missing,  // missing sources and specifications that match nothing
    LeftOut,
};
constexpr int PREVIEW_FILTERS = 6;

bool ShowsRow(PreviewFilter filter, const PlanRow &row);
// The string number of a filter's name in the box.
UINT FilterStringId(PreviewFilter filter);

// The rows received so far, the ones the filter shows (in order) and the
// totals of all of them. Provisional rows (PlanOutcome::Pending) are kept
// after all others: the first other row added after them takes their place,
// so that a request's rows replace the entries found for it.
class CPreviewRows
{
  public:
    // Adds `rows` in order; the result is the first shown index whose row
    // changed or went away (ShownCount() before the call when rows were only
    // appended): a list showing the rows redraws and deselects from there.
    size_t Add(std::vector<PlanRow> &&rows);
    // Removes the provisional rows (the plan ended without their request);
    // the result as for Add.
    size_t DropPending();
    void SetFilter(PreviewFilter filter);
    PreviewFilter Filter() const { return m_filter; }

    size_t Count() const { return m_rows.size(); }
    size_t PendingCount() const { return m_pending; }
    size_t ShownCount() const { return m_shown.size(); }
    // The shown row at `index` (< ShownCount()).
    const PlanRow &Shown(size_t index) const { return m_rows[m_shown[index]]; }
    // The shown rows of the plan, for the clipboard and CSV files:
    // provisional rows are no part of it and are left out.
    std::vector<PlanRow> ShownRows() const;
    // The same of the given shown indices (those out of range are skipped).
    std::vector<PlanRow> ShownRows(const std::vector<size_t> &indices) const;
    // Totals of the rows other than provisional ones.
    const PlanTotals &Totals() const { return m_totals; }

  private:
    std::vector<PlanRow> m_rows;
    std::vector<size_t> m_shown;
    size_t m_pending = 0; // provisional rows at the end of m_rows
    PreviewFilter m_filter = PreviewFilter::All;
    PlanTotals m_totals;
};

// `format` with "%1" ... "%9" replaced by the inserts in order.
std::wstring InsertTexts(const std::wstring &format, const std::vector<std::wstring> &inserts);
// The progress line: still looking with the rows so far (and how many of
// them are provisional), or the rows found (and how many are shown when
// the filter hides some).
std::wstring ProgressText(bool filling, size_t rows, size_t shown, size_t pending = 0);
std::wstring TotalsText(const PlanTotals &totals);

// Pieces of `request` of about `size` sources each. RequestRows reads each
// piece as it reads the whole: paired targets are cut with their sources,
// a shared target stays whole, and no piece of a request of several
// sources holds a single source (which would read as a request of one).
std::vector<PlannedRequest> SliceRequest(const PlannedRequest &request, size_t size);
