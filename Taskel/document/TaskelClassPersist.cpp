// CTaskel's storage and stream persistence: the object binds to the root
// storage of a command file and keeps its fields in the stream "Data".
#define TRACE_SOURCE "Taskel\\TaskelClass"
#include "TaskelClass.h"

#include "ComMethod.h"
#include "TaskelCodec.h"
#include "TaskelGuids.h"
#include "Trace.h"
#include "UniqueHandle.h"

namespace
{
const wchar_t kDataStream[] = L"Data";

HRESULT DecodeResult(DecodeStatus status)
{
    switch (status)
    {
    case DecodeStatus::Ok:
        return S_OK;
    case DecodeStatus::Truncated:
        return HRESULT_FROM_WIN32(ERROR_HANDLE_EOF);
    default:
        return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    }
}

// Reads the whole stream from its start. A "Data" stream is a few hundred
// bytes; one larger than a command may hold is refused before it is read,
// and a stream that cannot tell its size is read up to that limit.
HRESULT ReadWholeStream(IStream *stream, std::vector<uint8_t> &bytes)
{
    STATSTG stat = {};
    if (SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)))
    {
        if (stat.cbSize.QuadPart > kMaxDataStreamBytes)
        {
            TRACE_HERE();
            return LogComErr(2, HRESULT_FROM_WIN32(ERROR_INVALID_DATA),
                             L"Data stream of [%I64u] bytes",
                             static_cast<unsigned long long>(stat.cbSize.QuadPart));
        }
        bytes.reserve(static_cast<size_t>(stat.cbSize.QuadPart));
    }
    LARGE_INTEGER start = {};
    RETURN_IF_FAILED(2, stream->Seek(start, STREAM_SEEK_SET, nullptr));
    uint8_t chunk[4096];
    for (;;)
    {
        ULONG read = 0;
        RETURN_IF_FAILED(2, stream->Read(chunk, sizeof(chunk), &read));
        if (bytes.size() + read > kMaxDataStreamBytes)
            return TRACE_HR(2, HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
        bytes.insert(bytes.end(), chunk, chunk + read);
        if (read < sizeof(chunk)) return S_OK;
    }
}

// The body shape of every persistence method: its name traced on entry,
// the body inside the boundary trap, and the result through the COM error
// trace under the name (which traces failures only).
template <class Body>
HRESULT PersistMethod(const wchar_t *name, const TraceSite &site, Body &&body) noexcept
{
    Trace(4, name);
    const HRESULT hr = fx::ComMethod(site, std::forward<Body>(body));
    SetTraceLocation(site);
    return LogComErr(3, hr, name);
}
} // namespace

// Each failure below is traced once, where it arises; a caller of these
// steps passes their result on.

HRESULT CTaskel::StreamLoad(IStream *stream)
{
    m_sources.clear();
    m_target.clear();
    std::vector<uint8_t> bytes;
    HRESULT hr = ReadWholeStream(stream, bytes);
    if (SUCCEEDED(hr))
    {
        // The fields read before a damaged part stay as read.
        CommandData data;
        const DecodeStatus status = DecodeCommandData(bytes.data(), bytes.size(), data);
        m_action = data.action;
        m_options = data.options;
        m_sources = std::move(data.sources);
        m_target = std::move(data.target);
        hr = TRACE_HR(2, DecodeResult(status));
    }
    if (SUCCEEDED(hr))
    {
        m_options &= GetOptionMask();
        m_dirty = false;
    }
    return hr;
}

CommandData CTaskel::Fields() const
{
    CommandData data;
    data.action = m_action;
    data.options = m_options;
    data.sources = m_sources;
    data.target = m_target;
    return data;
}

// A command beyond what a command file may hold is not saved: it would
// not open again. Nothing is written, the command stays dirty, and the
// caller reports the file as too large.
HRESULT CTaskel::CheckSavable(const CommandData &data) const
{
    if (FitsCommandLimits(data)) return S_OK;
    TRACE_HERE();
    return LogComErr(2, HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE), L"Command of [%u] sources",
                     static_cast<unsigned>(data.sources.size()));
}

