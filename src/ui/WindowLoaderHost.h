#pragma once
// The automatic loader's host in the window. Notifications only note what
// changed; the window's controls are brought up to date when events run at
// the yield point (every 10 ms; the counters and views every 40 ms) and when
// the search ends, so the search keeps nearly its headless speed while the
// window stays responsive.

#include "solver/LoaderHost.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaro {

class frmMain;

class WindowLoaderHost final : public LoaderHost {
public:
    using Clock = std::chrono::steady_clock;

    // interval 0: events run at every yield (tests); the labels and views are
    // brought up to date every fourth interval. fitTestLimit > 0 stops the
    // search before fit test limit + 1, as a STOP pressed then would.
    WindowLoaderHost(frmMain& window, std::chrono::microseconds interval, uint64_t fitTestLimit = 0);

    bool yieldPoint(const LoaderModel& model) override;
    // Looks at the clock once per batch of yield points; the batch grows or
    // shrinks so that this happens about every quarter of a millisecond.
    uint64_t yieldPoints(const LoaderModel& model) override;
    void drawMain(const LoaderModel& model) override;
    void showPiece(const LoaderModel& model, int b) override;
    void slotColor(int slot, int32_t color) override;
    void showRotation(const RotationView& view) override;
    void resultLine(const std::string& line) override;
    void showSum(const std::string& text) override;
    void message(const LoaderModel& model, const std::string& title, const std::string& text,
                 LoaderIcon icon) override;

    // Copies everything noted so far to the controls. drawViews: redraw the
    // box and the block preview if they changed (they read the window's puzzle).
    void flush(bool drawViews);

    uint64_t eventRounds() const { return rounds_; }
    // Time spent with the window's events and drawing rather than searching.
    double eventSeconds() const { return std::chrono::duration<double>(eventTime_).count(); }

private:
    // Lets the window's events run; true when a stop was asked for meanwhile.
    bool runEvents(const LoaderModel& model, Clock::time_point now);
    uint64_t grant(uint64_t k);

    frmMain& w_;
    const std::chrono::microseconds interval_;
    const std::chrono::microseconds displayInterval_;
    const uint64_t limit_;
    uint64_t granted_ = 0;
    uint64_t batch_ = 1024;
    Clock::time_point lastCall_;
    Clock::time_point lastEvents_;
    Clock::time_point lastDisplay_;
    uint64_t rounds_ = 0;
    Clock::duration eventTime_{};

    // Pending display state; -1 in a slot means unchanged.
    SlotLabelValues labels_;  // the search writes the slot labels straight in here
    std::array<int64_t, 8> colors_;
    std::array<int, 8> ip_;
    bool boxDirty_ = false;
    int piece_ = -1;
    bool sumDirty_ = false;
    std::string sum_;
    std::vector<std::string> lines_;
};

}  // namespace tessaro
