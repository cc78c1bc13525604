// The wizard header's accessibility object: two read-only text children
// whose names, descriptions and values a screen reader asks for.
#define TRACE_SOURCE "MfcGui\\WizardMsAa"
#include "WizardMsAa.h"

namespace
{
HRESULT Text(const std::wstring &text, BSTR *out)
{
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}
} // namespace

CWizardMsAa::CWizardMsAa(HWND window) : m_window(window)
{
}

void *CWizardMsAa::GetInterface(REFIID iid) noexcept
{
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible))
        return static_cast<IAccessible *>(&m_xAccessible);
    return nullptr;
}

void CWizardMsAa::Announce(LONG child) const
{
    if (m_window) ::NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, m_window, OBJID_WIZARD_HEADER, child);
}

LONG CWizardMsAa::ChildOf(const VARIANT &child)
{
    if (child.vt != VT_I4) return -1;
    if (child.lVal == CHILDID_SELF || child.lVal == CHILD_TITLE || child.lVal == CHILD_SUBTITLE)
        return child.lVal;
    return -1;
}

STDMETHODIMP CWizardMsAa::XAccessible::GetTypeInfoCount(UINT *count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}
STDMETHODIMP CWizardMsAa::XAccessible::GetTypeInfo(UINT, LCID, ITypeInfo **info)
{
    if (info) *info = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP CWizardMsAa::XAccessible::GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *)
{
    return E_NOTIMPL;
}
STDMETHODIMP CWizardMsAa::XAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *,
                                              EXCEPINFO *, UINT *)
{
    return E_NOTIMPL;
}

STDMETHODIMP CWizardMsAa::XAccessible::get_accParent(IDispatch **parent)
{
    if (!parent) return E_POINTER;
    *parent = nullptr;
    HWND window = Owner()->m_window;
    if (!window) return S_FALSE;
    return ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                        reinterpret_cast<void **>(parent));
}

STDMETHODIMP CWizardMsAa::XAccessible::get_accChildCount(long *count)
{
    if (!count) return E_POINTER;
    *count = 2;
    return S_OK;
}

// The two children are simple elements: they have no objects of their own.
STDMETHODIMP CWizardMsAa::XAccessible::get_accChild(VARIANT child, IDispatch **out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    return ChildOf(child) > 0 ? S_FALSE : E_INVALIDARG;
}

STDMETHODIMP CWizardMsAa::XAccessible::get_accName(VARIANT child, BSTR *name)
{
    switch (ChildOf(child))
    {
    case CHILDID_SELF:
        return Text(L"Wizard page header", name);
    case CHILD_TITLE:
        return Text(L"Title", name);
    case CHILD_SUBTITLE:
        return Text(L"Subtitle", name);
    default:
        return E_INVALIDARG;
    }
}

STDMETHODIMP CWizardMsAa::XAccessible::get_accValue(VARIANT child, BSTR *value)
{
    switch (ChildOf(child))
    {
    case CHILD_TITLE:
        return Text(Owner()->m_title, value);
    case CHILD_SUBTITLE:
        return Text(Owner()->m_subtitle, value);
    case CHILDID_SELF:
        if (value) *value = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    default:
        return E_INVALIDARG;
    }
}

STDMETHODIMP CWizardMsAa::XAccessible::get_accDescription(VARIANT child, BSTR *description)
{
    switch (ChildOf(child))
    {
    case CHILD_TITLE:
        return Text(L"Wizard page title", description);
    case CHILD_SUBTITLE:
        return Text(L"Wizard page subtitle", description);
    case CHILDID_SELF:
        if (description) *description = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    default:
        return E_INVALIDARG;
    }
}

STDMETHODIMP CWizardMsAa::XAccessible::get_accRole(VARIANT child, VARIANT *role)
{
    if (!role) return E_POINTER;
    const LONG which = ChildOf(child);
    if (which < 0) return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = which == CHILDID_SELF ? ROLE_SYSTEM_GROUPING : ROLE_SYSTEM_STATICTEXT;
    return S_OK;
}

STDMETHODIMP CWizardMsAa::XAccessible::get_accState(VARIANT child, VARIANT *state)
{
    if (!state) return E_POINTER;
    if (ChildOf(child) < 0) return E_INVALIDARG;
    state->vt = VT_I4;
    state->lVal = STATE_SYSTEM_READONLY;
    return S_OK;
}

STDMETHODIMP CWizardMsAa::XAccessible::get_accHelp(VARIANT, BSTR *help)
{
    if (help) *help = nullptr;
    return DISP_E_MEMBERNOTFOUND;
}
STDMETHODIMP CWizardMsAa::XAccessible::get_accHelpTopic(BSTR *file, VARIANT, long *topic)
{
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return DISP_E_MEMBERNOTFOUND;
}
STDMETHODIMP CWizardMsAa::XAccessible::get_accKeyboardShortcut(VARIANT, BSTR *shortcut)
{
    if (shortcut) *shortcut = nullptr;
    return DISP_E_MEMBERNOTFOUND;
}
STDMETHODIMP CWizardMsAa::XAccessible::get_accFocus(VARIANT *focus)
{
    if (!focus) return E_POINTER;
    focus->vt = VT_EMPTY;
    return S_FALSE;
}
STDMETHODIMP CWizardMsAa::XAccessible::get_accSelection(VARIANT *selection)
{
    if (!selection) return E_POINTER;
    selection->vt = VT_EMPTY;
    return S_FALSE;
}
STDMETHODIMP CWizardMsAa::XAccessible::get_accDefaultAction(VARIANT, BSTR *action)
{
    if (action) *action = nullptr;
    return DISP_E_MEMBERNOTFOUND;
}
STDMETHODIMP CWizardMsAa::XAccessible::accSelect(long, VARIANT)
{
    return DISP_E_MEMBERNOTFOUND;
}

// The header occupies the top of the sheet's client area.
STDMETHODIMP CWizardMsAa::XAccessible::accLocation(long *left, long *top, long *width,
                                                   long *height, VARIANT child)
{
    if (!left || !top || !width || !height) return E_POINTER;
    if (ChildOf(child) < 0) return E_INVALIDARG;
    RECT client{};
    HWND window = Owner()->m_window;
    if (!window || !::GetClientRect(window, &client)) return S_FALSE;
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT *>(&client), 2);
    *left = client.left;
    *top = client.top;
    *width = client.right - client.left;
    *height = ::GetSystemMetrics(SM_CYICON) + 16;
    return S_OK;
}

STDMETHODIMP CWizardMsAa::XAccessible::accNavigate(long, VARIANT, VARIANT *end)
{
    if (end) end->vt = VT_EMPTY;
    return S_FALSE;
}
STDMETHODIMP CWizardMsAa::XAccessible::accHitTest(long, long, VARIANT *child)
{
    if (!child) return E_POINTER;
    child->vt = VT_EMPTY;
    return S_FALSE;
}
STDMETHODIMP CWizardMsAa::XAccessible::accDoDefaultAction(VARIANT)
{
    return DISP_E_MEMBERNOTFOUND;
}
STDMETHODIMP CWizardMsAa::XAccessible::put_accName(VARIANT, BSTR)
{
    return E_NOTIMPL;
}
STDMETHODIMP CWizardMsAa::XAccessible::put_accValue(VARIANT, BSTR)
{
    return E_NOTIMPL;
}