HRESULT CTaskel::StreamSave(IStream *stream)
{
    const CommandData data = Fields();
    const HRESULT savable = CheckSavable(data);
    if (FAILED(savable)) return savable;
    LARGE_INTEGER start = {};
    RETURN_IF_FAILED(2, stream->Seek(start, STREAM_SEEK_SET, nullptr));

    std::vector<uint8_t> bytes = EncodeCommandData(data);
    ULONG written = 0;
    RETURN_IF_FAILED(2, stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
    if (written != bytes.size()) return TRACE_HR(2, STG_E_MEDIUMFULL);
    m_dirty = false;
    return S_OK;
}

// Writes "Object Descriptor" and the registered user type of the command
// class. Without a registered user type this fails when `userTypeRequired`
// and is skipped otherwise.
HRESULT CTaskel::WriteFormatAndUserType(IStorage *storage, bool userTypeRequired)
{
    CLIPFORMAT format = static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(L"Object Descriptor"));
    fx::unique_cotaskmem userType;
    LPOLESTR name = nullptr;
    HRESULT hr = ::OleRegGetUserType(CLSID_Taskel, USERCLASSTYPE_FULL, &name);
    userType.reset(name);
    if (FAILED(hr) || !name)
        return userTypeRequired
                   ? TRACE_NAMED(2, L"OleRegGetUserType", FAILED(hr) ? hr : REGDB_E_CLASSNOTREG)
                   : S_FALSE;
    return TRACE_NAMED(2, L"WriteFmtUserTypeStg", ::WriteFmtUserTypeStg(storage, format, name));
}

HRESULT CTaskel::CreateDataStream(IStorage *storage)
{
    return TRACE_NAMED(2, L"CreateStream",
                       storage->CreateStream(kDataStream,
                                             STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0,
                                             0, m_stream.put()));
}

HRESULT CTaskel::StorageInitNew(IStorage *storage)
{
    if (!storage) return E_FAIL;
    if (m_storage) return CO_E_ALREADYINITIALIZED;
    m_storage = fx::ComPtr<IStorage>(storage);
    m_stream.reset();
    m_noScribble = false;

    HRESULT hr = WriteFormatAndUserType(storage, true);
    if (SUCCEEDED(hr)) hr = CreateDataStream(storage);
    if (SUCCEEDED(hr)) InitNewFields(); // clears dirty
    return SUCCEEDED(hr) ? S_OK : hr;
}

HRESULT CTaskel::StorageLoad(IStorage *storage)
{
    if (!storage) return E_FAIL;
    if (m_storage) return CO_E_ALREADYINITIALIZED;
    m_storage = fx::ComPtr<IStorage>(storage);
    m_stream.reset();
    m_noScribble = false;

    fx::ComPtr<IStream> stream;
    RETURN_IF_FAILED_NAMED(2, L"OpenStream",
                           storage->OpenStream(kDataStream, nullptr,
                                               STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put()));
    const HRESULT hr = StreamLoad(stream.get()); // clears dirty
    if (SUCCEEDED(hr)) m_stream = stream;
    return hr;
}

HRESULT CTaskel::StorageSave(IStorage *storage, bool sameAsLoad)
{
    if (!storage) return E_FAIL;
    if (sameAsLoad && !m_storage) return E_UNEXPECTED;
    // Refused before the storage is touched: it keeps the command it held.
    const HRESULT savable = CheckSavable(Fields());
    if (FAILED(savable)) return savable;
    m_stream.reset();
    m_storage = fx::ComPtr<IStorage>(storage);
    m_noScribble = true;

    HRESULT hr = sameAsLoad ? S_OK : WriteFormatAndUserType(storage, false);
    if (SUCCEEDED(hr)) hr = CreateDataStream(storage);
    if (SUCCEEDED(hr)) hr = StreamSave(m_stream.get());
    if (SUCCEEDED(hr)) hr = TRACE_NAMED(2, L"Commit", m_stream->Commit(STGC_DEFAULT));
    return SUCCEEDED(hr) ? S_OK : hr; // StreamSave cleared dirty
}

