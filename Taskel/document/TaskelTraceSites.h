// The fixed places of Taskel.dll in the trace log: where a failure or a
// caught exception is reported with a source name and number that log
// readers and their tools expect. Each number is part of the log text, not
// a line of this file or of the file that traces there; code that traces at
// one of these places names its constant (SetTraceLocation(site),
// TRACE_CATCH_SITE(level, site), fx::ComMethod(site, ...)).
#pragma once

#include "Trace.h"

namespace sites
{

// The engine and the runner ("Taskel\TaskelExec").
constexpr TraceSite kFileOperation{"Taskel\\TaskelExec", 1565};    // the shell's file operation
constexpr TraceSite kNameMappings{"Taskel\\TaskelExec", 1840};     // rewriting mapped names
constexpr TraceSite kListingState{"Taskel\\TaskelExec", 2339};     // a listed path's attributes
constexpr TraceSite kCreateTarget{"Taskel\\TaskelExec", 2096};     // a target folder not created
constexpr TraceSite kCreateTargetWalk{"Taskel\\TaskelExec", 2107}; // the folder walk's exception

// The flows ("Taskel\TaskelClass").
constexpr TraceSite kRunOpen{"Taskel\\TaskelClass", 685};  // a command file not opened or loaded
constexpr TraceSite kRunFlow{"Taskel\\TaskelClass", 700};  // anything else in the run flow
constexpr TraceSite kRunLog{"Taskel\\TaskelClass", 969};   // the run's own log switches
constexpr TraceSite kNewShow{"Taskel\\TaskelClass", 475};  // showing the wizard
constexpr TraceSite kNewSave{"Taskel\\TaskelClass", 519};  // the new command not saved
constexpr TraceSite kNewFlow{"Taskel\\TaskelClass", 530};  // anything else in the new-command flow
constexpr TraceSite kEditShow{"Taskel\\TaskelClass", 600}; // showing the edit sheet
constexpr TraceSite kEditLoad{"Taskel\\TaskelClass", 613}; // the edited file not loaded
constexpr TraceSite kEditFlow{"Taskel\\TaskelClass", 618}; // anything else in the edit flow

// The library itself ("Taskel\Taskel"). The exported command functions
// trap their verb step and, around it, their whole body.
constexpr TraceSite kNewStep{"Taskel\\Taskel", 509};        // NewCommandW's wizard
constexpr TraceSite kNewBody{"Taskel\\Taskel", 519};        // NewCommandW
constexpr TraceSite kRunStep{"Taskel\\Taskel", 572};        // RunCommandW's run dispatcher
constexpr TraceSite kRunBody{"Taskel\\Taskel", 581};        // RunCommandW
constexpr TraceSite kEditStep{"Taskel\\Taskel", 638};       // EditCommandW's property sheet
constexpr TraceSite kEditBody{"Taskel\\Taskel", 648};       // EditCommandW
constexpr TraceSite kPreviewStep{"Taskel\\Taskel", 660};    // PreviewCommandW's preview
constexpr TraceSite kPreviewBody{"Taskel\\Taskel", 670};    // PreviewCommandW
constexpr TraceSite kHelpPopup{"Taskel\\Taskel", 347};      // a context-help request
constexpr TraceSite kGetClassObject{"Taskel\\Taskel", 775}; // DllGetClassObject failed
constexpr TraceSite kCanUnloadNow{"Taskel\\Taskel", 794};   // DllCanUnloadNow failed
constexpr TraceSite kJotwellInitialize{"Taskel\\Taskel",
                                       737}; // the settings page object's Initialize
constexpr TraceSite kJotwellAddPages{"Taskel\\Taskel", 738}; // the settings page object's AddPages
constexpr TraceSite kJotwellPage{"Taskel\\Taskel", 753};     // adding the settings page

// The editor's pages: exceptions their handlers catch.
constexpr TraceSite kFillSources{"Taskel\\TaskelPropBase", 430};         // filling the source list
constexpr TraceSite kActionExchange{"Taskel\\TaskelPropAction", 124};    // the Action page's data
constexpr TraceSite kActionActivate{"Taskel\\TaskelPropAction", 185};    // the Action page shown
constexpr TraceSite kOptionsActivate{"Taskel\\TaskelPropOptions", 90};   // the Options page shown
constexpr TraceSite kFolderActivate{"Taskel\\TaskelPropFolder", 122};    // the Folder page shown
constexpr TraceSite kFileActivate{"Taskel\\TaskelPropFile", 250};        // the File page shown
constexpr TraceSite kLocationActivate{"Taskel\\TaskelPropLocation", 97}; // the Location page shown

} // namespace sites
