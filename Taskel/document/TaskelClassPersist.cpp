// CTaskel's storage and stream persistence: the object binds to the root
// storage of a command file and keeps its fields in the stream "Data".
#define TRACE_SOURCE "Taskel\\TaskelClass"
#include "TaskelClass.h"

#include <new>

#include "FxException.h"
#include "TaskelCodec.h"
#include "TaskelGuids.h"
#include "Trace.h"
#include "UniqueHandle.h"

namespace
{
const wchar_t kDataStream[] = L"Data";
// A "Data" stream is a few hundred bytes; reading stops well before a
// broken stream could exhaust memory.
const size_t kMaxDataStreamSize = 16 * 1024 * 1024;

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

// Reads the whole stream from its start.
HRESULT ReadWholeStream(IStream *stream, std::vector<uint8_t> &bytes)
{
    LARGE_INTEGER start = {};
    HRESULT hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) return hr;
    uint8_t chunk[4096];
    for (;;)
    {
        ULONG read = 0;
        hr = stream->Read(chunk, sizeof(chunk), &read);
        if (FAILED(hr)) return hr;
        if (bytes.size() + read > kMaxDataStreamSize) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
        bytes.insert(bytes.end(), chunk, chunk + read);
        if (read < sizeof(chunk)) return S_OK;
    }
}

// The result of a persistence method through the COM error trace, which
// traces failures only, under the method's name.
HRESULT Traced(int line, HRESULT hr, const wchar_t *method)
{
    SetTraceLocation(TRACE_SOURCE, line);
    return LogComErr(3, hr, method);
}

HRESULT TracedFailure(int line, HRESULT hr, const wchar_t *name)
{
    SetTraceLocation(TRACE_SOURCE, line);
    return LogComErr(2, hr, name);
}
} // namespace

HRESULT CTaskel::StreamLoad(IStream *stream)
{
    m_sources.clear();
    m_target.clear();
    std::vector<uint8_t> bytes;
    HRESULT hr = ReadWholeStream(stream, bytes);
    if (FAILED(hr)) return hr;

    CommandData data;
    hr = DecodeResult(DecodeCommandData(bytes.data(), bytes.size(), data));
    m_action = data.action;
    m_options = data.options;
    m_sources = std::move(data.sources);
    m_target = std::move(data.target);
    if (FAILED(hr)) return hr;

    m_options &= GetOptionMask();
    m_dirty = false;
    return S_OK;
}

HRESULT CTaskel::StreamSave(IStream *stream)
{
    LARGE_INTEGER start = {};
    HRESULT hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) return hr;

    CommandData data;
    data.action = m_action;
    data.options = m_options;
    data.sources = m_sources;
    data.target = m_target;
    std::vector<uint8_t> bytes = EncodeCommandData(data);
    ULONG written = 0;
    hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    if (FAILED(hr)) return hr;
    if (written != bytes.size()) return STG_E_MEDIUMFULL;
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
        return userTypeRequired ? (FAILED(hr) ? hr : REGDB_E_CLASSNOTREG) : S_FALSE;
    hr = ::WriteFmtUserTypeStg(storage, format, name);
    if (FAILED(hr)) TracedFailure(__LINE__, hr, L"WriteFmtUserTypeStg");
    return hr;
}

HRESULT CTaskel::StorageInitNew(IStorage *storage)
{
    if (!storage) return E_FAIL;
    if (m_storage) return CO_E_ALREADYINITIALIZED;
    m_storage = fx::ComPtr<IStorage>(storage);
    m_stream.reset();
    m_noScribble = false;

    HRESULT hr = WriteFormatAndUserType(storage, true);
    if (FAILED(hr)) return hr;
    hr = storage->CreateStream(kDataStream, STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0,
                               0, m_stream.put());
    if (FAILED(hr)) return hr;
    InitNewFields();
    m_dirty = false;
    return S_OK;
}

