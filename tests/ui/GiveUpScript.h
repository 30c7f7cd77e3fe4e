#pragma once
// A small scripted Dialogs for the give-up tests: records every box shown and
// answers from queues; a question or prompt without a queued answer fails.

#include "ui/Dialogs.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace tessaro::test {

struct Shown {
    enum Kind { Message, Input } kind;
    std::string title, text;  // text is the prompt for an input box
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    std::string defaultText;
};

class GiveUpScript final : public Dialogs {
public:
    std::deque<MsgResult> answers;
    std::deque<std::string> typed;
    std::vector<Shown> shown;

    MsgResult message(const std::string& title, const std::string& text, MsgIcon icon,
                      MsgButtons buttons) override {
        shown.push_back({Shown::Message, title, text, icon, buttons, {}});
        if (buttons == MsgButtons::Ok) return MsgResult::Ok;
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return MsgResult::Cancel;
        }
        const MsgResult r = answers.front();
        answers.pop_front();
        return r;
    }
    std::string input(const std::string& title, const std::string& prompt,
                      const std::string& defaultText) override {
        shown.push_back({Shown::Input, title, prompt, MsgIcon::None, MsgButtons::Ok, defaultText});
        if (typed.empty()) {
            ADD_FAILURE() << "unexpected prompt: " << prompt;
            return {};
        }
        std::string r = typed.front();
        typed.pop_front();
        return r;
    }
    std::optional<std::string> openFile(const std::string&, const std::string&,
                                        const std::string&) override {
        ADD_FAILURE() << "unexpected open dialog";
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string&, const std::string&,
                                        const std::string&) override {
        ADD_FAILURE() << "unexpected save dialog";
        return std::nullopt;
    }
};

}  // namespace tessaro::test
