// The command functions Taskel.dll exports by name (rundll-style: owner
// window, caller's instance, parameter string, show command), and the run
// and the preview that answer with a result code.
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
    // A run as RunCommandW/RunCommand, answering with its result: S_OK
    // when every command file did its work (a trial run that passed counts),
    // E_ABORT when the user cancelled or chose not to run, E_FAIL when a
    // run failed, or the failure that found no command file or could not
    // read it (the first failing file's, of several).
    TASKEL_API HRESULT WINAPI RunCommandExW(HWND owner, HINSTANCE instance, LPCWSTR params,
                                            int show);
    TASKEL_API HRESULT WINAPI RunCommandEx(HWND owner, HINSTANCE instance, LPCSTR params, int show);
    // The plan of one command file: the preview window, or with
    // "/csv:<file>" first, a CSV file written without a window. Returns S_OK
    // or the failure (no such file, not a command file, CSV not written).
    TASKEL_API HRESULT WINAPI PreviewCommandW(HWND owner, HINSTANCE instance, LPCWSTR params,
                                              int show);
    TASKEL_API HRESULT WINAPI PreviewCommand(HWND owner, HINSTANCE instance, LPCSTR params,
                                             int show);
}
