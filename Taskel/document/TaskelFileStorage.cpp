// CTaskelFile's IStorage part: every call is passed unchanged to the storage
// the container holds, or fails with E_UNEXPECTED while it holds none.
#define TRACE_SOURCE "Taskel\\TaskelFile"
#include "TaskelFile.h"

#define FORWARD_TO_STORAGE(call)                                                                   \
    {                                                                                              \
        IStorage *storage = Owner()->m_storage.get();                                              \
        return storage ? storage->call : E_UNEXPECTED;                                             \
    }

STDMETHODIMP CTaskelFile::XStorage::CreateStream(const OLECHAR *name, DWORD mode, DWORD reserved1,
                                                 DWORD reserved2, IStream **out)
    FORWARD_TO_STORAGE(CreateStream(name, mode, reserved1, reserved2, out))

        STDMETHODIMP CTaskelFile::XStorage::OpenStream(const OLECHAR *name, void *reserved1,
                                                       DWORD mode, DWORD reserved2, IStream **out)
            FORWARD_TO_STORAGE(OpenStream(name, reserved1, mode, reserved2, out))

                STDMETHODIMP CTaskelFile::XStorage::CreateStorage(const OLECHAR *name, DWORD mode,
                                                                  DWORD reserved1, DWORD reserved2,
                                                                  IStorage **out)
                    FORWARD_TO_STORAGE(CreateStorage(name, mode, reserved1, reserved2, out))

                        STDMETHODIMP
    CTaskelFile::XStorage::OpenStorage(const OLECHAR *name, IStorage *priority, DWORD mode,
                                       SNB exclude, DWORD reserved, IStorage **out)
        FORWARD_TO_STORAGE(OpenStorage(name, priority, mode, exclude, reserved, out))

            STDMETHODIMP CTaskelFile::XStorage::CopyTo(DWORD excludeCount, const IID *exclude,
                                                       SNB excludeNames, IStorage *dest)
                FORWARD_TO_STORAGE(CopyTo(excludeCount, exclude, excludeNames, dest))

                    STDMETHODIMP CTaskelFile::XStorage::MoveElementTo(const OLECHAR *name,
                                                                      IStorage *dest,
                                                                      const OLECHAR *newName,
                                                                      DWORD flags)
                        FORWARD_TO_STORAGE(MoveElementTo(name, dest, newName, flags))

                            STDMETHODIMP CTaskelFile::XStorage::Commit(DWORD flags)
                                FORWARD_TO_STORAGE(Commit(flags))

                                    STDMETHODIMP
    CTaskelFile::XStorage::Revert() FORWARD_TO_STORAGE(Revert())

        STDMETHODIMP CTaskelFile::XStorage::EnumElements(DWORD reserved1, void *reserved2,
                                                         DWORD reserved3, IEnumSTATSTG **out)
            FORWARD_TO_STORAGE(EnumElements(reserved1, reserved2, reserved3, out))

                STDMETHODIMP CTaskelFile::XStorage::DestroyElement(const OLECHAR *name)
                    FORWARD_TO_STORAGE(DestroyElement(name))

                        STDMETHODIMP CTaskelFile::XStorage::RenameElement(const OLECHAR *oldName,
                                                                          const OLECHAR *newName)
                            FORWARD_TO_STORAGE(RenameElement(oldName, newName))

                                STDMETHODIMP
    CTaskelFile::XStorage::SetElementTimes(const OLECHAR *name, const FILETIME *created,
                                           const FILETIME *accessed, const FILETIME *modified)
        FORWARD_TO_STORAGE(SetElementTimes(name, created, accessed, modified))

            STDMETHODIMP CTaskelFile::XStorage::SetClass(REFCLSID clsid)
                FORWARD_TO_STORAGE(SetClass(clsid))

                    STDMETHODIMP CTaskelFile::XStorage::SetStateBits(DWORD bits, DWORD mask)
                        FORWARD_TO_STORAGE(SetStateBits(bits, mask))

                            STDMETHODIMP CTaskelFile::XStorage::Stat(STATSTG *stat, DWORD flags)
                                FORWARD_TO_STORAGE(Stat(stat, flags))
