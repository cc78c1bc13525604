// Command files through the product's own container and persistence, the
// way the run flow opens and loads them and the editor saves them, with the
// result of every call checked. The fields of a loaded command are read
// through its automation interface.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ComPtr.h"

// Fails the enclosing function returning testing::AssertionResult when the
// call fails, naming the call and its code.
#define CHECK_HR(call)                                                                             \
    do                                                                                             \
    {                                                                                              \
        HRESULT hr_ = (call);                                                                      \
        if (FAILED(hr_))                                                                           \
            return testing::AssertionFailure()                                                     \
                   << #call << " failed with " << Hex(static_cast<uint32_t>(hr_));                 \
    } while (0)

// The fields of a command.
struct Fields
{
    uint32_t storedAction = 0;
    uint32_t editorAction = 0; // the "Action" property; Delete 4, Rename 3
    uint32_t options = 0;
    std::vector<std::wstring> sources;
    std::wstring target;
    uint32_t optionMask = 0; // read only; not compared
};

// Opens `path` read-only through the container and loads a new command from
// its storage. `result` is the failure of the open or the load, or S_OK;
// the assertion fails only when another call fails.
testing::AssertionResult OpenAndLoad(const std::wstring &path, HRESULT &result,
                                     fx::ComPtr<IDispatch> &command);

// Reads every field through IDispatch::Invoke, checking each result and
// each value's type.
testing::AssertionResult ReadFields(IDispatch *command, Fields &out);

// OpenAndLoad and ReadFields; the load must succeed.
testing::AssertionResult LoadFields(const std::wstring &path, Fields &out);

// Creates a new file at `path` through the container and saves `command`
// into its storage.
testing::AssertionResult SaveAs(const std::wstring &path, IDispatch *command);

// A new command with `fields` (storedAction is not used) saved at `path`.
testing::AssertionResult SaveFields(const std::wstring &path, const Fields &fields);

// "0x..." for messages that show option words.
std::string Hex(uint32_t value);
