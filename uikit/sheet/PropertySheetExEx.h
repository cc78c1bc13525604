// CPropertySheetExEx: the editor's sheet window, a platform property sheet
// run modally by its own loop. The sheet stays hidden until that loop runs
// (so page creation and the first layout happen unseen), can have a taskbar
// button, carries the program icons and the caption's "?" button, and
// offers context help for its own buttons with a "What's This?" menu.
// Sheet and pages are created inside the library's activation context.
// In wizard mode it also paints a vertical title band beside the pages and
// keeps the header texts for its accessibility object (CWizardMsAa).
#pragma once

#include "PropertyPageExEx.h"

#include <oleacc.h>

#include <string>
#include <vector>

class CWizardMsAa;

// Context help ids of the sheet's own buttons.
enum : UINT
{
    HELPID_SHEET_BACK = 1001,
    HELPID_SHEET_NEXT = 1002,
    HELPID_SHEET_FINISH = 1003,
    HELPID_SHEET_CANCEL = 1004,
    HELPID_SHEET_ANOTHER = 1005,
};

// The sheet's button ids (the platform's).
enum : UINT
{
    IDC_SHEET_BACK = 12323,
    IDC_SHEET_NEXT = 12324,
    IDC_SHEET_FINISH = 12325,
};

// The help id of a sheet control: Cancel, Back, Next (Finish while Finish
// is requested and the sheet has no separate Finish button), Finish (its
// own help id when it has one); 0 for any other control.
UINT SheetControlHelpContext(UINT controlId, bool finishRequested, bool hasSeparateFinish,
                             DWORD finishOwnHelpId);

// Where a control that asks for help lives: one of the sheet's own buttons,
// a control of a page, or not known (a help request without a window).
enum class ControlPlace
{
    Sheet,
    Page,
    Unknown,
};
// The help id shown for a control: the sheet's buttons take the table's id
// (`tableHelpId`, from GetControlHelpContext), page controls their own
// context help id, and a request without a window its own id or else the
// table's.
DWORD ChooseControlHelpId(ControlPlace place, DWORD ownHelpId, UINT tableHelpId);

class CPropertySheetExEx
{
  public:
    // `resources` holds the icons and strings (null: UikitModule).
    CPropertySheetExEx(const std::wstring &caption, HWND parent, HINSTANCE resources = nullptr);
    virtual ~CPropertySheetExEx();
    CPropertySheetExEx(const CPropertySheetExEx &) = delete;
    CPropertySheetExEx &operator=(const CPropertySheetExEx &) = delete;

    // Pages are not owned and must outlive DoModal; they appear in order.
    void AddPage(CPropertyPageExEx &page) { m_pages.push_back(&page); }
    size_t PageCount() const { return m_pages.size(); }
    CPropertyPageExEx *Page(size_t index) const { return m_pages[index]; }
    void SetStartPage(UINT index) { m_startPage = index; }

    void SetCaption(const std::wstring &caption) { m_caption = caption; }
    const std::wstring &Caption() const { return m_caption; }
    void SetTaskbarButton(bool on = true) { m_taskbar = on; }
    bool HasTaskbarButton() const { return m_taskbar; }
    // A Wizard97 wizard with context help and a separate Finish button.
    virtual void SetWizardMode();
    bool IsWizard() const { return (m_flags & PSH_WIZARD97) != 0; }
    void SetHeaderBitmap(UINT bitmapId) { m_headerBitmap = bitmapId; }
    UINT HeaderBitmap() const { return m_headerBitmap; }
    // The wizard's title band: the text with the band's own colours; the
    // cached font and rendering are made again.
    void SetBandTitle(const std::wstring &title);
    const std::wstring &BandTitle() const { return m_bandTitle; }
    COLORREF BandBackground() const { return m_bandBackground; }
    COLORREF BandTextColour() const { return m_bandTextColour; }
    bool HasBandBitmap() const { return m_bandBitmap != nullptr; }
    // The current wizard page's header texts (as last set on the sheet).
    const std::wstring &HeaderTitle() const { return m_headerTitle; }
    const std::wstring &HeaderSubtitle() const { return m_headerSubtitle; }
    bool FinishRequested() const { return m_finishRequested; }
    // The header's accessibility object (made on first use), with one
    // reference for the caller; what WM_GETOBJECT hands out.
    IAccessible *HeaderAccessibility();

    // Runs the sheet modally; IDOK or IDCANCEL (ID_WIZFINISH when a wizard
    // finished: the Finish button's id), -1 when the window could not be
    // created.
    virtual INT_PTR DoModal();
    virtual UINT GetControlHelpContext(UINT controlId);

    HWND Window() const { return m_window; }
    bool InModalLoop() const { return m_inModalLoop; }
    static CPropertySheetExEx *FromWindow(HWND window);

  protected:
    // The subclassed sheet's messages; the default goes to the platform sheet.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    HWND CreateSheetWindow(HWND owner);
    void Attach(HWND window);
    INT_PTR RunModalLoop(bool showOnIdle);
    bool SheetEnded() const;
    void NoteEndRequest(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnShowWindow(WPARAM wParam, LPARAM lParam);
    void OnWindowPosChanging(WINDOWPOS *position);
    bool OnContextMenu(WPARAM wParam, LPARAM lParam);
    ControlPlace PlaceOf(HWND control) const;
    void OnHelp(const HELPINFO *info);
    void SetIcons();
    // Wizard frame (PropertySheetWizard.cpp).
    bool OnEraseBackground(HDC dc);
    void DrawBand(HDC dc);
    void DropBand(bool font);
    void OnHeaderText(UINT message, WPARAM index, LPARAM text);
    LRESULT OnGetObject(WPARAM flags, LPARAM objectId);
    CWizardMsAa &Accessibility();

    std::wstring m_caption;
    HWND m_parent;
    HINSTANCE m_resources;
    std::vector<CPropertyPageExEx *> m_pages;
    UINT m_startPage = 0;
    DWORD m_flags = 0;
    UINT m_headerBitmap = 0;
    bool m_taskbar = false;
    bool m_finishRequested = false;
    bool m_inModalLoop = false;
    INT_PTR m_endRequest = IDCANCEL;
    HWND m_window = nullptr;
    HICON m_largeIcon = nullptr;
    HICON m_smallIcon = nullptr;
    std::wstring m_bandTitle;
    COLORREF m_bandBackground = RGB(207, 223, 239);
    COLORREF m_bandTextColour = RGB(0, 0, 48);
    HFONT m_bandFont = nullptr;
    HBITMAP m_bandBitmap = nullptr;
    RECT m_bandRect{};
    std::wstring m_headerTitle;
    std::wstring m_headerSubtitle;
    CWizardMsAa *m_accessibility = nullptr; // one reference while set
};
