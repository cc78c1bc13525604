// The command file container on real files: prefix, create, open, reopen,
// commit, a commit whose writes fail half-way, the file let go after a
// save, and a new command file whose writing fails.
#include <gtest/gtest.h>

#include "ComPtr.h"
#include "DocumentTestSupport.h"
#include "TaskelCodec.h"
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

namespace
{
uint32_t U32At(const std::vector<BYTE> &bytes, size_t at)
{
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
           (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

std::vector<std::wstring> ManySources(size_t count, size_t length)
{
    std::vector<std::wstring> sources;
    for (size_t i = 0; i < count; ++i)
    {
        std::wstring source = L"C:\\in\\" + std::to_wstring(i) + L"\\";
        source.resize(length, L'x');
        sources.push_back(source);
    }
    return sources;
}

// The page's save: the file opened read-only and loaded, then opened for
// writing, saved into, committed and let go again.
HRESULT SaveLikeThePage(const std::wstring &path, CTaskel &command)
{
    fx::ComPtr<ITaskelFile> file = NewFile(path);
    fx::ComPtr<IPersistStorage> persist;
    command.ExternalQueryInterface(IID_IPersistStorage, persist.put_void());
    HRESULT hr = file->Open(TRUE);
    if (SUCCEEDED(hr)) hr = file->Reopen(FALSE);
    fx::ComPtr<IStorage> storage = StorageOf(file);
    if (SUCCEEDED(hr)) hr = persist->Save(storage.get(), TRUE);
    if (SUCCEEDED(hr)) hr = persist->HandsOffStorage();
    if (SUCCEEDED(hr)) hr = file->Commit();
    if (SUCCEEDED(hr)) hr = file->Reopen(TRUE);
    if (SUCCEEDED(hr)) hr = persist->SaveCompleted(storage.get());
    persist->HandsOffStorage();
    return hr;
}
} // namespace

// An image the structural check refuses never reaches the system's storage:
// a file that is no compound file behind the prefix and one whose directory
// chain leads to itself (which the storage would follow for ever) fail at
// once with the storage's own answer for a non-compound file, and the trace
// names the fault.
TEST(TaskelFile, BrokenImagesAreRefusedBeforeTheStorageSeesThem)
{
    std::wstring path = TempPath(L"broken.Taskel");
    CreateProbeFile(path, "x");
    const std::vector<BYTE> good = ReadBytes(path);
    ASSERT_GE(good.size(), 16u + 3 * 512);

    std::vector<BYTE> garbage(good.begin(), good.begin() + 16);
    garbage.resize(16 + 1536, 0x5A);
    WriteBytes(path, garbage);
    CTraceCapture trace;
    fx::ComPtr<ITaskelFile> file = NewFile(path);
    EXPECT_EQ(file->Open(TRUE), STG_E_INVALIDHEADER);
    EXPECT_EQ(file->Commit(), E_UNEXPECTED);

    std::vector<BYTE> cyclic = good;
    const uint32_t directory = U32At(good, 16 + 0x30);
    const size_t fat = 16 + 512 + 512 * size_t{U32At(good, 16 + 0x4C)};
    for (int i = 0; i < 4; ++i)
        cyclic[fat + 4 * directory + i] = static_cast<BYTE>(directory >> (8 * i));
    WriteBytes(path, cyclic);
    EXPECT_EQ(file->Open(FALSE), STG_E_INVALIDHEADER);
    // Cut short inside the header sector.
    WriteBytes(path, std::vector<BYTE>(good.begin(), good.begin() + 16 + 100));
    EXPECT_EQ(file->Open(TRUE), STG_E_INVALIDHEADER);

    std::string log = trace.Text();
    EXPECT_NE(log.find("is not a sound compound file [BadSignature]"), std::string::npos) << log;
    EXPECT_NE(log.find("is not a sound compound file [BadChain]"), std::string::npos) << log;
    EXPECT_NE(log.find("is not a sound compound file [TooShort]"), std::string::npos) << log;

    WriteBytes(path, good);
    EXPECT_EQ(file->Open(TRUE), S_OK);
    EXPECT_EQ(ReadProbe(file), "x");
}

// Read-only, the container shares the file with writers and deleters (the
// shell's tooltip must not fail because another program has the file
// open); read-write it still keeps others from writing.
TEST(TaskelFile, ReadOnlyOpenSharesTheFileWithWriters)
{
    std::wstring path = TempPath(L"shared.Taskel");
    CreateProbeFile(path, "shared");
    HANDLE writer = ::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    fx::ComPtr<ITaskelFile> file = NewFile(path);
    EXPECT_EQ(file->Open(TRUE), S_OK);
    EXPECT_EQ(ReadProbe(file), "shared");
    EXPECT_EQ(file->Open(FALSE), HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION));
    ::CloseHandle(writer);
    EXPECT_EQ(file->Open(FALSE), S_OK);
}

// Nothing the product saves is refused when it is opened again: a command
// at the limits saves, opens, and saves again over its file the way the
// page saves; one beyond them is refused at saving with the file's
// too-large result, and the file and the storage keep what they held.
TEST(CommandFile, SavedCommandsAtTheLimitsOpenAgainAndLargerOnesAreRefused)
{
    const std::wstring path = TempPath(L"largest.Taskel");
    fx::ComPtr<IDispatch> dispatch;
    CTaskel *command = nullptr;
    ASSERT_EQ(CreateCommandObject(dispatch, command), S_OK);
    command->SetAction(EDIT_ACTION_COPY);
    // 4096 sources, nearly as long as the stream allows: 116 units each.
    const std::vector<std::wstring> largest = ManySources(kMaxSources, 116);
    for (size_t i = 0; i < largest.size(); ++i)
        command->SetSource(static_cast<long>(i), largest[i].c_str());
    command->SetTarget(L"D:\\Out");
    ASSERT_EQ(SaveNewCommandFile(path, *command), S_OK);
    EXPECT_LE(ReadBytes(path).size(), kMaxCommandFileSize);

    for (int round = 0; round < 3; ++round)
    {
        fx::ComPtr<IDispatch> readDispatch;
        CTaskel *read = nullptr;
        ASSERT_EQ(CreateCommandObject(readDispatch, read), S_OK);
        ASSERT_EQ(LoadCommandFile(path, *read), S_OK) << "round " << round;
        ASSERT_EQ(read->GetSourceCount(), kMaxSources);
        std::wstring last;
        read->GetSource(static_cast<long>(kMaxSources - 1), last);
        EXPECT_EQ(last, largest.back());
        // Changed and saved over the file again.
        read->SetTarget(L"D:\\Out" + std::to_wstring(round));
        ASSERT_EQ(SaveLikeThePage(path, *read), S_OK) << "round " << round;
        EXPECT_LE(ReadBytes(path).size(), kMaxCommandFileSize);
    }

    // One source more is refused, through the page's way and as a new file.
    const std::vector<BYTE> before = ReadBytes(path);
    command->SetSource(static_cast<long>(kMaxSources), L"C:\\one\\more");
    EXPECT_EQ(SaveLikeThePage(path, *command), HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE));
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_TRUE(command->IsDirty());
    const std::wstring fresh = TempPath(L"too-large.Taskel");
    EXPECT_EQ(SaveNewCommandFile(fresh, *command), HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE));
    EXPECT_EQ(::GetFileAttributesW(fresh.c_str()), INVALID_FILE_ATTRIBUTES);

    // So is a source longer than a path can be.
    command->SetSource(-1, nullptr);
    command->SetSource(0, std::wstring(kMaxEntryUnits + 1, L'p').c_str());
    EXPECT_EQ(SaveNewCommandFile(fresh, *command), HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE));

    // A refused save leaves a storage it was given as it was.
    fx::ComPtr<ITaskelFile> file = NewFile(path);
    ASSERT_EQ(file->Open(FALSE), S_OK);
    fx::ComPtr<IPersistStorage> persist;
    command->ExternalQueryInterface(IID_IPersistStorage, persist.put_void());
    EXPECT_EQ(persist->Save(StorageOf(file).get(), FALSE),
              HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE));
    fx::ComPtr<IDispatch> againDispatch;
    CTaskel *again = nullptr;
    ASSERT_EQ(CreateCommandObject(againDispatch, again), S_OK);
    fx::ComPtr<IPersistStorage> againPersist;
    again->ExternalQueryInterface(IID_IPersistStorage, againPersist.put_void());
    EXPECT_EQ(againPersist->Load(StorageOf(file).get()), S_OK);
    EXPECT_EQ(again->GetSourceCount(), kMaxSources);
}
