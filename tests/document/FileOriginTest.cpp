// Where a command file came from: the mark's text, the zones that count as
// foreign, the mark read from a real "Zone.Identifier" stream (Wine keeps
// it as a file beside the command file), the automation interface refusing
// to run a foreign command, and a save through the container keeping the
// mark.
#include <gtest/gtest.h>

#include "ComPtr.h"
#include "FileOrigin.h"
#include "ShownText.h"
#include "TaskelClass.h"
#include "TaskelCommandFile.h"
#include "TaskelFile.h"
#include "TaskelGuids.h"
#include "TestCommandFiles.h"
#include "TestFiles.h"

TEST(FileOrigin, ParsesTheZoneTransferSection)
{
    FileOrigin o = ParseZoneTransfer(L"[ZoneTransfer]\r\nZoneId=3\r\n"
                                     L"ReferrerUrl=https://ref.example/page\r\n"
                                     L"HostUrl=https://host.example/a.Taskel\r\n");
    EXPECT_TRUE(o.zoneKnown);
    EXPECT_EQ(o.zone, 3u);
    EXPECT_EQ(o.referrerUrl, L"https://ref.example/page");
    EXPECT_EQ(o.hostUrl, L"https://host.example/a.Taskel");

    // Names compare case-insensitively, blanks are ignored, the first key
    // counts, other sections and comments do not.
    o = ParseZoneTransfer(L"[Other]\nZoneId=0\n; ZoneId=1\n [ zonetransfer ] \n"
                          L"  zoneid = 4 \nZoneId=0\nhosturl= http://h \n[Next]\nReferrerUrl=x");
    EXPECT_TRUE(o.zoneKnown);
    EXPECT_EQ(o.zone, 4u);
    EXPECT_EQ(o.hostUrl, L"http://h");
    EXPECT_EQ(o.referrerUrl, L"");

    // No section, no ZoneId, or one that is not a number: no zone known.
    EXPECT_FALSE(ParseZoneTransfer(L"ZoneId=3\r\n").zoneKnown);
    EXPECT_FALSE(ParseZoneTransfer(L"[ZoneTransfer]\r\nHostUrl=x\r\n").zoneKnown);
    EXPECT_FALSE(ParseZoneTransfer(L"[ZoneTransfer]\r\nZoneId=3x\r\n").zoneKnown);
    EXPECT_FALSE(ParseZoneTransfer(L"[ZoneTransfer]\r\nZoneId=-3\r\n").zoneKnown);
    EXPECT_FALSE(ParseZoneTransfer(L"[ZoneTransfer]\r\nZoneId=99999999999\r\n").zoneKnown);
    EXPECT_FALSE(ParseZoneTransfer(L"").zoneKnown);
}

TEST(FileOrigin, DecodesUtf8AndUtf16Streams)
{
    EXPECT_EQ(DecodeZoneStream("[ZoneTransfer]\r\nZoneId=3"), L"[ZoneTransfer]\r\nZoneId=3");
    EXPECT_EQ(DecodeZoneStream("\xEF\xBB\xBFZoneId=\xC3\xA9"), L"ZoneId=\x00E9");
    EXPECT_EQ(DecodeZoneStream(std::string("\xFF\xFEZ\0o\0", 6)), L"Zo");
    EXPECT_EQ(DecodeZoneStream(""), L"");
}

TEST(FileOrigin, InternetRestrictedAndUnknownZonesAreForeign)
{
    EXPECT_FALSE(IsForeignZone(kZoneLocalMachine));
    EXPECT_FALSE(IsForeignZone(kZoneIntranet));
    EXPECT_FALSE(IsForeignZone(kZoneTrusted));
    EXPECT_TRUE(IsForeignZone(kZoneInternet));
    EXPECT_TRUE(IsForeignZone(kZoneRestricted));
    EXPECT_TRUE(IsForeignZone(1000));
    FileOrigin unmarked;
    unmarked.zone = kZoneInternet; // without a readable mark the zone does not count
    EXPECT_FALSE(IsForeignOrigin(unmarked));
}

TEST(ShownText, EscapesAndCutsFileText)
{
    EXPECT_EQ(ShownText(L"a\tb\x202E"
                        L"c",
                        100),
              L"a<U+0009>b<U+202E>c");
    EXPECT_EQ(ShownText(L"abcdef", 4), L"abcd\x2026");
    // A cut never splits an escape or a surrogate pair.
    EXPECT_EQ(ShownText(L"ab\x202E", 5), L"ab\x2026");
    EXPECT_EQ(ShownText(L"a\xD83D\xDE00", 2), L"a\x2026");
}

