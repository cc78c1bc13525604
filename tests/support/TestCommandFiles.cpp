// Command files for the tests (see TestCommandFiles.h).
#include "TestCommandFiles.h"

#include <stdexcept>

#include "TaskelClass.h"
#include "TaskelCommandFile.h"
#include "TestCommandObject.h"

namespace
{

HRESULT Write(const std::wstring &path, unsigned editorAction, const uint32_t *options,
              const std::vector<std::wstring> &sources, const std::wstring &target)
{
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
    CTestCommand command;
    command->SetAction(editorAction);
    if (options) command->SetOptions(*options);
    for (size_t i = 0; i < sources.size(); ++i)
        command->SetSource(static_cast<long>(i), sources[i].c_str());
    command->SetTarget(target);
    return SaveNewCommandFile(path, *command);
}

} // namespace

HRESULT WriteCommandFile(const std::wstring &path, const CommandSpec &spec)
{
    return Write(path, spec.editorAction, &spec.options, spec.sources, spec.target);
}

void WriteCommandFile(const std::wstring &path, unsigned editorAction,
                      const std::vector<std::wstring> &sources, const std::wstring &target)
{
    if (FAILED(Write(path, editorAction, nullptr, sources, target)))
        throw std::runtime_error("cannot write the command file");
}
