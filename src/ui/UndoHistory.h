#pragma once
// The window's history of steps, for "元に戻す" and "やり直し". Each step keeps
// the window's state before and after it (WindowSnapshot) and what it did to
// the result list; undo and redo put the one or the other back whole.

#include "ui/ResultListDelta.h"
#include "ui/WindowSnapshot.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QListWidget;
class QWidget;

namespace tessaro {

// What the history needs of the window, and no more: what it watches, its
// two menu entries, and the snapshots it takes and puts back.
struct UndoWindow {
    QWidget* window = nullptr;          // a modal dialog over it holds the history
    QListWidget* resultList = nullptr;  // the loader's result lines
    QAction* undo = nullptr;
    QAction* redo = nullptr;
    std::function<bool()> searching;
    std::function<std::shared_ptr<const WindowSnapshot>(const std::shared_ptr<const WindowSnapshot>& ref)> capture;
    std::function<void(const WindowSnapshot&)> apply;
};

class UndoHistory final : public QObject {
public:
    // Steps kept; the oldest go first. A step costs what it changed, about 2 KB.
    static constexpr int kLimit = 1000;

    explicit UndoHistory(UndoWindow w);

    // frmMain::recordStep.
    void record(const QString& label, const std::function<void()>& fn);
    void clear();
    void undo();
    void redo();

    // Undo and redo wait: a step runs (a search, a box it shows), or a modal
    // dialog holds the window.
    bool busy() const;
    int count() const { return stack_.count(); }
    int index() const { return stack_.index(); }
    QString undoText() const { return stack_.undoText(); }
    QString redoText() const { return stack_.redoText(); }
    // Memory the steps hold (shared state counted once).
    size_t bytes() const;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    friend class SnapshotStep;
    void restore(const WindowSnapshot& s, const ResultListDelta& d, bool forward);
    void updateActions();
    std::shared_ptr<const WindowSnapshot> lastAfter() const;

    UndoWindow w_;
    QUndoStack stack_;
    ResultListTracker tracker_;
    int depth_ = 0;
    uint64_t generation_ = 0;  // counts clears, so a step that set up a puzzle is not kept
    bool blocked_ = false;     // a modal dialog is open over the window
};

}  // namespace tessaro
