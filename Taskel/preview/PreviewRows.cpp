// The preview's rows as plain data: filters, the shown rows and their
// totals, the progress and totals lines, and the slices of a request.
#include "PreviewRows.h"

#include <algorithm>

#include "PreviewResources.h"
#include "TaskelStrings.h"

bool ShowsRow(PreviewFilter filter, const PlanRow &row)
{
    switch (filter)
    {
    case PreviewFilter::All:
        return true;
    // Provisional rows belong to no group until their request is known.
    case PreviewFilter::New:
        return row.outcome == PlanOutcome::NewTarget;
    case PreviewFilter::Replaced:
        return row.outcome == PlanOutcome::Replaces || row.outcome == PlanOutcome::RenamedCopy ||
               row.outcome == PlanOutcome::Merges;
    case PreviewFilter::Deleted:
        return row.outcome == PlanOutcome::Deleted || row.outcome == PlanOutcome::Recycled;
    case PreviewFilter::Missing:
        return row.outcome == PlanOutcome::SourceMissing ||
               row.outcome == PlanOutcome::NothingMatches;
    case PreviewFilter::LeftOut:
        return row.outcome == PlanOutcome::LeftOut;
    }
    return false;
}

UINT FilterStringId(PreviewFilter filter)
{
    static const UINT ids[PREVIEW_FILTERS] = {IDS_PREVIEW_SHOW_ALL,      IDS_PREVIEW_SHOW_NEW,
                                              IDS_PREVIEW_SHOW_REPLACED, IDS_PREVIEW_SHOW_DELETED,
                                              IDS_PREVIEW_SHOW_MISSING,  IDS_PREVIEW_SHOW_LEFT_OUT};
    const int index = static_cast<int>(filter);
    return index >= 0 && index < PREVIEW_FILTERS ? ids[index] : IDS_PREVIEW_SHOW_ALL;
}

size_t CPreviewRows::Add(std::vector<PlanRow> &&rows)
{
    size_t changed = m_shown.size();
    m_rows.reserve(m_rows.size() + rows.size());
    for (PlanRow &row : rows)
    {
        if (row.outcome == PlanOutcome::Pending)
            ++m_pending;
        else
        {
            if (m_pending) changed = std::min(changed, DropPending());
            AddToTotals(m_totals, row);
        }
        if (ShowsRow(m_filter, row)) m_shown.push_back(m_rows.size());
        m_rows.push_back(std::move(row));
    }
    rows.clear();
    return changed;
}

size_t CPreviewRows::DropPending()
{
    // Provisional rows are not in the totals: nothing to take back there.
    m_rows.resize(m_rows.size() - m_pending);
    m_pending = 0;
    while (!m_shown.empty() && m_shown.back() >= m_rows.size())
        m_shown.pop_back();
    return m_shown.size();
}

void CPreviewRows::SetFilter(PreviewFilter filter)
{
    m_filter = filter;
    m_shown.clear();
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (ShowsRow(filter, m_rows[i])) m_shown.push_back(i);
}

std::vector<PlanRow> CPreviewRows::ShownRows() const
{
    std::vector<PlanRow> rows;
    rows.reserve(m_shown.size());
    for (size_t index : m_shown)
        if (m_rows[index].outcome != PlanOutcome::Pending) rows.push_back(m_rows[index]);
    return rows;
}

std::vector<PlanRow> CPreviewRows::ShownRows(const std::vector<size_t> &indices) const
{
    std::vector<PlanRow> rows;
    rows.reserve(indices.size());
    for (size_t index : indices)
        if (index < m_shown.size() && m_rows[m_shown[index]].outcome != PlanOutcome::Pending)
            rows.push_back(m_rows[m_shown[index]]);
    return rows;
}

std::wstring InsertTexts(const std::wstring &format, const std::vector<std::wstring> &inserts)
{
    std::wstring text;
    text.reserve(format.size());
    for (size_t i = 0; i < format.size(); ++i)
    {
        const wchar_t next = i + 1 < format.size() ? format[i + 1] : L'\0';
        if (format[i] == L'%' && next >= L'1' && next <= L'9' &&
            static_cast<size_t>(next - L'1') < inserts.size())
        {
            text += inserts[static_cast<size_t>(next - L'1')];
            ++i;
            continue;
        }
        text += format[i];
    }
    return text;
}

std::wstring ProgressText(bool filling, size_t rows, size_t shown, size_t pending)
{
    const std::wstring count = std::to_wstring(rows);
    if (filling && pending)
        return InsertTexts(LoadTaskelString(IDS_PREVIEW_LOOKING_PENDING),
                           {count, std::to_wstring(pending)});
    if (filling) return InsertTexts(LoadTaskelString(IDS_PREVIEW_LOOKING), {count});
    if (shown == rows) return InsertTexts(LoadTaskelString(IDS_PREVIEW_FINISHED), {count});
    return InsertTexts(LoadTaskelString(IDS_PREVIEW_FINISHED_SHOWING),
                       {count, std::to_wstring(shown)});
}

std::wstring TotalsText(const PlanTotals &totals)
{
    return InsertTexts(LoadTaskelString(IDS_PREVIEW_TOTALS),
                       {std::to_wstring(totals.files), std::to_wstring(totals.folders),
                        std::to_wstring(totals.bytes), std::to_wstring(totals.replaced),
                        std::to_wstring(totals.missing), std::to_wstring(totals.leftOut)});
}

std::vector<PlannedRequest> SliceRequest(const PlannedRequest &request, size_t size)
{
    const size_t count = request.from.size();
    if (size < 2) size = 2;
    if (count <= size) return {request};
    const bool pairs = (request.flags & FOF_MULTIDESTFILES) && request.to.size() == count;
    std::vector<PlannedRequest> slices;
    for (size_t first = 0; first < count;)
    {
        size_t last = first + size < count ? first + size : count;
        // A single source left over goes with the slice before it.
        if (count - last == 1) last = count;
        PlannedRequest slice{request.func, request.flags, {}, {}};
        slice.from.assign(request.from.begin() + static_cast<std::ptrdiff_t>(first),
                          request.from.begin() + static_cast<std::ptrdiff_t>(last));
        if (pairs)
            slice.to.assign(request.to.begin() + static_cast<std::ptrdiff_t>(first),
                            request.to.begin() + static_cast<std::ptrdiff_t>(last));
        else
            slice.to = request.to;
        slices.push_back(std::move(slice));
        first = last;
    }
    return slices;
}
