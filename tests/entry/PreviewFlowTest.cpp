// The preview flow for scripts: "/csv:<file>" writes the plan of a command
// file whole (UTF-8 with its mark, the column names, one line per entry)
// and touches nothing else; a missing or broken command file is a failure
// without any message box; the automation interface's Preview returns the
// same plan as tab-separated lines, also for a command from the Internet.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include "ComPtr.h"
#include "FlowTestSupport.h"
#include "TaskelClass.h"
#include "TaskelCommandFile.h"
#include "TaskelExecRun.h"
#include "TaskelMessage.h"
#include "TaskelOptions.h"
#include "TaskelPreviewFlow.h"
#include "TaskelStrings.h"

namespace
{

int g_messages = 0;
int CountMessage(HWND, UINT, const std::wstring &, UINT)
{
    ++g_messages;
    return IDOK;
}

class PreviewFlow : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        InstallShellRunner();
        SetMessageSink(CountMessage);
        SetTaskelResourceModule(::GetModuleHandleW(nullptr));
        g_messages = 0;
        folder = FreshFolder(CurrentTestName());
        WriteText(folder + L"in\\a.txt");
        WriteText(folder + L"in\\b.txt");
        WriteText(folder + L"out\\b.txt");
        command = folder + L"job.Taskel";
        ASSERT_EQ(WriteCommandFile(command, {EDIT_ACTION_COPY, 0, {L"in\\*.txt"}, L"out"}), S_OK);
    }
    void TearDown() override { SetMessageSink(nullptr); }

    std::string Text(const std::wstring &path)
    {
        const std::vector<BYTE> bytes = ReadBytes(path);
        return std::string(bytes.begin(), bytes.end());
    }

    std::wstring folder, command;
};

} // namespace

TEST_F(PreviewFlow, CsvHoldsEveryEntryAndTheRunChangesNothing)
{
    const std::wstring csv = folder + L"plan.csv";
    ASSERT_EQ(PreviewCommandFlow(nullptr, command, {L"/csv:" + csv}), S_OK);
    const std::string in = Narrow(folder + L"in\\"), out = Narrow(folder + L"out\\");
    EXPECT_EQ(Text(csv), "\xEF\xBB\xBF"
                         "Action,Source,Target,What happens,Size\r\n"
                         "Copy," + in + "a.txt," + out + "a.txt,New,4\r\n"
                         "Copy," + in + "b.txt," + out + "b.txt,Replaces the existing file,4\r\n");
    EXPECT_FALSE(Exists(folder + L"out\\a.txt"));
    EXPECT_EQ(g_messages, 0);

    // Written again whole over the old file, and never into a folder.
    ASSERT_EQ(PreviewCommandFlow(nullptr, command, {L"/CSV:\"" + csv + L"\""}), S_OK);
    EXPECT_EQ(Text(csv).substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_TRUE(FAILED(PreviewCommandFlow(nullptr, command, {L"/csv:" + folder + L"in"})));
    EXPECT_TRUE(Exists(folder + L"in\\a.txt"));
}

TEST_F(PreviewFlow, MissingOrBrokenFilesFailWithoutAMessage)
{
    const std::wstring csv = folder + L"plan.csv";
    EXPECT_EQ(PreviewCommandFlow(nullptr, folder + L"none.Taskel", {L"/csv:" + csv}),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    WriteText(folder + L"broken.Taskel", "not a command");
    EXPECT_TRUE(FAILED(PreviewCommandFlow(nullptr, folder + L"broken.Taskel", {L"/csv:" + csv})));
    EXPECT_FALSE(Exists(csv));
    EXPECT_EQ(g_messages, 0);
}

TEST_F(PreviewFlow, AutomationPreviewReturnsThePlanLines)
{
    // Marked as downloaded: Run is refused, Preview is not.
    WriteText(command + L":Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3\r\n");
    fx::ComPtr<IDispatch> dispatch;
    CTaskel *object = nullptr;
    ASSERT_EQ(CreateCommandObject(dispatch, object), S_OK);
    ASSERT_EQ(LoadCommandFile(command, *object), S_OK);
    OLECHAR name[] = L"Preview";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    VARIANT folderArg;
    ::VariantInit(&folderArg);
    V_VT(&folderArg) = VT_BSTR;
    V_BSTR(&folderArg) = ::SysAllocString(folder.c_str());
    DISPPARAMS params = {&folderArg, nullptr, 1, 0};
    VARIANT result;
    ::VariantInit(&result);
    ASSERT_EQ(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                               &result, nullptr, nullptr),
              S_OK);
    ASSERT_EQ(V_VT(&result), VT_BSTR);
    const std::wstring lines(V_BSTR(&result), ::SysStringLen(V_BSTR(&result)));
    EXPECT_EQ(lines, L"Action\tSource\tTarget\tWhat happens\tSize\r\n"
                     L"Copy\t" + folder + L"in\\a.txt\t" + folder + L"out\\a.txt\tNew\t4\r\n"
                     L"Copy\t" + folder + L"in\\b.txt\t" + folder +
                         L"out\\b.txt\tReplaces the existing file\t4\r\n");
    ::VariantClear(&result);
    ::VariantClear(&folderArg);
    EXPECT_FALSE(Exists(folder + L"out\\a.txt"));
}
