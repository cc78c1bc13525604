// CEntryList: the two views of one list, its layout and its fill steps.
// The parts of the command page's body trace under the page's own source
// name.
#define TRACE_SOURCE "Taskel\\TaskelPropBase"
#include "EntryList.h"

#include <algorithm>
#include <climits>

#include "CommandBody.h"
#include "DialogControls.h"
#include "EntryFillSteps.h"
#include "FxException.h"
#include "ShellDisplayPrefs.h"
#include "TaskelClass.h"
#include "TaskelEntryText.h"
#include "TaskelStrings.h"
#include "TaskelTraceSites.h"
#include "Trace.h"
#include "resource.h"

namespace
{
struct ControlIds
{
    int specifications;
    int descriptions;
    int specificationLabel;
    int descriptionLabel;
};

ControlIds IdsOf(CEntryList::Role role)
{
    if (role == CEntryList::Role::Sources)
        return {IDC_SOURCE_LIST, IDC_SOURCE_DESCRIPTIONS, IDC_SOURCE_LABEL, IDC_SOURCE_DESC_LABEL};
    return {IDC_TARGET_LIST, IDC_TARGET_DESCRIPTIONS, IDC_TARGET_LABEL, IDC_TARGET_DESC_LABEL};
}
} // namespace

CEntryList::CEntryList(Role role, const ICommandBody &body) : m_role(role), m_body(body) {}

bool CEntryList::Attach(HWND page, HFONT font)
{
    Detach();
    const ControlIds ids = IdsOf(m_role);
    HWND specifications = ::GetDlgItem(page, ids.specifications);
    HWND descriptions = ::GetDlgItem(page, ids.descriptions);
    if (!specifications || !descriptions) return false;
    m_page = page;
    m_specifications.Attach(specifications);
    m_descriptions.Attach(descriptions, font);
    ::GetWindowRect(specifications, &m_home);
    ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT *>(&m_home), 2);
    return true;
}

void CEntryList::Detach()
{
    if (m_page) ::KillTimer(m_page, FillTimer());
    m_page = nullptr;
    m_specifications.Detach();
    m_descriptions.Detach();
}

bool CEntryList::DescriptionView()
{
    return GetShellDisplayPrefs().showDescriptions;
}

CRowList &CEntryList::Shown()
{
    if (DescriptionView()) return m_descriptions;
    return m_specifications;
}

bool CEntryList::Owns(HWND control) const
{
    return control && (control == m_specifications.Window() || control == m_descriptions.Window());
}

bool CEntryList::IsDescriptionList(HWND control) const
{
    return control && control == m_descriptions.Window();
}

CRowList *CEntryList::ListOf(HWND control)
{
    if (!control) return nullptr;
    if (control == m_specifications.Window()) return &m_specifications;
    if (control == m_descriptions.Window()) return &m_descriptions;
    return nullptr;
}

void CEntryList::ShowView(bool visible)
{
    if (!m_page) return;
    const ControlIds ids = IdsOf(m_role);
    const bool descriptions = DescriptionView();
    for (int id : {ids.specifications, ids.specificationLabel})
        CControl(m_page, id).Show(visible && !descriptions);
    for (int id : {ids.descriptions, ids.descriptionLabel})
        CControl(m_page, id).Show(visible && descriptions);
}

void CEntryList::SetLabel(const std::wstring &text)
{
    if (!m_page) return;
    const ControlIds ids = IdsOf(m_role);
    ::SetDlgItemTextW(m_page, ids.specificationLabel, text.c_str());
    ::SetDlgItemTextW(m_page, ids.descriptionLabel, text.c_str());
}

