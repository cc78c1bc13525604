// The wizard state's plain logic: the current step's specification, the
// button rules, navigation between the Folder and File pages over several
// sources, and the header texts of each step.
#define TRACE_SOURCE "Taskel\\WizardState"
#include "WizardState.h"

#include <shlwapi.h>

#include "PropertySheetExEx.h"
#include "TaskelClass.h"
#include "TaskelStrings.h"
#include "Trace.h"
#include "resource.h"

namespace
{
bool Renames(uint32_t action)
{
    return action == EDIT_ACTION_RENAME;
}
bool Deletes(uint32_t action)
{
    return action == EDIT_ACTION_DELETE;
}
// Rename and Delete need no target step.
bool HasNoTarget(uint32_t action)
{
    return Renames(action) || Deletes(action);
}

std::wstring WithBackslash(const std::wstring &folder)
{
    if (folder.empty() || folder.back() == L'\\') return folder;
    return folder + L'\\';
}

// "C:", "C:\", "\", "\\server\share": nothing but a root.
bool IsBareRoot(const std::wstring &path)
{
    if (path.size() == 2 && path[1] == L':') return true;
    return ::PathIsRootW(path.c_str()) != FALSE;
}

// The header texts of each action: the Folder page's title for the first
// source, for later sources (with the ordinal word), for the target, its
// subtitle, and the File page's title and its subtitle while later sources
// exist and at the last source.
struct ActionTexts
{
    UINT folderFirst, folderNth, folderTarget, folderSubtitle;
    UINT fileTitle, fileMore, fileLast;
};

bool TextsFor(uint32_t action, ActionTexts &texts)
{
    switch (action)
    {
    case EDIT_ACTION_MOVE:
    case EDIT_ACTION_MOVERENAME:
        texts = {IDS_WIZ_MOVE_FROM,      IDS_WIZ_MOVE_FROM_NTH,   IDS_WIZ_MOVE_TO,
                 IDS_WIZ_MOVE_FROM_SUB,  IDS_WIZ_MOVE_FILES,      IDS_WIZ_MOVE_FILES_MORE,
                 IDS_WIZ_MOVE_FILES_LAST};
        return true;
    case EDIT_ACTION_COPY:
    case EDIT_ACTION_COPYRENAME:
        texts = {IDS_WIZ_COPY_FROM,      IDS_WIZ_COPY_FROM_NTH,   IDS_WIZ_COPY_TO,
                 IDS_WIZ_COPY_FROM_SUB,  IDS_WIZ_COPY_FILES,      IDS_WIZ_COPY_FILES_MORE,
                 IDS_WIZ_COPY_FILES_LAST};
        return true;
    case EDIT_ACTION_RENAME:
        texts = {IDS_WIZ_RENAME_FROM,     IDS_WIZ_RENAME_FROM_NTH,  IDS_WIZ_RENAME_TO,
                 IDS_WIZ_RENAME_FROM_SUB, IDS_WIZ_RENAME_FILES,     IDS_WIZ_RENAME_FILES_MORE,
                 IDS_WIZ_RENAME_FILES_LAST};
        return true;
    case EDIT_ACTION_DELETE:
        texts = {IDS_WIZ_DELETE_FROM,     IDS_WIZ_DELETE_FROM_NTH,  0,
                 IDS_WIZ_DELETE_FROM_SUB, IDS_WIZ_DELETE_FILES,     IDS_WIZ_DELETE_FILES_MORE,
                 IDS_WIZ_DELETE_FILES_LAST};
        return true;
    default:
        return false;
    }
}

// "second" for index 1 up to "ninth" for index 8; "next" from the tenth on.
std::wstring OrdinalWord(int index)
{
    return LoadTaskelString(index >= 1 && index <= 8 ? IDS_ORDINAL_FIRST + index
                                                      : UINT(IDS_ORDINAL_NEXT));
}
} // namespace

WizardPage WizardPageFromTemplate(UINT templateId)
{
    switch (templateId)
    {
    case UINT(WizardPage::Action):
    case UINT(WizardPage::File):
    case UINT(WizardPage::Folder):
    case UINT(WizardPage::Location):
    case UINT(WizardPage::Options):
        return static_cast<WizardPage>(templateId);
    default:
        return WizardPage::Other;
    }
}

