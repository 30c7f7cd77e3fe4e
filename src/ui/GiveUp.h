#pragma once
// Giving up ("参った・・・") and the edit-password prompt. Both compare what the
// player types with the answer password of the puzzle in hand.

#include "model/Puzzle.h"
#include "ui/Dialogs.h"

#include <string>
#include <string_view>

namespace tessaro {

// True when the player confirmed giving up and typed the answer password.
bool fncGiveUp(Dialogs& dlg, const Puzzle& p);

// Giving up's question and password prompt for a puzzle that has a password:
// true when the player confirmed and typed it. The analysis asks this too
// before it shows anything of the answer.
bool askAnswerPassword(Dialogs& dlg, const Puzzle& p);

// True when the typed text is the answer password (asked before editing an
// opened puzzle's blocks).
bool fncPassword_Check(Dialogs& dlg, const Puzzle& p);

// The whole "参った・・・" command short of enabling Reset: fncGiveUp, then on
// success the notice that Reset is about to be enabled. The window enables
// cmdReset when this returns true.
bool giveUpAndAnnounce(Dialogs& dlg, const Puzzle& p);

// Why the puzzle file cannot keep this password (a Japanese sentence for the
// user), or the empty text when it can. The record holds 16 single-byte codes,
// each stored as code + 127 + position in one byte, so late positions take
// only the lower codes ("z" up to the 6th).
std::string passwordRefusal(std::string_view password);

}  // namespace tessaro
