// The wizard state with page windows: the page's kind comes from its
// template; header texts go to the sheet for the page's index, the Finish
// button is relabelled "Another" where the File page opens a new source, and
// the Folder page is shown again for that source.
#define TRACE_SOURCE "Taskel\\WizardState"
#include "WizardState.h"

#include "PropertyPageExEx.h"
#include "PropertySheetExEx.h"
#include "TaskelStrings.h"
#include "WizardButtons.h"
#include "resource.h"

namespace
{
WizardPage KindOf(const CPropertyPageExEx &page)
{
    return WizardPageFromTemplate(page.TemplateId());
}

int PageIndex(const CPropertyPageExEx &page)
{
    HWND sheet = page.Sheet();
    if (!sheet || !page.Window()) return -1;
    return static_cast<int>(
        ::SendMessageW(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page.Window()), 0));
}

std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}
} // namespace

bool WizardState::CanGoNext(const CPropertyPageExEx &page) const
{
    return CanGoNext(KindOf(page));
}

bool WizardState::CanFinish(const CPropertyPageExEx &page) const
{
    return CanFinish(KindOf(page));
}

LRESULT WizardState::GoNext(const CPropertyPageExEx &page)
{
    return GoNext(KindOf(page));
}

LRESULT WizardState::GoBack(const CPropertyPageExEx &page)
{
    return GoBack(KindOf(page));
}

bool WizardState::GoAgain(const CPropertyPageExEx &page)
{
    bool showFolderPage = false;
    const bool result = GoAgain(KindOf(page), page.Sheet() != nullptr, showFolderPage);
    const int index = PageIndex(page);
    if (showFolderPage && index > 0)
        ::SendMessageW(page.Sheet(), PSM_SETCURSEL, static_cast<WPARAM>(index - 1), 0);
    return result;
}

void WizardState::PageActivated(const CPropertyPageExEx &page, std::wstring &title,
                                std::wstring &subtitle)
{
    const WizardFinishButton finish = PageActivated(KindOf(page), title, subtitle);
    HWND sheet = page.Sheet();
    if (!sheet) return;
    const int index = PageIndex(page);
    // A text left empty ("unchanged" for the target's subtitle) keeps what
    // the header shows: sending an empty one would blank it.
    if (index >= 0 && !title.empty())
        ::SendMessageW(sheet, PSM_SETHEADERTITLE, static_cast<WPARAM>(index),
                       reinterpret_cast<LPARAM>(title.c_str()));
    if (index >= 0 && !subtitle.empty())
        ::SendMessageW(sheet, PSM_SETHEADERSUBTITLE, static_cast<WPARAM>(index),
                       reinterpret_cast<LPARAM>(subtitle.c_str()));
    HWND button = ::GetDlgItem(sheet, IDC_SHEET_FINISH);
    if (!button) return;
    if (m_finishText.empty()) m_finishText = WindowText(button);
    if (finish.another)
    {
        if (m_anotherText.empty()) m_anotherText = LoadTaskelString(IDS_WIZ_ANOTHER);
        ::SetWindowTextW(button, m_anotherText.c_str());
    }
    else
    {
        ::SetWindowTextW(button, m_finishText.c_str());
    }
    ::SetWindowContextHelpId(button, finish.helpId);
}

void WizardState::Activated(const CPropertyPageExEx &page)
{
    std::wstring title = page.HeaderTitle();
    std::wstring subtitle = page.HeaderSubtitle();
    PageActivated(page, title, subtitle);
    SetButtons(page);
}

void WizardState::SetButtons(const CPropertyPageExEx &page) const
{
    HWND sheet = page.Sheet();
    if (!sheet) return;
    const WizardPage kind = KindOf(page);
    DWORD buttons = kind == WizardPage::Action ? 0 : PSWIZB_BACK;
    if (CanGoNext(kind)) buttons |= PSWIZB_NEXT;
    buttons |= CanFinish(kind) ? PSWIZB_FINISH : PSWIZB_DISABLEDFINISH;
    // Enter finishes on the Options page (the last) and moves on elsewhere.
    fx::SetWizardButtons(sheet, buttons, kind == WizardPage::Options);
}
