// One OLE apartment for a whole test run; a suite registers it with
// testing::AddGlobalTestEnvironment(new OleEnvironment). SHELL32 is loaded
// as in every process that holds the library (Taskel.dll imports it): the
// command object reads the shell version from the loaded SHELL32.
#pragma once

#include <gtest/gtest.h>

#include <objbase.h>

class OleEnvironment : public testing::Environment
{
  public:
    void SetUp() override
    {
        ::OleInitialize(nullptr);
        m_shell = ::LoadLibraryW(L"shell32.dll");
    }
    void TearDown() override
    {
        ::OleUninitialize();
        if (m_shell) ::FreeLibrary(m_shell);
    }

  private:
    HMODULE m_shell = nullptr;
};
