// The stand-in command page: it loads the command from its file like the
// real page will (so a damaged file is reported and no sheet appears) and
// shows an empty page with the command's name as its caption.
#define TRACE_SOURCE "Taskel\\TaskelPropPage"
#include "CommandPage.h"

#include "PropertyPageExEx.h"
#include "TaskelCommandFile.h"
#include "TaskelStrings.h"
#include "Trace.h"
#include "resource.h"

#include <shlwapi.h>

namespace
{
class CCommandPlaceholderPage : public CPropertyPageExEx
{
  public:
    explicit CCommandPlaceholderPage(CTaskel &command)
        : CPropertyPageExEx(IDD_COMMAND_PLACEHOLDER), m_command(command)
    {
        m_command.ExternalAddRef();
    }
    ~CCommandPlaceholderPage() override { m_command.ExternalRelease(); }
    const char *ClassName() const override { return "CTaskelPropPage"; }

  private:
    CTaskel &m_command;
};

std::wstring CommandCaption(const std::wstring &path)
{
    std::wstring name = ::PathFindFileNameW(path.c_str());
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name.empty() ? LoadTaskelString(IDS_COMMAND) : name;
}
} // namespace

HRESULT CreateCommandPage(const std::wstring &path, CTaskel &command, bool,
                          std::unique_ptr<CPropertyPageExEx> &page)
{
    page.reset();
    if (path.empty()) return E_UNEXPECTED;
    const HRESULT hr = LoadCommandFile(path, command);
    if (FAILED(hr)) return hr;
    auto placeholder = std::make_unique<CCommandPlaceholderPage>(command);
    placeholder->SetTitle(CommandCaption(path));
    page = std::move(placeholder);
    return hr;
}
