#pragma once
// The window's dialogs as the user sees them: Qt message boxes, input boxes
// and the standard file dialogs.

#include "ui/Dialogs.h"

#include <QString>

class QWidget;

namespace tessaro {

class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    MsgResult message(const std::string& title, const std::string& text, MsgIcon icon,
                      MsgButtons buttons = MsgButtons::Ok) override;
    bool messageOffering(const std::string& title, const std::string& text, MsgIcon icon,
                         const std::string& action) override;
    std::string input(const std::string& title, const std::string& prompt,
                      const std::string& defaultText = {}) override;
    std::optional<std::string> openFile(const std::string& startPath, const std::string& filter,
                                        const std::string& defaultExt) override;
    std::optional<std::string> saveFile(const std::string& startPath, const std::string& filter,
                                        const std::string& defaultExt) override;

private:
    QWidget* parent_;
};

// "Puzzle (*.bin)|*.bin|All|*.*" -> "Puzzle (*.bin);;All (*.*)"
QString toQtFilter(const std::string& filter);
// Message texts break lines with CR LF; Qt wants LF alone.
QString toDisplayText(const std::string& text);

}  // namespace tessaro
