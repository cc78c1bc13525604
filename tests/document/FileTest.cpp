// The command file container on real files: prefix, create, open, reopen,
// commit, a commit whose writes fail half-way, the file let go after a
// save, and a new command file whose writing fails.
#include <gtest/gtest.h>

#include "ComPtr.h"
#include "DocumentTestSupport.h"
#include "TaskelCommandFile.h"
#include "TaskelFile.h"
#include "TaskelGuids.h"

namespace
{
fx::ComPtr<ITaskelFile> NewFile(const std::wstring &path)
{
    fx::ComPtr<ITaskelFile> file;
    EXPECT_EQ(CTaskelFile::CreateInstance(path, IID_ITaskelFile, file.put_void()), S_OK);
    return file;
}

fx::ComPtr<IStorage> StorageOf(const fx::ComPtr<ITaskelFile> &file)
{
    fx::ComPtr<IStorage> storage;
    file.query(IID_IStorage, storage);
    return storage;
}

// Creates a command file holding one stream "Probe" with `text`.
void CreateProbeFile(const std::wstring &path, const char *text)
{
    fx::ComPtr<ITaskelFile> file = NewFile(path);
    ASSERT_EQ(file->Create(), S_OK);
    fx::ComPtr<IStream> stream;
    ASSERT_EQ(StorageOf(file)->CreateStream(L"Probe",
                                            STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0,
                                            0, stream.put()),
              S_OK);
    ASSERT_EQ(stream->Write(text, static_cast<ULONG>(strlen(text)), nullptr), S_OK);
    stream.reset();
    ASSERT_EQ(file->Commit(), S_OK);
}

std::string ReadProbe(const fx::ComPtr<ITaskelFile> &file)
{
    fx::ComPtr<IStream> stream;
    if (FAILED(StorageOf(file)->OpenStream(L"Probe", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                           stream.put())))
        return "<none>";
    char buffer[256] = {};
    ULONG read = 0;
    stream->Read(buffer, sizeof(buffer) - 1, &read);
    return std::string(buffer, read);
}

int g_writesLeft = 0;
// Writes half of the call's bytes and then fails, once the budget is used.
BOOL FailingWrite(HANDLE file, const void *data, DWORD size, DWORD *written)
{
    if (g_writesLeft-- > 0) return ::WriteFile(file, data, size, written, nullptr);
    ::WriteFile(file, data, size / 2, written, nullptr);
    SetTaskelFileWriteSeam(nullptr); // the restore afterwards goes through
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
}
} // namespace

