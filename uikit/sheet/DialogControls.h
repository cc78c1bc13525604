// Thin wrappers over a dialog's controls: a window reference with text,
// enabling and visibility, a button with its check state and a click, and
// an edit field. They own nothing; the dialog destroys its controls. The
// owner of a popup menu (unique_menu) destroys it.
#pragma once

#include <windows.h>

#include <string>

#include "UniqueHandle.h"

// A menu made with CreateMenu or CreatePopupMenu, destroyed with its owner.
struct hmenu_traits
{
    using type = HMENU;
    static type invalid() noexcept { return nullptr; }
    static void close(type menu) noexcept { ::DestroyMenu(menu); }
};
using unique_menu = fx::unique_any<hmenu_traits>;

class CControl
{
  public:
    CControl() = default;
    explicit CControl(HWND window) : m_window(window) {}
    CControl(HWND dialog, int id) : m_window(::GetDlgItem(dialog, id)) {}

    HWND Window() const { return m_window; }
    explicit operator bool() const { return m_window != nullptr; }
    int Id() const { return ::GetDlgCtrlID(m_window); }

    std::wstring GetText() const;
    void SetText(const std::wstring &text) const { ::SetWindowTextW(m_window, text.c_str()); }
    void Enable(bool enable = true) const { ::EnableWindow(m_window, enable ? TRUE : FALSE); }
    bool IsEnabled() const { return ::IsWindowEnabled(m_window) != FALSE; }
    void Show(bool show = true) const { ::ShowWindow(m_window, show ? SW_SHOW : SW_HIDE); }
    bool IsVisible() const { return ::IsWindowVisible(m_window) != FALSE; }
    void SetFocus() const { ::SetFocus(m_window); }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_window, message, wParam, lParam);
    }

  protected:
    HWND m_window = nullptr;
};

class CButton : public CControl
{
  public:
    using CControl::CControl;
    // BST_CHECKED, BST_UNCHECKED or BST_INDETERMINATE.
    UINT GetCheck() const { return static_cast<UINT>(Send(BM_GETCHECK)); }
    bool IsChecked() const { return GetCheck() == BST_CHECKED; }
    void SetCheck(UINT state) const { Send(BM_SETCHECK, state); }
    void SetCheck(bool checked) const
    {
        SetCheck(checked ? UINT(BST_CHECKED) : UINT(BST_UNCHECKED));
    }
    // What a click by the user does (the parent gets BN_CLICKED).
    void Click() const { Send(BM_CLICK); }
};

class CEdit : public CControl
{
  public:
    using CControl::CControl;
    void SetLimit(int characters) const { Send(EM_LIMITTEXT, static_cast<WPARAM>(characters)); }
    void SetSel(int start, int end) const { Send(EM_SETSEL, static_cast<WPARAM>(start), end); }
    void SelectAll() const { SetSel(0, -1); }
    void SetReadOnly(bool readOnly) const { Send(EM_SETREADONLY, readOnly ? TRUE : FALSE); }
    bool IsModified() const { return Send(EM_GETMODIFY) != 0; }
    void SetModified(bool modified) const { Send(EM_SETMODIFY, modified ? TRUE : FALSE); }
};
