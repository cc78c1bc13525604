// Command files against the on-disk layout, independently of the product's
// own codec and container: files whose "Data" bytes are spelled out here
// and stored with the system's structured storage load field by field
// through the container and the persistence; files the product writes are
// read back with the system's storage and decoded by hand.
#include <gtest/gtest.h>

#include <cstring>

#include "ComPtr.h"
#include "DocumentTestSupport.h"
#include "PlainCommandFile.h"
#include "ProductCommandFile.h"
#include "TaskelClass.h"
#include "TaskelFile.h"
#include "TaskelGuids.h"

namespace
{
CTaskel *ObjectOf(IDispatch *dispatch)
{
    return static_cast<CTaskel::XDispatch *>(dispatch)->Object();
}

void ExpectLoaded(const Fields &loaded, const Fields &expected)
{
    EXPECT_EQ(loaded.storedAction, expected.storedAction);
    EXPECT_EQ(loaded.editorAction, expected.editorAction);
    EXPECT_EQ(Hex(loaded.options), Hex(expected.options));
    EXPECT_EQ(loaded.sources, expected.sources);
    EXPECT_EQ(loaded.target, expected.target);
}

// The root's elements: "Data", and the OLE format and user type stream
// when the command class is registered where the file was written.
void ExpectRootElements(const PlainCommandFile &file)
{
    bool data = false;
    for (const std::wstring &name : file.elements)
    {
        data = data || name == L"Data";
        EXPECT_TRUE(name == L"Data" || name == L"\001CompObj")
            << "unexpected element of the root storage";
    }
    EXPECT_TRUE(data) << "no \"Data\" stream";
}

CLSID CommandClass()
{
    CLSID clsid = {};
    EXPECT_EQ(::CLSIDFromString(const_cast<LPOLESTR>(kCommandClassText), &clsid), S_OK);
    return clsid;
}
} // namespace

TEST(Layout, CopyExampleSpelledByteForByteLoads)
{
    // Copy, options 0x40248, sources D:\A\*.txt and D:\B\, target E:\Out.
    const std::vector<BYTE> data = {
        0x02, 0x00, 0x04, 0x80, // header: version bit, X_COMPLETE_SOUND, Copy
        0x48, 0x02,             // low options
        0x01, 0x00, 0x04, 0x00, // format version
        0x22, 0x00, 0x00, 0x00, // N = 34
        'D',  0,    ':',  0,    '\\', 0, 'A', 0, '\\', 0, '*', 0, '.', 0,
        't',  0,    'x',  0,    't',  0, 0,   0,                          // "D:\A\*.txt"
        'D',  0,    ':',  0,    '\\', 0, 'B', 0, '\\', 0, 0,   0,         // "D:\B\"
        0x0E, 0x00, 0x00, 0x00,                                           // M = 14
        'E',  0,    ':',  0,    '\\', 0, 'O', 0, 'u',  0, 't', 0, 0,   0, // "E:\Out"
    };
    ASSERT_EQ(data.size(), 14u + 34 + 4 + 14);
    const std::wstring path = TempPath(L"spelled-copy.Taskel");
    ASSERT_EQ(WritePlainCommandFile(path, data, PlainStore::MemoryWithUserType), S_OK);

    Fields loaded;
    ASSERT_TRUE(LoadFields(path, loaded));
    Fields expected;
    expected.storedAction = 2;
    expected.editorAction = 2;
    // ALLOWUNDO (0x40) is outside Copy's option mask and is dropped on load.
    expected.options = 0x40208;
    expected.sources = {L"D:\\A\\*.txt", L"D:\\B\\"};
    expected.target = L"E:\\Out";
    ExpectLoaded(loaded, expected);
}

