// ICommandBody: what the parts of the command page's body (the entry
// lists, their commands and editing) ask of the page that holds them: the
// command it shows, the folder its entries are shown against, whether it
// may be changed, and the page's answers to an edit (marking itself
// modified, showing the command again). The timer ids of the page window
// that the parts use are declared here too, so that no two parts share one.
#pragma once

#include <windows.h>

#include <string>

class CTaskel;

// Timers of the command page's window.
enum : UINT_PTR
{
    TIMER_BUTTONS = 1,     // the move buttons' states, 100 ms after a selection change
    TIMER_REPEAT_UP = 2,   // move up while its button is held
    TIMER_REPEAT_DOWN = 3, // move down while its button is held
    TIMER_FILL = 4,        // the next step of filling the source descriptions
    TIMER_FILL_TARGET = 5, // the same for the target (one row: never armed)
};

class ICommandBody
{
  public:
    // The command shown (null without one).
    virtual CTaskel *Document() const = 0;
    // The folder relative entries start at, with a trailing backslash.
    virtual const std::wstring &CommandFolder() const = 0;
    // True when the command cannot be changed: every edit beeps.
    virtual bool IsLocked() const = 0;

    // The command changed: Apply is enabled.
    virtual void MarkModified() = 0;
    // The lists and the option boxes from the command again.
    virtual void FillSources() = 0;
    virtual void FillTarget() = 0;
    virtual void UpdateOptionControls() = 0;
    // After an edit of the entries: both lists and the option boxes (which
    // depend on the sources) again.
    void RefreshAfterEdit()
    {
        FillSources();
        FillTarget();
        UpdateOptionControls();
    }

  protected:
    ~ICommandBody() = default;
};
