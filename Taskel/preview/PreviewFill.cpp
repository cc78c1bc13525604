// The preview's worker: the plan of the command with its rows handed over
// under a lock, in the order the window adds them: the entries of a request
// as the expansion finds them (provisional rows), its rows once it is
// recorded (which take the place of the provisional ones), and the notes
// (entries left out, specifications matching nothing) at the end.
#define TRACE_SOURCE "Taskel\\PreviewFill"
#include "PreviewFill.h"

#include <atomic>

#include "CriticalSection.h"
#include "ExecPlan.h"
#include "FxException.h"
#include "PreviewRows.h"
#include "Trace.h"

namespace
{
// A request of many sources becomes rows in slices of this many, with a
// look at the cancel flag between them.
const size_t kSliceSize = 256;

std::atomic<long> g_running{0};
std::atomic<PreviewHandSeam> g_handSeam{nullptr};

bool IsPending(const PlanRow &row)
{
    return row.outcome == PlanOutcome::Pending;
}
} // namespace

struct PreviewFillState
{
    ExecCommand command;
    std::wstring baseFolder;
    std::atomic<bool> cancel{false};

    fx::CCriticalSection lock; // guards the members below
    std::vector<PlanRow> incoming;
    bool finished = false;
    bool failed = false;
    HWND window = nullptr;
    UINT message = 0;

    void Hand(std::vector<PlanRow> &&rows)
    {
        if (rows.empty()) return;
        const PreviewHandSeam seam = g_handSeam.load();
        std::vector<PlanRow> seen;
        if (seam) seen = rows;
        {
            fx::CSingleLock guard(&lock);
            // Provisional rows the window has not taken yet are replaced
            // here already: the window would drop them on taking these.
            if (!IsPending(rows.front()))
                while (!incoming.empty() && IsPending(incoming.back()))
                    incoming.pop_back();
            if (incoming.empty())
                incoming = std::move(rows);
            else
                incoming.insert(incoming.end(), std::make_move_iterator(rows.begin()),
                                std::make_move_iterator(rows.end()));
        }
        if (seam) seam(seen);
    }
};

namespace
{
struct WorkerStart
{
    std::shared_ptr<PreviewFillState> state;
    HMODULE library;
};

// The rows of request `index` of `plan`, slice by slice.
void HandRequestRows(PreviewFillState &state, const ExecPlan &plan, size_t index,
                     const PlanDisk &disk)
{
    ExecPlan piece;
    piece.madeFolders = plan.madeFolders;
    for (PlannedRequest &slice : SliceRequest(plan.requests[index], kSliceSize))
    {
        if (state.cancel.load()) return;
        piece.requests.assign(1, std::move(slice));
        state.Hand(RequestRows(piece, 0, 1, disk));
    }
}

bool Fill(PreviewFillState &state)
{
    const PlanDisk disk = SystemDisk();
    const UINT func = PlanFunc(state.command.action);
    ExecPlan plan;
    plan.cancel = &state.cancel;
    plan.found = [&](const StringArray &entries) {
        if (!state.cancel.load()) state.Hand(PendingRows(entries, func));
    };
    size_t handed = 0;
    plan.recorded = [&](const ExecPlan &recorded) {
        for (; handed < recorded.requests.size(); ++handed)
            HandRequestRows(state, recorded, handed, disk);
    };
    PlanCommand(state.command, state.baseFolder, plan);
    if (plan.cancelled || state.cancel.load()) return true;
    // Requests recorded after the last call (none as the engine stands).
    for (; handed < plan.requests.size(); ++handed)
        HandRequestRows(state, plan, handed, disk);
    state.Hand(NoteRows(plan, func));
    return true;
}

DWORD WINAPI FillThread(void *parameter) noexcept
{
    HMODULE library = nullptr;
    try
    {
        std::unique_ptr<WorkerStart> start(static_cast<WorkerStart *>(parameter));
        library = start->library;
        PreviewFillState &state = *start->state;
        bool ok = false;
        try
        {
            ok = Fill(state);
        }
        TRACE_CATCH_ALL(2)
        fx::CSingleLock guard(&state.lock);
        state.finished = true;
        state.failed = !ok;
        if (state.window) ::PostMessageW(state.window, state.message, 0, 0);
    }
    TRACE_CATCH_ALL(2)
    --g_running;
    // Nothing of the library runs after this call.
    if (library) ::FreeLibraryAndExitThread(library, 0);
    return 0;
}
} // namespace

CPreviewFill::CPreviewFill() : m_state(std::make_shared<PreviewFillState>()) {}

CPreviewFill::~CPreviewFill()
{
    Cancel();
    Detach();
}

bool CPreviewFill::Start(const ExecCommand &command, const std::wstring &baseFolder, HWND window,
                         UINT message)
{
    m_state->command = command;
    m_state->baseFolder = baseFolder;
    {
        fx::CSingleLock guard(&m_state->lock);
        m_state->window = window;
        m_state->message = message;
    }
    HMODULE library = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<LPCWSTR>(&FillThread), &library))
    {
        TRACE_HERE();
        LogWinErr(2, ::GetLastError(), L"GetModuleHandleEx");
        return false;
    }
    auto start = std::make_unique<WorkerStart>(WorkerStart{m_state, library});
    ++g_running;
    m_thread.reset(::CreateThread(nullptr, 0, &FillThread, start.get(), 0, nullptr));
    if (!m_thread)
    {
        --g_running;
        TRACE_HERE();
        LogWinErr(2, ::GetLastError(), L"CreateThread");
        ::FreeLibrary(library);
        return false;
    }
    start.release(); // the worker owns it now
    return true;
}

PreviewBatch CPreviewFill::Take()
{
    PreviewBatch batch;
    fx::CSingleLock guard(&m_state->lock);
    batch.rows.swap(m_state->incoming);
    batch.finished = m_state->finished;
    batch.failed = m_state->failed;
    return batch;
}

void CPreviewFill::Cancel()
{
    m_state->cancel.store(true);
}

void CPreviewFill::Detach()
{
    fx::CSingleLock guard(&m_state->lock);
    m_state->window = nullptr;
}

bool CPreviewFill::Running() const
{
    return m_thread && ::WaitForSingleObject(m_thread.get(), 0) == WAIT_TIMEOUT;
}

long PreviewWorkersRunning()
{
    return g_running.load();
}

void SetPreviewHandSeam(PreviewHandSeam seam)
{
    g_handSeam.store(seam);
}
