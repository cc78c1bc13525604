// The plan's texts from the library's string table: column names, action
// names and what happens to each entry.
#pragma once

#include <string>
#include <vector>

#include "PlanRows.h"

// Action, Source, Target, What happens, Size.
std::vector<std::wstring> PlanColumnNames();
// The phrases of the rows' columns.
PlanTexts LibraryPlanTexts();
// The string number of what happens to a row.
UINT OutcomeStringId(const PlanRow &row);
