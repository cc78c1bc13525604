// The plan's texts from the library's string table.
#include "PlanTexts.h"

#include "TaskelStrings.h"
#include "resource.h"

namespace
{

UINT ReasonStringId(LeftOutReason reason)
{
    switch (reason)
    {
    case LeftOutReason::TooLong:
        return IDS_PLAN_TOO_LONG;
    case LeftOutReason::Unresolved:
        return IDS_PLAN_UNRESOLVED;
    case LeftOutReason::NoTarget:
        return IDS_PLAN_NO_TARGET;
    case LeftOutReason::DuplicateTarget:
        return IDS_PLAN_DUPLICATE_TARGET;
    case LeftOutReason::UnsafeRename:
        return IDS_PLAN_UNSAFE_RENAME;
    case LeftOutReason::TooDeep:
        return IDS_PLAN_TOO_DEEP;
    case LeftOutReason::ListsDiffer:
        return IDS_PLAN_LISTS_DIFFER;
    }
    return IDS_PLAN_NO_TARGET;
}

UINT ActionStringId(UINT func)
{
    switch (func)
    {
    case FO_MOVE:
        return IDS_PLAN_MOVE;
    case FO_COPY:
        return IDS_PLAN_COPY;
    case FO_DELETE:
        return IDS_PLAN_DELETE;
    default:
        return IDS_PLAN_RENAME;
    }
}

} // namespace

UINT OutcomeStringId(const PlanRow &row)
{
    switch (row.outcome)
    {
    case PlanOutcome::NewTarget:
        return IDS_PLAN_NEW;
    case PlanOutcome::Replaces:
        return IDS_PLAN_REPLACES;
    case PlanOutcome::Merges:
        return IDS_PLAN_MERGES;
    case PlanOutcome::RenamedCopy:
        return IDS_PLAN_RENAMED_COPY;
    case PlanOutcome::Deleted:
        return IDS_PLAN_DELETED;
    case PlanOutcome::Recycled:
        return IDS_PLAN_RECYCLED;
    case PlanOutcome::SourceMissing:
        return IDS_PLAN_SOURCE_MISSING;
    case PlanOutcome::NothingMatches:
        return IDS_PLAN_NOTHING_MATCHES;
    case PlanOutcome::LeftOut:
        return ReasonStringId(row.reason);
    case PlanOutcome::Pending:
        return IDS_PLAN_PENDING;
    }
    return IDS_PLAN_NEW;
}

std::vector<std::wstring> PlanColumnNames()
{
    std::vector<std::wstring> names;
    for (UINT id = IDS_PLAN_COL_ACTION; id <= IDS_PLAN_COL_SIZE; ++id)
        names.push_back(LoadTaskelString(id));
    return names;
}

PlanTexts LibraryPlanTexts()
{
    // The phrases are few: loaded once per text set, not per row.
    std::vector<std::wstring> actions, outcomes;
    for (UINT func : {FO_MOVE, FO_COPY, FO_DELETE, FO_RENAME})
        actions.push_back(LoadTaskelString(ActionStringId(func)));
    for (UINT id = IDS_PLAN_NEW; id <= IDS_PLAN_LISTS_DIFFER; ++id)
        outcomes.push_back(LoadTaskelString(id));
    PlanTexts texts;
    texts.action = [actions](UINT func) {
        return func >= FO_MOVE && func <= FO_RENAME ? actions[func - FO_MOVE] : actions.back();
    };
    texts.outcome = [outcomes](const PlanRow &row) {
        const UINT id = OutcomeStringId(row);
        return id - IDS_PLAN_NEW < outcomes.size() ? outcomes[id - IDS_PLAN_NEW] : std::wstring();
    };
    return texts;
}
