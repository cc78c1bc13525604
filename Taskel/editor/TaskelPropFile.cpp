// The File page: activation from the step's folder and file, the folder
// line, the filtered file list, picking files, typing a name or a new name,
// choosing a type, and Next, Back and Finish ("Another").
#define TRACE_SOURCE "Taskel\\TaskelPropFile"
#include "TaskelPropFile.h"

#include "DialogControls.h"
#include "NoCase.h"
#include "RtfMarkup.h"
#include "ShellDisplayPrefs.h"
#include "ShellFolderCache.h"
#include "TaskelEntryText.h"
#include "TaskelExecPath.h"
#include "TaskelStrings.h"
#include "TaskelTargetRules.h"
#include "TaskelTraceSites.h"
#include "resource.h"

CTaskelPropFile::CTaskelPropFile(IWizardSteps &steps) : CTaskelPropTarget(IDD_TARGET_FILE, steps)
{
    Trace(4, L"CTaskelPropFile::CTaskelPropFile");
    SetTrapSite({TRACE_SOURCE, __LINE__});
}

bool CTaskelPropFile::OnInitDialog()
{
    m_types.Attach(Item(IDC_TARGET_TYPE), LoadTaskelString(IDS_TARGET_ALL_FILES));
    m_files.Attach(Item(IDC_TARGET_FILES));
    m_files.SetShowHiddenQuery(ShowsHiddenEntries);
    NameControls();
    return true;
}

bool CTaskelPropFile::OnSetActive()
{
    Guarded(sites::kFileActivate, [this] { Activate(); });
    return true;
}

void CTaskelPropFile::Activate()
{
    m_updating = true;
    const uint32_t action = Steps().Action();
    m_renaming = TargetActionRenames(action);
    m_renameOnly = TargetRenameOnly(action);
    for (int id : {IDC_TARGET_NEW_NAME, IDC_TARGET_NEW_NAME_LABEL})
        CControl(Window(), id).Show(m_renaming);

    std::wstring file;
    m_stepFolder.clear();
    Steps().SplitCurrentSpec(m_stepFolder, file);
    m_stepFile = file;
    m_relative = ReadRelativeSetting(ProfileKey(), TargetSettingsKey(Steps().CurrentIndex()));
    m_base = BaseFolder();
    m_folder = ResolveStepFolder(m_stepFolder, m_base);
    if (m_folder.empty()) m_folder = m_base;

    const TargetFileText parts = SplitTargetFile(file);
    CEdit(Window(), IDC_TARGET_FILE_NAME).SetText(m_renaming ? parts.name : file);
    CEdit(Window(), IDC_TARGET_NEW_NAME).SetText(m_renaming ? parts.rename : std::wstring());
    m_updating = false;

    ShowFolderLine();
    UpdateList();
    Activated();
}

void CTaskelPropFile::ShowFolderLine()
{
    std::wstring line;
    if (GetShellDisplayPrefs().showDescriptions)
        line = StripRtfMarkup(DescriptionMarkup(m_folder, m_base, Steps().Action()), L" ");
    if (line.empty()) line = DisplayStepFolder(m_folder, m_base, m_relative);
    CEdit(Window(), IDC_TARGET_FOLDER_NAME).SetText(line);
}

std::wstring CTaskelPropFile::FileFromEdits() const
{
    const std::wstring typed = CEdit(Window(), IDC_TARGET_FILE_NAME).GetText();
    if (!m_renaming) return typed;
    const TargetFileText parts = SplitTargetFile(typed);
    const std::wstring newName = CEdit(Window(), IDC_TARGET_NEW_NAME).GetText();
    return JoinTargetFile(parts.name, newName.empty() ? parts.rename : newName);
}

// An empty file name stores the folder alone (with its trailing
// backslash): the whole folder is the source.
void CTaskelPropFile::StoreFile()
{
    m_stepFile = FileFromEdits();
    Steps().StoreCurrentSpec(m_stepFolder, m_stepFile);
}

void CTaskelPropFile::UpdateList()
{
    const std::wstring filter = TargetFileFilter(CEdit(Window(), IDC_TARGET_FILE_NAME).GetText(),
                                                 m_types.SelectedExtension());
    const bool newFolder = !EqualNoCase(m_files.Folder(), m_folder);
    if (!newFolder && m_files.Filter() == filter) return;
    m_files.SetFilter(filter);
    if (newFolder)
    {
        if (!m_files.SetFolder(m_folder)) Trace(3, L"No file list for [%s]", m_folder.c_str());
    }
    else
        m_files.Refresh();
}

void CTaskelPropFile::OnFilesSelected()
{
    const std::vector<std::wstring> names = m_files.SelectedNames();
    if (names.empty() || names.front().empty()) return;
    Trace(2, L"Select file [%s]", names.front().c_str());
    CEdit edit(Window(), IDC_TARGET_FILE_NAME);
    m_updating = true;
    edit.SetText(PickedTargetFile(names.front(), edit.GetText(), m_renaming));
    m_updating = false;
    if (FileFromEdits() != m_stepFile)
    {
        StoreFile();
        UpdateList();
    }
    UpdateButtons();
}

bool CTaskelPropFile::OnCommand(WORD code, WORD id, HWND)
{
    if ((id == IDC_TARGET_FILE_NAME || id == IDC_TARGET_NEW_NAME) && code == EN_CHANGE)
    {
        if (m_updating) return true;
        StoreFile();
        if (id == IDC_TARGET_FILE_NAME) UpdateList();
        UpdateButtons();
        return true;
    }
    if (id == IDC_TARGET_TYPE && code == CBN_SELCHANGE)
    {
        CEdit edit(Window(), IDC_TARGET_FILE_NAME);
        const std::wstring retyped = RetypedTargetFile(edit.GetText(), m_types.SelectedExtension());
        if (retyped != edit.GetText())
        {
            m_updating = true;
            edit.SetText(retyped);
            m_updating = false;
        }
        StoreFile();
        UpdateList();
        UpdateButtons();
        return true;
    }
    return false;
}

bool CTaskelPropFile::OnNotify(UINT_PTR id, NMHDR *header, LRESULT &result)
{
    bool selected = false;
    if (id == IDC_TARGET_FILES && m_files.HandleNotify(header, selected))
    {
        if (selected) OnFilesSelected();
        result = 0;
        return true;
    }
    return CTaskelPropTarget::OnNotify(id, header, result);
}

LRESULT CTaskelPropFile::OnWizardNext()
{
    StoreFile();
    return Steps().GoNext(*this);
}

LRESULT CTaskelPropFile::OnWizardBack()
{
    StoreFile();
    return Steps().GoBack(*this);
}

// Finish at the last source reads "Another": the state adds a source and
// shows the Folder page; at an earlier source it finishes.
bool CTaskelPropFile::OnWizardFinish()
{
    StoreFile();
    return !Steps().GoAgain(*this);
}