TEST(Layout, HandMadeFilesLoadFieldByField)
{
    struct Case
    {
        const wchar_t *name;
        std::vector<BYTE> data;
        PlainStore store;
        Fields expected;
    };
    const std::vector<std::wstring> moveSources = {L"C:\\Reports\\*.doc",
                                                   L"  C:\\Notes\\todo.txt  "};
    const std::vector<std::wstring> deleteSources = {L"D:\\Temp\\", L"D:\\Logs\\old.log"};
    const std::vector<std::wstring> renameSources = {L"C:\\Photos\\IMG_0001.JPG>Holiday 2024.jpg"};
    const std::vector<std::wstring> foreignSources = {
        L"C:\\Donn\u00e9es\\\u00c9t\u00e9\\*.txt>*.bak",
        L"C:\\\u65e5\u672c\u8a9e\\\u5831\u544a.doc"};
    const std::wstring foreignTarget = L"E:\\\u00dcn\u00efc\u00f6d\u00e9 \xD83D\xDE00\\";
    // A blank entry is dropped; the empty entry ends the list.
    const std::vector<std::wstring> copyRenameEntries = {
        L"  \\\\server\\share\\in\\*.csv|*.old  ", L"   ", L"C:\\Keep\\", L"", L"C:\\Ignored\\"};

    const Case cases[] = {
        // Move. Header 0xB11F0001: escape bits 1 and 2 and scratch bit 0x1000000 are
        // never loaded or masked away; of 0x1F0000 the mask keeps 0x70000
        // (X_NO_ANIMATION and _TRIAL_RUN are outside every mask).
        {L"move",
         DataBytes()
             .U32(0xB11F0001)
             .U16(0x2614)
             .U32(0x00040001)
             .U32(TextBytes(moveSources))
             .Text(moveSources[0])
             .Text(moveSources[1])
             .U32(24)
             .Text(L"D:\\Archive\\")
             .Bytes(),
         PlainStore::Memory,
         {1, 1, 0x72614, {L"C:\\Reports\\*.doc", L"C:\\Notes\\todo.txt"}, L"D:\\Archive\\"}},
        // Delete with an empty target (M = 0); FILESONLY (0x80) needs a wildcard source.
        {L"delete",
         DataBytes()
             .U32(0x80040003)
             .U16(0x44D4)
             .U32(0x00040001)
             .U32(TextBytes(deleteSources))
             .Text(deleteSources[0])
             .Text(deleteSources[1])
             .U32(0)
             .Bytes(),
         PlainStore::DiskFile,
         {3, 4, 0x44454, deleteSources, L""}},
        // Rename with a rename part; NOCONFIRMMKDIR (0x200) is outside its mask.
        {L"rename",
         DataBytes()
             .U32(0x80050004)
             .U16(0x1214)
             .U32(0x00040001)
             .U32(TextBytes(renameSources))
             .Text(renameSources[0])
             .U32(0)
             .Bytes(),
         PlainStore::MemoryWithUserType,
         {4, 3, 0x51014, renameSources, L""}},
        // MoveRename with text outside ASCII, a surrogate pair in the target.
        {L"moverename",
         DataBytes()
             .U32(0x80040005)
             .U16(0x0218)
             .U32(0x00040001)
             .U32(TextBytes(foreignSources))
             .Text(foreignSources[0])
             .Text(foreignSources[1])
             .U32(TextBytes({foreignTarget}))
             .Text(foreignTarget)
             .Bytes(),
         PlainStore::Memory,
         {5, 5, 0x40218, foreignSources, foreignTarget}},
        // CopyRename: entries trimmed, blank dropped, the list ends at the empty entry.
        {L"copyrename",
         DataBytes()
             .U32(0x80060006)
             .U16(0x0C00)
             .U32(0x00040001)
             .U32(TextBytes(copyRenameEntries))
             .Text(copyRenameEntries[0])
             .Text(copyRenameEntries[1])
             .Text(copyRenameEntries[2])
             .Text(copyRenameEntries[3])
             .Text(copyRenameEntries[4])
             .U32(TextBytes({L"  \\\\server\\share\\out  "}))
             .Text(L"  \\\\server\\share\\out  ")
             .Bytes(),
         PlainStore::DiskFile,
         {6,
          6,
          0x60C00,
          {L"\\\\server\\share\\in\\*.csv|*.old", L"C:\\Keep\\"},
          L"\\\\server\\share\\out"}},
        // A file from before the version field (header bit 31 clear): N follows the
        // low options at offset 6, and the command sounds at completion.
        {L"old-copy",
         DataBytes()
             .U32(0x00000002)
             .U16(0x0208)
             .U32(18)
             .Text(L"A:\\x.txt")
             .U32(8)
             .Text(L"B:\\")
             .Bytes(),
         PlainStore::Memory,
         {2, 2, 0x40208, {L"A:\\x.txt"}, L"B:\\"}},
        // An unknown action code is kept but counts as no action: no option applies.
        {L"unknown-action",
         DataBytes()
             .U32(0x80040009)
             .U16(0x0248)
             .U32(0x00040001)
             .U32(TextBytes({L"C:\\a"}))
             .Text(L"C:\\a")
             .U32(0)
             .Bytes(),
         PlainStore::Memory,
         {9, 0, 0, {L"C:\\a"}, L""}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.name);
        const std::wstring path = TempPath((std::wstring(c.name) + L".Taskel").c_str());
        ASSERT_EQ(WritePlainCommandFile(path, c.data, c.store), S_OK);
        std::vector<BYTE> file = ReadBytes(path);
        ASSERT_GT(file.size(), 16u);
        EXPECT_EQ(std::memcmp(file.data(), kCommandFilePrefix, 16), 0);
        Fields loaded;
        ASSERT_TRUE(LoadFields(path, loaded));
        ExpectLoaded(loaded, c.expected);
    }
}

