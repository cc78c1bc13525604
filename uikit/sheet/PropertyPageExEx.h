// CPropertyPageExEx: the base of every property page and wizard page of the
// libraries. It builds the page's PROPSHEETPAGEW (template, title, header
// texts, flags, the page callback and the activation context), creates the
// page handle, and runs one shared dialog procedure for all pages: the page
// object comes from PROPSHEETPAGEW::lParam at WM_INITDIALOG, is kept in the
// window's user data, and every message goes to a small virtual handler.
// Nothing a handler throws leaves the procedure: it is traced as the page's
// own (its trap site) and the message gets the answer that keeps the sheet
// safe (AnswerAfterThrow), so handlers need no trap of their own.
//
// Who frees a page: its owner (a flow that keeps the page in a variable, or
// the page object that hands it to a sheet another component owns), or the
// page itself when the sheet lets it go (PSPCB_RELEASE) if it was created
// with DeleteOnRelease.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>

#include "Trace.h"

class CPropertyPageExEx;

// The answer of the shared dialog procedure to a message whose handler
// threw (`code` is the notification code of a WM_NOTIFY): an Apply or a
// Finish is refused, so the sheet stays open and nothing counts as saved;
// Next and Back stay on the page; an activation still shows the page, a
// deactivation and a Cancel are let through, so the user is never held on a
// failing page. False for every other message: it counts as not handled.
bool AnswerAfterThrow(UINT message, UINT code, LRESULT &result);

// Told of the platform's page callback (PSPCB_ADDREF, PSPCB_CREATE,
// PSPCB_RELEASE); a page object counts the sheet's uses of its page with it.
class IPageCallbackSink
{
  public:
    virtual void OnPageCallback(CPropertyPageExEx &page, UINT message) = 0;

  protected:
    ~IPageCallbackSink() = default;
};

// The module that holds this code (the library or the test program): the
// default module of dialog templates and strings.
HINSTANCE UikitModule();

class CPropertyPageExEx
{
  public:
    // `templateId` is the dialog resource in `resources` (null: UikitModule).
    explicit CPropertyPageExEx(UINT templateId, HINSTANCE resources = nullptr);
    virtual ~CPropertyPageExEx();
    CPropertyPageExEx(const CPropertyPageExEx &) = delete;
    CPropertyPageExEx &operator=(const CPropertyPageExEx &) = delete;

    // --- The page description (set before Create) ---
    UINT TemplateId() const { return m_templateId; }
    HINSTANCE Resources() const { return m_resources; }
    // The tab or wizard caption; empty = the template's caption.
    void SetTitle(const std::wstring &title);
    const std::wstring &Title() const { return m_title; }
    // Wizard97 header texts; empty = none.
    void SetHeaderTitle(const std::wstring &text);
    void SetHeaderSubtitle(const std::wstring &text);
    const std::wstring &HeaderTitle() const { return m_headerTitle; }
    const std::wstring &HeaderSubtitle() const { return m_headerSubtitle; }
    // Extra PSP_* flags (PSP_HASHELP, PSP_HIDEHEADER, PSP_USEREFPARENT, ...).
    void AddFlags(DWORD flags) { m_flags |= flags; }
    void RemoveFlags(DWORD flags) { m_flags &= ~flags; }
    DWORD Flags() const { return m_flags; }
    // The activation context the page's controls are created in (null: the
    // caller's); sets PSP_USEFUSIONCONTEXT.
    void SetActivationContext(HANDLE context) { m_activationContext = context; }
    // The counter PSP_USEREFPARENT points at (null clears the flag).
    void SetRefParent(UINT *counter);
    // Frees the page (delete this) when the sheet lets it go.
    void SetDeleteOnRelease(bool deleteOnRelease) { m_deleteOnRelease = deleteOnRelease; }
    void SetCallbackSink(IPageCallbackSink *sink) { m_sink = sink; }

    // The description as it goes to CreatePropertySheetPageW: the form with
    // the activation context, the shared procedure, the callback and `this`.
    PROPSHEETPAGEW Description() const;
    // Creates the page handle (null on failure, the last error kept). The
    // handle belongs to whoever adds it to a sheet.
    HPROPSHEETPAGE Create();