void CEntryList::Place(const RECT &r)
{
    for (HWND list : {m_specifications.Window(), m_descriptions.Window()})
        if (list) ::MoveWindow(list, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

int CEntryList::Selection()
{
    return m_page ? Shown().Selection() : -1;
}

void CEntryList::Select(int row)
{
    if (m_page) Shown().Select(row);
}

const std::vector<std::wstring> &CEntryList::Entries() const
{
    static const std::vector<std::wstring> none;
    CTaskel *command = m_body.Document();
    if (m_role == Role::Sources) return command ? command->GetSources() : none;
    m_targetRow.assign(1, command ? command->GetTarget() : std::wstring());
    return m_targetRow;
}

std::wstring CEntryList::RowText(const std::wstring &entry) const
{
    CTaskel *command = m_body.Document();
    if (DescriptionView())
        return DescriptionMarkup(entry, m_body.CommandFolder(), command ? command->GetAction() : 0);
    return SpecDisplayText(entry, m_body.CommandFolder());
}

void CEntryList::ShowEntry(int row, const std::wstring &entry)
{
    if (m_page) Shown().SetRow(row, RowText(entry));
}

std::wstring CEntryList::SelectedEntry(HWND control)
{
    CTaskel *command = m_body.Document();
    if (!command) return std::wstring();
    if (m_role == Role::Target) return command->GetTarget();
    CRowList *list = ListOf(control);
    std::wstring entry;
    command->GetSource(list ? list->Selection() : -1, entry);
    return entry;
}

UINT_PTR CEntryList::FillTimer() const
{
    return m_role == Role::Sources ? TIMER_FILL : TIMER_FILL_TARGET;
}

void CEntryList::Fill()
{
    if (!m_page) return;
    ::KillTimer(m_page, FillTimer());
    m_fillRow = 0;
    m_namesRequested = false;
    FillRows(FirstFillRows(DescriptionView(), Shown().TopRow()), 0);
}

bool CEntryList::OnFillTimer(bool sheetShown)
{
    if (!m_page || !DescriptionView())
    {
        if (m_page) ::KillTimer(m_page, FillTimer());
        return false;
    }
    const bool drawn = m_descriptions.HasDrawn();
    if (sheetShown && !drawn) ++m_fillWaits;
    const bool ready = FillStepReady(sheetShown, drawn, m_fillWaits);
    if (ready && !m_namesRequested) RequestNames();
    FillRows(ready ? INT_MAX : 0, kFillStepMs);
    return true;
}

// Asks for the names the rows still to be filled will use, so that the
// background look-ups run while the steps fill the list.
void CEntryList::RequestNames()
{
    m_namesRequested = true;
    const std::vector<std::wstring> &entries = Entries();
    for (size_t row = m_fillRow; row < entries.size(); ++row)
        RequestEntryNames(entries[row], m_body.CommandFolder());
}

bool CEntryList::NamesPending() const
{
    return !m_namesRequested && m_body.Document() && m_fillRow < Entries().size();
}

void CEntryList::FillRows(int limit, DWORD budgetMs)
{
    bool done = true;
    // The target's fill has no fixed place in the log.
    const TraceSite site =
        m_role == Role::Sources ? sites::kFillSources : TraceSite{TRACE_SOURCE, __LINE__};
    try
    {
        CRowList &list = Shown();
        const int top = list.TopRow();
        const int selection = list.Selection();
        CRedrawOff redrawOff(list.Window());
        const std::vector<std::wstring> &entries = Entries();
        const bool prompt = m_role == Role::Sources;
        m_descriptions.SetPlainRowsFrom(prompt ? static_cast<int>(entries.size()) : INT_MAX);
        const size_t end = std::min(entries.size(), m_fillRow + static_cast<size_t>(limit));
        const ULONGLONG start = ::GetTickCount64();
        int count = list.Count();
        for (; m_fillRow < end; ++m_fillRow)
        {
            if (budgetMs && ::GetTickCount64() - start >= budgetMs) break;
            const int row = static_cast<int>(m_fillRow);
            list.SetRow(row, RowText(entries[m_fillRow]), count);
            if (row >= count) ++count;
        }
        done = m_fillRow >= entries.size();
        if (done)
        {
            int row = static_cast<int>(entries.size());
            if (prompt) list.SetRow(row++, LoadTaskelString(IDS_NEW_ENTRY_PROMPT));
            list.DeleteRowsFrom(row);
        }
        const int select = SelectionAfterFill(selection, list.Selection(), list.Count());
        if (select >= 0) list.Select(select);
        if (top > 0) list.SetTopRow(top);
    }
    TRACE_CATCH_SITE(4, site)
    if (done)
        ::KillTimer(m_page, FillTimer());
    else
        ::SetTimer(m_page, FillTimer(), FillStepInterval(m_descriptions.HasDrawn()), nullptr);
}
