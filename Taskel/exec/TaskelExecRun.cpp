// The runner's request: preparation, start and request traces, the checks
// before a call, and the one shell call with its flag rules and results.
#define TRACE_SOURCE "Taskel\\TaskelExec"
#include "TaskelExecRun.h"

#include <shlwapi.h>
#include <uxtheme.h>

#include "MessagePump.h"
#include "TaskelIcons.h"
#include "TaskelOptions.h"
#include "TaskelProgress.h"
#include "TaskelTraceSites.h"
#include "Trace.h"

using namespace execpath;
using namespace execspec;

namespace
{
int SystemFileOperation(SHFILEOPSTRUCTW *request)
{
    return SHFileOperationW(request);
}

void SystemFreeMappings(HANDLE mappings)
{
    SHFreeNameMappings(mappings);
}

const FileOperationSeam SYSTEM_SEAM = {SystemFileOperation, SystemFreeMappings};
const FileOperationSeam *g_seam = &SYSTEM_SEAM;

enum : DWORD
{
    // Added to every request: the shell's FOF_NO_CONNECTED_ELEMENTS and
    // FOF_NORECURSEREPARSE.
    RUN_ADDED_FLAGS = 0x2000 | 0x8000,
    ENTRY_LEVEL_BIT = 0x8000,
};

bool IsTransfer(DWORD action)
{
    return action == ACTION_MOVE || action == ACTION_COPY || action == ACTION_MOVERENAME ||
           action == ACTION_COPYRENAME;
}

// A double-null list with spare terminating zeros, as the shell reads it.
std::wstring ShellBuffer(const std::wstring &list)
{
    std::wstring buffer = list;
    buffer.append(2, L'\0');
    return buffer;
}
} // namespace

void SetFileOperationSeam(const FileOperationSeam *seam)
{
    g_seam = seam ? seam : &SYSTEM_SEAM;
}

void FreeNameMappings(HANDLE mappings)
{
    if (mappings) g_seam->freeMappings(mappings);
}

CExecRunner::CExecRunner(DWORD action, DWORD options)
    : m_specs(new CExecPathSpecs(action, options | RUN_ADDED_FLAGS)), m_options(options)
{
    int iconId, preparingTitle, actionTitle;
    switch (action)
    {
    case ACTION_MOVE:
    case ACTION_MOVERENAME:
        iconId = IDA_MOVE, preparingTitle = IDS_PREPARE_MOVE, actionTitle = IDS_MOVING;
        break;
    case ACTION_COPY:
    case ACTION_COPYRENAME:
        iconId = IDA_COPY, preparingTitle = IDS_PREPARE_COPY, actionTitle = IDS_COPYING;
        break;
    case ACTION_DELETE:
        iconId = IDA_DELETE, preparingTitle = IDS_PREPARE_DELETE, actionTitle = IDS_DELETING;
        break;
    default:
        iconId = IDA_RENAME, preparingTitle = IDS_PREPARE_RENAME, actionTitle = IDS_RENAMING;
        break;
    }
    // Full-colour animations with visual styles, the 16-colour ones without.
    const int classic = IsThemeActive() ? 0 : 1;
    m_preparingIcon = IDA_PREPARE + classic;
    m_preparingTitle = preparingTitle;
    m_actionIcon = iconId + classic;
    m_actionTitle = actionTitle;
}

CExecRunner::CExecRunner(const CExecRunner &parent, std::unique_ptr<CExecPathSpecs> specs)
    : m_specs(std::move(specs)), m_options(parent.m_options), m_hasBase(parent.m_hasBase),
      m_preparingIcon(parent.m_preparingIcon), m_preparingTitle(parent.m_preparingTitle),
      m_actionIcon(parent.m_actionIcon), m_actionTitle(parent.m_actionTitle),
      m_progress(parent.m_progress)
{
}

CExecRunner::~CExecRunner() = default;

void CExecRunner::SetSources(const std::wstring &doubleNullList)
{
    m_specs->SetSources(doubleNullList);
}

void CExecRunner::SetTarget(const std::wstring &text)
{
    m_specs->SetTarget(text);
}

void CExecRunner::ExpandSources(bool withTargets)
{
    m_specs->ExpandSources(withTargets);
}

void CExecRunner::BuildTargets(bool makeTarget)
{
    m_specs->BuildTargets(makeTarget);
}

void CExecRunner::BuildLists()
{
    m_specs->BuildLists();
}

std::unique_ptr<CExecRunner> CExecRunner::SplitSource(size_t index) const
{
    std::unique_ptr<CExecPathSpecs> specs = m_specs->SplitSource(index);
    if (!specs) return nullptr;
    return std::unique_ptr<CExecRunner>(new CExecRunner(*this, std::move(specs)));
}

