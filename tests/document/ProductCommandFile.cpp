// Opening, loading and saving command files through CTaskelFile and
// CTaskel's storage persistence, and reading a command's fields through its
// automation interface.
#include "ProductCommandFile.h"

#include <oleauto.h>

#include <sstream>

#include "TaskelClass.h"
#include "TaskelFile.h"
#include "TaskelGuids.h"

namespace
{
// A property get through Invoke with up to one index argument; `type` is
// the variant type the property must answer with.
testing::AssertionResult GetProperty(IDispatch *command, DISPID id, const VARIANT *index,
                                     VARTYPE type, VARIANT &result)
{
    VARIANT argument = index ? *index : VARIANT{};
    DISPPARAMS params = {index ? &argument : nullptr, nullptr, index ? 1u : 0u, 0};
    UINT argError = 0;
    ::VariantInit(&result);
    HRESULT hr = command->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &params,
                                 &result, nullptr, &argError);
    if (FAILED(hr))
        return testing::AssertionFailure() << "Invoke of dispatch id " << id << " failed with "
                                           << Hex(static_cast<uint32_t>(hr));
    if (V_VT(&result) != type)
    {
        const VARTYPE answered = V_VT(&result);
        ::VariantClear(&result);
        return testing::AssertionFailure()
               << "dispatch id " << id << " answered variant type " << answered;
    }
    return testing::AssertionSuccess();
}

// A string property; a null BSTR reads as an empty text.
testing::AssertionResult GetText(IDispatch *command, DISPID id, const VARIANT *index,
                                 std::wstring &text)
{
    VARIANT result;
    testing::AssertionResult ok = GetProperty(command, id, index, VT_BSTR, result);
    if (!ok) return ok;
    text = V_BSTR(&result) ? std::wstring(V_BSTR(&result), ::SysStringLen(V_BSTR(&result)))
                           : std::wstring();
    ::VariantClear(&result);
    return testing::AssertionSuccess();
}

testing::AssertionResult GetLong(IDispatch *command, DISPID id, uint32_t &value)
{
    VARIANT result;
    testing::AssertionResult ok = GetProperty(command, id, nullptr, VT_I4, result);
    if (ok) value = static_cast<uint32_t>(V_I4(&result));
    return ok;
}
} // namespace

std::string Hex(uint32_t value)
{
    std::ostringstream text;
    text << "0x" << std::hex << value;
    return text.str();
}

testing::AssertionResult OpenAndLoad(const std::wstring &path, HRESULT &result,
                                     fx::ComPtr<IDispatch> &command)
{
    fx::ComPtr<ITaskelFile> file;
    CHECK_HR(CTaskelFile::CreateInstance(path, IID_ITaskelFile, file.put_void()));
    result = file->Open(TRUE);
    if (FAILED(result)) return testing::AssertionSuccess();
    fx::ComPtr<IStorage> storage;
    CHECK_HR(file.query(IID_IStorage, storage));
    CHECK_HR(CTaskel::CreateInstance(IID_IDispatch, command.put_void()));
    fx::ComPtr<IPersistStorage> persist;
    CHECK_HR(command.query(IID_IPersistStorage, persist));
    result = persist->Load(storage.get());
    if (SUCCEEDED(result) && persist->IsDirty() != S_FALSE)
        return testing::AssertionFailure() << "dirty after a load";
    return testing::AssertionSuccess();
}

testing::AssertionResult ReadFields(IDispatch *command, Fields &out)
{
    out = Fields();
    out.storedAction = static_cast<CTaskel::XDispatch *>(command)->Object()->GetStoredAction();
    VARIANT value;
    testing::AssertionResult ok = GetProperty(command, 1, nullptr, VT_I2, value); // Action
    if (!ok) return ok;
    out.editorAction = static_cast<uint16_t>(V_I2(&value));
    uint32_t count = 0;
    if (!(ok = GetLong(command, 2, out.options))) return ok;         // Options
    if (!(ok = GetText(command, 4, nullptr, out.target))) return ok; // ToFile
    if (!(ok = GetLong(command, 5, count))) return ok;               // FromFileCount
    if (!(ok = GetLong(command, 7, out.optionMask))) return ok;      // OptionMask
    for (uint32_t i = 0; i < count; ++i)
    {
        VARIANT index;
        V_VT(&index) = VT_I4;
        V_I4(&index) = static_cast<LONG>(i);
        std::wstring source;
        if (!(ok = GetText(command, 6, &index, source))) return ok; // FromFile(i)
        out.sources.push_back(source);
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult LoadFields(const std::wstring &path, Fields &out)
{
    HRESULT result = E_FAIL;
    fx::ComPtr<IDispatch> command;
    testing::AssertionResult ok = OpenAndLoad(path, result, command);
    if (!ok) return ok;
    CHECK_HR(result);
    return ReadFields(command.get(), out);
}

testing::AssertionResult SaveAs(const std::wstring &path, IDispatch *command)
{
    fx::ComPtr<ITaskelFile> file;
    CHECK_HR(CTaskelFile::CreateInstance(path, IID_ITaskelFile, file.put_void()));
    CHECK_HR(file->Create());
    fx::ComPtr<IStorage> storage;
    CHECK_HR(file.query(IID_IStorage, storage));
    fx::ComPtr<IPersistStorage> persist;
    CHECK_HR(command->QueryInterface(IID_IPersistStorage, persist.put_void()));
    CHECK_HR(persist->Save(storage.get(), FALSE));
    CHECK_HR(persist->SaveCompleted(nullptr));
    if (persist->IsDirty() != S_FALSE) return testing::AssertionFailure() << "dirty after a save";
    CHECK_HR(file->Commit());
    CHECK_HR(persist->HandsOffStorage());
    CHECK_HR(file->Close());
    return testing::AssertionSuccess();
}

testing::AssertionResult SaveFields(const std::wstring &path, const Fields &fields)
{
    fx::ComPtr<IDispatch> dispatch;
    CHECK_HR(CTaskel::CreateInstance(IID_IDispatch, dispatch.put_void()));
    CTaskel &command = *static_cast<CTaskel::XDispatch *>(dispatch.get())->Object();
    command.SetAction(fields.editorAction);
    command.SetOptions(fields.options);
    for (size_t i = 0; i < fields.sources.size(); ++i)
        command.SetSource(static_cast<long>(i), fields.sources[i].c_str());
    command.SetTarget(fields.target);
    return SaveAs(path, dispatch.get());
}
