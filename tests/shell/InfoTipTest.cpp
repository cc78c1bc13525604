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

TEST(InfoTipText, SourcesStopAtTheFirstEmptyOne)
{
    EXPECT_EQ(InfoTipText(ACTION_MOVE, {L"a", L"", L"c"}, L"", FakeString), L"T|M:a");
    EXPECT_EQ(InfoTipText(ACTION_MOVE, {L"", L"b"}, L"o", FakeString), L"T|M:|to o");
    EXPECT_EQ(InfoTipText(ACTION_NONE, {}, L"o", FakeString), L"T||to o");
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
