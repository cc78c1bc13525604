// The command object: defaults and dirty rules, storage and stream
// persistence through the real structured storage, and a command file read
// back with the system's own StgOpenStorage.
#include <gtest/gtest.h>

#include "ClassObjects.h"
#include "ComPtr.h"
#include "DocumentTestSupport.h"
#include "TaskelClass.h"
#include "TaskelCodec.h"
#include "TaskelFile.h"
#include "TaskelGuids.h"
#include "TestCommandObject.h"

namespace
{
// A fresh command object and its IDispatch, which holds it.
using Command = CTestCommand;

std::vector<uint8_t> StreamBytes(IStorage *storage)
{
    fx::ComPtr<IStream> stream;
    std::vector<uint8_t> bytes;
    if (FAILED(storage->OpenStream(L"Data", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                   stream.put())))
        return bytes;
    uint8_t buffer[4096];
    ULONG read = 0;
    stream->Read(buffer, sizeof(buffer), &read);
    bytes.assign(buffer, buffer + read);
    return bytes;
}

fx::ComPtr<IStorage> MemoryStorage()
{
    fx::ComPtr<ILockBytes> bytes;
    fx::ComPtr<IStorage> storage;
    ::CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put());
    ::StgCreateDocfileOnILockBytes(bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                   0, storage.put());
    return storage;
}

void WriteDataStream(IStorage *storage, const std::vector<uint8_t> &bytes)
{
    fx::ComPtr<IStream> stream;
    ASSERT_EQ(storage->CreateStream(L"Data", STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0,
                                    0, stream.put()),
              S_OK);
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
}

void MakeCopyExample(CTaskel &c)
{
    c.SetAction(EDIT_ACTION_COPY);
    c.SetSource(0, L"D:\\A\\*.txt");
    c.SetSource(1, L"D:\\B\\");
    c.SetTarget(L"E:\\Out");
}

bool g_runnerCalled = false;
std::wstring g_runnerBase;
bool FakeRun(CTaskel &, const std::wstring &base, HWND, RunOutcome *)
{
    g_runnerCalled = true;
    g_runnerBase = base;
    return true;
}
std::vector<UINT> g_sounds;
void RecordSound(UINT type)
{
    g_sounds.push_back(type);
}
} // namespace

TEST(Command, NewCommandDefaultsAndModuleLock)
{
    long locks = fx::ModuleLockCount();
    {
        CTraceCapture trace;
        Command c;
        EXPECT_EQ(fx::ModuleLockCount(), locks + 1);
        EXPECT_EQ(c->GetAction(), 0u);
        EXPECT_EQ(c->GetOptions(), 0x40248u);
        EXPECT_EQ(c->GetSourceCount(), 0u);
        EXPECT_TRUE(c->GetTarget().empty());
        EXPECT_EQ(c->GetOptionMask(), 0u);
        EXPECT_FALSE(c->IsDirty());
        EXPECT_EQ(c->ShellMajorVersion(), 6u); // Wine's shell32 6.0
        c.Release();
        std::string log = trace.Text();
        for (const char *line : {"CTaskel::CTaskel", "ShellVersion 6.0.", "CTaskel::OnFinalRelease",
                                 "CTaskel::~CTaskel"})
            EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    }
    EXPECT_EQ(fx::ModuleLockCount(), locks);
}