TEST(Layout, ProductFilesReadBackWithSystemStorage)
{
    struct Case
    {
        const wchar_t *name;
        Fields fields;   // editor action number, options, sources, target
        uint32_t header; // the header word the layout gives for them
    };
    const Case cases[] = {
        {L"none", {0, 0, 0, {}, L""}, 0x80000000},
        {L"move",
         {0, 1, 0x001F2614, {L"C:\\Reports\\*.doc", L"C:\\Notes\\"}, L"D:\\Archive"},
         0x801F0001},
        {L"copy", {0, 2, 0x00040248, {L"D:\\A\\*.txt", L"D:\\B\\"}, L"E:\\Out"}, 0x80040002},
        {L"rename",
         {0, 3, 0x00051014, {L"C:\\Photos\\IMG_0001.JPG>Holiday 2024.jpg"}, L""},
         0x80050004},
        {L"delete", {0, 4, 0x00044454, {L"D:\\Temp\\", L"D:\\Logs\\old.log"}, L""}, 0x80040003},
        {L"moverename",
         {0,
          5,
          0x00020218,
          {L"C:\\Donn\u00e9es\\\u00c9t\u00e9\\*.txt>*.bak", L"C:\\\u65e5\u672c\u8a9e\\"},
          L"E:\\\u00dcn\u00efc\u00f6d\u00e9 \xD83D\xDE00"},
         0x80020005},
        {L"copyrename",
         {0,
          6,
          0x00160C01,
          {L"\\\\server\\share\\in\\*.csv|*.old", L"C:\\Keep\\", L"https://example.com/a.txt"},
          L"\\\\server\\share\\out"},
         0x80160006},
    };
    const CLSID commandClass = CommandClass();
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.name);
        const std::wstring path = TempPath((std::wstring(c.name) + L"-written.Taskel").c_str());
        ASSERT_TRUE(SaveFields(path, c.fields));

        PlainCommandFile file;
        ASSERT_EQ(ReadPlainCommandFile(path, file), S_OK);
        EXPECT_EQ(file.prefix,
                  std::vector<BYTE>(std::begin(kCommandFilePrefix), std::end(kCommandFilePrefix)));
        EXPECT_TRUE(IsEqualCLSID(file.rootClass, commandClass));
        ExpectRootElements(file);

        PlainData data;
        ASSERT_EQ(DecodeWrittenData(file.data, data), "");
        EXPECT_EQ(Hex(data.header), Hex(c.header));
        EXPECT_EQ(Hex(data.lowOptions), Hex(c.fields.options & 0xFFFF));
        EXPECT_EQ(Hex(data.version), "0x40001");
        EXPECT_EQ(data.sourceBytes, TextBytes(c.fields.sources));
        EXPECT_EQ(data.sources, c.fields.sources);
        EXPECT_EQ(data.targetBytes, c.fields.target.empty() ? 0u : TextBytes({c.fields.target}));
        EXPECT_EQ(data.target, c.fields.target);
    }
}

TEST(Layout, RewrittenFileHoldsOnlyTheNewCommand)
{
    const std::wstring path = TempPath(L"rewritten.Taskel");
    Fields first;
    first.editorAction = 6;
    first.options = 0x40248;
    first.sources = {L"C:\\In\\a long source name that is saved first.txt", L"C:\\In\\b.txt",
                     L"C:\\In\\c.txt"};
    first.target = L"D:\\A target that will be removed";
    ASSERT_TRUE(SaveFields(path, first));

    {
        fx::ComPtr<ITaskelFile> file;
        ASSERT_EQ(CTaskelFile::CreateInstance(path, IID_ITaskelFile, file.put_void()), S_OK);
        ASSERT_EQ(file->Open(FALSE), S_OK);
        fx::ComPtr<IStorage> storage;
        ASSERT_EQ(file.query(IID_IStorage, storage), S_OK);
        fx::ComPtr<IDispatch> dispatch;
        ASSERT_EQ(CTaskel::CreateInstance(IID_IDispatch, dispatch.put_void()), S_OK);
        fx::ComPtr<IPersistStorage> persist;
        ASSERT_EQ(dispatch.query(IID_IPersistStorage, persist), S_OK);
        ASSERT_EQ(persist->Load(storage.get()), S_OK);
        CTaskel &command = *ObjectOf(dispatch.get());
        command.SetSource(-1, nullptr);
        command.SetSource(0, L"C:\\Only.txt");
        command.SetTarget(L"");
        command.SetAction(4);
        ASSERT_EQ(persist->Save(storage.get(), TRUE), S_OK);
        ASSERT_EQ(persist->SaveCompleted(nullptr), S_OK);
        ASSERT_EQ(file->Commit(), S_OK);
    }

    PlainCommandFile file;
    ASSERT_EQ(ReadPlainCommandFile(path, file), S_OK);
    PlainData data;
    ASSERT_EQ(DecodeWrittenData(file.data, data), ""); // nothing of the longer stream remains
    EXPECT_EQ(Hex(data.header), "0x80040003");
    EXPECT_EQ(data.sources, std::vector<std::wstring>{L"C:\\Only.txt"});
    EXPECT_EQ(data.targetBytes, 0u);
}