namespace
{

void WriteStream(const std::wstring &path, const std::string &text)
{
    HANDLE stream = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(stream, INVALID_HANDLE_VALUE) << ::GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(
        ::WriteFile(stream, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    ::CloseHandle(stream);
}

std::string ReadStream(const std::wstring &path)
{
    std::vector<BYTE> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

const char kInternetMark[] = "[ZoneTransfer]\r\nZoneId=3\r\nReferrerUrl=https://ref.example/\r\n";

class MarkedFile : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        command = FreshFolder(CurrentTestName()) + L"job.Taskel";
        stream = command + L":Zone.Identifier";
        ASSERT_EQ(WriteCommandFile(command, {EDIT_ACTION_DELETE, 0, {L"victim.txt"}, L""}), S_OK);
    }
    std::wstring command, stream;
};

} // namespace

TEST_F(MarkedFile, MarkIsReadFromTheStream)
{
    EXPECT_FALSE(ReadFileOrigin(command).zoneKnown);
    WriteStream(stream, kInternetMark);
    const FileOrigin origin = ReadFileOrigin(command);
    EXPECT_TRUE(IsForeignOrigin(origin));
    EXPECT_EQ(origin.referrerUrl, L"https://ref.example/");
    WriteStream(stream, "[ZoneTransfer]\r\nZoneId=1\r\n");
    EXPECT_FALSE(IsForeignOrigin(ReadFileOrigin(command)));
}

TEST_F(MarkedFile, AutomationRunOfAForeignCommandIsRefused)
{
    WriteStream(stream, kInternetMark);
    fx::ComPtr<IDispatch> dispatch;
    CTaskel *object = nullptr;
    ASSERT_EQ(CreateCommandObject(dispatch, object), S_OK);
    ASSERT_EQ(LoadCommandFile(command, *object), S_OK);
    EXPECT_TRUE(object->IsFromForeignFile());

    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"Run")};
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    VARIANT args[2];
    V_VT(&args[0]) = VT_I4; // owner (last argument comes first)
    V_I4(&args[0]) = 0;
    V_VT(&args[1]) = VT_BSTR;
    V_BSTR(&args[1]) = ::SysAllocString(L"C:\\");
    DISPPARAMS params = {args, nullptr, 2, 0};
    VARIANT result;
    ::VariantInit(&result);
    EXPECT_EQ(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                               nullptr, nullptr),
              HRESULT_FROM_WIN32(ERROR_ACCESS_DISABLED_BY_POLICY));
    ::SysFreeString(V_BSTR(&args[1]));

    // Unblocked (the mark removed), the same file loads as local again.
    ASSERT_TRUE(::DeleteFileW(stream.c_str()));
    fx::ComPtr<IDispatch> second;
    CTaskel *local = nullptr;
    ASSERT_EQ(CreateCommandObject(second, local), S_OK);
    ASSERT_EQ(LoadCommandFile(command, *local), S_OK);
    EXPECT_FALSE(local->IsFromForeignFile());
}

TEST_F(MarkedFile, SaveThroughTheContainerKeepsTheMark)
{
    WriteStream(stream, kInternetMark);
    fx::ComPtr<IDispatch> dispatch;
    CTaskel *object = nullptr;
    ASSERT_EQ(CreateCommandObject(dispatch, object), S_OK);
    ASSERT_EQ(LoadCommandFile(command, *object), S_OK);
    object->SetTarget(L"changed");
    object->SetAction(EDIT_ACTION_COPY);
    const std::vector<BYTE> before = ReadBytes(command);

    // As the edit sheet saves: the container opened for writing, a save
    // into its storage, the commit writing the file in place.
    fx::ComPtr<ITaskelFile> file;
    ASSERT_EQ(CTaskelFile::CreateInstance(command, IID_ITaskelFile, file.put_void()), S_OK);
    ASSERT_EQ(file->Open(FALSE), S_OK);
    fx::ComPtr<IStorage> storage;
    ASSERT_EQ(file.query(IID_IStorage, storage), S_OK);
    fx::ComPtr<IPersistStorage> persist;
    ASSERT_EQ(object->ExternalQueryInterface(IID_IPersistStorage, persist.put_void()), S_OK);
    ASSERT_EQ(persist->Save(storage.get(), FALSE), S_OK);
    persist->HandsOffStorage();
    ASSERT_EQ(file->Commit(), S_OK);
    ASSERT_EQ(file->Close(), S_OK);

    EXPECT_NE(ReadBytes(command), before);
    EXPECT_EQ(ReadStream(stream), kInternetMark);
    CTaskel *reloaded = nullptr;
    fx::ComPtr<IDispatch> second;
    ASSERT_EQ(CreateCommandObject(second, reloaded), S_OK);
    ASSERT_EQ(LoadCommandFile(command, *reloaded), S_OK);
    EXPECT_EQ(reloaded->GetTarget(), L"changed");
    EXPECT_TRUE(reloaded->IsFromForeignFile());
}
