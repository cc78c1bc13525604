// The command functions Taskel.dll exports by name (rundll-style: owner
// window, caller's instance, parameter string, show command).
#pragma once

#include <windows.h>

#ifdef TASKEL_BUILDING_LIBRARY
#define TASKEL_API
#else
#define TASKEL_API __declspec(dllimport)
#endif

extern "C"
{
    TASKEL_API void WINAPI NewCommandW(HWND owner, HINSTANCE instance, LPCWSTR params, int show);
    TASKEL_API void WINAPI EditCommandW(HWND owner, HINSTANCE instance, LPCWSTR params, int show);
    TASKEL_API void WINAPI RunCommandW(HWND owner, HINSTANCE instance, LPCWSTR params, int show);
    TASKEL_API void WINAPI NewCommand(HWND owner, HINSTANCE instance, LPCSTR params, int show);
    TASKEL_API void WINAPI EditCommand(HWND owner, HINSTANCE instance, LPCSTR params, int show);
    TASKEL_API void WINAPI RunCommand(HWND owner, HINSTANCE instance, LPCSTR params, int show);
}
