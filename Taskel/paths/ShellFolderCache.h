// The shell-folder information of the editor: a cache of disk labels and
// folder display names that a background thread of its own gathers, so
// that pages can show many paths at once without waiting for the disks. Pages poll IsComplete and
// show what is known meanwhile.
#pragma once

#include <windows.h>

#include <string>

namespace shellfolders
{

// Queues the folder of a path (and its disk) for gathering; returns at once.
void RegisterFolder(const std::wstring &folder);

// The label of the disk whose root is `root` ("C:\"); false while unknown.
bool LookupVolumeLabel(const std::wstring &root, std::wstring &label);
// The shell's display name of `folder` (no trailing backslash); false while
// unknown.
bool LookupDisplayName(const std::wstring &folder, std::wstring &name);

// True once the root information is gathered and no work is pending.
bool IsComplete();

// Forgets everything and gathers the root information again (after the
// display preferences changed).
void Refresh();

// Test seams: the gatherer's two look-ups (null restores the system's).
using VolumeLabelFunction = bool (*)(const std::wstring &root, std::wstring &label);
using DisplayNameFunction = bool (*)(const std::wstring &folder, std::wstring &name);
void SetGatherSeams(VolumeLabelFunction volume, DisplayNameFunction display);

// Waits until IsComplete or `timeoutMs` passed; returns IsComplete.
bool WaitComplete(DWORD timeoutMs);

} // namespace shellfolders
