// CTaskelPropBase: the command, attaching the parts, and the dispatch of
// the page's messages to them.
#define TRACE_SOURCE "Taskel\\TaskelPropBase"
#include "TaskelPropBase.h"

#include "TaskelActionGroup.h"
#include "TaskelClass.h"
#include "TaskelListRules.h"
#include "TaskelStrings.h"
#include "Trace.h"
#include "resource.h"

void CTaskelRef::Reset(CTaskel *command)
{
    if (command) command->ExternalAddRef();
    if (m_command) m_command->ExternalRelease();
    m_command = command;
}

CTaskelPropBase::CTaskelPropBase(UINT templateId, HINSTANCE resources)
    : CPropertyPageExEx(templateId, resources), m_sources(CEntryList::Role::Sources, *this),
      m_target(CEntryList::Role::Target, *this), m_commands(*this, m_sources, m_target),
      m_editing(*this, m_sources, m_target, m_commands)
{
    // What the body's handlers throw is traced under the body's name, on
    // every page made of it that names no trap of its own.
    SetTrapSite({TRACE_SOURCE, __LINE__});
}

void CTaskelPropBase::SetDocument(CTaskel *command)
{
    m_document.Reset(command);
}

void CTaskelPropBase::SetCommandFolder(const std::wstring &folder)
{
    m_folder = folder;
    if (!m_folder.empty() && m_folder.back() != L'\\') m_folder += L'\\';
}

bool CTaskelPropBase::DescriptionView() const
{
    return CEntryList::DescriptionView();
}

bool CTaskelPropBase::OnInitDialog()
{
    HWND page = Window();
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(page, WM_GETFONT, 0, 0));
    m_actions.Attach(page);
    m_sources.Attach(page, font);
    m_target.Attach(page, font);
    m_options.Attach(page);
    m_commands.Attach(page);
    m_editing.Attach(page);
    ShowView();
    return true;
}

void CTaskelPropBase::OnDestroy()
{
    m_editing.Detach();
    m_commands.Detach();
    m_options.Detach();
    m_target.Detach();
    m_sources.Detach();
    m_actions.Detach();
}

void CTaskelPropBase::ShowView()
{
    m_sources.ShowView();
}

bool CTaskelPropBase::OnSetActive()
{
    ShowView();
    UpdateOptionControls();
    return true;
}

void CTaskelPropBase::UpdateActionControls()
{
    m_actions.Show(m_document ? m_document->GetAction() : 0);
}

void CTaskelPropBase::ChangeAction(uint32_t editorAction, bool refresh)
{
    if (m_locked || !m_document || m_document->GetAction() == editorAction) return;
    m_document->SetAction(editorAction);
    SetModified(true);
    UpdateActionControls();
    if (refresh)
    {
        UpdateOptionControls();
        FillSources();
        FillTarget();
    }
}

void CTaskelPropBase::OnActionClick(WORD id)
{
    if (m_locked || !m_document)
    {
        ::MessageBeep(MB_OK);
        UpdateActionControls();
        return;
    }
    ChangeAction(m_actions.ActionAfterClick(id, m_document->GetAction()), true);
    m_actions.KeepFocus(id);
}

void CTaskelPropBase::UpdateOptionControls()
{
    m_options.Show(m_document.Get());
}

void CTaskelPropBase::StoreOptions()
{
    if (!m_document || !m_options.IsAttached()) return;
    const uint32_t options = m_options.Stored(m_document->GetOptions());
    if (options != m_document->GetOptions())
    {
        m_document->SetOptions(options);
        SetModified(true);
    }
}

void CTaskelPropBase::OnOptionClick(WORD id)
{
    if (m_locked || !m_document)
    {
        UpdateOptionControls();
        ::MessageBeep(MB_OK);
        return;
    }
    StoreOptions();
    UpdateOptionControls();
    if (id == IDC_OPT_IGNORE_ERRORS) m_options.RedrawHints();
}

