// CTaskelPropPage: the file binding of the command page (file name and
// caption, loading, storage hand-off on activation and deactivation, saving
// on Apply, the activation timer, the preview of the edited command).
#define TRACE_SOURCE "Taskel\\TaskelPropPage"
#include "TaskelPropPage.h"

#include <shlwapi.h>

#include "FileOrigin.h"
#include "FxException.h"
#include "PagePreview.h"
#include "ShellDisplayPrefs.h"
#include "ShellFolderCache.h"
#include "TaskelClass.h"
#include "TaskelExecPath.h"
#include "TaskelExecRun.h"
#include "TaskelGuids.h"
#include "TaskelMessage.h"
#include "TaskelStrings.h"
#include "Trace.h"
#include "resource.h"

namespace
{

DWORD Identity(const void *object)
{
    return static_cast<DWORD>(reinterpret_cast<uintptr_t>(object));
}

fx::ComPtr<IPersistStorage> PersistOf(CTaskel *command)
{
    fx::ComPtr<IPersistStorage> persist;
    if (command) command->ExternalQueryInterface(IID_IPersistStorage, persist.put_void());
    return persist;
}

} // namespace

CTaskelPropPage::CTaskelPropPage(HINSTANCE resources)
    : CTaskelPropBase(IDD_TASKEL_PROPPAGE, resources), m_pageObject(*this, [this] { delete this; })
{
    Trace(4, L"CTaskelPropPage::CTaskelPropPage");
}

CTaskelPropPage::~CTaskelPropPage()
{
    m_command.Reset(nullptr);
    m_file.reset();
    if (IsTraceEnabled(1)) Trace(4, L"CTaskelPropPage::~CTaskelPropPage");
}

std::wstring CTaskelPropPage::CaptionFor(const std::wstring &path)
{
    std::wstring name = PathFindFileNameW(path.c_str());
    if (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) name.clear();
    const wchar_t *ext = PathFindExtensionW(name.c_str());
    name.resize(static_cast<size_t>(ext - name.c_str()));
    if (name.size() <= 32) return name;
    wchar_t compact[33] = {};
    if (!PathCompactPathExW(compact, name.c_str(), 33, 0)) return name.substr(0, 32);
    return compact;
}

void CTaskelPropPage::SetFileName(const std::wstring &path)
{
    if (IsTraceEnabled(1)) Trace(2, L"TaskelPropPage FileName [%s]", path.c_str());
    m_fileName = path;
    if (CommandFolder().empty())
    {
        std::wstring folder = path;
        if (!folder.empty() && folder.back() != L'\\')
        {
            const wchar_t *name = PathFindFileNameW(folder.c_str());
            folder.resize(static_cast<size_t>(name - folder.c_str()));
        }
        SetCommandFolder(folder);
    }
    const std::wstring caption = CaptionFor(path);
    SetTitle(caption.empty() ? LoadTaskelString(IDS_COMMAND) : caption);
    RemoveFlags(PSP_HASHELP);
}

HRESULT CTaskelPropPage::Load(CTaskel *command, bool readOnly)
{
    if (m_fileName.empty()) return E_UNEXPECTED;
    CTaskelRef loaded(command ? command : new CTaskel);
    if (IsTraceEnabled(1)) Trace(4, L"  Open File [%s]", m_fileName.c_str());
    fx::ComPtr<ITaskelFile> file;
    RETURN_IF_FAILED(2, CTaskelFile::CreateInstance(m_fileName, IID_ITaskelFile, file.put_void()));
    RETURN_IF_FAILED(2, file->Open(TRUE));
    fx::ComPtr<IStorage> storage;
    RETURN_IF_FAILED(2, file.query(IID_IStorage, storage));
    fx::ComPtr<IPersistStorage> persist = PersistOf(loaded.Get());
    if (!persist) return E_NOINTERFACE;
    HRESULT hr = S_OK;
    RETURN_IF_FAILED(2, hr = persist->Load(storage.get()));
    m_command.Reset(loaded.Get());
    m_file = file;
    m_readOnly = readOnly;
    if (IsTraceEnabled(1)) Trace(4, L"  Loaded command [%8.8lX]", Identity(m_command.Get()));
    return hr;
}