TEST(TaskelFile, CreateCommitOpenRoundTrip)
{
    std::wstring path = TempPath(L"round.Taskel");
    CTraceCapture trace;
    CreateProbeFile(path, "hello");
    std::vector<BYTE> bytes = ReadBytes(path);
    ASSERT_GT(bytes.size(), 16u);
    EXPECT_EQ(memcmp(bytes.data(), &CLSID_Taskel, 16), 0);
    const BYTE prefix[16] = {0x26, 0x3D, 0xE4, 0xA0, 0x2B, 0x52, 0xAA, 0x40,
                             0xB0, 0x1F, 0xE3, 0xFC, 0x03, 0x7A, 0x0F, 0x52};
    EXPECT_EQ(memcmp(bytes.data(), prefix, 16), 0);
    // The file is the prefix plus the image length that was traced.
    std::string log = trace.Text();
    std::string wrote = "  Wrote [" + std::to_string(bytes.size() - 16) + "] bytes to [";
    EXPECT_NE(log.find(wrote), std::string::npos) << log;

    fx::ComPtr<ITaskelFile> file = NewFile(path);
    ASSERT_EQ(file->Open(TRUE), S_OK);
    EXPECT_EQ(ReadProbe(file), "hello");
    STATSTG stat = {};
    ASSERT_EQ(StorageOf(file)->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_TRUE(IsEqualCLSID(stat.clsid, CLSID_Taskel));
    EXPECT_EQ(file->Close(), S_OK);
    EXPECT_EQ(file->Close(), E_UNEXPECTED);
    EXPECT_EQ(StorageOf(file)->Stat(&stat, STATFLAG_NONAME), E_UNEXPECTED);
}

TEST(TaskelFile, WrongPrefixFails)
{
    std::wstring path = TempPath(L"prefix.Taskel");
    CreateProbeFile(path, "x");
    std::vector<BYTE> bytes = ReadBytes(path);
    bytes[3] ^= 0xFF;
    WriteBytes(path, bytes);
    CTraceCapture trace;
    fx::ComPtr<ITaskelFile> file = NewFile(path);
    EXPECT_EQ(file->Open(TRUE), static_cast<HRESULT>(0x800401F2));
    EXPECT_EQ(file->Commit(), E_UNEXPECTED);
    std::string log = trace.Text();
    EXPECT_NE(log.find("does not have the proper prefix"), std::string::npos) << log;

    // A plain compound file (the image without its prefix) fails the same way.
    WriteBytes(path, std::vector<BYTE>(bytes.begin() + 16, bytes.end()));
    EXPECT_EQ(file->Open(TRUE), static_cast<HRESULT>(0x800401F2));
}

TEST(TaskelFile, ShortAndHugeFilesFail)
{
    std::wstring path = TempPath(L"short.Taskel");
    WriteBytes(path, std::vector<BYTE>(reinterpret_cast<const BYTE *>(&CLSID_Taskel),
                                       reinterpret_cast<const BYTE *>(&CLSID_Taskel) + 16));
    fx::ComPtr<ITaskelFile> file = NewFile(path);
    EXPECT_EQ(file->Open(TRUE), HRESULT_FROM_WIN32(ERROR_HANDLE_EOF));

    // Far larger than any command file: refused before anything is read.
    std::wstring huge = TempPath(L"huge.Taskel");
    HANDLE h = ::CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ::SetFilePointer(h, kMaxCommandFileSize + 1, nullptr, FILE_BEGIN);
    ::SetEndOfFile(h);
    ::CloseHandle(h);
    file = NewFile(huge);
    EXPECT_EQ(file->Open(TRUE), HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE));
    ::DeleteFileW(huge.c_str());

    file = NewFile(TempPath(L"missing.Taskel"));
    EXPECT_EQ(file->Open(TRUE), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
}

TEST(TaskelFile, CreateOnExistingPathLeavesFileAlone)
{
    std::wstring path = TempPath(L"exists.Taskel");
    WriteBytes(path, {1, 2, 3});
    fx::ComPtr<ITaskelFile> file = NewFile(path);
    HRESULT hr = file->Create();
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(HRESULT_CODE(hr), 80);
    EXPECT_EQ(ReadBytes(path), (std::vector<BYTE>{1, 2, 3}));
    EXPECT_EQ(file->Close(), E_UNEXPECTED); // closed after the failure
}

TEST(TaskelFile, ReadOnlyOpenThenReopenForWriting)
{
    std::wstring path = TempPath(L"reopen.Taskel");
    CreateProbeFile(path, "first");
    fx::ComPtr<ITaskelFile> file = NewFile(path);
    ASSERT_EQ(file->Open(TRUE), S_OK);
    EXPECT_EQ(file->Commit(), E_UNEXPECTED); // no handle after a read-only open
    // The read-only open let go of the file: others may write it.
    CreateProbeFile(TempPath(L"other.Taskel"), "x");
    WriteBytes(path, ReadBytes(TestFolder() + L"\\other.Taskel"));

    ASSERT_EQ(file->Reopen(FALSE), S_OK); // reads the file again, for writing
    EXPECT_EQ(ReadProbe(file), "x");
    ASSERT_EQ(file->Reopen(TRUE), S_OK); // on the same image
    EXPECT_EQ(ReadProbe(file), "x");
    EXPECT_EQ(NewFile(path)->Reopen(FALSE), E_UNEXPECTED);
}

TEST(TaskelFile, FailedCommitKeepsPreviousContent)
{
    std::wstring path = TempPath(L"commit.Taskel");
    CreateProbeFile(path, "old content");
    const std::vector<BYTE> before = ReadBytes(path);

    fx::ComPtr<ITaskelFile> file = NewFile(path);
    ASSERT_EQ(file->Open(FALSE), S_OK);
    fx::ComPtr<IStream> stream;
    ASSERT_EQ(StorageOf(file)->CreateStream(L"Probe",
                                            STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0,
                                            0, stream.put()),
              S_OK);
    std::string big(20000, 'n'); // grows the image past the old file
    stream->Write(big.data(), static_cast<ULONG>(big.size()), nullptr);
    stream.reset();

    for (int budget : {0, 1})
    {
        g_writesLeft = budget; // fail in the prefix, then in the image
        SetTaskelFileWriteSeam(FailingWrite);
        EXPECT_EQ(file->Commit(), HRESULT_FROM_WIN32(ERROR_DISK_FULL));
        SetTaskelFileWriteSeam(nullptr);
        EXPECT_EQ(ReadBytes(path), before);
    }
    // The handle is still held with its sharing: others can read, not write.
    EXPECT_EQ(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    ASSERT_EQ(file->Commit(), S_OK);
    file->Close();
    fx::ComPtr<ITaskelFile> again = NewFile(path);
    ASSERT_EQ(again->Open(TRUE), S_OK);
    EXPECT_EQ(ReadProbe(again), big.substr(0, 255));
}

// After a save the page goes back to the image read-only: the file is let
// go, so another program (or ZELK /edit) can write, rename or delete it.
TEST(TaskelFile, ReadOnlyReopenAfterACommitLetsTheFileGo)
{
    std::wstring path = TempPath(L"released.Taskel");
    CreateProbeFile(path, "first");
    fx::ComPtr<ITaskelFile> file = NewFile(path);
    ASSERT_EQ(file->Open(FALSE), S_OK);
    ASSERT_EQ(file->Commit(), S_OK);
    ASSERT_EQ(file->Reopen(TRUE), S_OK);
    EXPECT_EQ(ReadProbe(file), "first");
    HANDLE other = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(other, INVALID_HANDLE_VALUE);
    if (other != INVALID_HANDLE_VALUE) ::CloseHandle(other);
    EXPECT_TRUE(::DeleteFileW(path.c_str()));
    // A later save opens the file again (here: it is gone).
    EXPECT_TRUE(FAILED(file->Reopen(FALSE)));
}

// A new command file that cannot be written whole is not left behind: the
// retry creates it instead of hearing that it exists.
TEST(CommandFile, AFailedCreationLeavesNoFile)
{
    const std::wstring path = TempPath(L"failed-new.Taskel");
    ::DeleteFileW(path.c_str());
    fx::ComPtr<IDispatch> dispatch;
    CTaskel *command = nullptr;
    ASSERT_EQ(CreateCommandObject(dispatch, command), S_OK);
    command->SetAction(EDIT_ACTION_COPY);
    command->SetSource(0, L"C:\\in\\*.txt");
    command->SetTarget(L"D:\\out\\");

    g_writesLeft = 1;
    SetTaskelFileWriteSeam(FailingWrite);
    EXPECT_EQ(SaveNewCommandFile(path, *command), HRESULT_FROM_WIN32(ERROR_DISK_FULL));
    SetTaskelFileWriteSeam(nullptr);
    EXPECT_EQ(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);

    ASSERT_EQ(SaveNewCommandFile(path, *command), S_OK);
    fx::ComPtr<IDispatch> readDispatch;
    CTaskel *read = nullptr;
    ASSERT_EQ(CreateCommandObject(readDispatch, read), S_OK);
    ASSERT_EQ(LoadCommandFile(path, *read), S_OK);
    EXPECT_EQ(read->GetSources(), std::vector<std::wstring>{L"C:\\in\\*.txt"});
}