HRESULT CTaskel::StorageSaveCompleted(IStorage *storage)
{
    if (!m_noScribble && m_storage) return E_UNEXPECTED;
    if (!m_storage && !storage) return E_INVALIDARG;
    if (storage) m_storage = fx::ComPtr<IStorage>(storage);
    m_stream.reset();
    m_noScribble = false;
    fx::ComPtr<IStream> stream;
    if (SUCCEEDED(m_storage->OpenStream(kDataStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                        stream.put())))
        m_stream = stream;
    return S_OK;
}

STDMETHODIMP CTaskel::XPersistStorage::GetClassID(CLSID *clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Taskel;
    return S_OK;
}

STDMETHODIMP CTaskel::XPersistStorage::IsDirty()
{
    return Owner()->m_dirty ? S_OK : S_FALSE;
}

STDMETHODIMP CTaskel::XPersistStorage::InitNew(IStorage *storage)
{
    return PersistMethod(L"CTaskel::XPersistStorage::InitNew", TRACE_SITE_HERE(),
                         [&] { return Owner()->StorageInitNew(storage); });
}

STDMETHODIMP CTaskel::XPersistStorage::Load(IStorage *storage)
{
    return PersistMethod(L"CTaskel::XPersistStorage::Load", TRACE_SITE_HERE(),
                         [&] { return Owner()->StorageLoad(storage); });
}

STDMETHODIMP CTaskel::XPersistStorage::Save(IStorage *storage, BOOL sameAsLoad)
{
    return PersistMethod(L"CTaskel::XPersistStorage::Save", TRACE_SITE_HERE(),
                         [&] { return Owner()->StorageSave(storage, sameAsLoad != FALSE); });
}

STDMETHODIMP CTaskel::XPersistStorage::SaveCompleted(IStorage *storage)
{
    return PersistMethod(L"CTaskel::XPersistStorage::SaveCompleted", TRACE_SITE_HERE(),
                         [&] { return Owner()->StorageSaveCompleted(storage); });
}

STDMETHODIMP CTaskel::XPersistStorage::HandsOffStorage()
{
    return PersistMethod(L"CTaskel::XPersistStorage::HandsOffStorage", TRACE_SITE_HERE(), [&] {
        Owner()->m_stream.reset();
        Owner()->m_storage.reset();
        return S_OK;
    });
}

STDMETHODIMP CTaskel::XPersistStream::GetClassID(CLSID *clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Taskel;
    return S_OK;
}

STDMETHODIMP CTaskel::XPersistStream::IsDirty()
{
    return Owner()->m_dirty ? S_OK : S_FALSE;
}

STDMETHODIMP CTaskel::XPersistStream::Load(IStream *stream)
{
    return PersistMethod(L"CTaskel::XPersistStream::Load", TRACE_SITE_HERE(),
                         [&] { return stream ? Owner()->StreamLoad(stream) : E_INVALIDARG; });
}

STDMETHODIMP CTaskel::XPersistStream::Save(IStream *stream, BOOL)
{
    return PersistMethod(L"CTaskel::XPersistStream::Save", TRACE_SITE_HERE(),
                         [&] { return stream ? Owner()->StreamSave(stream) : E_INVALIDARG; });
}

STDMETHODIMP CTaskel::XPersistStream::GetSizeMax(ULARGE_INTEGER *size)
{
    if (!size) return E_POINTER;
    size->QuadPart = 260;
    return S_OK;
}

STDMETHODIMP CTaskel::XPersistStream::InitNew()
{
    Owner()->InitNewFields();
    return S_OK;
}