bool CTaskelPropPage::OnSetActive()
{
    if (IsTraceEnabled(1)) Trace(4, L"CTaskelPropPage::OnSetActive");
    if (!m_readOnly && m_file && m_command && Document())
    {
        fx::ComPtr<IStorage> storage;
        if (SUCCEEDED(m_file.query(IID_IStorage, storage)))
            if (fx::ComPtr<IPersistStorage> persist = PersistOf(m_command.Get()))
                persist->SaveCompleted(storage.get());
    }
    SetDocument(m_command.Get());
    SetLocked(m_readOnly);
    if (!CTaskelPropBase::OnSetActive()) return false;
    if (!m_command) return true;
    if (!shellfolders::IsComplete() && !m_timer)
    {
        m_timer = ::SetTimer(Window(), TIMER_ACTIVATE, 1, nullptr);
        Trace(0x1004, L"CTaskelPropPage ActivateTimer [%u]", static_cast<unsigned>(m_timer));
    }
    UpdateActionControls();
    FillSources();
    FillTarget();
    UpdateOptionControls();
    return true;
}

bool CTaskelPropPage::OnTimer(UINT_PTR id)
{
    if (id != TIMER_ACTIVATE) return CTaskelPropBase::OnTimer(id);
    if (!::IsWindowVisible(Sheet()))
    {
        Trace(0x1004, L"CTaskelPropPage ActivateTimer NotVisible");
        return true;
    }
    if (!shellfolders::IsComplete() || NamesPending())
    {
        Trace(0x1004, L"CTaskelPropPage ActivateTimer Restart");
        m_timer = ::SetTimer(Window(), TIMER_ACTIVATE, 1000, nullptr);
        return true;
    }
    Trace(0x1004, L"CTaskelPropPage ActivateTimer Complete");
    ::KillTimer(Window(), TIMER_ACTIVATE);
    m_timer = 0;
    if (GetShellDisplayPrefs().showDescriptions)
    {
        FillSources();
        FillTarget();
    }
    Trace(0x1004, L"CTaskelPropPage ActivateTimer Complete Done");
    return true;
}

bool CTaskelPropPage::OnKillActive()
{
    Trace(4, L"CTaskelPropPage::OnKillActive");
    if (m_file)
    {
        if (fx::ComPtr<IPersistStorage> persist = PersistOf(m_command.Get()))
            persist->HandsOffStorage();
        m_file.reset();
    }
    return CTaskelPropBase::OnKillActive();
}

HRESULT CTaskelPropPage::Save()
{
    fx::ComPtr<IPersistStorage> persist = PersistOf(m_command.Get());
    if (!persist) return E_NOINTERFACE;
    // The command is bound to the file's storage only while the container is
    // held (the page active since loading or the last save). After a
    // deactivation it let go of the storage, so it saves into the freshly
    // opened one as into a new storage.
    const BOOL sameAsLoad = m_file ? TRUE : FALSE;
    if (m_file)
        fx::COleException::ThrowIfFailed(m_file->Reopen(FALSE));
    else
    {
        if (IsTraceEnabled(1)) Trace(4, L"  Open File [%s]", m_fileName.c_str());
        fx::COleException::ThrowIfFailed(
            CTaskelFile::CreateInstance(m_fileName, IID_ITaskelFile, m_file.put_void()));
        fx::COleException::ThrowIfFailed(m_file->Open(FALSE));
        SetModified(true);
    }
    fx::ComPtr<IStorage> storage;
    if (FAILED(m_file.query(IID_IStorage, storage)) || !storage) return E_NOINTERFACE;
    TRACE_HERE();
    HRESULT hr =
        LogWinErr(2, static_cast<DWORD>(persist->Save(storage.get(), sameAsLoad)), L"Save");
    fx::COleException::ThrowIfFailed(hr);
    persist->HandsOffStorage();
    hr = m_file->Commit();
    const bool written = SUCCEEDED(hr);
    if (written && IsCurrentPage())
    {
        // Back to the image in memory; the file itself is let go.
        m_file->Reopen(TRUE);
        persist->SaveCompleted(storage.get());
    }
    else if (!written)
    {
        // The file was not written although the command counts as saved:
        // remember that, so the next Apply writes again, and give the command
        // its storage back.
        m_unsaved = true;
        persist->SaveCompleted(storage.get());
    }
    if (written) m_unsaved = false;
    Trace(4, L"  Saved command [%8.8lX]", Identity(m_command.Get()));
    return hr;
}

