// Command objects of the command class and command files loaded or written
// whole through the container and storage persistence.
#define TRACE_SOURCE "Taskel\\TaskelClass"
#include "TaskelCommandFile.h"

#include "FileOrigin.h"
#include "TaskelGuids.h"
#include "Trace.h"

HRESULT CreateCommandObject(fx::ComPtr<IDispatch> &dispatch, CTaskel *&object)
{
    object = nullptr;
    RETURN_IF_FAILED(2, CTaskel::CreateInstance(IID_IDispatch, dispatch.put_void()));
    // The command class answers IDispatch with its dispatch part.
    object = static_cast<CTaskel::XDispatch *>(dispatch.get())->Object();
    return S_OK;
}

HRESULT OpenCommandStorage(const std::wstring &path, fx::ComPtr<ITaskelFile> &file,
                           fx::ComPtr<IStorage> &storage)
{
    HRESULT hr = CTaskelFile::CreateInstance(path, IID_ITaskelFile, file.put_void());
    if (SUCCEEDED(hr)) hr = file->Open(TRUE);
    if (SUCCEEDED(hr)) hr = file.query(IID_IStorage, storage);
    return hr;
}

namespace
{
fx::ComPtr<IPersistStorage> StoragePersistence(CTaskel &command)
{
    fx::ComPtr<IPersistStorage> persist;
    command.ExternalQueryInterface(IID_IPersistStorage, persist.put_void());
    return persist;
}
} // namespace

HRESULT LoadCommandFile(const std::wstring &path, CTaskel &command)
{
    fx::ComPtr<ITaskelFile> file;
    fx::ComPtr<IStorage> storage;
    // The container and the persistence methods trace their failures.
    HRESULT hr = OpenCommandStorage(path, file, storage);
    fx::ComPtr<IPersistStorage> persist;
    if (SUCCEEDED(hr)) persist = StoragePersistence(command);
    if (SUCCEEDED(hr)) hr = persist ? persist->Load(storage.get()) : E_NOINTERFACE;
    if (SUCCEEDED(hr)) command.SetFromForeignFile(IsForeignOrigin(ReadFileOrigin(path)));
    return hr;
}

HRESULT SaveNewCommandFile(const std::wstring &path, CTaskel &command)
{
    fx::ComPtr<IPersistStorage> persist = StoragePersistence(command);
    if (!persist) return E_NOINTERFACE;
    fx::ComPtr<ITaskelFile> file;
    HRESULT hr = CTaskelFile::CreateInstance(path, IID_ITaskelFile, file.put_void());
    if (SUCCEEDED(hr)) hr = file->Create();
    // From here on the file exists: a failure removes it again, so that
    // nothing half-written stays and a retry is not told the file exists.
    const bool created = SUCCEEDED(hr);
    fx::ComPtr<IStorage> storage;
    if (SUCCEEDED(hr)) hr = file.query(IID_IStorage, storage);
    if (SUCCEEDED(hr)) hr = persist->Save(storage.get(), FALSE);
    if (SUCCEEDED(hr)) hr = persist->HandsOffStorage();
    if (SUCCEEDED(hr)) hr = file->Commit();
    // Written: the command keeps the image in memory, the file is let go.
    if (SUCCEEDED(hr)) file->Reopen(TRUE);
    if (SUCCEEDED(hr)) hr = persist->SaveCompleted(storage.get());
    if (FAILED(hr) && created)
    {
        storage.reset();
        file->Close();
        if (!::DeleteFileW(path.c_str()))
            LogWinErr(2, ::GetLastError(), L"DeleteFile");
    }
    return hr;
}
