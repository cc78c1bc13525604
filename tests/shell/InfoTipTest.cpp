// The info tip: its text rules over plain data, and the handler object in
// process (read-only files, failed loads, the held file name).
#include <gtest/gtest.h>

#include "ComPtr.h"
#include "ShellTestSupport.h"
#include "TaskelFile.h"
#include "TaskelGuids.h"
#include "TaskelInfoTip.h"
#include "TaskelOptions.h"
#include "resource.h"

namespace
{

// Short stand-ins for the string table's texts.
std::wstring FakeString(UINT id)
{
    switch (id)
    {
    case IDS_INFOTIP_TITLE:
        return L"T|";
    case IDS_INFOTIP_MOVE:
        return L"M:";
    case IDS_INFOTIP_COPY:
        return L"C:";
    case IDS_INFOTIP_RENAME:
        return L"R:";
    case IDS_INFOTIP_DELETE:
        return L"D:";
    case IDS_INFOTIP_MOVERENAME:
        return L"MR:";
    case IDS_INFOTIP_COPYRENAME:
        return L"CR:";
    case IDS_INFOTIP_TO:
        return L"|to ";
    case IDS_INFOTIP_FOREIGN:
        return L"F|";
    default:
        return L"?";
    }
}

TEST(InfoTipText, PrefixSourcesAndTargetByAction)
{
    const std::vector<std::wstring> three = {L"a.txt", L"b\\*.doc", L"c"};
    EXPECT_EQ(InfoTipText(ACTION_DELETE, three, L"ignored", FakeString), L"T|D:a.txt, b\\*.doc, c");
    EXPECT_EQ(InfoTipText(ACTION_RENAME, {L"x"}, L"y", FakeString), L"T|R:x");
    EXPECT_EQ(InfoTipText(ACTION_COPY, {L"x"}, L"", FakeString), L"T|C:x");
    EXPECT_EQ(InfoTipText(ACTION_COPY, {L"x", L"y"}, L"D:\\Out", FakeString),
              L"T|C:x, y|to D:\\Out");
    EXPECT_EQ(InfoTipText(ACTION_MOVE, {L"x"}, L"o", FakeString), L"T|M:x|to o");
    EXPECT_EQ(InfoTipText(ACTION_MOVERENAME, {L"x"}, L"o", FakeString), L"T|MR:x|to o");
    EXPECT_EQ(InfoTipText(ACTION_COPYRENAME, {L"x"}, L"o", FakeString), L"T|CR:x|to o");
}

// The line of a file from the Internet follows the title, so a long tip
// never cuts it.
TEST(InfoTipText, ForeignFileSaysItAsksBeforeItRuns)
{
    EXPECT_EQ(InfoTipText(ACTION_COPY, {L"x"}, L"o", FakeString, true), L"T|F|C:x|to o");
    const std::wstring tip =
        InfoTipText(ACTION_DELETE, {std::wstring(2000, L'a')}, L"", FakeString, true);
    EXPECT_EQ(tip.substr(0, 6), L"T|F|D:");
    EXPECT_EQ(tip.size(), kMaxInfoTipLength);
}

TEST(InfoTipText, SourcesStopAtTheFirstEmptyOne)
{
    EXPECT_EQ(InfoTipText(ACTION_MOVE, {L"a", L"", L"c"}, L"", FakeString), L"T|M:a");
    EXPECT_EQ(InfoTipText(ACTION_MOVE, {L"", L"b"}, L"o", FakeString), L"T|M:|to o");
    EXPECT_EQ(InfoTipText(ACTION_NONE, {}, L"o", FakeString), L"T||to o");
}

// A file's entries show what they hold: characters that would not show,
// would start a line or would reorder the text are escaped, in sources and
// target alike; the texts of the string table are not.
TEST(InfoTipText, EntriesShowControlAndBidirectionalCharactersEscaped)
{
    // Right-to-left override: "exe.txt" would read as "txt.exe".
    EXPECT_EQ(InfoTipText(ACTION_COPY, {L"a\x202Etxt.exe"}, L"", FakeString),
              L"T|C:a<U+202E>txt.exe");
    // A line break in the target cannot fake a line of the tip.
    EXPECT_EQ(InfoTipText(ACTION_MOVE, {L"x"}, L"D:\\ok\r\nto C:\\Windows", FakeString),
              L"T|M:x|to D:\\ok<U+000D><U+000A>to C:\\Windows");
    const std::wstring all = std::wstring(L"\x01\t\x1F\x7F\x80\x85\x9F\x061C\x200E\x200F"
                                          L"\x2028\x2029\x202A\x202D\x202E\x2066\x2069",
                                          17) +
                             L'\0';
    EXPECT_EQ(InfoTipText(ACTION_DELETE, {all}, L"", FakeString),
              L"T|D:<U+0001><U+0009><U+001F><U+007F><U+0080><U+0085><U+009F><U+061C><U+200E>"
              L"<U+200F><U+2028><U+2029><U+202A><U+202D><U+202E><U+2066><U+2069><U+0000>");
    // Their neighbours, other scripts and surrogate pairs show as they are.
    const std::wstring plain = L" ~\xA0\x0600\x200D\x2010\x2027\x2030\x2065\x206A\xD83D\xDE00";
    EXPECT_EQ(InfoTipText(ACTION_DELETE, {plain}, L"", FakeString), L"T|D:" + plain);
    // The string table's own line breaks stay line breaks.
    auto lines = [](UINT id) {
        return id == IDS_INFOTIP_TITLE ? std::wstring(L"T\r\n") : FakeString(id);
    };
    EXPECT_EQ(InfoTipText(ACTION_COPY, {L"a"}, L"b", lines), L"T\r\nC:a|to b");
}

// A tip holds at most kMaxInfoTipLength units; a longer one ends with the
// ellipsis after the last whole character or escape that leaves room for it.
TEST(InfoTipText, LongTipsAreCutAfterAWholeCharacterOrEscape)
{
    const size_t room = kMaxInfoTipLength - 4; // after "T|D:"
    EXPECT_EQ(InfoTipText(ACTION_DELETE, {std::wstring(room, L'a')}, L"", FakeString),
              L"T|D:" + std::wstring(room, L'a'));
    EXPECT_EQ(InfoTipText(ACTION_DELETE, {std::wstring(room + 1, L'a')}, L"", FakeString),
              L"T|D:" + std::wstring(room - 1, L'a') + L'\x2026');

    // An escape or a surrogate pair across the cut goes whole.
    std::wstring tip = InfoTipText(ACTION_DELETE, {std::wstring(room - 4, L'a') + L"\x202E" + L"b"},
                                   L"", FakeString);
    EXPECT_EQ(tip, L"T|D:" + std::wstring(room - 4, L'a') + L'\x2026');
    tip = InfoTipText(ACTION_DELETE, {std::wstring(room - 2, L'a') + L"\xD83D\xDE00" + L"b"}, L"",
                      FakeString);
    EXPECT_EQ(tip, L"T|D:" + std::wstring(room - 2, L'a') + L'\x2026');

    // Many sources: the text as far as it goes, whatever the list's length,
    // and the target after them is cut off too.
    const std::vector<std::wstring> many(100000, L"C:\\in\\*.txt");
    tip = InfoTipText(ACTION_COPY, many, L"D:\\Out", FakeString);
    ASSERT_EQ(tip.size(), kMaxInfoTipLength);
    EXPECT_EQ(tip.back(), L'\x2026');
    std::wstring joined = L"T|C:" + many[0];
    while (joined.size() < kMaxInfoTipLength)
        joined += L", " + many[0];
    EXPECT_EQ(tip.substr(0, kMaxInfoTipLength - 1), joined.substr(0, kMaxInfoTipLength - 1));
    // A tip of exactly the limit is not cut.
    EXPECT_EQ(InfoTipText(ACTION_COPY, {std::wstring(room - 6, L's')}, L"ab", FakeString).size(),
              kMaxInfoTipLength);
    EXPECT_EQ(InfoTipText(ACTION_COPY, {std::wstring(room - 6, L's')}, L"ab", FakeString).back(),
              L'b');
}

struct InfoTip
{
    fx::ComPtr<IPersistFile> file;
    fx::ComPtr<IQueryInfo> query;
    InfoTip()
    {
        CTaskelInfoTip::CreateInstance(IID_IPersistFile, file.put_void());
        file.query(IID_IQueryInfo, query);
    }
    HRESULT Tip(std::wstring &text)
    {
        WCHAR *raw = nullptr;
        HRESULT hr = query->GetInfoTip(0, &raw);
        text = raw ? raw : L"";
        ::CoTaskMemFree(raw);
        return hr;
    }
};

TEST(InfoTipObject, ReadOnlyCommandFileLoads)
{
    std::wstring path = TestFolder() + L"\\readonly.Taskel";
    WriteCommandFile(path, EDIT_ACTION_COPY, {L"a"}, L"b");
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    InfoTip tip;
    ASSERT_TRUE(tip.query);
    EXPECT_EQ(tip.file->Load(path.c_str(), STGM_READ), S_OK);
    std::wstring text;
    EXPECT_EQ(tip.Tip(text), S_OK);
    EXPECT_EQ(text, L"File Command\r\nCopy: a\r\nto b");
    // While the tooltip shows, another program may still write the file.
    HANDLE writer = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) ::CloseHandle(writer);
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(InfoTipObject, MarkedFileTipsAndLoads)
{
    std::wstring path = TestFolder() + L"\\downloaded.Taskel";
    WriteCommandFile(path, EDIT_ACTION_COPY, {L"a"}, L"b");
    HANDLE stream = ::CreateFileW((path + L":Zone.Identifier").c_str(), GENERIC_WRITE, 0,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(stream, INVALID_HANDLE_VALUE);
    const char mark[] = "[ZoneTransfer]\r\nZoneId=3\r\n";
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(stream, mark, sizeof mark - 1, &written, nullptr));
    ::CloseHandle(stream);
    InfoTip tip;
    ASSERT_TRUE(tip.query);
    EXPECT_EQ(tip.file->Load(path.c_str(), STGM_READ), S_OK);
    std::wstring text;
    EXPECT_EQ(tip.Tip(text), S_OK);
    EXPECT_EQ(text, L"File Command\r\nFrom the Internet: asks before it runs\r\nCopy: a\r\nto b");
}

TEST(InfoTipObject, FailedLoadsAndTheHeldCommand)
{
    std::wstring good = TestFolder() + L"\\good.Taskel";
    WriteCommandFile(good, EDIT_ACTION_MOVE, {L"a"}, L"b");
    // A sound container whose storage holds no command.
    std::wstring empty = TestFolder() + L"\\empty.Taskel";
    {
        fx::ComPtr<ITaskelFile> file;
        ASSERT_EQ(CTaskelFile::CreateInstance(empty, IID_ITaskelFile, file.put_void()), S_OK);
        ASSERT_EQ(file->Create(), S_OK);
        ASSERT_EQ(file->Commit(), S_OK);
    }

    InfoTip tip;
    std::wstring text;
    ASSERT_EQ(tip.file->Load(good.c_str(), 0), S_OK);
    // A file that cannot be opened leaves the command held before.
    EXPECT_TRUE(FAILED(tip.file->Load((TestFolder() + L"\\missing.Taskel").c_str(), 0)));
    EXPECT_EQ(tip.Tip(text), S_OK);
    EXPECT_EQ(text, L"File Command\r\nMove: a\r\nto b");
    // A file that opens but holds no command replaces it: nothing to show.
    EXPECT_TRUE(FAILED(tip.file->Load(empty.c_str(), 0)));
    EXPECT_EQ(tip.Tip(text), E_UNEXPECTED);
    EXPECT_EQ(text, L"");

    LPOLESTR name = nullptr;
    EXPECT_EQ(tip.file->GetCurFile(&name), S_OK);
    EXPECT_STREQ(name, empty.c_str());
    ::CoTaskMemFree(name);
}

} // namespace
