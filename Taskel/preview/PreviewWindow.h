// The preview window: "<name> - Preview", every file a command would touch
// with its target and what happens there, filled from the plan of the run
// (ExecPlan.h) on a worker thread.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "TaskelExecRun.h"

struct PreviewSource
{
    std::wstring name;       // shown in the title: the command file's name
    ExecCommand command;     // the command as previewed (unsaved edits included)
    std::wstring baseFolder; // relative specifications resolve against it
    // The Run button: runs the command as previewed with the usual dialogs,
    // owned by the preview window. Null: no Run button.
    std::function<void(HWND owner)> run;
};

// Shows the preview owned by `owner` and returns when the user closes it.
void ShowPreviewWindow(HWND owner, const PreviewSource &source);
