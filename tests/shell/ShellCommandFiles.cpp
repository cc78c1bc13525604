// Command files for the shell tests, written with the library's own
// command object and container.
#include "ShellTestSupport.h"

#include <stdexcept>

#include "TaskelClass.h"
#include "TaskelFile.h"
#include "TaskelGuids.h"

void WriteCommandFile(const std::wstring &path, unsigned editorAction,
                      const std::vector<std::wstring> &sources, const std::wstring &target)
{
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
    fx::ComPtr<ITaskelFile> file;
    if (FAILED(CTaskelFile::CreateInstance(path, IID_ITaskelFile, file.put_void())) ||
        FAILED(file->Create()))
        throw std::runtime_error("cannot create command file");
    fx::ComPtr<IStorage> storage;
    file.query(IID_IStorage, storage);

    CTaskel *command = new CTaskel;
    command->ExternalAddRef();
    fx::ComPtr<IPersistStorage> persist;
    command->ExternalQueryInterface(IID_IPersistStorage, persist.put_void());
    command->SetAction(editorAction);
    for (size_t i = 0; i < sources.size(); ++i)
        command->SetSource(static_cast<long>(i), sources[i].c_str());
    command->SetTarget(target);
    HRESULT hr = persist->Save(storage.get(), FALSE);
    command->ExternalRelease();
    if (FAILED(hr) || FAILED(file->Commit())) throw std::runtime_error("cannot save command");
}
