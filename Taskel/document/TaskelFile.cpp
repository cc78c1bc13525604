// CTaskelFile: the command file container. The compound-file image lives in
// a global memory block behind an ILockBytes; Open reads the file into it and
// Commit writes it back behind the 16-byte class-identifier prefix.
#define TRACE_SOURCE "Taskel\\TaskelFile"
#include "TaskelFile.h"

#include <cstring>
#include <vector>

#include "ComMethod.h"
#include "CompoundFileCheck.h"
#include "TaskelGuids.h"
#include "Trace.h"

namespace
{
BOOL SystemWrite(HANDLE file, const void *data, DWORD size, DWORD *written)
{
    return ::WriteFile(file, data, size, written, nullptr);
}

TaskelFileWriteFunction g_write = SystemWrite;

const DWORD kReadOnlyMode = STGM_TRANSACTED | STGM_READ | STGM_SHARE_DENY_NONE;
const DWORD kReadWriteMode = STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_DENY_WRITE;
const DWORD kPrefixSize = sizeof(CLSID);
const DWORD kHeaderSectorSize = 512;

// What the structural check lets through: an image as large as a command
// file may hold behind its prefix.
CompoundFileLimits ImageLimits()
{
    CompoundFileLimits limits;
    limits.maxImageBytes = kMaxCommandFileSize - kPrefixSize;
    return limits;
}

// An image the structural check refuses is no command file. The result is
// the one the system's storage gives for an image that is no compound file
// at all, so callers report it as they always did.
HRESULT RefusedImage(const std::wstring &path, CompoundFileVerdict verdict)
{
    Trace(2, L"File [%s] is not a sound compound file [%hs]", path.c_str(), VerdictName(verdict));
    return STG_E_INVALIDHEADER;
}

DWORD StorageMode(bool readOnly)
{
    return readOnly ? kReadOnlyMode : kReadWriteMode;
}

// Traces a failed system call under `name` and returns it as a COM result.
HRESULT TraceWinFailure(int line, DWORD error, const wchar_t *name)
{
    SetTraceLocation(TRACE_SOURCE, line);
    LogWinErr(2, error, name);
    return HRESULT_FROM_WIN32(error);
}

bool SeekTo(HANDLE file, DWORD offset)
{
    return ::SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN) !=
               INVALID_SET_FILE_POINTER ||
           ::GetLastError() == NO_ERROR;
}

// Writes all of `size` bytes through the write seam.
bool WriteAll(HANDLE file, const BYTE *data, DWORD size)
{
    while (size > 0)
    {
        DWORD written = 0;
        if (!g_write(file, data, size, &written)) return false;
        if (written == 0)
        {
            ::SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool ReadAll(HANDLE file, BYTE *data, DWORD size)
{
    while (size > 0)
    {
        DWORD read = 0;
        if (!::ReadFile(file, data, size, &read, nullptr)) return false;
        if (read == 0)
        {
            ::SetLastError(ERROR_HANDLE_EOF);
            return false;
        }
        data += read;
        size -= read;
    }
    return true;
}
} // namespace

void SetTaskelFileWriteSeam(TaskelFileWriteFunction write)
{
    g_write = write ? write : SystemWrite;
}

CTaskelFile::CTaskelFile(const std::wstring &path) : m_path(path)
{
    Trace(4, L"CTaskelFile::CTaskelFile");
}

CTaskelFile::~CTaskelFile()
{
    m_file.reset();
    ReleaseStorage();
    Trace(4, L"CTaskelFile::~CTaskelFile");
}

HRESULT CTaskelFile::CreateInstance(const std::wstring &path, REFIID iid, void **out) noexcept
{
    return fx::ComMethod(TRACE_SITE_HERE(), [&]() -> HRESULT {
        if (!out) return E_POINTER;
        *out = nullptr;
        CTaskelFile *file = new CTaskelFile(path);
        file->ExternalAddRef();
        HRESULT hr = file->ExternalQueryInterface(iid, out);
        file->ExternalRelease();
        return hr;
    });
}

void *CTaskelFile::GetInterface(REFIID iid) noexcept
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ITaskelFile))
        return static_cast<ITaskelFile *>(&m_xTaskelFile);
    if (IsEqualIID(iid, IID_IStorage)) return static_cast<IStorage *>(&m_xStorage);
    return nullptr;
}

void CTaskelFile::ReleaseStorage() noexcept
{
    m_storage.reset();
    m_lockBytes.reset();
}

