// CTaskel: the command object (action, options, sources, target) with its
// automation interface and its storage and stream persistence.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include "ComObject.h"
#include "ComPtr.h"
#include "TaskelCodec.h"
#include "TaskelOptions.h"

class CTaskel;

// What one run of a command came to, for its caller's result and the run
// log's summary line.
enum class RunResult
{
    Done,      // every request was carried out (a trial run passed), or nothing was to do
    Failed,    // the command could not run, or the shell failed a request
    Cancelled, // the user cancelled a request
};
struct RunOutcome
{
    RunResult result = RunResult::Failed;
    size_t sent = 0;    // requests handed to the shell
    size_t leftOut = 0; // entries left out (too long, no target, ...)
};

// A runner procedure: performs the command against the base folder, owned
// by `owner`, tells whether it succeeded and, when `outcome` is given,
// fills it in.
using TaskelRunProcedure = bool (*)(CTaskel &command, const std::wstring &baseFolder, HWND owner,
                                    RunOutcome *outcome);
struct TaskelRunner
{
    TaskelRunProcedure move = nullptr;   // Move and MoveRename
    TaskelRunProcedure copy = nullptr;   // Copy and CopyRename
    TaskelRunProcedure remove = nullptr; // Delete
    TaskelRunProcedure rename = nullptr; // Rename
    // The plan of a run as tab-separated lines (header first), for every
    // action; false when it could not be made.
    bool (*preview)(CTaskel &command, const std::wstring &baseFolder,
                    std::wstring &lines) = nullptr;
};
// Installs the runner's procedures; a missing procedure makes Run fail. The
// runner lives above the command document, so the library installs it at
// start-up (InstallShellRunner).
void SetTaskelRunner(const TaskelRunner &runner);

// The completion sound (MessageBeep); tests install their own to observe it.
using TaskelSoundFunction = void (*)(UINT type);
void SetTaskelSoundSeam(TaskelSoundFunction sound);

class CTaskel : public fx::CComObject
{
  public:
    CTaskel();

    static HRESULT CreateInstance(REFIID iid, void **out) noexcept;

    // The operations the editor pages and the automation interface use.
    uint32_t GetAction() const noexcept { return EditorNumberFromAction(m_action); }
    uint32_t GetStoredAction() const noexcept { return m_action; }
    void SetAction(uint32_t editorNumber);
    uint32_t GetOptions() const noexcept { return m_options; }
    void SetOptions(uint32_t options) noexcept;
    const std::wstring &GetTarget() const noexcept { return m_target; }
    void SetTarget(const std::wstring &target);
    size_t GetSourceCount() const noexcept { return m_sources.size(); }
    // False when the index is negative or past the end.
    bool GetSource(long index, std::wstring &source) const;
    // A null value with a negative index empties the list.
    void SetSource(long index, const wchar_t *value);
    const std::vector<std::wstring> &GetSources() const noexcept { return m_sources; }
    // The sources as a double-null terminated list.
    std::wstring GetSourceList() const;
    uint32_t GetOptionMask() const { return OptionMask(m_action, m_shellMajor, m_sources); }
    bool IsDirty() const noexcept { return m_dirty; }
    unsigned ShellMajorVersion() const noexcept { return m_shellMajor; }

    // Performs the command; relative specifications resolve against
    // `folder` (the current directory when blank). `outcome`, when given,
    // receives what the run came to.
    bool Run(const std::wstring &folder, HWND owner, RunOutcome *outcome = nullptr);
    // What Run would do, as the runner's preview lines; E_NOTIMPL without
    // a runner, E_FAIL when the plan could not be made.
    HRESULT Preview(const std::wstring &folder, std::wstring &lines);
    // The base folder of a run: `folder` trimmed, or the current folder.
    static std::wstring RunBaseFolder(const std::wstring &folder);
    // Set when the command was loaded from a file from the Internet
    // (LoadCommandFile): the automation interface's Run refuses it.
    void SetFromForeignFile(bool foreign) noexcept { m_fromForeignFile = foreign; }
    bool IsFromForeignFile() const noexcept { return m_fromForeignFile; }

    class XPersistStorage : public fx::CInterfacePart<CTaskel, IPersistStorage>
    {
      public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP GetClassID(CLSID *clsid) override;
        STDMETHODIMP IsDirty() override;
        STDMETHODIMP InitNew(IStorage *storage) override;
        STDMETHODIMP Load(IStorage *storage) override;
        STDMETHODIMP Save(IStorage *storage, BOOL sameAsLoad) override;
        STDMETHODIMP SaveCompleted(IStorage *storage) override;
        STDMETHODIMP HandsOffStorage() override;
    };

    class XPersistStream : public fx::CInterfacePart<CTaskel, IPersistStreamInit>
    {
      public:
        using CInterfacePart::CInterfacePart;
        STDMETHODIMP GetClassID(CLSID *clsid) override;
        STDMETHODIMP IsDirty() override;
        STDMETHODIMP Load(IStream *stream) override;
        STDMETHODIMP Save(IStream *stream, BOOL clearDirty) override;
        STDMETHODIMP GetSizeMax(ULARGE_INTEGER *size) override;
        STDMETHODIMP InitNew() override;
    };

    class XDispatch : public fx::CInterfacePart<CTaskel, IDispatch>
    {
      public:
        using CInterfacePart::CInterfacePart;
        // The object behind an IDispatch that this class handed out.
        CTaskel *Object() const noexcept { return Owner(); }
        STDMETHODIMP GetTypeInfoCount(UINT *count) override;
        STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo **info) override;
        STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR *names, UINT count, LCID lcid,
                                   DISPID *ids) override;
        STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS *params,
                            VARIANT *result, EXCEPINFO *exception, UINT *argError) override;
    };

  protected:
    ~CTaskel() override;
    void *GetInterface(REFIID iid) noexcept override;
    void OnFinalRelease() noexcept override;

  private:
    void InitNewFields() noexcept;
    CommandData Fields() const;
    HRESULT CheckSavable(const CommandData &data) const;
    HRESULT StreamLoad(IStream *stream);
    HRESULT StreamSave(IStream *stream);
    HRESULT WriteFormatAndUserType(IStorage *storage, bool userTypeRequired);
    HRESULT CreateDataStream(IStorage *storage);
    HRESULT StorageInitNew(IStorage *storage);
    HRESULT StorageLoad(IStorage *storage);
    HRESULT StorageSave(IStorage *storage, bool sameAsLoad);
    HRESULT StorageSaveCompleted(IStorage *storage);
    HRESULT Invoke(DISPID id, WORD flags, DISPPARAMS *params, VARIANT *result, UINT *argError);

    fx::CModuleLock m_moduleLock;
    bool m_dirty = false;
    bool m_fromForeignFile = false;
    bool m_noScribble = false;
    fx::ComPtr<IStorage> m_storage;
    fx::ComPtr<IStream> m_stream;
    uint32_t m_action = ACTION_NONE;
    uint32_t m_options = OPT_DEFAULTS;
    std::vector<std::wstring> m_sources;
    std::wstring m_target;
    unsigned m_shellMajor = 0;

    XPersistStorage m_xPersistStorage{this};
    XPersistStream m_xPersistStream{this};
    XDispatch m_xDispatch{this};
};