    // --- The page window (valid between WM_INITDIALOG and WM_NCDESTROY) ---
    HWND Window() const { return m_window; }
    HWND Sheet() const { return m_window ? ::GetParent(m_window) : nullptr; }
    HWND Item(int id) const { return ::GetDlgItem(m_window, id); }
    bool IsCurrentPage() const;
    // PSM_CHANGED / PSM_UNCHANGED.
    void SetModified(bool modified = true);
    // The run-time class name traces show ("CTaskelPropPage").
    virtual const char *ClassName() const { return "CPropertyPageExEx"; }
    // Where the shared procedure traces what this page's handlers throw:
    // the page's own source name and number, framework exceptions at
    // `level`, anything else at level 2. A page that sets none traces as the
    // page base, both at level 2.
    void SetTrapSite(const TraceSite &site, DWORD level = 4);

    // The shared dialog procedure and page callback (public so that sheets
    // and tests can build descriptions of their own).
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static UINT CALLBACK PageCallback(HWND window, UINT message, LPPROPSHEETPAGEW page);
    // The page object of a page window (null when the window is no page of ours).
    static CPropertyPageExEx *FromWindow(HWND window);

  protected:
    // --- Handlers; each page overrides only what it handles. ---
    // WM_INITDIALOG: true lets the dialog manager set the focus.
    virtual bool OnInitDialog() { return true; }
    // WM_COMMAND: true when handled.
    virtual bool OnCommand(WORD code, WORD id, HWND control);
    // WM_NOTIFY: the base turns the sheet's PSN_* notifications into the
    // handlers below; pages that handle control notifications override it
    // and call the base for the rest. `result` goes to DWLP_MSGRESULT.
    virtual bool OnNotify(UINT_PTR id, NMHDR *header, LRESULT &result);
    // PSN_SETACTIVE: false refuses the activation.
    virtual bool OnSetActive() { return true; }
    // PSN_KILLACTIVE: false keeps the page current.
    virtual bool OnKillActive() { return true; }
    // PSN_APPLY: false keeps the sheet open on this page.
    virtual bool OnApply() { return true; }
    // PSN_QUERYCANCEL: false refuses the cancel.
    virtual bool OnQueryCancel() { return true; }
    // PSN_RESET: the sheet is closing with Cancel.
    virtual void OnReset() {}
    // PSN_WIZBACK / PSN_WIZNEXT: 0 = neighbouring page, -1 = stay, else the
    // template id of the page to show.
    virtual LRESULT OnWizardBack() { return 0; }
    virtual LRESULT OnWizardNext() { return 0; }
    // PSN_WIZFINISH: false keeps the wizard open.
    virtual bool OnWizardFinish() { return true; }
    // PSN_HELP: the sheet's Help button.
    virtual void OnHelpButton() {}
    virtual bool OnTimer(UINT_PTR id);
    // WM_CONTEXTMENU; `point` is in screen coordinates, (-1,-1) from the keyboard.
    virtual bool OnContextMenu(HWND window, POINT point);
    virtual bool OnHelp(HELPINFO *info);
    // Every other message; `result` is the message's answer when handled.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result);
    // WM_NCDESTROY, after which Window() is null.
    virtual void OnDestroy() {}
    // PSPCB_RELEASE, before a DeleteOnRelease page deletes itself.
    virtual void OnRelease() {}

  private:
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // Dispatch inside the page's trap.
    INT_PTR TrappedDispatch(UINT message, WPARAM wParam, LPARAM lParam);
    bool DispatchSheetNotify(NMHDR *header, LRESULT &result);

    UINT m_templateId;
    HINSTANCE m_resources;
    std::wstring m_title;
    std::wstring m_headerTitle;
    std::wstring m_headerSubtitle;
    DWORD m_flags = 0;
    HANDLE m_activationContext = nullptr;
    UINT *m_refParent = nullptr;
    bool m_deleteOnRelease = false;
    IPageCallbackSink *m_sink = nullptr;
    HWND m_window = nullptr;
    TraceSite m_trapSite{};
    DWORD m_trapLevel = 2;
};
