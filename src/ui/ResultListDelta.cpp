#include "ui/ResultListDelta.h"

#include <QAbstractItemModel>
#include <QListWidget>

#include <algorithm>

namespace tessaro {

namespace {

QString rowText(const QAbstractItemModel* m, int row) { return m->index(row, 0).data().toString(); }

size_t linesBytes(const QStringList& lines) {
    size_t n = static_cast<size_t>(lines.size()) * sizeof(QString);
    for (const QString& s : lines) n += static_cast<size_t>(s.size()) * sizeof(QChar);
    return n;
}

}  // namespace

bool ResultListDelta::apply(QListWidget* list, bool forward) const {
    QAbstractItemModel* m = list->model();
    const int nDropped = static_cast<int>(dropped.size());
    const int nAdded = static_cast<int>(added.size());
    if (forward) {
        if (m->rowCount() != nDropped + kept) return false;
        if (nDropped > 0) m->removeRows(0, nDropped);
        list->addItems(added);
    } else {
        if (m->rowCount() != kept + nAdded) return false;
        if (nAdded > 0) m->removeRows(kept, nAdded);
        list->insertItems(0, dropped);
    }
    list->scrollToBottom();
    return true;
}

size_t ResultListDelta::bytes() const { return sizeof(*this) + linesBytes(dropped) + linesBytes(added); }

ResultListTracker::ResultListTracker(QListWidget* list) : list_(list) {
    QAbstractItemModel* m = list->model();
    connect(m, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this](const QModelIndex&, int first, int last) {
        if (!active_ || first >= oldLeft_) return;
        if (first == 0)
            dropOld(0, std::min(last + 1, oldLeft_));
        else
            dropAllOld();
    });
    connect(m, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        if (!active_ || first >= oldLeft_) return;
        // New lines among the old: the old ones stand on both sides of them now.
        const int below = oldLeft_ - first;
        oldLeft_ = 0;
        readRows(0, first);
        readRows(last + 1, last + 1 + below);
    });
    // A clear, a move or a sort: every old line counts as dropped.
    auto dropAll = [this] {
        if (active_) dropAllOld();
    };
    connect(m, &QAbstractItemModel::modelAboutToBeReset, this, dropAll);
    connect(m, &QAbstractItemModel::rowsAboutToBeMoved, this, dropAll);
    connect(m, &QAbstractItemModel::layoutAboutToBeChanged, this, dropAll);
}

void ResultListTracker::begin() {
    active_ = true;
    oldLeft_ = list_->count();
    dropped_.clear();
}

ResultListDelta ResultListTracker::end() {
    ResultListDelta d;
    if (!active_) return d;
    active_ = false;
    const QAbstractItemModel* m = list_->model();
    d.dropped = std::move(dropped_);
    dropped_ = {};
    d.kept = oldLeft_;
    for (int r = oldLeft_, n = m->rowCount(); r < n; ++r) d.added << rowText(m, r);
    return d;
}

void ResultListTracker::readRows(int from, int to) {
    const QAbstractItemModel* m = list_->model();
    for (int r = from; r < to; ++r) dropped_ << rowText(m, r);
}

void ResultListTracker::dropOld(int from, int to) {
    readRows(from, to);
    oldLeft_ -= std::max(0, to - from);
}

void ResultListTracker::dropAllOld() { dropOld(0, oldLeft_); }

}  // namespace tessaro