HRESULT CTaskelFile::DoCreate()
{
    m_file.reset();
    ReleaseStorage();

    HRESULT hr = TRACE_NAMED(2, L"CreateILockBytesOnHGlobal",
                             ::CreateILockBytesOnHGlobal(nullptr, TRUE, m_lockBytes.put()));
    if (SUCCEEDED(hr))
        hr = TRACE_NAMED(2, L"StgCreateDocfileOnILockBytes",
                         ::StgCreateDocfileOnILockBytes(m_lockBytes.get(),
                                                        STGM_READWRITE | STGM_SHARE_DENY_WRITE |
                                                            STGM_TRANSACTED | STGM_CREATE,
                                                        0, m_storage.put()));
    if (SUCCEEDED(hr)) hr = TRACE_NAMED(2, L"SetClass", m_storage->SetClass(CLSID_Taskel));
    if (SUCCEEDED(hr))
    {
        m_file.reset(::CreateFileW(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                   nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!m_file) hr = TraceWinFailure(__LINE__, ::GetLastError(), L"CreateFile");
    }
    if (FAILED(hr)) ReleaseStorage();
    return hr;
}

// Reads the prefix and checks it against the command class, then the
// header sector and what it says of the image, and only then the whole
// image into a new `block`, which the structural check reads before anyone
// else: a foreign or malformed file is refused before memory is taken for
// its image, and the system's storage never sees an image the check
// refuses.
HRESULT CTaskelFile::ReadCheckedImage(DWORD imageSize, fx::unique_hglobal &block)
{
    HANDLE file = m_file.get();
    CLSID prefix;
    if (!ReadAll(file, reinterpret_cast<BYTE *>(&prefix), kPrefixSize))
        return TraceWinFailure(__LINE__, ::GetLastError(), L"ReadFile");
    if (!IsEqualCLSID(prefix, CLSID_Taskel))
    {
        Trace(2, L"File [%s] does not have the proper prefix", m_path.c_str());
        return CO_E_CANTDETERMINECLASS;
    }

    const CompoundFileLimits limits = ImageLimits();
    BYTE header[kHeaderSectorSize];
    const DWORD headerSize = imageSize < kHeaderSectorSize ? imageSize : kHeaderSectorSize;
    if (!ReadAll(file, header, headerSize))
        return TraceWinFailure(__LINE__, ::GetLastError(), L"ReadFile");
    CompoundFileVerdict verdict = CheckCompoundFileHeader(header, headerSize, imageSize, limits);
    if (verdict != CompoundFileVerdict::Sound) return RefusedImage(m_path, verdict);

    block.reset(::GlobalAlloc(GMEM_MOVEABLE, imageSize));
    if (!block) return TraceWinFailure(__LINE__, ::GetLastError(), L"GlobalAlloc");
    BYTE *data = static_cast<BYTE *>(::GlobalLock(block.get()));
    if (!data) return TraceWinFailure(__LINE__, ::GetLastError(), L"GlobalLock");
    memcpy(data, header, headerSize);
    const bool read = ReadAll(file, data + headerSize, imageSize - headerSize);
    const DWORD error = ::GetLastError();
    if (read) verdict = CheckCompoundFile(data, imageSize, limits);
    ::GlobalUnlock(block.get());
    if (!read) return TraceWinFailure(__LINE__, error, L"ReadFile");
    if (verdict != CompoundFileVerdict::Sound) return RefusedImage(m_path, verdict);
    return S_OK;
}

HRESULT CTaskelFile::DoOpen(bool readOnly)
{
    if (m_file)
    {
        m_file.reset();
        Trace(3, L"Closed [%s]", m_path.c_str());
    }
    ReleaseStorage();
    Trace(3, L"Open [%s] ReadOnly [%u]", m_path.c_str(), readOnly ? 1u : 0u);

    HRESULT hr = S_OK;
    // Read-only, the file is read whole and let go at once: others may
    // write, rename or delete it meanwhile (a changed file fails the reads
    // or the structural check). Read-write, the file is held for Commit,
    // and others may only read it.
    const DWORD share =
        readOnly ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : FILE_SHARE_READ;
    m_file.reset(::CreateFileW(m_path.c_str(),
                               readOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE, share,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file) hr = TraceWinFailure(__LINE__, ::GetLastError(), L"CreateFile");

    fx::unique_hglobal block;
    if (SUCCEEDED(hr))
    {
        LARGE_INTEGER size = {};
        if (!::GetFileSizeEx(m_file.get(), &size))
            hr = TraceWinFailure(__LINE__, ::GetLastError(), L"GetFileSize");
        else if (size.QuadPart > kMaxCommandFileSize)
            hr = TraceWinFailure(__LINE__, ERROR_FILE_TOO_LARGE, L"GetFileSize");
        else if (size.QuadPart <= kPrefixSize)
            hr = TraceWinFailure(__LINE__, ERROR_HANDLE_EOF, L"ReadFile");
        else
        {
            Trace(4, L"  FileSize [%u]", static_cast<DWORD>(size.QuadPart));
            hr = ReadCheckedImage(static_cast<DWORD>(size.QuadPart) - kPrefixSize, block);
        }
    }
    if (SUCCEEDED(hr))
    {
        hr = TRACE_NAMED(2, L"CreateILockBytesOnHGlobal",
                         ::CreateILockBytesOnHGlobal(block.get(), TRUE, m_lockBytes.put()));
        if (SUCCEEDED(hr)) block.release(); // the byte array frees it now
    }
    if (SUCCEEDED(hr))
        hr = TRACE_NAMED(2, L"StgOpenStorageOnILockBytes",
                         ::StgOpenStorageOnILockBytes(m_lockBytes.get(), nullptr,
                                                      StorageMode(readOnly), nullptr, 0,
                                                      m_storage.put()));
    if (readOnly || FAILED(hr)) m_file.reset();
    if (FAILED(hr))
    {
        ReleaseStorage();
        Trace(2, L"Open [%s] failed", m_path.c_str());
        return hr;
    }
    Trace(3, L"Opened [%s]", m_path.c_str());
    return S_OK;
}

HRESULT CTaskelFile::DoReopen(bool readOnly)
{
    if (!m_lockBytes || !m_storage) return E_UNEXPECTED;
    if (!readOnly && !m_file) return DoOpen(false);

    // The old storage is released before the image is opened again: the
    // system may release a priority storage itself, which would leave the
    // ownership of our reference unclear.
    IStorage *old = m_storage.get();
    m_storage.reset();
    fx::ComPtr<IStorage> storage;
    HRESULT hr =
        TRACE_NAMED(2, L"StgOpenStorageOnILockBytes",
                    ::StgOpenStorageOnILockBytes(m_lockBytes.get(), nullptr, StorageMode(readOnly),
                                                 nullptr, 0, storage.put()));
    Trace(4, L"  Reopened File [%s] ReadOnly [%u] Storage [%8.8lX -> %8.8lX]", m_path.c_str(),
          readOnly ? 1u : 0u, static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(old)),
          static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(storage.get())));
    // A failure was traced with the open above.
    if (SUCCEEDED(hr)) m_storage = storage;
    // Read-only, the image in memory is all there is to it: the file is let
    // go, so that others may write, rename or delete it (a page in a shell
    // sheet keeps its container until the library's next sweep). A later
    // read-write reopen opens it again.
    if (SUCCEEDED(hr) && readOnly && m_file)
    {
        m_file.reset();
        Trace(3, L"Closed [%s]", m_path.c_str());
    }
    return SUCCEEDED(hr) ? S_OK : hr;
}

