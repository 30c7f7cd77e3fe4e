#pragma once
// The main window as the dialogs that hang off its menus see it (export, the
// other format): the puzzle in hand, the dialogs layer, the "while playing"
// rule and taking a puzzle in. They reach nothing else of the window, so its
// controls can change without them.

#include "model/Puzzle.h"
#include "ui/Dialogs.h"

#include <string>

class QAction;
class QMenu;
class QWidget;

namespace tessaro {

class WindowPort {
public:
    virtual ~WindowPort() = default;

    // The parent of the dialogs they open.
    virtual QWidget* widget() = 0;
    virtual Dialogs& dialogs() = 0;
    virtual QMenu* fileMenu() = 0;

    virtual const Puzzle& puzzle() const = 0;
    // The puzzle in hand was made here and has no file of its own yet.
    virtual bool madeUnsaved() const = 0;

    // A puzzle is being played: no maker runs and the loader does not search.
    // Play-only commands are on only then.
    virtual bool playing() const = 0;
    // `entry` is on exactly while playing.
    virtual void addPlayEntry(QAction* entry) = 0;

    // Before the puzzle in hand is replaced: false when the command must stop.
    virtual bool askToSaveMadePuzzle(const std::string& title) = 0;
    // Takes a puzzle in as a maker's end leaves one.
    virtual void adoptMadePuzzle(Puzzle made) = 0;
};

}  // namespace tessaro
