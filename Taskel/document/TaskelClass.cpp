// CTaskel: construction, the field operations with their dirty rules, and
// Run, which hands the command to the runner's procedure for its action
// (the runner installs its procedures; without them Run fails).
#define TRACE_SOURCE "Taskel\\TaskelClass"
#include "TaskelClass.h"

#include <shlwapi.h>

#include "ComMethod.h"
#include "FxException.h"
#include "ShellVersion.h"
#include "TaskelCodec.h"
#include "TaskelGuids.h"
#include "Trace.h"

namespace
{
TaskelRunner g_runner;

void SystemSound(UINT type)
{
    ::MessageBeep(type);
}
TaskelSoundFunction g_sound = SystemSound;
} // namespace

void SetTaskelRunner(const TaskelRunner &runner)
{
    g_runner = runner;
}
void SetTaskelSoundSeam(TaskelSoundFunction sound)
{
    g_sound = sound ? sound : SystemSound;
}

CTaskel::CTaskel()
{
    Trace(4, L"CTaskel::CTaskel");
    m_shellMajor = fx::ProbeShellVersion().dwMajorVersion;
    InitNewFields();
    m_sources.clear();
    m_target.clear();
}

CTaskel::~CTaskel()
{
    Trace(4, L"CTaskel::~CTaskel");
    m_stream.reset();
    m_storage.reset();
}

void CTaskel::OnFinalRelease() noexcept
{
    Trace(4, L"CTaskel::OnFinalRelease");
    delete this;
}

HRESULT CTaskel::CreateInstance(REFIID iid, void **out) noexcept
{
    return fx::ComMethod(TRACE_SITE_HERE(), [&] { return fx::CreateComObject<CTaskel>(iid, out); });
}

void *CTaskel::GetInterface(REFIID iid) noexcept
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID_ITaskel))
        return static_cast<IDispatch *>(&m_xDispatch);
    if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStorage))
        return static_cast<IPersistStorage *>(&m_xPersistStorage);
    // IPersistStreamInit extends IPersistStream by InitNew at the end of the
    // table, so one part answers both.
    if (IsEqualIID(iid, IID_IPersistStreamInit) || IsEqualIID(iid, IID_IPersistStream))
        return static_cast<IPersistStreamInit *>(&m_xPersistStream);
    return nullptr;
}

// The defaults of a new command; sources and target are not touched.
void CTaskel::InitNewFields() noexcept
{
    m_action = ACTION_NONE;
    m_options = OPT_DEFAULTS;
    m_dirty = false;
}

void CTaskel::SetAction(uint32_t editorNumber)
{
    uint32_t code = ActionFromEditorNumber(editorNumber);
    if (code == m_action) return;
    m_action = code;
    m_dirty = true;
    Trace(4, L"CTaskel::SetAction");
}

void CTaskel::SetOptions(uint32_t options) noexcept
{
    if (options == m_options) return;
    m_options = options;
    m_dirty = true;
}

void CTaskel::SetTarget(const std::wstring &target)
{
    std::wstring trimmed = TrimWhite(target);
    if (trimmed == m_target) return;
    m_target = trimmed;
    m_dirty = true;
}

bool CTaskel::GetSource(long index, std::wstring &source) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_sources.size()) return false;
    source = m_sources[static_cast<size_t>(index)];
    return true;
}

void CTaskel::SetSource(long index, const wchar_t *value)
{
    if (index < 0)
    {
        if (value || m_sources.empty()) return;
        m_sources.clear();
        m_dirty = true;
        return;
    }
    std::wstring trimmed = TrimWhite(value ? value : L"");
    size_t position = static_cast<size_t>(index);
    if (position < m_sources.size())
        m_sources.erase(m_sources.begin() + static_cast<ptrdiff_t>(position));
    if (!trimmed.empty())
    {
        if (position > m_sources.size()) position = m_sources.size();
        m_sources.insert(m_sources.begin() + static_cast<ptrdiff_t>(position), trimmed);
    }
    m_dirty = true;
}

std::wstring CTaskel::GetSourceList() const
{
    std::wstring list;
    for (const std::wstring &source : m_sources)
    {
        list += source;
        list += L'\0';
    }
    list += L'\0';
    return list;
}

std::wstring CTaskel::RunBaseFolder(const std::wstring &folder)
{
    std::wstring base = TrimWhite(folder);
    if (base.empty())
    {
        wchar_t current[MAX_PATH] = {};
        DWORD length = ::GetCurrentDirectoryW(MAX_PATH, current);
        if (length > 0 && length < MAX_PATH) base = current;
    }
    return base;
}

HRESULT CTaskel::Preview(const std::wstring &folder, std::wstring &lines)
{
    if (!g_runner.preview) return E_NOTIMPL;
    if (m_action < ACTION_MOVE || m_action > ACTION_COPYRENAME) return E_UNEXPECTED;
    return g_runner.preview(*this, RunBaseFolder(folder), lines) ? S_OK : E_FAIL;
}

bool CTaskel::Run(const std::wstring &folder, HWND owner, RunOutcome *outcome)
{
    if (outcome) *outcome = RunOutcome();
    const std::wstring base = RunBaseFolder(folder);

    TaskelRunProcedure procedure = nullptr;
    switch (m_action)
    {
    case ACTION_MOVE:
    case ACTION_MOVERENAME:
        procedure = g_runner.move;
        break;
    case ACTION_COPY:
    case ACTION_COPYRENAME:
        procedure = g_runner.copy;
        break;
    case ACTION_DELETE:
        procedure = g_runner.remove;
        break;
    case ACTION_RENAME:
        procedure = g_runner.rename;
        break;
    default:
        return false;
    }
    bool succeeded = procedure && procedure(*this, base, owner, outcome);
    if (m_options & OPT_X_COMPLETE_SOUND) g_sound(succeeded ? MB_OK : MB_ICONASTERISK);
    return succeeded;
}
