// CTaskelInfoTip: loads a command file into a private command object and
// describes the command in the file's tooltip.
#define TRACE_SOURCE "Taskel\\TaskelInfoTip"
#include "TaskelInfoTip.h"

#include "ComMethod.h"
#include "TaskelClass.h"
#include "TaskelFile.h"
#include "TaskelGuids.h"
#include "TaskelOptions.h"
#include "TaskelStrings.h"
#include "Trace.h"
#include "resource.h"

namespace
{

UINT ActionPrefixId(uint32_t storedAction)
{
    switch (storedAction)
    {
    case ACTION_MOVE:
        return IDS_INFOTIP_MOVE;
    case ACTION_COPY:
        return IDS_INFOTIP_COPY;
    case ACTION_RENAME:
        return IDS_INFOTIP_RENAME;
    case ACTION_DELETE:
        return IDS_INFOTIP_DELETE;
    case ACTION_MOVERENAME:
        return IDS_INFOTIP_MOVERENAME;
    case ACTION_COPYRENAME:
        return IDS_INFOTIP_COPYRENAME;
    default:
        return 0;
    }
}

// A copy of `text` in the task allocator's memory, as the shell frees it.
HRESULT TaskAllocatedCopy(const std::wstring &text, LPWSTR *out)
{
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    *out = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
    if (!*out) return E_OUTOFMEMORY;
    memcpy(*out, text.c_str(), bytes);
    return S_OK;
}

} // namespace

std::wstring InfoTipText(uint32_t storedAction, const std::vector<std::wstring> &sources,
                         const std::wstring &target, InfoTipStringLoader loadString)
{
    std::wstring text = loadString(IDS_INFOTIP_TITLE);
    if (UINT prefix = ActionPrefixId(storedAction)) text += loadString(prefix);
    for (size_t i = 0; i < sources.size() && !sources[i].empty(); ++i)
    {
        if (i > 0) text += L", ";
        text += sources[i];
    }
    if (storedAction != ACTION_DELETE && storedAction != ACTION_RENAME && !target.empty())
        text += loadString(IDS_INFOTIP_TO) + target;
    return text;
}

// Every entry reads the settings again (cheap when nothing changed): a level
// or file changed meanwhile, also to level 0, or a new day for a dated
// name, applies from this entry on without restarting the host.
void StartTracingAtEntry()
{
    StartTracing();
}

CTaskelInfoTip::CTaskelInfoTip()
{
    StartTracingAtEntry();
    Trace(4, L"CTaskelInfoTip::CTaskelInfoTip");
}

CTaskelInfoTip::~CTaskelInfoTip()
{
    Trace(4, L"CTaskelInfoTip::~CTaskelInfoTip");
}

HRESULT CTaskelInfoTip::CreateInstance(REFIID iid, void **out) noexcept
{
    return fx::ComMethod(TRACE_SITE_HERE(),
                         [&] { return fx::CreateComObject<CTaskelInfoTip>(iid, out); });
}

void *CTaskelInfoTip::GetInterface(REFIID iid) noexcept
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist) ||
        IsEqualIID(iid, IID_IPersistFile))
        return static_cast<IPersistFile *>(&m_xPersistFile);
    if (IsEqualIID(iid, IID_IQueryInfo)) return static_cast<IQueryInfo *>(&m_xQueryInfo);
    return nullptr;
}

// The file is opened read-only: the tooltip only reads it, and read-only
// files and media get their tooltip too. The container holds the file only
// while Load runs.
HRESULT CTaskelInfoTip::LoadFile(LPCOLESTR fileName)
{
    StartTracingAtEntry();
    Trace(4, L"XPersistFile::Load [%ls]", fileName ? fileName : L"");
    m_fileName = fileName ? fileName : L"";

    fx::ComPtr<ITaskelFile> file;
    RETURN_IF_FAILED(2, CTaskelFile::CreateInstance(m_fileName, IID_ITaskelFile, file.put_void()));
    RETURN_IF_FAILED(2, file->Open(TRUE));
    fx::ComPtr<IStorage> storage;
    RETURN_IF_FAILED(2, file.query(IID_IStorage, storage));

    CTaskel *command = new CTaskel;
    command->ExternalAddRef();
    fx::ComPtr<IPersistStorage> commandStorage;
    const HRESULT queried =
        command->ExternalQueryInterface(IID_IPersistStorage, commandStorage.put_void());
    command->ExternalRelease();
    RETURN_IF_FAILED(2, queried);
    m_commandStorage = commandStorage;
    m_command = command;
    m_loaded = false;

    const HRESULT hr = m_commandStorage->Load(storage.get());
    if (SUCCEEDED(hr))
    {
        m_loaded = true;
        Trace(4, L"Loaded [%s]", m_fileName.c_str());
    }
    return hr;
}

HRESULT CTaskelInfoTip::GetCurFile(LPOLESTR *fileName)
{
    if (!fileName) return E_POINTER;
    if (!m_fileName.empty()) return TaskAllocatedCopy(m_fileName, fileName);
    HRESULT hr = TaskAllocatedCopy(L"*.Taskel", fileName);
    return FAILED(hr) ? hr : S_FALSE;
}

// A command whose loading failed has no action to describe: it answers as
// if nothing was loaded, and the shell shows its default tooltip.
HRESULT CTaskelInfoTip::GetInfoTip(WCHAR **text)
{
    if (!text) return E_POINTER;
    *text = nullptr;
    if (!m_command || !m_loaded) return E_UNEXPECTED;
    return TaskAllocatedCopy(InfoTipText(m_command->GetStoredAction(), m_command->GetSources(),
                                         m_command->GetTarget(), LoadTaskelString),
                             text);
}

STDMETHODIMP CTaskelInfoTip::XPersistFile::GetClassID(CLSID *clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = CLSID_TaskelInfoTip;
    return S_OK;
}

STDMETHODIMP CTaskelInfoTip::XPersistFile::IsDirty()
{
    return S_FALSE;
}

STDMETHODIMP CTaskelInfoTip::XPersistFile::Load(LPCOLESTR fileName, DWORD)
{
    return fx::ComMethod(TRACE_SITE_HERE(), [&] { return Owner()->LoadFile(fileName); });
}

STDMETHODIMP CTaskelInfoTip::XPersistFile::Save(LPCOLESTR, BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP CTaskelInfoTip::XPersistFile::SaveCompleted(LPCOLESTR)
{
    return E_NOTIMPL;
}

STDMETHODIMP CTaskelInfoTip::XPersistFile::GetCurFile(LPOLESTR *fileName)
{
    return fx::ComMethod(TRACE_SITE_HERE(), [&] { return Owner()->GetCurFile(fileName); });
}

STDMETHODIMP CTaskelInfoTip::XQueryInfo::GetInfoTip(DWORD, WCHAR **text)
{
    return fx::ComMethod(TRACE_SITE_HERE(), [&] { return Owner()->GetInfoTip(text); });
}

STDMETHODIMP CTaskelInfoTip::XQueryInfo::GetInfoFlags(DWORD *flags)
{
    if (!flags) return E_POINTER;
    *flags = 0;
    return S_OK;
}
