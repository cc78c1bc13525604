// The one trap of the library's boundaries (fx::ComMethod) and the traced
// failures of the command's persistence: what a COM method answers when its
// body throws, and the lines a failing load leaves in the log.
#define TRACE_SOURCE "Taskel\\BoundaryTest"
#include <gtest/gtest.h>

#include <stdexcept>

#include "ComMethod.h"
#include "ComPtr.h"
#include "DocumentTestSupport.h"
#include "TaskelClass.h"

namespace
{
const TraceSite kSite{"Taskel\\Somewhere", 321};

using Lines = std::vector<std::wstring>;

TEST(ComMethod, EveryExceptionIsTracedAndAnswered)
{
    CTraceLines trace(4);
    EXPECT_EQ(fx::ComMethod(kSite, []() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(fx::ComMethod(
                  kSite, []() -> HRESULT { throw fx::CInvalidArgException(L"Bad name\r\n"); },
                  DISP_E_EXCEPTION, 4),
              DISP_E_EXCEPTION);
    EXPECT_EQ(fx::ComMethod(kSite, []() -> HRESULT { throw std::runtime_error("x"); }),
              E_UNEXPECTED);
    EXPECT_EQ(trace.Lines(), (Lines{
                                 L"*** Exception *** at Taskel\\Somewhere 321",
                                 L"Exception [CInvalidArgException] [Bad name] at "
                                 L"Taskel\\Somewhere 321",
                                 L"*** Exception *** at Taskel\\Somewhere 321",
                             }));
}

TEST(ComMethod, FrameworkExceptionsFollowTheGivenLevel)
{
    CTraceLines trace(2);
    EXPECT_EQ(fx::ComMethod(
                  kSite, []() -> HRESULT { throw fx::CMemoryException(); }, E_FAIL, 4),
              E_FAIL);
    EXPECT_TRUE(trace.Lines().empty());
    // Anything else is an error whatever the level of framework exceptions.
    EXPECT_EQ(fx::ComMethod(
                  kSite, []() -> HRESULT { throw 7; }, E_FAIL, 4),
              E_FAIL);
    EXPECT_EQ(trace.Lines(), (Lines{L"*** Exception *** at Taskel\\Somewhere 321"}));
}

TEST(ComMethod, ResultsPassAndAReportFollowsTheTrace)
{
    CTraceLines trace(2);
    EXPECT_EQ(fx::ComMethod(kSite, [] { return S_FALSE; }), S_FALSE);
    EXPECT_EQ(fx::ComMethod(kSite, [] { return E_ACCESSDENIED; }), E_ACCESSDENIED);
    bool ran = false;
    EXPECT_EQ(fx::ComMethod(kSite, [&] { ran = true; }), S_OK);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(trace.Lines().empty());

    // The report sees the framework exception once it is in the log.
    std::wstring reported;
    size_t linesBefore = 0;
    auto report = [&](const fx::CException &e) {
        reported = e.MessageText();
        linesBefore = trace.Lines().size();
    };
    EXPECT_EQ(fx::ComMethod(
                  kSite, [] { throw fx::CInvalidArgException(L"No file"); }, E_FAIL, 2, report),
              E_FAIL);
    EXPECT_EQ(reported, L"No file");
    EXPECT_EQ(linesBefore, 1u);

    // Other exceptions are not reported; a report that throws is trapped too.
    reported.clear();
    EXPECT_EQ(fx::ComMethod(
                  kSite, [] { throw 1; }, E_FAIL, 2, report),
              E_FAIL);
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(fx::ComMethod(
                  kSite, [] { throw fx::CMemoryException(); }, E_FAIL, 2,
                  [](const fx::CException &) { throw 2; }),
              E_FAIL);
    EXPECT_EQ(trace.Lines(), (Lines{
                                 L"Exception [CInvalidArgException] [No file] at "
                                 L"Taskel\\Somewhere 321",
                                 L"*** Exception *** at Taskel\\Somewhere 321",
                                 L"Exception [CMemoryException] [Out of memory.] at "
                                 L"Taskel\\Somewhere 321",
                                 L"*** Exception *** at Taskel\\Somewhere 321",
                             }));
}

// An in-memory compound file.
fx::ComPtr<IStorage> MemoryStorage()
{
    fx::ComPtr<ILockBytes> bytes;
    fx::ComPtr<IStorage> storage;
    if (SUCCEEDED(::CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put())))
        ::StgCreateDocfileOnILockBytes(
            bytes.get(), STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, storage.put());
    return storage;
}

fx::ComPtr<IPersistStorage> NewCommandStorage()
{
    fx::ComPtr<IPersistStorage> persist;
    CTaskel::CreateInstance(IID_IPersistStorage, persist.put_void());
    return persist;
}

// The location of a traced failure names the command's source.
bool NamesCommandSource(const std::wstring &line)
{
    return line.find(L" in TaskelClass}") != std::wstring::npos;
}

TEST(PersistFailures, AStorageWithoutDataFailsTracedOnce)
{
    fx::ComPtr<IStorage> storage = MemoryStorage();
    ASSERT_TRUE(storage);
    fx::ComPtr<IPersistStorage> persist = NewCommandStorage();
    ASSERT_TRUE(persist);

    CTraceLines trace(4);
    EXPECT_EQ(persist->Load(storage.get()), STG_E_FILENOTFOUND);
    // The failing call at level 2 with its name, then the method's result.
    const Lines errors = trace.With(L"Error [80030002 (2)]");
    ASSERT_EQ(errors.size(), 2u) << ::testing::PrintToString(trace.Lines());
    EXPECT_NE(errors[0].find(L"=> OpenStream {"), std::wstring::npos) << errors[0];
    EXPECT_NE(errors[1].find(L"=> CTaskel::XPersistStorage::Load {"), std::wstring::npos)
        << errors[1];
    EXPECT_TRUE(NamesCommandSource(errors[0]) && NamesCommandSource(errors[1]));
    EXPECT_EQ(trace.Lines().front(), L"CTaskel::XPersistStorage::Load");

    // Only failures are traced: level 2 shows the failing call alone.
    fx::ComPtr<IPersistStorage> again = NewCommandStorage();
    CTraceLines errorsOnly(2);
    EXPECT_EQ(again->Load(storage.get()), STG_E_FILENOTFOUND);
    EXPECT_EQ(errorsOnly.Lines().size(), 1u);
}

TEST(PersistFailures, ADamagedStreamIsTracedWhereItIsDecoded)
{
    fx::ComPtr<IStorage> storage = MemoryStorage();
    ASSERT_TRUE(storage);
    fx::ComPtr<IStream> data;
    ASSERT_EQ(storage->CreateStream(L"Data", STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0,
                                    0, data.put()),
              S_OK);
    const BYTE header[] = {0x02, 0x00, 0x04, 0x80, 0x48}; // cut inside the low options
    ASSERT_EQ(data->Write(header, sizeof(header), nullptr), S_OK);
    data.reset();

    fx::ComPtr<IPersistStorage> persist = NewCommandStorage();
    CTraceLines trace(2);
    const HRESULT hr = persist->Load(storage.get());
    EXPECT_TRUE(FAILED(hr));
    const Lines lines = trace.Lines();
    ASSERT_EQ(lines.size(), 1u) << ::testing::PrintToString(lines);
    EXPECT_TRUE(NamesCommandSource(lines[0])) << lines[0];
    EXPECT_EQ(lines[0].find(L"=> "), std::wstring::npos) << lines[0]; // the decode has no name
}

// A script host that claims a named argument but passes no names must not
// crash the command object: the put is refused.
TEST(DispatchFrame, APutWithoutItsNamedArgumentArrayIsRefused)
{
    fx::ComPtr<IDispatch> dispatch;
    ASSERT_EQ(CTaskel::CreateInstance(IID_IDispatch, dispatch.put_void()), S_OK);
    VARIANT value;
    ::VariantInit(&value);
    V_VT(&value) = VT_I4;
    V_I4(&value) = 2;
    DISPPARAMS params = {&value, nullptr, 1, 1};
    const DISPID kOptions = 2;
    EXPECT_EQ(dispatch->Invoke(kOptions, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr,
                               nullptr, nullptr),
              DISP_E_PARAMNOTOPTIONAL);
    DISPID put = DISPID_PROPERTYPUT;
    params.rgdispidNamedArgs = &put;
    EXPECT_EQ(dispatch->Invoke(kOptions, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr,
                               nullptr, nullptr),
              S_OK);
}

} // namespace
