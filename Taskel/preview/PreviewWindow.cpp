// The preview window (placeholder until the window lands).
#include "PreviewWindow.h"

void ShowPreviewWindow(HWND, const PreviewSource &)
{
}
