// The frame clock of an animated tray icon: step index, frame and interval
// of each timer tick.
#define TRACE_SOURCE "ImageUtil\\AniTimer"
#include "AniTimer.h"

#include "AniRes.h"
#include "Trace.h"

CAniTimer::CAniTimer(size_t frames, DWORD defaultRate, const std::vector<DWORD> &rates,
                     const std::vector<DWORD> &sequence)
    : m_frames(frames), m_defaultRate(defaultRate), m_rates(rates), m_sequence(sequence)
{
}

CAniTimer::CAniTimer(const CAniRes &animation)
    : CAniTimer(animation.Frames().size(), animation.Header().rate, animation.Rates(),
                animation.Sequence())
{
}

DWORD CAniTimer::RateOf(size_t index) const
{
    return index < m_rates.size() ? m_rates[index] : m_defaultRate;
}

bool CAniTimer::SetTimer()
{
    TRACE_HERE();
    if (::SetTimer(m_window, Id(), Interval(), nullptr) == 0)
    {
        LogWinErr(1, GetLastError());
        m_timerSet = false;
        return false;
    }
    m_timerSet = true;
    return true;
}

bool CAniTimer::Start(HWND window)
{
    Stop();
    m_window = window;
    if (m_frames == 0 || m_defaultRate == 0) return false;
    m_step = 0;
    m_rate = m_rates.empty() ? m_defaultRate : m_rates[0];
    if (m_frames < 2) return true;
    return SetTimer();
}

void CAniTimer::Stop()
{
    if (m_timerSet) ::KillTimer(m_window, Id());
    m_timerSet = false;
    m_window = nullptr;
}

size_t CAniTimer::Step()
{
    ++m_step;
    size_t frame;
    if (!m_sequence.empty())
    {
        if (m_step >= m_sequence.size()) m_step = 0;
        frame = m_sequence[m_step];
        if (frame >= m_frames) frame = m_frames ? m_frames - 1 : 0;
    }
    else
    {
        if ((!m_rates.empty() && m_step >= m_rates.size()) || m_step >= m_frames) m_step = 0;
        frame = m_step;
    }
    m_rate = RateOf(m_step);
    if (m_window && m_rate != 0) SetTimer();
    return frame;
}
