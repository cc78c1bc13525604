// AddJotwellPage and its insertion callback: the Jotwell object through
// automation (ProgID, property puts by dispatch number), then its
// IShellExtInit and IShellPropSheetExt as the shell would call them.
#define TRACE_SOURCE "Taskel\\Taskel"
#include "JotwellHost.h"

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include "ComPtr.h"
#include "FxException.h"
#include "TaskelStrings.h"
#include "TaskelTraceSites.h"
#include "Trace.h"
#include "UniqueHandle.h"
#include "resource.h"

namespace
{

const wchar_t kJotwellProgId[] = L"Veltrac.JotwellPage";

// The settings object's dispatch numbers.
enum : DISPID
{
    DISPID_JOTWELL_APP_TITLE = 1,
    DISPID_JOTWELL_ITEM_COUNT = 2,
    DISPID_JOTWELL_ITEM_LOG_NAME = 4,
    DISPID_JOTWELL_ITEM_KEY_NAME = 6,
};

// Property-put by dispatch number, with an optional item index (0: none).
// A failing put raises the framework's OLE exception, as a dispatch driver
// does.
// IID_NULL by value: the system's import library holds GUID_NULL in the
// same object as IID_IAccessible, which oleacc defines too.
const IID kNoInterface = {};

void PutProperty(IDispatch *object, DISPID id, VARIANT value, long index = 0)
{
    VARIANT args[2];
    args[0] = value; // arguments go last first: the value, then the index
    ::VariantInit(&args[1]);
    args[1].vt = VT_I4;
    args[1].lVal = index;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {args, &named, index ? 2u : 1u, 1u};
    fx::COleException::ThrowIfFailed(object->Invoke(id, kNoInterface, LOCALE_USER_DEFAULT,
                                                    DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                                                    nullptr));
}

void PutString(IDispatch *object, DISPID id, const std::wstring &text, long index = 0)
{
    fx::unique_bstr bstr(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    if (!bstr) throw fx::CMemoryException();
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = bstr.get();
    PutProperty(object, id, value, index);
}

void PutLong(IDispatch *object, DISPID id, long number)
{
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = number;
    PutProperty(object, id, value);
}

// The trace-log configuration of this product: one item, the library's
// registry key and default log file; the other item properties keep the
// object's defaults (HKEY_CURRENT_USER, no alternative key, no title).
void DescribeTraceLog(IDispatch *object)
{
    PutString(object, DISPID_JOTWELL_APP_TITLE, LoadTaskelString(IDS_APP_TITLE));
    PutLong(object, DISPID_JOTWELL_ITEM_COUNT, 1);
    PutString(object, DISPID_JOTWELL_ITEM_KEY_NAME, L"Ferrovane", 1);
    PutString(object, DISPID_JOTWELL_ITEM_LOG_NAME, L"Ferrovane.log", 1);
}

int PageCount(HWND sheet)
{
    HWND tabs = reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
    return tabs ? static_cast<int>(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)) : 0;
}

bool AddJotwellPageUnsafe(HWND sheet, HWND referencePage, bool select)
{
    Trace(4, L"AddJotwellPage");
    if (!::IsWindow(sheet)) return false;

    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(kJotwellProgId, &clsid))) return false;
    fx::ComPtr<IDispatch> object;
    if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                  object.put_void())))
        return false;
    DescribeTraceLog(object.get());

    fx::ComPtr<IShellExtInit> init;
    fx::ComPtr<IShellPropSheetExt> pages;
    if (FAILED(object.query(__uuidof(IShellExtInit), init)) ||
        FAILED(object.query(__uuidof(IShellPropSheetExt), pages)))
        return false;

    SetTraceLocation(sites::kJotwellInitialize);
    if (FAILED(LogComErr(1, init->Initialize(nullptr, nullptr, nullptr),
                         L"IShellExtInit Initialize)")))
        return false;

    PageInsertion insertion = {sheet, referencePage, -1};
    SetTraceLocation(sites::kJotwellAddPages);
    if (FAILED(LogComErr(
            1, pages->AddPages(&InsertPageAfterReference, reinterpret_cast<LPARAM>(&insertion)),
            L"IShellPropSheetExt AddPages")))
        return false;

    if (select && insertion.index >= 0)
        ::SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(insertion.index), 0);
    return true;
}

} // namespace

int InsertPosition(int referenceIndex)
{
    return referenceIndex < 0 ? -1 : referenceIndex + 1;
}

int InsertedPageIndex(int pageToIndex, int position, int pageCount)
{
    if (pageToIndex >= 0) return pageToIndex;
    return position >= 0 ? position : pageCount - 1;
}

BOOL CALLBACK InsertPageAfterReference(HPROPSHEETPAGE page, LPARAM context)
{
    try
    {
        auto *insertion = reinterpret_cast<PageInsertion *>(context);
        if (!insertion || !page) return FALSE;
        if (insertion->referencePage)
            insertion->index = static_cast<int>(
                ::SendMessageW(insertion->sheet, PSM_HWNDTOINDEX,
                               reinterpret_cast<WPARAM>(insertion->referencePage), 0));
        const int position = InsertPosition(insertion->index);
        const BOOL added = position < 0
                               ? static_cast<BOOL>(::SendMessageW(insertion->sheet, PSM_ADDPAGE, 0,
                                                                  reinterpret_cast<LPARAM>(page)))
                               : static_cast<BOOL>(::SendMessageW(insertion->sheet, PSM_INSERTPAGE,
                                                                  static_cast<WPARAM>(position),
                                                                  reinterpret_cast<LPARAM>(page)));
        if (added)
        {
            const int answer = static_cast<int>(::SendMessageW(insertion->sheet, PSM_PAGETOINDEX, 0,
                                                               reinterpret_cast<LPARAM>(page)));
            insertion->index = InsertedPageIndex(answer, position, PageCount(insertion->sheet));
        }
        return added;
    }
    TRACE_CATCH_ALL(2)
    return FALSE;
}

bool AddJotwellPage(HWND sheet, HWND referencePage, bool select)
{
    try
    {
        return AddJotwellPageUnsafe(sheet, referencePage, select);
    }
    TRACE_CATCH_SITE(2, sites::kJotwellPage)
    return false;
}