std::wstring CTaskelPropBase::DisplayText(const std::wstring &entry) const
{
    return m_sources.RowText(entry);
}

bool CTaskelPropBase::NamesPending() const
{
    return m_sources.NamesPending();
}

void CTaskelPropBase::FillSources()
{
    if (!m_sources.IsAttached()) return;
    m_sources.Fill();
    m_commands.ScheduleButtonRefresh();
    const ListLabels labels = LabelsForAction(m_document ? m_document->GetAction() : 0);
    m_sources.SetLabel(LoadTaskelString(labels.sourceId) + L":");
}

void CTaskelPropBase::FillTarget()
{
    if (!m_target.IsAttached()) return;
    const uint32_t action = m_document ? m_document->GetAction() : 0;
    ApplyLayout(ActionHasTarget(action));
    m_target.Fill();
    const ListLabels labels = LabelsForAction(action);
    m_target.SetLabel(labels.targetId ? LoadTaskelString(labels.targetId) + L":" : std::wstring());
}

void CTaskelPropBase::ApplyLayout(bool hasTarget)
{
    RECT source = m_sources.HomeRect();
    if (!hasTarget) source.bottom = m_target.HomeRect().bottom;
    m_sources.Place(source);
    m_target.ShowView(hasTarget);
}

bool CTaskelPropBase::MoveUp()
{
    return m_commands.MoveUp();
}

bool CTaskelPropBase::MoveDown()
{
    return m_commands.MoveDown();
}

bool CTaskelPropBase::OnCommand(WORD code, WORD id, HWND control)
{
    if (IsActionControl(id))
    {
        if (code == BN_CLICKED) OnActionClick(id);
        return true;
    }
    if (OptionBoxIndex(id) >= 0)
    {
        if (code == BN_CLICKED) OnOptionClick(id);
        return true;
    }
    if (CEntryCommands::IsMoveButton(id))
    {
        if (code == BN_CLICKED) m_commands.OnMoveButton(id);
        return true;
    }
    if (m_editing.OnCommand(code, control)) return true;
    return CPropertyPageExEx::OnCommand(code, id, control);
}

bool CTaskelPropBase::OnNotify(UINT_PTR id, NMHDR *header, LRESULT &result)
{
    if (m_editing.OnNotify(header, result)) return true;
    return CPropertyPageExEx::OnNotify(id, header, result);
}

bool CTaskelPropBase::OnTimer(UINT_PTR id)
{
    if (m_commands.OnTimer(id)) return true;
    for (CEntryList *list : {&m_sources, &m_target})
        if (id == list->FillTimer())
        {
            if (list->OnFillTimer(::IsWindowVisible(Sheet()) != FALSE) && list == &m_sources)
                m_commands.ScheduleButtonRefresh();
            return true;
        }
    return CPropertyPageExEx::OnTimer(id);
}

bool CTaskelPropBase::OnContextMenu(HWND window, POINT point)
{
    if (m_commands.ContextMenu(window, point)) return true;
    return CPropertyPageExEx::OnContextMenu(window, point);
}

bool CTaskelPropBase::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result)
{
    switch (message)
    {
    case WM_DRAWITEM: {
        const auto &item = *reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
        bool drawn = m_commands.DrawButton(item);
        for (CEntryList *list : {&m_sources, &m_target})
            if (!drawn && list->IsDescriptionList(item.hwndItem))
            {
                list->Descriptions().DrawRow(item);
                drawn = true;
            }
        if (!drawn) break;
        result = TRUE;
        return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (HBRUSH brush =
                m_options.HintBrush(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
        {
            result = reinterpret_cast<LRESULT>(brush);
            return true;
        }
        break;
    case WM_SYSCOLORCHANGE:
        m_options.DropBrushes();
        break;
    default:
        break;
    }
    return CPropertyPageExEx::OnMessage(message, wParam, lParam, result);
}
