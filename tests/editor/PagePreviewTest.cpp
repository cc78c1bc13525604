// What the command page hands the preview window, without a window: the
// title's name and the base folder from the command file's path, the edited
// command as given, and Run only for a file that did not come from the
// Internet.
#include <gtest/gtest.h>

#include "PagePreview.h"
#include "TaskelOptions.h"

namespace
{

ExecCommand Edited()
{
    return {ACTION_COPY, OPT_NOCONFIRMATION, std::wstring(L"in\\*.txt\0more\\*.log\0\0", 21),
            L"edited\\", 0xFFFF};
}

FileOrigin Zone(DWORD zone)
{
    FileOrigin origin;
    origin.zoneKnown = true;
    origin.zone = zone;
    return origin;
}

} // namespace

TEST(PagePreview, NamesTheFileAndResolvesAgainstItsFolder)
{
    const PreviewSource source =
        PagePreviewSource(L"C:\\Jobs\\Nightly\\Backup.Taskel", Edited(), FileOrigin(), nullptr);
    EXPECT_EQ(source.name, L"Backup.Taskel");
    EXPECT_EQ(source.baseFolder, L"C:\\Jobs\\Nightly");
    EXPECT_EQ(source.command.action, static_cast<DWORD>(ACTION_COPY));
    EXPECT_EQ(source.command.options, static_cast<DWORD>(OPT_NOCONFIRMATION));
    EXPECT_EQ(source.command.sourceList, Edited().sourceList);
    EXPECT_EQ(source.command.target, L"edited\\");
    EXPECT_EQ(source.command.optionMask, 0xFFFFu);
    // A file in a drive's root resolves against the root.
    EXPECT_EQ(PagePreviewSource(L"D:\\x.Taskel", Edited(), FileOrigin(), nullptr).baseFolder,
              L"D:\\");
}

TEST(PagePreview, RunOnlyForAFileThatDidNotComeFromTheInternet)
{
    int runs = 0;
    auto runner = [&](HWND) { ++runs; };
    const std::wstring path = L"C:\\Jobs\\a.Taskel";
    // No mark, the local machine, the intranet and trusted sites run as before.
    for (const FileOrigin &origin : {FileOrigin(), Zone(0), Zone(1), Zone(2)})
    {
        const PreviewSource source = PagePreviewSource(path, Edited(), origin, runner);
        ASSERT_TRUE(static_cast<bool>(source.run)) << origin.zone;
        source.run(nullptr);
    }
    EXPECT_EQ(runs, 4);
    // The Internet, restricted sites and zones past them would ask first:
    // no Run from the page.
    for (DWORD zone : {3u, 4u, 7u})
        EXPECT_FALSE(static_cast<bool>(PagePreviewSource(path, Edited(), Zone(zone), runner).run))
            << zone;
}
