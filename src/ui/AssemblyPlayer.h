#pragma once
// Plays one packing's loading order in the box view: the blocks go in one by one,
// and a block that needs more than a drop is shown at each step of its way.

#include "analysis/Assembly.h"
#include "model/Puzzle.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

namespace tessaro {

class AssemblyPlayer : public QDialog {
    Q_OBJECT
public:
    AssemblyPlayer(QWidget* parent, const analysis::AssemblyResult& assembly);

    // The puzzle in hand with the box turned as loaded and holding the frame on view.
    Puzzle frameInBox(const Puzzle& inHand) const;
    size_t frame() const { return frame_; }
    size_t frames() const { return frames_.size(); }

    void cmdBack_Click();
    void cmdForward_Click();
    void cmdPlay_Click();

signals:
    void frameChanged();

private:
    void showFrame(size_t frame);

    analysis::AssemblyResult assembly_;
    std::vector<analysis::AssemblyFrame> frames_;
    size_t frame_ = 0;
    QLabel* lblStep_ = nullptr;
    QPushButton* cmdBack_ = nullptr;
    QPushButton* cmdForward_ = nullptr;
    QPushButton* cmdPlay_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace tessaro
