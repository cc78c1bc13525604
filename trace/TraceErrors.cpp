// Error companions: LogWinErr and LogComErr turn a code into a readable line
// and hand it back; SetTraceLocation records where the traced call was made;
// TraceException traces a caught framework exception.
#include "TraceInternal.h"

#include "FxException.h"
#include "UniqueHandle.h"
#include "WinFormat.h"

#include <oleauto.h>

#include <cstring>

using namespace tracelog;

void SetTraceLocation(const char *sourcePath, int line)
{
    fx::LastErrorKeeper lastError;
    const TraceState &s = g_state;
    if (!s.slotsTried) return;
    if (s.pathSlot != TLS_OUT_OF_INDEXES) TlsSetValue(s.pathSlot, const_cast<char *>(sourcePath));
    if (s.lineSlot != TLS_OUT_OF_INDEXES)
        TlsSetValue(s.lineSlot, reinterpret_cast<LPVOID>(static_cast<INT_PTR>(line)));
}

void TraceException(DWORD level, const fx::CException &e, const char *sourcePath, int line)
{
    try
    {
        if (!IsTraceEnabled(level)) return;
        fx::LastErrorKeeper lastError;
        wchar_t message[1023] = {};
        e.GetErrorMessage(message, 1023);
        fx::TrimTrailingLineBreaks(message);
#ifdef UNICODE
        Trace(level, L"Exception [%hs] [%s] at %hs %d", e.GetRuntimeClassName(), message,
              sourcePath, line);
#else
        Trace(level, "Exception [%hs] [%s] at %hs %d", e.GetRuntimeClassName(),
              fx::Narrow(message).c_str(), sourcePath, line);
#endif
    }
    catch (...)
    {
    }
}

#ifdef UNICODE
namespace
{
// " {307 in Page}" from the thread's location slots, or empty.
std::wstring LocationContext()
{
    const TraceState &s = g_state;
    if (!s.slotsTried || s.pathSlot == TLS_OUT_OF_INDEXES) return std::wstring();
    const char *path = static_cast<const char *>(TlsGetValue(s.pathSlot));
    if (!path) return std::wstring();
    unsigned line = 0;
    if (s.lineSlot != TLS_OUT_OF_INDEXES)
        line = static_cast<unsigned>(reinterpret_cast<INT_PTR>(TlsGetValue(s.lineSlot)));
    const char *name = strrchr(path, '\\');
    return fx::Format(L" {%u in %hs}", line, name ? name + 1 : path);
}

// "=> " and the caller's text, cut to 4096 characters; empty without a format.
std::wstring CallerText(LPCWSTR format, va_list args)
{
    if (!format) return std::wstring();
    wchar_t text[4096];
    wcscpy(text, L"=> ");
    fx::FormatInto(text + 3, 4096 - 3, format, args);
    return text;
}

void AppendPart(std::wstring &line, const std::wstring &part)
{
    if (part.empty()) return;
    line += L' ';
    line += part;
}

// The pieces are joined here and traced as one "%s" argument, so text from
// the system or the caller can never act as a format.
void TraceParts(DWORD level, const std::wstring &line)
{
    Trace(level, L"%s", line.c_str());
}
} // namespace

DWORD LogWinErr(DWORD level, DWORD code, LPCWSTR format, ...)
{
    if ((code == 0 && (level & TRACE_LEVEL_MASK) != 0) || !IsTraceEnabled(level)) return code;
    fx::LastErrorKeeper lastError;
    try
    {
        std::wstring line =
            code ? fx::Format(L"Error [%lu (%8.8lX)]", code, code) : std::wstring(L"Success");
        va_list args;
        va_start(args, format);
        std::wstring caller = CallerText(format, args);
        va_end(args);
        if (code) AppendPart(line, fx::SystemMessage(code));
        AppendPart(line, caller);
        line += LocationContext();
        TraceParts(level, line);
    }
    catch (...)
    {
        Trace(level, L"*** LogWinErr Exception ***");
    }
    return code;
}

HRESULT LogComErr(DWORD level, HRESULT result, LPCWSTR format, ...)
{
    if ((result >= 0 && (level & TRACE_LEVEL_MASK) != 0) || !IsTraceEnabled(level)) return result;
    fx::LastErrorKeeper lastError;
    try
    {
        const unsigned code = static_cast<unsigned>(result);
        const short low = static_cast<short>(code & 0xFFFF);
        std::wstring line = result == S_OK      ? std::wstring(L"S_OK")
                            : result == S_FALSE ? std::wstring(L"S_FALSE")
                            : result < 0        ? fx::Format(L"Error [%8.8X (%hd)]", code, low)
                                                : fx::Format(L"Warning [%8.8X (%hd)]", code, low);
        va_list args;
        va_start(args, format);
        std::wstring caller = CallerText(format, args);
        va_end(args);

        if (result != S_OK && result != S_FALSE)
        {
            std::wstring description, source;
            try
            {
                IErrorInfo *raw = nullptr;
                if (GetErrorInfo(0, &raw) == S_OK && raw)
                {
                    // Taking the object clears it; put it back for the caller.
                    SetErrorInfo(0, raw);
                    fx::unique_bstr d, s;
                    if (SUCCEEDED(raw->GetDescription(d.put())) && d.get() && *d.get())
                    {
                        description = d.get();
                        if (SUCCEEDED(raw->GetSource(s.put())) && s.get()) source = s.get();
                    }
                    raw->Release();
                }
            }
            catch (...)
            {
                description.clear();
                Trace(level, L"*** LogComErr ErrorInfo Exception ***");
            }
            if (!description.empty())
            {
                AppendPart(line, caller);
                line += fx::Format(L" Info: %ls from: %ls", description.c_str(), source.c_str());
                line += LocationContext();
                TraceParts(level, line);
                return result;
            }
            AppendPart(line, fx::SystemMessage(static_cast<DWORD>(result)));
        }
        AppendPart(line, caller);
        line += LocationContext();
        TraceParts(level, line);
    }
    catch (...)
    {
        Trace(level, L"*** LogComErr Exception ***");
    }
    return result;
}
#endif
