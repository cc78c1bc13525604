// WizardState: the state one run of the new-command wizard shares between
// its pages: where the new command file goes and its name, the command
// being built, and which step the pages edit (a source folder by index, or
// the target). Its decisions (which buttons are enabled, which page comes
// next, which header texts show) are plain functions of that data, called
// with the kind of page that asks, so tests call them without windows; the
// overloads taking a page object add what the sheet window needs (header
// texts sent to the sheet, the Finish button's "Another" label, showing the
// Folder page again).
#pragma once

#include <windows.h>

#include <string>

class CTaskel;
class CPropertyPageExEx;

// The wizard's pages, known by their dialog templates.
enum class WizardPage : UINT
{
    Other = 0,
    Action = 121,   // CTaskelPropAction
    File = 122,     // CTaskelPropFile
    Folder = 123,   // CTaskelPropFolder
    Location = 124, // CTaskelPropLocation
    Options = 126,  // CTaskelPropOptions
};

// The kind of a page from its template id (Other for any other template).
WizardPage WizardPageFromTemplate(UINT templateId);
// The run-time class name traces show for a kind of page.
const char *WizardPageClassName(WizardPage page);

// The Finish button as a page wants it: relabelled "Another" (at the last
// source on the File page) or its own text, and its context help id.
struct WizardFinishButton
{
    bool another = false;
    DWORD helpId = 0;
};

class WizardState
{
  public:
    explicit WizardState(CTaskel *command = nullptr);

    // --- Data ---
    // Folder of the new command file and its name (without extension).
    const std::wstring &Folder() const { return m_folder; }
    void SetFolder(const std::wstring &folder) { m_folder = folder; }
    const std::wstring &Name() const { return m_name; }
    void SetName(const std::wstring &name) { m_name = name; }
    // The command being built (not owned).
    CTaskel *Command() const { return m_command; }
    void SetCommand(CTaskel *command) { m_command = command; }
    // The step: a source index (0-based), or -1 for the target.
    int CurrentIndex() const { return m_index; }
    void SetCurrentIndex(int index) { MoveTo(index); }

    // --- The current step's specification ---
    // The target at index -1, else the source at the current index; false
    // without a command (or without a source at that index).
    bool GetCurrentSpec(std::wstring &path) const;
    bool SetCurrentSpec(const std::wstring &path);
    // Folder (with trailing backslash) and file part of the current
    // specification. One whose last component has no extension, wildcard or
    // rename pattern and names no existing file, or a bare root, is all
    // folder; an empty one gives an empty folder.
    bool SplitCurrentSpec(std::wstring &folder, std::wstring &file) const;
    // Joins folder and file part (the file part alone when the folder is
    // empty) and stores the result as the current specification. An empty
    // source step leaves the command's sources as they are (a command holds
    // no empty source, and erasing it would move the later ones up): the
    // step reads empty until something is stored or another step is shown.
    bool StoreCurrentSpec(const std::wstring &folder, const std::wstring &file);
    // The current source step holds only the folder a page offered on its
    // own (a new source slot): Back drops it again, any other folder stored
    // or Next keeps it.
    void MarkOfferedFolder();

    // --- Buttons and navigation (plain logic) ---
    bool CanGoNext(WizardPage page) const;
    bool CanFinish(WizardPage page) const;
    // Page to show: 0 = the neighbouring page, -1 = stay, else a template id.
    LRESULT GoNext(WizardPage page);
    LRESULT GoBack(WizardPage page);
    // The File page's Finish button: false = finish the wizard; true = do
    // not finish. `showFolderPage` is set when a new source slot was opened
    // and the Folder page (the page before the File page) is to be shown.
    bool GoAgain(WizardPage page, bool hasSheet, bool &showFolderPage);
    // The header texts of `page` for the current step (texts the table
    // leaves unchanged keep what the caller passes in) and its Finish button.
    WizardFinishButton PageActivated(WizardPage page, std::wstring &title,
                                     std::wstring &subtitle);

    // --- The same with a page window (kind from the page's template) ---
    bool CanGoNext(const CPropertyPageExEx &page) const;
    bool CanFinish(const CPropertyPageExEx &page) const;
    LRESULT GoNext(const CPropertyPageExEx &page);
    LRESULT GoBack(const CPropertyPageExEx &page);
    // Opens a new source slot and shows the Folder page at the last source.
    bool GoAgain(const CPropertyPageExEx &page);
    // Also sets the header texts on the sheet for this page and relabels the
    // Finish button ("Another" at the last source of the File page).
    void PageActivated(const CPropertyPageExEx &page, std::wstring &title,
                       std::wstring &subtitle);
    // PSM_SETWIZBUTTONS from CanGoNext and CanFinish (Back on every page but
    // the first).
    void SetButtons(const CPropertyPageExEx &page) const;
    // The page became active: its header texts, then the buttons.
    void Activated(const CPropertyPageExEx &page);

  private:
    // Shows another step; an emptied or offered step ends with it.
    void MoveTo(int index);

    std::wstring m_folder;
    std::wstring m_name;
    CTaskel *m_command = nullptr;
    int m_index = -1;
    static constexpr int kNoStep = -2;
    int m_emptied = kNoStep; // the source step the user emptied
    int m_offered = kNoStep; // the new source slot holding an offered folder
    std::wstring m_finishText; // the Finish button's own text, once saved
    std::wstring m_anotherText;
};
