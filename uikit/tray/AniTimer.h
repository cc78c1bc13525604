// CAniTimer: the frame clock of one shown animation. It steps through the
// animation's sequence (or its frames) and keeps a window timer set to the
// display rate of the current step.
#pragma once

#include <windows.h>

#include <vector>

class CAniRes;

class CAniTimer
{
  public:
    CAniTimer(size_t frames, DWORD defaultRate, const std::vector<DWORD> &rates,
              const std::vector<DWORD> &sequence);
    explicit CAniTimer(const CAniRes &animation);
    ~CAniTimer() { Stop(); }
    CAniTimer(const CAniTimer &) = delete;
    CAniTimer &operator=(const CAniTimer &) = delete;

    // Starts at step 0 on `window`. False without frames, with a default
    // rate of 0, or when the timer cannot be set; a single frame starts
    // without a timer.
    bool Start(HWND window);
    void Stop();
    // Advances one step, sets the timer to the new step's interval and
    // returns the frame to show.
    size_t Step();

    // The timer id: the clock's own address.
    UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }
    HWND Window() const { return m_window; }
    bool IsTimerSet() const { return m_timerSet; }
    size_t StepIndex() const { return m_step; }
    // Milliseconds until the next step: the current rate in jiffies x 16.
    UINT Interval() const { return m_rate * 16; }

  private:
    // The rate of step `index`: its own, or the default rate when the rate
    // list has none for it.
    DWORD RateOf(size_t index) const;
    bool SetTimer();

    HWND m_window = nullptr;
    bool m_timerSet = false;
    size_t m_frames;
    DWORD m_defaultRate;
    std::vector<DWORD> m_rates;
    std::vector<DWORD> m_sequence;
    size_t m_step = 0;
    DWORD m_rate = 0;
};
