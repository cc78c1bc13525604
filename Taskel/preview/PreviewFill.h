// The preview's fill: a worker thread makes the plan of the command and
// turns each request it records into rows, which the window takes in
// batches; while a request is put together, the entries found for it come
// as provisional rows (PlanOutcome::Pending) that its rows replace. Closing
// the window cancels the plan; the worker shares its state with the window
// and holds a reference on the library, so a window that stops waiting for
// it leaves nothing behind that the worker still uses.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "PlanRows.h"
#include "TaskelExecRun.h"
#include "UniqueHandle.h"

struct PreviewFillState;

// What the window takes from the fill.
struct PreviewBatch
{
    // Received since the last batch, in order: provisional rows stay last
    // until the next other row, which replaces them (CPreviewRows::Add).
    std::vector<PlanRow> rows;
    bool finished = false; // the worker is done (no more rows come)
    bool failed = false;   // the plan stopped on an error
};

class CPreviewFill
{
  public:
    CPreviewFill();
    // Cancels the plan and lets the worker end on its own.
    ~CPreviewFill();
    CPreviewFill(const CPreviewFill &) = delete;
    CPreviewFill &operator=(const CPreviewFill &) = delete;

    // Starts the worker; `message` is posted to `window` once it is done.
    // False (traced) when no thread could be started.
    bool Start(const ExecCommand &command, const std::wstring &baseFolder, HWND window,
               UINT message);
    PreviewBatch Take();
    // The plan stops at the next entry it looks at.
    void Cancel();
    // No message is posted after this call.
    void Detach();
    bool Running() const;

  private:
    std::shared_ptr<PreviewFillState> m_state;
    fx::unique_handle m_thread;
};

// Workers of preview windows that have not ended yet (for tests).
long PreviewWorkersRunning();

// For tests: called on the worker after each hand-over with the rows handed
// (provisional, request or note rows), outside the lock, so the window can
// take them while the call holds the worker. Null (the default) for none.
using PreviewHandSeam = void (*)(const std::vector<PlanRow> &rows);
void SetPreviewHandSeam(PreviewHandSeam seam);
