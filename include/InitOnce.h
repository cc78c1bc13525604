// One-time initialisation through the system's INIT_ONCE: the first caller
// runs the step, callers on other threads meanwhile wait for it. An
// exception of the step never crosses the system's frame: the step counts
// as not run (a later call tries again) and the exception reaches the
// caller of Run.
#pragma once

#include <windows.h>

#include <exception>

namespace fx
{

class CInitOnce
{
  public:
    // True for the call that ran `step`.
    template <class F> bool Run(F &&step)
    {
        Call<F> call{&step, false, nullptr};
        ::InitOnceExecuteOnce(&m_once, &Call<F>::Execute, &call, nullptr);
        if (call.error) std::rethrow_exception(call.error);
        return call.ran;
    }

  private:
    template <class F> struct Call
    {
        F *step;
        bool ran;
        std::exception_ptr error;

        static BOOL CALLBACK Execute(PINIT_ONCE, PVOID parameter, PVOID *)
        {
            auto *call = static_cast<Call *>(parameter);
            try
            {
                (*call->step)();
                call->ran = true;
                return TRUE;
            }
            catch (...)
            {
                call->error = std::current_exception();
                return FALSE;
            }
        }
    };

    INIT_ONCE m_once = INIT_ONCE_STATIC_INIT;
};

} // namespace fx
