// Framework exceptions. Every exception the system raises on purpose derives
// from CException, which knows its run-time class name (traced as
// "Exception [%hs] [%s] at %hs %d") and fills in a readable message.
// They are thrown by value and caught by reference.
#pragma once

#include <windows.h>

#include <string>

namespace fx
{

class CException
{
  public:
    CException() = default;
    explicit CException(std::wstring message) : m_message(std::move(message)) {}
    virtual ~CException() = default;

    // Run-time class name, as the traces show it ("COleException", ...).
    virtual const char *GetRuntimeClassName() const noexcept { return "CException"; }

    // Copies the message into `buffer` (at most count - 1 characters, always
    // terminated). Returns FALSE when there is no message.
    virtual BOOL GetErrorMessage(wchar_t *buffer, UINT count,
                                 UINT *helpContext = nullptr) const noexcept;

    // The message as a string (empty when there is none).
    std::wstring MessageText() const;

  protected:
    std::wstring m_message;
};

// Declares the run-time class name of a derived exception.
#define FX_DECLARE_EXCEPTION_NAME(name)                                                            \
    const char *GetRuntimeClassName() const noexcept override                                      \
    {                                                                                              \
        return #name;                                                                              \
    }

// A COM or system failure code. Its message is the system's text for the code.
class COleException : public CException
{
  public:
    explicit COleException(HRESULT sc) : m_sc(sc) {}
    FX_DECLARE_EXCEPTION_NAME(COleException)
    BOOL GetErrorMessage(wchar_t *buffer, UINT count,
                         UINT *helpContext = nullptr) const noexcept override;
    HRESULT Code() const noexcept { return m_sc; }

    // Maps a failed HRESULT to the exception; succeeds silently otherwise.
    static void ThrowIfFailed(HRESULT hr);

  private:
    HRESULT m_sc;
};

class CMemoryException : public CException
{
  public:
    CMemoryException() : CException(L"Out of memory.") {}
    FX_DECLARE_EXCEPTION_NAME(CMemoryException)
};

class CInvalidArgException : public CException
{
  public:
    CInvalidArgException() : CException(L"Invalid argument.") {}
    explicit CInvalidArgException(std::wstring message) : CException(std::move(message)) {}
    FX_DECLARE_EXCEPTION_NAME(CInvalidArgException)
};

class CNotSupportedException : public CException
{
  public:
    CNotSupportedException() : CException(L"Not supported.") {}
    FX_DECLARE_EXCEPTION_NAME(CNotSupportedException)
};

// The system's message text for a Win32 or HRESULT code, trailing line breaks
// removed; empty when the system has none.
std::wstring SystemMessage(DWORD code);

} // namespace fx
