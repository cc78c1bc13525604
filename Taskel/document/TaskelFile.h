// CTaskelFile: binds a command file on disk to a compound-file storage held
// in memory. The file is read whole at Open and written whole at Commit,
// behind a 16-byte prefix (the command class identifier).
#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>

#include "ComObject.h"
#include "ComPtr.h"
#include "UniqueHandle.h"

// The container's own interface (IID_ITaskelFile).
struct ITaskelFile : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Create() = 0;
    virtual HRESULT STDMETHODCALLTYPE Open(BOOL readOnly) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reopen(BOOL readOnly) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
    virtual HRESULT STDMETHODCALLTYPE Commit() = 0;
};

// Command files are small; anything larger is refused at Open so a broken
// or hostile file cannot exhaust the memory of the process (the shell's,
// for the info tip). The prefix and an image of at most 2 MiB, the largest
// image the structural check accepts (CompoundFileLimits): Commit refuses
// to write more, so every file the product writes opens again.
constexpr DWORD kMaxCommandFileSize = 16 + 2 * 1024 * 1024;

// Test seam in front of the WriteFile calls of Commit; null restores the
// system's WriteFile.
using TaskelFileWriteFunction = BOOL (*)(HANDLE file, const void *data, DWORD size, DWORD *written);
void SetTaskelFileWriteSeam(TaskelFileWriteFunction write);

class CTaskelFile : public fx::CComObject
{
  public:
    explicit CTaskelFile(const std::wstring &path);

    const std::wstring &Path() const noexcept { return m_path; }

    // Creates a container for `path` and hands out `iid` (ITaskelFile or IStorage).
    static HRESULT CreateInstance(const std::wstring &path, REFIID iid, void **out) noexcept;

    class XTaskelFile : public fx::CInterfacePart<CTaskelFile, ITaskelFile>
    {
      public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP Create() override;
        STDMETHODIMP Open(BOOL readOnly) override;
        STDMETHODIMP Reopen(BOOL readOnly) override;
        STDMETHODIMP Close() override;
        STDMETHODIMP Commit() override;
    };

    // Every call goes to the held storage; E_UNEXPECTED while none is held.
    class XStorage : public fx::CInterfacePart<CTaskelFile, IStorage>
    {
      public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP CreateStream(const OLECHAR *name, DWORD mode, DWORD reserved1, DWORD reserved2,
                                  IStream **out) override;
        STDMETHODIMP OpenStream(const OLECHAR *name, void *reserved1, DWORD mode, DWORD reserved2,
                                IStream **out) override;
        STDMETHODIMP CreateStorage(const OLECHAR *name, DWORD mode, DWORD reserved1,
                                   DWORD reserved2, IStorage **out) override;
        STDMETHODIMP OpenStorage(const OLECHAR *name, IStorage *priority, DWORD mode, SNB exclude,
                                 DWORD reserved, IStorage **out) override;
        STDMETHODIMP CopyTo(DWORD excludeCount, const IID *exclude, SNB excludeNames,
                            IStorage *dest) override;
        STDMETHODIMP MoveElementTo(const OLECHAR *name, IStorage *dest, const OLECHAR *newName,
                                   DWORD flags) override;
        STDMETHODIMP Commit(DWORD flags) override;
        STDMETHODIMP Revert() override;
        STDMETHODIMP EnumElements(DWORD reserved1, void *reserved2, DWORD reserved3,
                                  IEnumSTATSTG **out) override;
        STDMETHODIMP DestroyElement(const OLECHAR *name) override;
        STDMETHODIMP RenameElement(const OLECHAR *oldName, const OLECHAR *newName) override;
        STDMETHODIMP SetElementTimes(const OLECHAR *name, const FILETIME *created,
                                     const FILETIME *accessed, const FILETIME *modified) override;
        STDMETHODIMP SetClass(REFCLSID clsid) override;
        STDMETHODIMP SetStateBits(DWORD bits, DWORD mask) override;
        STDMETHODIMP Stat(STATSTG *stat, DWORD flags) override;
    };

  protected:
    ~CTaskelFile() override;
    void *GetInterface(REFIID iid) noexcept override;

  private:
    HRESULT DoCreate();
    HRESULT DoOpen(bool readOnly);
    HRESULT DoReopen(bool readOnly);
    HRESULT DoClose();
    HRESULT DoCommit();
    HRESULT ReadCheckedImage(DWORD imageSize, fx::unique_hglobal &block);
    HRESULT WriteContent(const BYTE *image, DWORD imageSize);
    void ReleaseStorage() noexcept;

    fx::CModuleLock m_moduleLock;
    std::wstring m_path;
    fx::ComPtr<IStorage> m_storage;
    fx::unique_file m_file;
    fx::ComPtr<ILockBytes> m_lockBytes;
    XTaskelFile m_xTaskelFile{this};
    XStorage m_xStorage{this};
};