std::unique_ptr<CExecRunner> CExecRunner::MakePart(const std::wstring &source,
                                                   const std::wstring &target) const
{
    std::unique_ptr<CExecRunner> part(new CExecRunner(*this, m_specs->MakePair(source, target)));
    part->Request().hNameMappings = nullptr;
    part->SetFlags(OPT_WANTMAPPINGHANDLE, 0);
    return part;
}

void CExecRunner::Pump() const
{
    if (!(Flags() & OPT_X_NO_ANIMATION) && !m_specs->Planning()) fx::PumpAll(100);
}

void CExecRunner::Prepare(HWND window, const std::wstring &baseFolder)
{
    m_hasBase = m_specs->SetBaseFolder(baseFolder);
    if (!(Flags() & OPT_X_NO_ANIMATION) && !m_specs->Planning())
    {
        m_ownedProgress.reset(new CTaskelProgress(window));
        m_progress = m_ownedProgress.get();
    }
    if (m_progress) m_progress->Show(m_preparingIcon, m_preparingTitle);
    Pump();
}

void CExecRunner::TraceStart()
{
    if (IsTraceEnabled(1))
    {
        Trace(1, L"");
        Trace(1, L">>> Start %s [%s]", ActionName(Action()), OptionNames(Flags()).c_str());
        if (!Sources().empty()) CExecPathSpecs::TraceSpecs(Sources(), 0x8001, L"Source", L"  ");
        if (!m_specs->Targets().empty())
            CExecPathSpecs::TraceSpecs(m_specs->Targets(), 0x8001, L"Target", L"  ");
        else if (!Target().empty())
        {
            Trace(0x8001, L"  Target");
            Trace(0x8001, L"    [%s]", Target().c_str());
        }
    }
    Pump();
}

void CExecRunner::ShowIcon(bool preparing)
{
    if (m_progress)
        m_progress->Show(preparing ? m_preparingIcon : m_actionIcon,
                         preparing ? m_preparingTitle : m_actionTitle);
    Pump();
}

bool CExecRunner::CheckNothing(const wchar_t *title)
{
    const std::wstring &list = SourceList();
    if (list.empty() || list[0] == L'\0')
    {
        Trace(1, L"  ==> Nothing to %s", ActionName(Action()));
        return true;
    }
    TraceRequest(title);
    ShowIcon(false);
    return false;
}

bool CExecRunner::CheckSources()
{
    if (Sources().empty())
    {
        Trace(1, L"  ==> Nothing to %s", ActionName(Action()));
        return true;
    }
    TraceRequest(L"Multi");
    ShowIcon(false);
    return false;
}

bool CExecRunner::ShouldContinue() const
{
    const SHFILEOPSTRUCTW &request = m_specs->Request();
    if (!request.fAnyOperationsAborted) return true;
    const DWORD flags = Flags();
    return (flags & (OPT_X_IGNORE_ERRORS | OPT_SILENT)) || !(flags & OPT_NOCONFIRMATION);
}