HRESULT CTaskel::StorageLoad(IStorage *storage)
{
    if (!storage) return E_FAIL;
    if (m_storage) return CO_E_ALREADYINITIALIZED;
    m_storage = fx::ComPtr<IStorage>(storage);
    m_stream.reset();
    m_noScribble = false;

    fx::ComPtr<IStream> stream;
    HRESULT hr = storage->OpenStream(kDataStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                     stream.put());
    if (FAILED(hr)) return hr;
    hr = StreamLoad(stream.get());
    if (FAILED(hr)) return hr;
    m_stream = stream;
    m_dirty = false;
    return S_OK;
}

HRESULT CTaskel::StorageSave(IStorage *storage, bool sameAsLoad)
{
    if (!storage) return E_FAIL;
    if (sameAsLoad && !m_storage) return E_UNEXPECTED;
    m_stream.reset();
    m_storage = fx::ComPtr<IStorage>(storage);
    m_noScribble = true;

    HRESULT hr;
    if (!sameAsLoad)
    {
        hr = WriteFormatAndUserType(storage, false);
        if (FAILED(hr)) return hr;
    }
    hr = storage->CreateStream(kDataStream, STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0,
                               0, m_stream.put());
    if (FAILED(hr)) return TracedFailure(__LINE__, hr, L"CreateStream");
    hr = StreamSave(m_stream.get());
    if (SUCCEEDED(hr)) hr = m_stream->Commit(STGC_DEFAULT);
    if (FAILED(hr)) return hr;
    m_dirty = false;
    return S_OK;
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

// Every persistence method traces its name on entry, traps every exception
// and passes its result through the COM error trace under that name.
#define PERSIST_METHOD(name, call)                                                                 \
    Trace(4, name);                                                                                \
    HRESULT hr = E_UNEXPECTED;                                                                     \
    try                                                                                            \
    {                                                                                              \
        hr = call;                                                                                 \
    }                                                                                              \
    catch (const std::bad_alloc &)                                                                 \
    {                                                                                              \
        hr = E_OUTOFMEMORY;                                                                        \
    }                                                                                              \
    TRACE_CATCH_ALL(2)                                                                             \
    return Traced(__LINE__, hr, name);

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

STDMETHODIMP CTaskel::XPersistStorage::InitNew(IStorage *storage){
    PERSIST_METHOD(L"CTaskel::XPersistStorage::InitNew", Owner()->StorageInitNew(storage))}

STDMETHODIMP CTaskel::XPersistStorage::Load(IStorage *storage){
    PERSIST_METHOD(L"CTaskel::XPersistStorage::Load", Owner()->StorageLoad(storage))}

STDMETHODIMP CTaskel::XPersistStorage::Save(IStorage *storage, BOOL sameAsLoad){
    PERSIST_METHOD(L"CTaskel::XPersistStorage::Save",
                   Owner()->StorageSave(storage, sameAsLoad != FALSE))}

STDMETHODIMP CTaskel::XPersistStorage::SaveCompleted(IStorage *storage){
    PERSIST_METHOD(L"CTaskel::XPersistStorage::SaveCompleted",
                   Owner()->StorageSaveCompleted(storage))}

STDMETHODIMP CTaskel::XPersistStorage::HandsOffStorage(){
    PERSIST_METHOD(L"CTaskel::XPersistStorage::HandsOffStorage",
                   (Owner()->m_stream.reset(), Owner()->m_storage.reset(), S_OK))}

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

STDMETHODIMP CTaskel::XPersistStream::Load(IStream *stream){
    PERSIST_METHOD(L"CTaskel::XPersistStream::Load",
                   stream ? Owner()->StreamLoad(stream) : E_INVALIDARG)}

STDMETHODIMP CTaskel::XPersistStream::Save(IStream *stream, BOOL){
    PERSIST_METHOD(L"CTaskel::XPersistStream::Save",
                   stream ? Owner()->StreamSave(stream) : E_INVALIDARG)}

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