const char *WizardPageClassName(WizardPage page)
{
    switch (page)
    {
    case WizardPage::Action:
        return "CTaskelPropAction";
    case WizardPage::File:
        return "CTaskelPropFile";
    case WizardPage::Folder:
        return "CTaskelPropFolder";
    case WizardPage::Location:
        return "CTaskelPropLocation";
    case WizardPage::Options:
        return "CTaskelPropOptions";
    default:
        return "CPropertyPageExEx";
    }
}

WizardState::WizardState(CTaskel *command) : m_command(command)
{
}

bool WizardState::GetCurrentSpec(std::wstring &path) const
{
    path.clear();
    if (!m_command) return false;
    if (m_index < 0)
        path = m_command->GetTarget();
    else if (m_index != m_emptied)
        m_command->GetSource(m_index, path); // a new source slot is empty
    return true;
}

bool WizardState::SetCurrentSpec(const std::wstring &path)
{
    if (!m_command) return false;
    if (m_index < 0)
    {
        m_command->SetTarget(path);
        return true;
    }
    std::wstring stored;
    const bool exists = m_command->GetSource(m_index, stored);
    if (path.find_first_not_of(L" \t") == std::wstring::npos)
    {
        // Storing an empty source would erase it: the step is marked empty
        // instead and the command keeps its sources in place.
        if (exists) m_emptied = m_index;
        return true;
    }
    if (m_index == m_offered && stored != path) m_offered = kNoStep;
    m_emptied = kNoStep;
    m_command->SetSource(m_index, path.c_str());
    return true;
}

void WizardState::MarkOfferedFolder()
{
    std::wstring stored;
    if (m_command && m_index >= 0 && m_command->GetSource(m_index, stored)) m_offered = m_index;
}

void WizardState::MoveTo(int index)
{
    m_index = index;
    m_emptied = kNoStep;
    m_offered = kNoStep;
}