TEST(Command, FieldOperationsAndDirtyRules)
{
    Command c;
    CTaskel &t = *c;
    t.SetAction(3);
    EXPECT_EQ(t.GetStoredAction(), ACTION_RENAME);
    EXPECT_EQ(t.GetAction(), 3u);
    EXPECT_TRUE(t.IsDirty());
    t.SetAction(9);
    EXPECT_EQ(t.GetStoredAction(), 0u);

    Command d;
    d->SetOptions(OPT_DEFAULTS);
    EXPECT_FALSE(d->IsDirty());
    d->SetTarget(L"  E:\\Out \t");
    EXPECT_EQ(d->GetTarget(), L"E:\\Out");
    EXPECT_TRUE(d->IsDirty());

    Command e;
    CTaskel &s = *e;
    s.SetSource(0, L"a");
    s.SetSource(1, L" b ");
    s.SetSource(5, L"c"); // past the end: appended
    EXPECT_EQ(s.GetSources(), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    s.SetSource(0, L"   "); // blank deletes
    EXPECT_EQ(s.GetSources(), (std::vector<std::wstring>{L"b", L"c"}));
    s.SetSource(1, L"x"); // replaces
    EXPECT_EQ(s.GetSources(), (std::vector<std::wstring>{L"b", L"x"}));
    EXPECT_EQ(s.GetSourceList(), std::wstring(L"b\0x\0\0", 5));
    s.SetSource(-1, L"ignored");
    EXPECT_EQ(s.GetSourceCount(), 2u);
    s.SetSource(-1, nullptr);
    EXPECT_EQ(s.GetSourceCount(), 0u);
    std::wstring out;
    EXPECT_FALSE(s.GetSource(-1, out));
    EXPECT_FALSE(s.GetSource(0, out));
}

TEST(Command, RunDispatchesAndSounds)
{
    SetTaskelSoundSeam(RecordSound);
    g_sounds.clear();
    Command c;
    EXPECT_FALSE(c->Run(L"", nullptr)); // no action
    EXPECT_TRUE(g_sounds.empty());
    c->SetAction(EDIT_ACTION_COPY);
    SetTaskelRunner(TaskelRunner());
    EXPECT_FALSE(c->Run(L"C:\\", nullptr)); // no runner procedure
    EXPECT_EQ(g_sounds, std::vector<UINT>{MB_ICONASTERISK});

    TaskelRunner runner;
    runner.copy = FakeRun;
    SetTaskelRunner(runner);
    EXPECT_TRUE(c->Run(L"  C:\\Jobs  ", nullptr));
    EXPECT_EQ(g_runnerBase, L"C:\\Jobs");
    EXPECT_EQ(g_sounds.back(), static_cast<UINT>(MB_OK));
    c->SetOptions(0);
    g_sounds.clear();
    EXPECT_TRUE(c->Run(L"", nullptr));
    EXPECT_TRUE(g_sounds.empty());
    wchar_t current[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_EQ(g_runnerBase, current);
    SetTaskelRunner(TaskelRunner());
    SetTaskelSoundSeam(nullptr);
}

TEST(Persist, StreamSaveLoadAndSizes)
{
    Command c;
    MakeCopyExample(*c);
    fx::ComPtr<IPersistStreamInit> persist = c.As<IPersistStreamInit>(IID_IPersistStreamInit);
    ASSERT_TRUE(persist);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    fx::ComPtr<IStream> stream;
    ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    ASSERT_EQ(persist->Save(stream.get(), FALSE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE); // cleared whatever clear-dirty says
    ULARGE_INTEGER max = {};
    persist->GetSizeMax(&max);
    EXPECT_EQ(max.QuadPart, 260u);
    EXPECT_EQ(persist->Load(nullptr), E_INVALIDARG);
    EXPECT_EQ(persist->Save(nullptr, TRUE), E_INVALIDARG);

    Command d;
    fx::ComPtr<IPersistStreamInit> load = d.As<IPersistStreamInit>(IID_IPersistStreamInit);
    ASSERT_EQ(load->Load(stream.get()), S_OK);
    EXPECT_EQ(d->GetSources(), c->GetSources());
    EXPECT_EQ(d->GetTarget(), L"E:\\Out");
    EXPECT_EQ(d->GetOptions(), 0x40248u & d->GetOptionMask());
    d->SetOptions(5);
    ASSERT_EQ(load->InitNew(), S_OK);
    EXPECT_EQ(d->GetOptions(), 0x40248u);
    EXPECT_EQ(d->GetSourceCount(), 2u); // left as they are
}

TEST(Persist, LoadAppliesOptionMaskAndReportsBadCounts)
{
    CommandData data;
    data.action = ACTION_MOVE;
    data.options = OPT_ALLOWUNDO | OPT_SILENT; // ALLOWUNDO does not apply to Move
    data.sources = {L"D:\\A\\"};
    fx::ComPtr<IStorage> storage = MemoryStorage();
    WriteDataStream(storage.get(), EncodeCommandData(data));
    Command c;
    fx::ComPtr<IPersistStorage> persist = c.As<IPersistStorage>(IID_IPersistStorage);
    ASSERT_EQ(persist->Load(storage.get()), S_OK);
    EXPECT_EQ(c->GetOptions(), static_cast<uint32_t>(OPT_SILENT));
    EXPECT_EQ(persist->Load(storage.get()), CO_E_ALREADYINITIALIZED);

    std::vector<uint8_t> bad = EncodeCommandData(data);
    bad[13] = 0xFF; // N near 2^32
    fx::ComPtr<IStorage> badStorage = MemoryStorage();
    WriteDataStream(badStorage.get(), bad);
    Command d;
    EXPECT_EQ(d.As<IPersistStorage>(IID_IPersistStorage)->Load(badStorage.get()),
              HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
    Command e;
    EXPECT_EQ(e.As<IPersistStorage>(IID_IPersistStorage)->Load(MemoryStorage().get()),
              STG_E_FILENOTFOUND);
}

// A "Data" stream larger than a command may hold is refused from its size,
// traced once; one of exactly that size loads. A command past the limits is
// not written to a stream either, which stays as it was.
TEST(Persist, StreamsPastTheCommandLimitsAreRefused)
{
    CommandData data;
    data.action = ACTION_COPY;
    data.sources = {L"D:\\A\\"};
    std::vector<uint8_t> bytes = EncodeCommandData(data);
    bytes.resize(kMaxDataStreamBytes, 0);
    fx::ComPtr<IStorage> storage = MemoryStorage();
    WriteDataStream(storage.get(), bytes);
    Command c;
    ASSERT_EQ(c.As<IPersistStorage>(IID_IPersistStorage)->Load(storage.get()), S_OK);
    EXPECT_EQ(c->GetSources(), data.sources);

    bytes.push_back(0);
    storage = MemoryStorage();
    WriteDataStream(storage.get(), bytes);
    Command d;
    {
        CTraceLines trace(2);
        EXPECT_EQ(d.As<IPersistStorage>(IID_IPersistStorage)->Load(storage.get()),
                  HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
        const std::vector<std::wstring> lines = trace.Lines();
        ASSERT_EQ(lines.size(), 1u) << ::testing::PrintToString(lines);
        EXPECT_NE(lines[0].find(L"Data stream of [" + std::to_wstring(bytes.size()) + L"] bytes"),
                  std::wstring::npos);
    }
    fx::ComPtr<IStream> stream;
    ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    ASSERT_EQ(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr), S_OK);
    Command e;
    EXPECT_EQ(e.As<IPersistStreamInit>(IID_IPersistStreamInit)->Load(stream.get()),
              HRESULT_FROM_WIN32(ERROR_INVALID_DATA));

    fx::ComPtr<IStream> empty;
    ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, empty.put()), S_OK);
    for (size_t i = 0; i <= kMaxSources; ++i)
        e->SetSource(static_cast<long>(i), L"s");
    EXPECT_EQ(e.As<IPersistStreamInit>(IID_IPersistStreamInit)->Save(empty.get(), TRUE),
              HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE));
    STATSTG stat = {};
    ASSERT_EQ(empty->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize.QuadPart, 0u);
    EXPECT_TRUE(e->IsDirty());
}

TEST(Persist, StorageResultsAndSameAsLoad)
{
    Command c;
    MakeCopyExample(*c);
    fx::ComPtr<IPersistStorage> persist = c.As<IPersistStorage>(IID_IPersistStorage);
    CLSID clsid;
    persist->GetClassID(&clsid);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_Taskel));
    EXPECT_EQ(persist->InitNew(nullptr), E_FAIL);
    EXPECT_EQ(persist->Load(nullptr), E_FAIL);
    EXPECT_EQ(persist->Save(nullptr, FALSE), E_FAIL);
    EXPECT_EQ(persist->Save(MemoryStorage().get(), TRUE), E_UNEXPECTED);
    EXPECT_EQ(persist->SaveCompleted(nullptr), E_INVALIDARG);

    fx::ComPtr<IStorage> storage = MemoryStorage();
    // Unregistered class: the user type is skipped on save.
    ASSERT_EQ(persist->Save(storage.get(), FALSE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    EXPECT_EQ(persist->SaveCompleted(nullptr), S_OK);
    EXPECT_EQ(persist->SaveCompleted(nullptr), E_UNEXPECTED); // no-scribble is over
    // The bound "Data" stream is exclusive; hands-off lets the test read it.
    ASSERT_EQ(persist->HandsOffStorage(), S_OK);
    std::vector<uint8_t> first = StreamBytes(storage.get());
    ASSERT_EQ(first.size(), 14u + 34 + 4 + 14);
    std::vector<uint8_t> head(first.begin(), first.begin() + 14);
    EXPECT_EQ(head, (std::vector<uint8_t>{2, 0, 4, 0x80, 0x48, 2, 1, 0, 4, 0, 0x22, 0, 0, 0}));

    EXPECT_EQ(persist->SaveCompleted(storage.get()), S_OK); // rebinds after hands-off
    ASSERT_EQ(persist->Save(storage.get(), TRUE), S_OK);
    ASSERT_EQ(persist->SaveCompleted(nullptr), S_OK);
    ASSERT_EQ(persist->HandsOffStorage(), S_OK);
    EXPECT_EQ(StreamBytes(storage.get()), first);

    // Init new needs the registered user type.
    Command d;
    EXPECT_TRUE(FAILED(d.As<IPersistStorage>(IID_IPersistStorage)->InitNew(MemoryStorage().get())));
}

TEST(Persist, CommandFileReadBackWithPlainStgOpenStorage)
{
    std::wstring path = TempPath(L"interop.Taskel");
    {
        fx::ComPtr<ITaskelFile> file;
        ASSERT_EQ(CTaskelFile::CreateInstance(path, IID_ITaskelFile, file.put_void()), S_OK);
        ASSERT_EQ(file->Create(), S_OK);
        fx::ComPtr<IStorage> storage;
        file.query(IID_IStorage, storage);
        Command c;
        MakeCopyExample(*c);
        ASSERT_EQ(c.As<IPersistStorage>(IID_IPersistStorage)->Save(storage.get(), FALSE), S_OK);
        ASSERT_EQ(file->Commit(), S_OK);
    }
    std::vector<BYTE> bytes = ReadBytes(path);
    std::wstring plain = TempPath(L"interop.stg");
    WriteBytes(plain, std::vector<BYTE>(bytes.begin() + 16, bytes.end()));
    fx::ComPtr<IStorage> root;
    ASSERT_EQ(::StgOpenStorage(plain.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                               root.put()),
              S_OK);
    STATSTG stat = {};
    root->Stat(&stat, STATFLAG_NONAME);
    EXPECT_TRUE(IsEqualCLSID(stat.clsid, CLSID_Taskel));
    std::vector<uint8_t> data = StreamBytes(root.get());
    ASSERT_EQ(data.size(), 14u + 34 + 4 + 14);
    EXPECT_EQ(data[0], 2);

    // Loading it through the container gives the command back.
    fx::ComPtr<ITaskelFile> file;
    CTaskelFile::CreateInstance(path, IID_ITaskelFile, file.put_void());
    ASSERT_EQ(file->Open(TRUE), S_OK);
    fx::ComPtr<IStorage> storage;
    file.query(IID_IStorage, storage);
    Command d;
    ASSERT_EQ(d.As<IPersistStorage>(IID_IPersistStorage)->Load(storage.get()), S_OK);
    EXPECT_EQ(d->GetSources(), (std::vector<std::wstring>{L"D:\\A\\*.txt", L"D:\\B\\"}));
    EXPECT_EQ(d->GetTarget(), L"E:\\Out");
}

TEST(ClassObjects, FactoryCreatesCommandsAndHoldsTheModule)
{
    // This program plays a library whose class table holds the command class.
    const fx::ClassTableRow rows[] = {
        {CLSID_Taskel, "CTaskel", L"Veltrac.Taskel", CTaskel::CreateInstance, nullptr}};
    fx::CClassTable table(rows);
    struct ModuleTable
    {
        explicit ModuleTable(fx::CClassTable &table) { fx::SetModuleClassTable(&table); }
        ~ModuleTable() { fx::SetModuleClassTable(nullptr); }
    } moduleTable(table);

    fx::ComPtr<IClassFactory> factory;
    ASSERT_EQ(fx::GetClassObject(CLSID_Taskel, IID_IClassFactory, factory.put_void()), S_OK);
    EXPECT_EQ(fx::CanUnloadNow(), S_FALSE); // a client holds the class object
    fx::ComPtr<IDispatch> dispatch;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, dispatch.put_void()), S_OK);
    fx::ComPtr<IUnknown> unknown;
    EXPECT_EQ(factory->CreateInstance(dispatch.get(), IID_IUnknown, unknown.put_void()),
              CLASS_E_NOAGGREGATION);
    factory.reset();
    EXPECT_EQ(fx::CanUnloadNow(), S_FALSE); // a command lives
    dispatch.reset();
    EXPECT_EQ(fx::CanUnloadNow(), S_OK);
    EXPECT_EQ(fx::GetClassObject(IID_IUnknown, IID_IClassFactory, factory.put_void()),
              CLASS_E_CLASSNOTAVAILABLE);
}
