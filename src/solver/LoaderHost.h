#pragma once
// What the automatic loader shows while it searches goes to a LoaderHost, so the
// window and tessaro-cli drive the same engine. No Qt here.
//
// The engine keeps its own compact state while it runs and writes the model's
// arrays back lazily: a callback that wants to look at the puzzle calls
// model.puzzle(), which brings every array and counter of the Puzzle up to date
// and returns it. Hosts that only count or ignore a notification pay nothing.
// When the search returns, the Puzzle is always fully up to date.
//
// Slot indexes are exactly the ones the window's labels use, which are not always
// the position being searched: see each call.

#include "model/Puzzle.h"

#include <array>
#include <cstdint>
#include <string>

namespace tessaro {

// Read access to the puzzle the search drives; valid only inside a callback.
class LoaderModel {
public:
    // Writes the engine's state back into the Puzzle (cheap when nothing changed)
    // and returns it. G_iWork is scratch and is not part of what is written back.
    virtual const Puzzle& puzzle() const = 0;

protected:
    ~LoaderModel() = default;
};

// The panel refresh subShowRotation: slot i shows the block at position i of the
// order list (colour, number), and the three counters of block i.
struct RotationView {
    std::array<int32_t, kBlocks> shpPiece{};      // base colour of block GE_iRotation(i)
    std::array<int, kBlocks> lblIP{};             // GE_iRotation(i) + 1
    std::array<int, kBlocks> lblNo{};             // G_Info_Piece(i).iNo
    std::array<int, kBlocks> lblFaceV{};          // G_Info_Piece(i).iFace_ct
    std::array<int, kBlocks> lblTurn_CtZ{};       // G_Info_Piece(i).iTurn_CtZ
    bool operator==(const RotationView&) const = default;
};

enum class SlotLabel { lblNo, lblFaceV, lblTurn_CtZ };
enum class LoaderIcon { Information, Exclamation };
// Slot label values, indexed [SlotLabel][slot].
using SlotLabelValues = std::array<std::array<int, kBlocks>, 3>;

class LoaderHost {
public:
    virtual ~LoaderHost() = default;

    // The yield point before every fit test: process pending events. Returning true
    // means a stop was requested (STOP, closing the window); the host clears its own
    // request when it reports it, and the search ends before this fit test with
    // everything kept. Called at a very high rate: keep it cheap (check a clock only
    // every few thousand calls, for instance).
    virtual bool yieldPoint(const LoaderModel& model) = 0;

    // What the engine calls at a yield point. 0 stops the search; k >= 1 goes on and
    // promises that the next k - 1 yield points would return false and do nothing,
    // so the engine skips calling for them. A host that knows it will not look at
    // events for a while (a clock-throttled window, a fit-test budget) overrides
    // this to save a call per fit test; the default asks yieldPoint every time.
    virtual uint64_t yieldPoints(const LoaderModel& model) { return yieldPoint(model) ? 0 : 1; }

    // subDrawMain: the box (G_iBox, G_lBox_Color) changed.
    virtual void drawMain(const LoaderModel& /*model*/) {}
    // subPiece_Show(b): block b's cube may have changed.
    virtual void showPiece(const LoaderModel& /*model*/, int /*b*/) {}
    // One label of slot `slot` shows `value` (plain decimal, no leading blank).
    virtual void slotLabel(SlotLabel /*label*/, int /*slot*/, int /*value*/) {}
    // What the search calls for each label: slotLabel, or a plain store into the
    // host's sink when it gave one. Labels change at nearly every turn the search
    // tries; a host that shows them only now and then saves a call each time.
    void setSlotLabel(SlotLabel label, int slot, int value) {
        if (labelSink_)
            (*labelSink_)[static_cast<size_t>(label)][static_cast<size_t>(slot) & 7] = value;
        else
            slotLabel(label, slot, value);
    }
    // shpPiece(slot) back colour (restoring orientations at the start of LOAD).
    virtual void slotColor(int /*slot*/, int32_t /*color*/) {}
    // subShowRotation: the whole panel.
    virtual void showRotation(const RotationView& /*view*/) {}
    // An attempt placed every position: lblAtOnce = line, and line added to listRotate.
    virtual void resultLine(const std::string& /*line*/) {}
    // lblSum caption, e.g. "12 : 27".
    virtual void showSum(const std::string& /*text*/) {}
    // The two end messages (box full, order codes used up); the puzzle is up to date.
    virtual void message(const LoaderModel& /*model*/, const std::string& /*title*/,
                         const std::string& /*text*/, LoaderIcon /*icon*/) {}

protected:
    // From now on setSlotLabel writes into `sink` instead of calling slotLabel.
    void setLabelSink(SlotLabelValues* sink) { labelSink_ = sink; }

private:
    SlotLabelValues* labelSink_ = nullptr;
};

// The data of subShowRotation for the puzzle as it stands.
RotationView rotationView(const Puzzle& p);

}  // namespace tessaro
