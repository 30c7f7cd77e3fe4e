#pragma once
// Records every message box the editor shows; questions take queued answers.

#include "ui/Dialogs.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace tessaro::test {

struct Message {
    std::string title, text;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

class RecordingDialogs final : public Dialogs {
public:
    std::vector<Message> messages;
    std::deque<MsgResult> answers;

    MsgResult message(const std::string& title, const std::string& text, MsgIcon icon,
                      MsgButtons buttons) override {
        messages.push_back({title, text, icon, buttons});
        if (buttons == MsgButtons::Ok) return MsgResult::Ok;
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return MsgResult::Cancel;
        }
        const MsgResult r = answers.front();
        answers.pop_front();
        return r;
    }
    std::string input(const std::string&, const std::string& prompt, const std::string&) override {
        ADD_FAILURE() << "unexpected prompt: " << prompt;
        return {};
    }
    std::optional<std::string> openFile(const std::string&, const std::string&, const std::string&) override {
        ADD_FAILURE() << "unexpected open dialog";
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string&, const std::string&, const std::string&) override {
        ADD_FAILURE() << "unexpected save dialog";
        return std::nullopt;
    }
};

}  // namespace tessaro::test
