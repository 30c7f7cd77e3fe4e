#pragma once
// What one step did to the automatic loader's result list (listRotate). The list
// can hold 100000 lines, and LOAD only appends lines and drops the oldest from
// the front, so a step keeps the lines it dropped and the lines it added, never
// the whole list.

#include <QObject>
#include <QStringList>

#include <cstddef>

class QListWidget;

namespace tessaro {

struct ResultListDelta {
    QStringList dropped;  // the first lines before the step, gone after it
    QStringList added;    // the last lines after the step, not there before
    int kept = 0;         // lines of the list before the step still there after it

    bool empty() const { return dropped.isEmpty() && added.isEmpty(); }
    // Forwards (redo) or backwards (undo). A list that no longer has the length
    // the step left (changed outside the history) is left alone: false.
    bool apply(QListWidget* list, bool forward) const;
    size_t bytes() const;
};

// Watches the list while a step runs. Lines appended and dropped again within
// the step cost nothing; anything but dropping from the front (a clear, an
// insert among the old lines) counts every old line as dropped.
class ResultListTracker final : public QObject {
public:
    explicit ResultListTracker(QListWidget* list);

    void begin();
    ResultListDelta end();
    bool active() const { return active_; }

private:
    void readRows(int from, int to);  // rows [from, to) as they stand now, to dropped_
    void dropOld(int from, int to);
    void dropAllOld();

    QListWidget* list_;
    bool active_ = false;
    int oldLeft_ = 0;  // old lines still in the list: rows [0, oldLeft_)
    QStringList dropped_;
};

}  // namespace tessaro
