// The wizard state behind the target pages: the command's action.
#include "WizardStateSteps.h"

#include "TaskelClass.h"

uint32_t CWizardStateSteps::Action() const
{
    return m_state.Command() ? m_state.Command()->GetAction() : 0;
}