void CTaskelPropPage::ReportSaveFailure(HRESULT failure)
{
    // The user keeps the sheet and the changes, and learns why the file
    // was not written.
    HWND owner = Sheet() ? Sheet() : Window();
    ShowTaskelMessage(owner, 0, FileFailureText(m_fileName, failure));
}

// A failed save keeps the sheet open (result false); so does anything else
// that throws here, through the page base's trap, which refuses the Apply.
bool CTaskelPropPage::OnApply()
{
    bool result = true;
    if (IsTraceEnabled(1)) Trace(2, L"CTaskelPropPage::OnApply");
    if (!m_readOnly && m_command && (m_file || !m_fileName.empty()))
    {
        if (m_file) SetModified(true);
        fx::ComPtr<IPersistStorage> persist = PersistOf(m_command.Get());
        if (persist && (persist->IsDirty() == S_OK || m_unsaved))
        {
            HRESULT failure = E_FAIL;
            try
            {
                failure = Save();
            }
            catch (const fx::COleException &e)
            {
                TraceException(4, e, TRACE_SOURCE, __LINE__);
                failure = e.Code();
            }
            TRACE_CATCH_ALL(4)
            result = SUCCEEDED(failure);
            if (!result) ReportSaveFailure(failure);
        }
        if (!IsCurrentPage())
            m_file.reset();
        else if (result)
            SetModified(false);
    }
    if (result) result = CTaskelPropBase::OnApply();
    if (IsTraceEnabled(1)) Trace(2, L"CTaskelPropPage::OnApply Result [%u]", result ? 1u : 0u);
    return result;
}

bool CTaskelPropPage::OnCommand(WORD code, WORD id, HWND control)
{
    if (id != IDC_PREVIEW_COMMAND) return CTaskelPropBase::OnCommand(code, id, control);
    if (code == BN_CLICKED) ShowPreview(control);
    return true;
}

void CTaskelPropPage::ShowPreview(HWND button)
{
    // An entry still being typed in place is stored first, as it is when a
    // click takes the focus to the button; a key or a message that reaches
    // the button may leave the focus in the entry.
    if (button && ::GetFocus() != button) ::SetFocus(button);
    CTaskel *command = Document() ? Document() : m_command.Get();
    if (!command || m_fileName.empty())
    {
        ::MessageBeep(MB_OK);
        return;
    }
    if (IsTraceEnabled(1)) Trace(2, L"CTaskelPropPage Preview [%s]", m_fileName.c_str());
    // Run runs the command as edited, as the file's run would (its folder is
    // the base); the page keeps its reference until the window has closed.
    const std::wstring folder = execpath::ParentFolder(m_fileName);
    const std::wstring path = m_fileName;
    PageRunner runner = [command, folder, path](HWND owner) {
        if (IsTraceEnabled(1)) Trace(1, L">>> Run edited [%s]", path.c_str());
        command->Run(folder, owner);
    };
    const PreviewSource source = PagePreviewSource(m_fileName, ExecCommandOf(*command),
                                                   ReadFileOrigin(m_fileName), std::move(runner));
    ShowPreviewWindow(Sheet() ? Sheet() : Window(), source);
}