bool CExecRunner::RunRequest(bool asPart)
{
    SHFILEOPSTRUCTW &request = Request();
    const UINT action = request.wFunc;
    const DWORD flags = Flags();
    const std::wstring &sourceList = SourceList();
    const std::wstring &targetList = Target();
    if (flags & OPT_TRIAL_RUN)
    {
        ++m_specs->Tally().succeeded;
        return true;
    }
    if (sourceList.empty() || sourceList[0] == L'\0') return false;

    const StringArray targets = SplitDoubleNull(targetList);
    if (IsTransfer(action) && !(flags & OPT_MULTIDESTFILES) && !targets.empty() &&
        (((flags & OPT_NOCONFIRMMKDIR) && (flags & OPT_NOERRORUI)) ||
         ((flags & OPT_NOCONFIRMATION) && !(flags & OPT_FILESONLY))))
    {
        const std::wstring parent = ParentFolder(targets[0]);
        Trace(1, L"  ==> Make Target [%s] for [%s]", parent.c_str(),
              OptionNames(flags & (OPT_NOCONFIRMMKDIR | OPT_NOCONFIRMATION)).c_str());
        m_specs->MakeTarget(parent);
    }
    if (!asPart)
    {
        request.hNameMappings = nullptr;
        request.fFlags = static_cast<FILEOP_FLAGS>(flags & ~OPT_WANTMAPPINGHANDLE & OPT_SHELL_MASK);
    }
    const StringArray sources = SplitDoubleNull(sourceList);
    if (IsTransfer(action) && !targets.empty())
    {
        // Targets computed one per source are the new full paths (also when
        // a rename gave the file another name); a single target with the
        // source's own name is one too.
        bool plain = sources.size() == targets.size() && !m_specs->Targets().empty();
        for (size_t i = 0; plain && i < sources.size(); ++i)
            plain = !HasWildcard(FileNamePart(sources[i]));
        const std::wstring name = FileNamePart(sources[0]);
        if (plain || (!(request.fFlags & OPT_FILESONLY) && sources.size() == 1 &&
                      !HasWildcard(name) && EqualNoCase(name, FileNamePart(targets[0]))))
            request.fFlags |= OPT_MULTIDESTFILES;
        if ((request.fFlags & OPT_MULTIDESTFILES) && sources.size() != targets.size())
        {
            // The shell would pair sources with the wrong targets.
            Trace(2, L"Source and target lists differ [%u] [%u]",
                  static_cast<unsigned>(sources.size()), static_cast<unsigned>(targets.size()));
            for (const std::wstring &source : sources)
                m_specs->Dropped(source, LeftOutReason::ListsDiffer);
            return false;
        }
    }

    std::wstring from = ShellBuffer(sourceList);
    std::wstring to = targetList.empty() ? std::wstring() : ShellBuffer(targetList);
    request.hwnd = nullptr;
    request.lpszProgressTitle = nullptr;
    request.pFrom = from.c_str();
    request.pTo = targetList.empty() ? nullptr : to.c_str();
    if (action == ACTION_RENAME)
        request.fFlags |= OPT_FILESONLY;
    else
        request.wFunc = action & ~4u;
    request.fAnyOperationsAborted = FALSE;
    if (ExecPlan *plan = m_specs->Tally().plan)
    {
        // A preview records the request as the shell would receive it and
        // goes on as after a request that succeeded.
        plan->requests.push_back({request.wFunc, request.fFlags, sources, targets});
        // What the expansion found and has not handed over is in this
        // request (or left out of it): its rows take their place.
        m_specs->Tally().found.clear();
        request.wFunc = action;
        request.pFrom = nullptr;
        request.pTo = nullptr;
        ++m_specs->Tally().succeeded;
        if (plan->recorded) plan->recorded(*plan);
        if (plan->cancel && plan->cancel->load()) throw PlanCancelled();
        return true;
    }
    ++m_specs->Tally().sent;
    const int code = g_seam->operate(&request);
    request.wFunc = action;
    request.pFrom = nullptr;
    request.pTo = nullptr;

    if (request.fAnyOperationsAborted)
    {
        ++m_specs->Tally().aborted;
        Trace(1, L"    * %s aborted", ActionName(action));
        return false;
    }
    SetTraceLocation(sites::kFileOperation);
    LogWinErr(2, static_cast<DWORD>(code), L"    SHFileOperation");
    if (code == 0)
    {
        ++m_specs->Tally().succeeded;
        Trace(1, L"    > %s succeeded", ActionName(action));
        return true;
    }
    ++m_specs->Tally().failed;
    Trace(1, L"    * %s failed", ActionName(action));
    request.fAnyOperationsAborted = TRUE;
    return false;
}

void CExecRunner::TraceRequest(const wchar_t *title) const
{
    if (!IsTraceEnabled(1)) return;
    const wchar_t *action = ActionName(Action());
    const std::wstring shown = title ? std::wstring(L" (") + title + L")" : std::wstring();
    const std::wstring options = OptionNames(m_specs->Request().fFlags);
    const StringArray sources = SplitDoubleNull(SourceList());
    const StringArray targets = SplitDoubleNull(Target());
    if (sources.size() > 1)
    {
        Trace(1, L"  ==> %s%s [%s]", action, shown.c_str(), options.c_str());
        for (const std::wstring &entry : sources)
            Trace(1 | ENTRY_LEVEL_BIT, L"      [%s]", entry.c_str());
    }
    else if (sources.size() == 1)
    {
        if (!targets.empty())
        {
            Trace(1, L"  ==> %s%s [%s]", action, shown.c_str(), options.c_str());
            Trace(1 | ENTRY_LEVEL_BIT, L"      [%s]", sources[0].c_str());
        }
        else
            Trace(1, L"  ==> %s%s [%s] [%s]", action, shown.c_str(), sources[0].c_str(),
                  options.c_str());
    }
    if (targets.size() > 1)
    {
        if (!sources.empty())
            Trace(1, L"   to");
        else
            Trace(1, L"  ==> %s%s [%s]", action, shown.c_str(), options.c_str());
        for (const std::wstring &entry : targets)
            Trace(1 | ENTRY_LEVEL_BIT, L"      [%s]", entry.c_str());
        Trace(1, L"  ---");
    }
    else if (targets.size() == 1)
    {
        if (!sources.empty())
            Trace(1, L"   to [%s]", targets[0].c_str());
        else
            Trace(1, L"  ==> %s%s [%s] [%s]", action, shown.c_str(), targets[0].c_str(),
                  options.c_str());
    }
    if (sources.size() > 1 && targets.size() <= 1) Trace(1, L"  ---");
}
