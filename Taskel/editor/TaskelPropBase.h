// CTaskelPropBase: the body of the page that edits a whole command on
// template 126: the action group, the source list and the target in two
// views (specifications in list views with in-place editing, descriptions in
// rich-text list boxes), reordering, the context menu, the clipboard and
// deleting, and the twelve option boxes. Every change goes into the command
// at once and marks the page modified; the host saves the command.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "PropertyPageExEx.h"
#include "TaskelOptionBoxes.h"

class CTaskel;

// Subclass procedures of the page's lists (keys, clipboard messages) and of
// its move buttons (repeat while held).
LRESULT CALLBACK TaskelListSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR data);
LRESULT CALLBACK TaskelButtonSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);

// One counted reference on a command object.
class CTaskelRef
{
  public:
    CTaskelRef() = default;
    explicit CTaskelRef(CTaskel *command) { Reset(command); }
    CTaskelRef(const CTaskelRef &) = delete;
    CTaskelRef &operator=(const CTaskelRef &) = delete;
    ~CTaskelRef() { Reset(nullptr); }
    void Reset(CTaskel *command);
    CTaskel *Get() const { return m_command; }
    CTaskel *operator->() const { return m_command; }
    explicit operator bool() const { return m_command != nullptr; }

  private:
    CTaskel *m_command = nullptr;
};

class CTaskelPropBase : public CPropertyPageExEx
{
  public:
    explicit CTaskelPropBase(UINT templateId, HINSTANCE resources = nullptr);
    ~CTaskelPropBase() override;

    // Called by the host before the page is shown.
    void SetDocument(CTaskel *command);
    CTaskel *Document() const { return m_document.Get(); }
    void SetCommandFolder(const std::wstring &folder);
    const std::wstring &CommandFolder() const { return m_folder; }
    void SetLocked(bool locked) { m_locked = locked; }
    bool IsLocked() const { return m_locked; }

    void FillSources();
    void FillTarget();
    void UpdateActionControls();
    virtual void ChangeAction(uint32_t editorAction, bool refresh);
    void UpdateOptionControls();
    void StoreOptions();
    // The text of one entry in the current view (markup in the description view).
    std::wstring DisplayText(const std::wstring &entry) const;
    bool MoveUp();
    bool MoveDown();

    const char *ClassName() const override { return "CTaskelPropBase"; }

    // Timer ids of the page window.
    enum : UINT_PTR
    {
        TIMER_BUTTONS = 1,
        TIMER_REPEAT_UP = 2,
        TIMER_REPEAT_DOWN = 3,
        TIMER_FILL = 4,
    };
    // Description rows set at once (past the list's top row), and how long
    // a tick of the fill timer describes rows before the sheet takes input
    // again (unchanged rows of a refill cost far less than new ones).
    static constexpr int kFillFirstRows = 40;
    static constexpr DWORD kFillStepMs = 25;

  protected:
    bool OnInitDialog() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;
    bool OnNotify(UINT_PTR id, NMHDR *header, LRESULT &result) override;
    bool OnSetActive() override;
    bool OnApply() override;
    bool OnTimer(UINT_PTR id) override;
    bool OnContextMenu(HWND window, POINT point) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) override;
    void OnDestroy() override;

    bool DescriptionView() const;
    // True while rows wait for the fill timer and their names are not yet
    // asked for: the folder names are not complete then.
    bool NamesPending() const;
    // Which of the two views shows, from the display preference.
    void ShowView();

  private:
    friend LRESULT CALLBACK TaskelListSubclass(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    friend LRESULT CALLBACK TaskelButtonSubclass(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    // Lists (TaskelPropLists.cpp).
    bool IsSourceControl(HWND control) const;
    bool IsTargetControl(HWND control) const;
    bool IsListControl(HWND control) const;
    int SourceSelection() const;
    void SelectSource(int row);
    void SetRowText(HWND control, int row, const std::wstring &entry);
    void SetRowText(HWND control, int row, const std::wstring &entry, int count);
    std::vector<std::wstring> *KeptRowTexts(HWND control, int count);
    void DropRowsFrom(HWND control, int first);
    void FillSourceRows(HWND control, int limit, DWORD budgetMs = 0);
    void RequestSourceNames();
    void ApplyLayout(bool hasTarget);
    void RefreshAfterEdit();
    void ScheduleButtonRefresh();
    void UpdateMoveButtons();
    bool SwapSources(int row, int other);
    void EditWithDialog(HWND control, int row);
    bool EndLabelEdit(HWND control, int row, const wchar_t *text);
    bool ListKey(HWND control, UINT key);
    void ClipboardCommand(HWND control, UINT message);
    bool CopySelection(HWND control);
    bool DeleteSelection(HWND control);
    void Paste(HWND control);
    std::wstring SelectedEntry(HWND control) const;
    void StartRepeat(UINT_PTR timer);
    void StopRepeat(UINT_PTR timer);

    // Drawing (TaskelPropDraw.cpp).
    void DrawListItem(const DRAWITEMSTRUCT &item);
    void DrawMoveButton(const DRAWITEMSTRUCT &item);
    HBRUSH OptionColour(HDC dc, HWND control);

    void OnActionClick(WORD id);
    void OnOptionClick(WORD id);
    void ReadOptionBoxes(OptionBoxes &boxes) const;

    CTaskelRef m_document;
    std::wstring m_folder;
    bool m_locked = false;
    bool m_layoutTaken = false;
    RECT m_sourceRect{};
    RECT m_targetRect{};
    OptionBoxes m_shown{};
    uint32_t m_mask = 0;
    HFONT m_boldFont = nullptr;
    HBRUSH m_shadowBrush = nullptr;
    HBRUSH m_lightBrush = nullptr;
    bool m_filling = false;
    // Next source row of a description list that is filled in steps; the
    // steps start once the list has drawn its first rows (or after about a
    // second), so the sheet's first paint comes before them.
    size_t m_fillRow = 0;
    bool m_listDrawn = false;
    int m_fillWaits = 0;
    bool m_namesRequested = false;
    // The texts of the source description rows as they were set, so that a
    // refill finds its unchanged rows without asking the list for them.
    std::vector<std::wstring> m_sourceRowTexts;
};
