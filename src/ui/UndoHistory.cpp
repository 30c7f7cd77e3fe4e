#include "ui/UndoHistory.h"


#include <QAction>
#include <QEvent>
#include <QListWidget>
#include <QUndoCommand>

namespace tessaro {

// One step: the state before and after it. Pushing runs redo() at once; the
// step has already happened then, so that first call does nothing.
class SnapshotStep final : public QUndoCommand {
public:
    SnapshotStep(UndoHistory& h, const QString& label, std::shared_ptr<const WindowSnapshot> before,
                 std::shared_ptr<const WindowSnapshot> after, ResultListDelta list)
        : QUndoCommand(label), h_(h), before_(std::move(before)), after_(std::move(after)), list_(std::move(list)) {}

    void undo() override { h_.restore(*before_, list_, false); }
    void redo() override {
        if (pushed_) h_.restore(*after_, list_, true);
        pushed_ = true;
    }

    const std::shared_ptr<const WindowSnapshot>& after() const { return after_; }
    size_t bytes(std::unordered_set<const void*>& counted) const {
        return sizeof(*this) + static_cast<size_t>(text().capacity()) * sizeof(QChar) + before_->bytes(counted) +
               after_->bytes(counted) + list_.bytes();
    }

private:
    UndoHistory& h_;
    std::shared_ptr<const WindowSnapshot> before_, after_;
    ResultListDelta list_;
    bool pushed_ = false;
};

UndoHistory::UndoHistory(UndoWindow w) : w_(std::move(w)), tracker_(w_.resultList) {
    stack_.setUndoLimit(kLimit);
    connect(&stack_, &QUndoStack::indexChanged, this, [this] { updateActions(); });
    w_.window->installEventFilter(this);
    updateActions();
}

void UndoHistory::record(const QString& label, const std::function<void()>& fn) {
    if (depth_ > 0) {
        fn();  // part of the step that runs it
        return;
    }
    const uint64_t generation = generation_;
    const auto before = w_.capture(lastAfter());
    tracker_.begin();
    struct Depth {
        UndoHistory& h;
        explicit Depth(UndoHistory& h) : h(h) {
            ++h.depth_;
            h.updateActions();
        }
        ~Depth() {
            --h.depth_;
            h.updateActions();
        }
    };
    {
        const Depth running(*this);
        fn();
    }
    ResultListDelta list = tracker_.end();
    if (generation != generation_) return;  // a new puzzle was set up
    const auto after = w_.capture(before);
    if (!after->puzzleDiffers(*before) && list.empty()) return;
    stack_.push(new SnapshotStep(*this, label, before, after, std::move(list)));
}

void UndoHistory::clear() {
    ++generation_;
    stack_.clear();
    updateActions();
}

void UndoHistory::undo() {
    if (!busy()) stack_.undo();
}

void UndoHistory::redo() {
    if (!busy()) stack_.redo();
}

bool UndoHistory::busy() const { return depth_ > 0 || blocked_ || w_.searching(); }

size_t UndoHistory::bytes() const {
    std::unordered_set<const void*> counted;
    size_t n = sizeof(*this);
    for (int i = 0; i < stack_.count(); ++i) n += static_cast<const SnapshotStep*>(stack_.command(i))->bytes(counted);
    return n;
}

bool UndoHistory::eventFilter(QObject* watched, QEvent* e) {
    if (watched == w_.window && (e->type() == QEvent::WindowBlocked || e->type() == QEvent::WindowUnblocked)) {
        blocked_ = e->type() == QEvent::WindowBlocked;
        updateActions();
    }
    return QObject::eventFilter(watched, e);
}

void UndoHistory::restore(const WindowSnapshot& s, const ResultListDelta& d, bool forward) {
    d.apply(w_.resultList, forward);
    w_.apply(s);
}

std::shared_ptr<const WindowSnapshot> UndoHistory::lastAfter() const {
    const int i = stack_.index();
    if (i == 0) return nullptr;
    return static_cast<const SnapshotStep*>(stack_.command(i - 1))->after();
}

void UndoHistory::updateActions() {
    const bool free = !busy();
    const bool canUndo = free && stack_.canUndo();
    const bool canRedo = free && stack_.canRedo();
    QAction* u = w_.undo;
    QAction* r = w_.redo;
    u->setEnabled(canUndo);
    r->setEnabled(canRedo);
    // The step is named while the command can run ("元に戻す: ブロック 3 を入れる").
    const QString undoTip = QStringLiteral("元に戻す");
    const QString redoTip = QStringLiteral("やり直し");
    u->setToolTip(stack_.canUndo() ? undoTip + QStringLiteral(": ") + stack_.undoText() : undoTip);
    r->setToolTip(stack_.canRedo() ? redoTip + QStringLiteral(": ") + stack_.redoText() : redoTip);
}

}  // namespace tessaro