HRESULT CTaskelFile::DoClose()
{
    bool held = m_lockBytes || m_storage;
    ReleaseStorage();
    m_file.reset();
    return held ? S_OK : E_UNEXPECTED;
}

// Writes prefix and image over the held file. The previous content is read
// first; when a write fails half-way (disk full, a lost connection) it is
// written back, so a failed commit leaves the file as it was.
HRESULT CTaskelFile::WriteContent(const BYTE *image, DWORD imageSize)
{
    HANDLE file = m_file.get();
    LARGE_INTEGER oldSize = {};
    if (!::GetFileSizeEx(file, &oldSize))
        return TraceWinFailure(__LINE__, ::GetLastError(), L"GetFileSize");
    if (oldSize.QuadPart > kMaxCommandFileSize)
        return TraceWinFailure(__LINE__, ERROR_FILE_TOO_LARGE, L"GetFileSize");
    std::vector<BYTE> previous(static_cast<size_t>(oldSize.QuadPart));
    if (!SeekTo(file, 0)) return TraceWinFailure(__LINE__, ::GetLastError(), L"SetFilePointer");
    if (!ReadAll(file, previous.data(), static_cast<DWORD>(previous.size())))
        return TraceWinFailure(__LINE__, ::GetLastError(), L"ReadFile");

    if (!SeekTo(file, 0)) return TraceWinFailure(__LINE__, ::GetLastError(), L"SetFilePointer");
    const wchar_t *failed = L"WriteFile";
    if (WriteAll(file, reinterpret_cast<const BYTE *>(&CLSID_Taskel), kPrefixSize) &&
        WriteAll(file, image, imageSize))
    {
        if (::SetEndOfFile(file)) return S_OK;
        failed = L"SetEndOfFile";
    }

    HRESULT hr = TraceWinFailure(__LINE__, ::GetLastError(), failed);
    bool restored = SeekTo(file, 0) &&
                    WriteAll(file, previous.data(), static_cast<DWORD>(previous.size())) &&
                    ::SetEndOfFile(file);
    if (!restored) TraceWinFailure(__LINE__, ::GetLastError(), L"WriteFile");
    return hr;
}