bool WizardState::SplitCurrentSpec(std::wstring &folder, std::wstring &file) const
{
    folder.clear();
    file.clear();
    std::wstring spec;
    if (!GetCurrentSpec(spec)) return false;
    if (spec.empty()) return true;

    const size_t slash = spec.find_last_of(L'\\');
    const std::wstring last = slash == std::wstring::npos ? spec : spec.substr(slash + 1);
    // A file part: a name with an extension, a wildcard or rename pattern
    // (which no folder name can hold), or the name of an existing file.
    bool isFile = !last.empty() && (*::PathFindExtensionW(last.c_str()) != 0 ||
                                    last.find_first_of(L"*?>") != std::wstring::npos);
    if (!isFile && !last.empty())
    {
        std::wstring resolved = spec;
        if (::PathIsRelativeW(spec.c_str()) && !m_folder.empty())
            resolved = WithBackslash(m_folder) + spec;
        const DWORD attributes = ::GetFileAttributesW(resolved.c_str());
        isFile = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    if (isFile && !IsBareRoot(spec) && slash != std::wstring::npos)
    {
        folder = spec.substr(0, slash + 1);
        file = last;
    }
    else if (isFile && slash == std::wstring::npos && !IsBareRoot(spec))
    {
        file = spec; // a bare file name: the folder is the command's own
    }
    else
    {
        folder = WithBackslash(spec);
    }
    return true;
}

bool WizardState::StoreCurrentSpec(const std::wstring &folder, const std::wstring &file)
{
    return SetCurrentSpec(folder.empty() ? file : WithBackslash(folder) + file);
}

bool WizardState::CanGoNext(WizardPage page) const
{
    if (!m_command) return false;
    if (page == WizardPage::Location) return !m_folder.empty();
    if (m_name.empty()) return false;
    switch (page)
    {
    case WizardPage::Action:
        return m_command->GetAction() != EDIT_ACTION_NONE;
    case WizardPage::Folder: {
        std::wstring folder, file;
        return SplitCurrentSpec(folder, file) && !folder.empty();
    }
    case WizardPage::File:
        return true;
    case WizardPage::Options:
        return CanFinish(page);
    default:
        return false;
    }
}

bool WizardState::CanFinish(WizardPage page) const
{
    if (!m_command || m_name.empty()) return false;
    if (page == WizardPage::File) return true;
    const uint32_t action = m_command->GetAction();
    return action != EDIT_ACTION_NONE && m_command->GetSourceCount() > 0 &&
           (HasNoTarget(action) || !m_command->GetTarget().empty());
}

LRESULT WizardState::GoNext(WizardPage page)
{
    Trace(4, L"GoNext [%hs]", WizardPageClassName(page));
    if (!m_command) return -1;
    const int count = static_cast<int>(m_command->GetSourceCount());
    switch (page)
    {
    case WizardPage::Action:
        MoveTo(0);
        return 0;
    case WizardPage::Folder:
        m_offered = kNoStep; // Next takes the offered folder
        return m_index == -1 ? LRESULT(WizardPage::Options) : LRESULT(WizardPage::File);
    case WizardPage::File:
        if (m_index == -1) return 0;
        if (m_index < count - 1)
        {
            MoveTo(m_index + 1);
            return LRESULT(WizardPage::Folder);
        }
        if (HasNoTarget(m_command->GetAction())) return 0;
        MoveTo(-1);
        return LRESULT(WizardPage::Folder);
    default:
        return 0;
    }
}

LRESULT WizardState::GoBack(WizardPage page)
{
    Trace(4, L"GoBack [%hs]", WizardPageClassName(page));
    if (!m_command) return -1;
    if (page == WizardPage::Folder && m_index >= 0 && m_index == m_offered)
    {
        // Back out of a new source slot: the folder offered for it was
        // never chosen, so the slot goes again.
        m_command->SetSource(m_index, L"");
        m_offered = kNoStep;
    }
    const int count = static_cast<int>(m_command->GetSourceCount());
    switch (page)
    {
    case WizardPage::Folder:
        if (m_index > 0)
        {
            MoveTo(m_index - 1);
            return LRESULT(WizardPage::File);
        }
        if (m_index == 0)
        {
            MoveTo(0);
            return 0;
        }
        MoveTo(count - 1 < 0 ? 0 : count - 1);
        return LRESULT(WizardPage::File);
    case WizardPage::File:
        return LRESULT(WizardPage::Folder);
    case WizardPage::Options:
        if (HasNoTarget(m_command->GetAction())) return 0;
        MoveTo(-1);
        return LRESULT(WizardPage::Folder);
    default:
        return 0;
    }
}

bool WizardState::GoAgain(WizardPage page, bool hasSheet, bool &showFolderPage)
{
    Trace(4, L"GoAgain [%hs]", WizardPageClassName(page));
    showFolderPage = false;
    if (!m_command || m_index == -1 || page != WizardPage::File || !hasSheet) return true;
    MoveTo(m_index + 1);
    if (m_index < static_cast<int>(m_command->GetSourceCount())) return false;
    // A new, empty source slot one past the last: its folder comes next.
    showFolderPage = true;
    return true;
}

WizardFinishButton WizardState::PageActivated(WizardPage page, std::wstring &title,
                                              std::wstring &subtitle)
{
    Trace(4, L"PageActivated [%hs]", WizardPageClassName(page));
    WizardFinishButton finish{false, HELPID_SHEET_FINISH};
    if (!m_command) return finish;
    const uint32_t action = m_command->GetAction();
    const int count = static_cast<int>(m_command->GetSourceCount());
    ActionTexts texts{};
    const bool known = TextsFor(action, texts);

    if (page == WizardPage::Folder && known)
    {
        if (m_index < 0)
        {
            if (texts.folderTarget) title = LoadTaskelString(texts.folderTarget);
        }
        else
        {
            title = m_index == 0 ? LoadTaskelString(texts.folderFirst)
                                 : FormatTaskelString(texts.folderNth, OrdinalWord(m_index));
            subtitle = LoadTaskelString(texts.folderSubtitle);
        }
    }
    else if (page == WizardPage::File && known)
    {
        title = LoadTaskelString(texts.fileTitle);
        subtitle = LoadTaskelString(m_index < count - 1 ? texts.fileMore : texts.fileLast);
    }
    if (page == WizardPage::File && m_index >= count - 1)
        finish = {true, HELPID_SHEET_ANOTHER};
    return finish;
}
