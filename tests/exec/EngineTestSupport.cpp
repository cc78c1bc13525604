// Helpers of the engine tests and the test executable's trace profile.
#include "EngineTestSupport.h"

#include "Trace.h"

TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovaneEngineTest",
                               L"FerrovaneEngineTest.log", false, false};

std::wstring R(const std::wstring &root, const std::wstring &text)
{
    std::wstring out = text;
    for (size_t at = out.find(L"<R>"); at != std::wstring::npos;
         at = out.find(L"<R>", at + root.size()))
        out.replace(at, 3, root);
    return out;
}

std::vector<std::wstring> R(const std::wstring &root, const std::vector<std::wstring> &texts)
{
    std::vector<std::wstring> out;
    for (const std::wstring &text : texts)
        out.push_back(R(root, text));
    return out;
}