HRESULT CTaskelFile::DoCommit()
{
    if (!m_lockBytes || !m_file || !m_storage) return E_UNEXPECTED;

    HRESULT hr = m_storage->Commit(STGC_CONSOLIDATE);
    if (FAILED(hr)) hr = m_storage->Commit(STGC_DEFAULT);
    if (FAILED(TRACE_NAMED(2, L"Commit", hr))) return hr;

    STATSTG stat = {};
    RETURN_IF_FAILED_NAMED(2, L"Stat", m_lockBytes->Stat(&stat, STATFLAG_NONAME));
    if (stat.cbSize.QuadPart > kMaxCommandFileSize - kPrefixSize)
        return TraceWinFailure(__LINE__, ERROR_FILE_TOO_LARGE, L"Stat");
    const DWORD imageSize = static_cast<DWORD>(stat.cbSize.QuadPart);
    if (imageSize == 0)
    {
        if (!SeekTo(m_file.get(), 0))
            return TraceWinFailure(__LINE__, ::GetLastError(), L"SetFilePointer");
        if (!::SetEndOfFile(m_file.get()))
            return TraceWinFailure(__LINE__, ::GetLastError(), L"SetEndOfFile");
        return S_OK;
    }

    std::vector<BYTE> image(imageSize);
    ULONG read = 0;
    ULARGE_INTEGER start = {};
    RETURN_IF_FAILED_NAMED(2, L"ReadAt",
                           m_lockBytes->ReadAt(start, image.data(), imageSize, &read));
    if (read != imageSize) return TraceWinFailure(__LINE__, ERROR_HANDLE_EOF, L"ReadAt");
    // An image that Open would refuse is not written: the file keeps its
    // content, and the caller learns that the command was not saved.
    const CompoundFileVerdict verdict = CheckCompoundFile(image.data(), imageSize, ImageLimits());
    if (verdict != CompoundFileVerdict::Sound)
    {
        Trace(2, L"Image for [%s] is not a sound compound file [%hs]", m_path.c_str(),
              VerdictName(verdict));
        return verdict == CompoundFileVerdict::TooLarge ? HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE)
                                                        : STG_E_CANTSAVE;
    }

    // WriteContent traces its own failures.
    hr = WriteContent(image.data(), imageSize);
    if (SUCCEEDED(hr)) Trace(3, L"  Wrote [%u] bytes to [%s]", imageSize, m_path.c_str());
    return hr;
}

// The container's methods run inside the boundary trap: nothing crosses
// into COM.
STDMETHODIMP CTaskelFile::XTaskelFile::Create()
{
    return fx::ComMethod(TRACE_SITE_HERE(), [&] { return Owner()->DoCreate(); });
}

STDMETHODIMP CTaskelFile::XTaskelFile::Open(BOOL readOnly)
{
    return fx::ComMethod(TRACE_SITE_HERE(), [&] { return Owner()->DoOpen(readOnly != FALSE); });
}

STDMETHODIMP CTaskelFile::XTaskelFile::Reopen(BOOL readOnly)
{
    return fx::ComMethod(TRACE_SITE_HERE(), [&] { return Owner()->DoReopen(readOnly != FALSE); });
}

STDMETHODIMP CTaskelFile::XTaskelFile::Close()
{
    return fx::ComMethod(TRACE_SITE_HERE(), [&] { return Owner()->DoClose(); });
}

STDMETHODIMP CTaskelFile::XTaskelFile::Commit()
{
    return fx::ComMethod(TRACE_SITE_HERE(), [&] { return Owner()->DoCommit(); });
}
