// CTaskelInfoTip: loads a command file into a private command object and
// describes the command in the file's tooltip.
#define TRACE_SOURCE "Taskel\\TaskelInfoTip"
#include "TaskelInfoTip.h"

#include "ComMethod.h"
#include "TaskelClass.h"
#include "TaskelFile.h"
#include "TaskelGuids.h"
#include "FileOrigin.h"
#include "ShownText.h"
#include "TaskelOptions.h"
#include "TaskelStrings.h"
#include "Trace.h"
#include "resource.h"

namespace
{

// The tip's text as it is built, up to just past the length limit. Each
// character, surrogate pair or escape is one piece, and a cut text ends
// after a whole piece.
class CTipText
{
  public:
    // Appends `text`, its characters escaped where `escape` says; false
    // once the text is past the limit (nothing more would show).
    bool Add(const std::wstring &text, bool escape)
    {
        for (size_t i = 0; i < text.size() && !Full(); ++i)
        {
            const wchar_t c = text[i];
            if (escape && ShownEscaped(c))
            {
                const std::wstring escaped = EscapedCharacter(c);
                Piece(escaped.data(), escaped.size());
            }
            else if (IS_HIGH_SURROGATE(c) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]))
            {
                Piece(&text[i], 2);
                ++i;
            }
            else
                Piece(&c, 1);
        }
        return !Full();
    }

    // The text, or the longest run of whole pieces that leaves room for
    // the ellipsis, followed by it.
    std::wstring Finish()
    {
        if (!Full()) return m_text;
        size_t keep = 0;
        for (size_t end : m_ends)
            if (end < kMaxInfoTipLength) keep = end;
        m_text.resize(keep);
        m_text += L'\x2026';
        return m_text;
    }

  private:
    bool Full() const { return m_text.size() > kMaxInfoTipLength; }
    void Piece(const wchar_t *units, size_t count)
    {
        m_text.append(units, count);
        m_ends.push_back(m_text.size());
    }

    std::wstring m_text;
    std::vector<size_t> m_ends; // where each piece ends
};

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
                         const std::wstring &target, InfoTipStringLoader loadString,
                         bool foreign)
{
    // Building stops once the text is past its limit, however many sources
    // the command has.
    CTipText text;
    bool room = text.Add(loadString(IDS_INFOTIP_TITLE), false);
    if (room && foreign) room = text.Add(loadString(IDS_INFOTIP_FOREIGN), false);
    const UINT prefix = ActionPhraseId(storedAction);
    if (room && prefix) room = text.Add(loadString(prefix), false);
    for (size_t i = 0; room && i < sources.size() && !sources[i].empty(); ++i)
        room = (i == 0 || text.Add(L", ", false)) && text.Add(sources[i], true);
    if (room && storedAction != ACTION_DELETE && storedAction != ACTION_RENAME && !target.empty() &&
        text.Add(loadString(IDS_INFOTIP_TO), false))
        text.Add(target, true);
    return text.Finish();
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
    m_foreign = IsForeignOrigin(ReadFileOrigin(m_fileName));

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
                                         m_command->GetTarget(), LoadTaskelString, m_foreign),
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
