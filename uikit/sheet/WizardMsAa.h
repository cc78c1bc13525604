// CWizardMsAa: the accessibility object of a wizard's header. It has two
// named children, "Title" and "Subtitle" ("Wizard page title", "Wizard page
// subtitle"), whose values are the current page's header texts, so that a
// screen reader can read the header the platform draws as pixels only. The
// sheet answers WM_GETOBJECT for OBJID_WIZARD_HEADER with it and raises
// value-change events on it when a header text changes.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>

#include "ComObject.h"

// The object id the sheet answers with the header object (an
// application-defined id: positive).
constexpr LONG OBJID_WIZARD_HEADER = 1;

class CWizardMsAa : public fx::CComObject
{
  public:
    enum : LONG
    {
        CHILD_TITLE = 1,
        CHILD_SUBTITLE = 2,
    };

    // `window` is the sheet; the object holds no reference to it.
    explicit CWizardMsAa(HWND window);
    void SetWindow(HWND window) { m_window = window; }
    void SetTitle(const std::wstring &text) { m_title = text; }
    void SetSubtitle(const std::wstring &text) { m_subtitle = text; }
    IAccessible *Accessible() { return &m_xAccessible; }
    // Tells accessibility clients that a child's value changed.
    void Announce(LONG child) const;

    class XAccessible : public fx::CInterfacePart<CWizardMsAa, IAccessible>
    {
      public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP GetTypeInfoCount(UINT *count) override;
        STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **info) override;
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override;
        STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *,
                            UINT *) override;
        STDMETHODIMP get_accParent(IDispatch **parent) override;
        STDMETHODIMP get_accChildCount(long *count) override;
        STDMETHODIMP get_accChild(VARIANT child, IDispatch **out) override;
        STDMETHODIMP get_accName(VARIANT child, BSTR *name) override;
        STDMETHODIMP get_accValue(VARIANT child, BSTR *value) override;
        STDMETHODIMP get_accDescription(VARIANT child, BSTR *description) override;
        STDMETHODIMP get_accRole(VARIANT child, VARIANT *role) override;
        STDMETHODIMP get_accState(VARIANT child, VARIANT *state) override;
        STDMETHODIMP get_accHelp(VARIANT, BSTR *help) override;
        STDMETHODIMP get_accHelpTopic(BSTR *file, VARIANT, long *topic) override;
        STDMETHODIMP get_accKeyboardShortcut(VARIANT, BSTR *shortcut) override;
        STDMETHODIMP get_accFocus(VARIANT *focus) override;
        STDMETHODIMP get_accSelection(VARIANT *selection) override;
        STDMETHODIMP get_accDefaultAction(VARIANT, BSTR *action) override;
        STDMETHODIMP accSelect(long, VARIANT) override;
        STDMETHODIMP accLocation(long *left, long *top, long *width, long *height,
                                 VARIANT child) override;
        STDMETHODIMP accNavigate(long, VARIANT, VARIANT *end) override;
        STDMETHODIMP accHitTest(long, long, VARIANT *child) override;
        STDMETHODIMP accDoDefaultAction(VARIANT) override;
        STDMETHODIMP put_accName(VARIANT, BSTR) override;
        STDMETHODIMP put_accValue(VARIANT, BSTR) override;
    };

  protected:
    void *GetInterface(REFIID iid) noexcept override;

  private:
    // 0 for the object itself, 1 or 2 for a child, -1 for anything else.
    static LONG ChildOf(const VARIANT &child);

    HWND m_window;
    std::wstring m_title;
    std::wstring m_subtitle;
    XAccessible m_xAccessible{this};
};
