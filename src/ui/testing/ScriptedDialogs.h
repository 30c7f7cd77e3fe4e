#pragma once
// A Dialogs for tests: records every box the window shows and answers from
// queues. Nothing is ever shown on screen.
//
// A box with only an OK button needs no answer. A question without a queued
// answer is answered No (Cancel for OK/Cancel), an input box as cancelled
// (empty text), a file dialog as cancelled; each such fallback is counted in
// unscripted(), so a test can insist that it foresaw every question.

#include "ui/Dialogs.h"

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tessaro {

struct DialogRecord {
    enum class Kind { Message, Input, Open, Save };
    Kind kind = Kind::Message;
    std::string title;    // message and input
    std::string text;     // message text, input prompt; start path of a file dialog
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    std::string defaultText;  // input default; file filter for file dialogs
    std::string defaultExt;   // file dialogs
    std::string action;       // the extra button of a message that offers one
};

inline const char* iconName(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::None: return "none";
        case MsgIcon::Critical: return "critical";
        case MsgIcon::Exclamation: return "exclamation";
        case MsgIcon::Question: return "question";
        case MsgIcon::Information: return "information";
    }
    return "?";
}

inline std::ostream& operator<<(std::ostream& os, const DialogRecord& r) {
    static const char* kinds[] = {"message", "input", "open", "save"};
    return os << kinds[static_cast<int>(r.kind)] << " [" << r.title << "] \"" << r.text << "\" ("
              << iconName(r.icon) << ")";
}

class ScriptedDialogs final : public Dialogs {
public:
    // ---- answers (questions only; an OK box answers itself) ----
    void answerMessage(MsgResult r) { messages_.push_back(r); }
    // A message offering an action: pressed or not (not, when nothing is queued).
    void answerAction(bool press) { actions_.push_back(press); }
    void answerInput(std::string text) { inputs_.push_back(std::move(text)); }
    void answerOpen(std::optional<std::string> path) { opens_.push_back(std::move(path)); }
    void answerSave(std::optional<std::string> path) { saves_.push_back(std::move(path)); }

    // Runs while a box is "open", after it is recorded (e.g. to close the window
    // or press STOP from inside a message box, as a user could).
    std::function<void(const DialogRecord&)> onShow;

    // ---- record ----
    const std::vector<DialogRecord>& records() const { return records_; }
    std::vector<DialogRecord> messages() const {
        std::vector<DialogRecord> out;
        for (const auto& r : records_)
            if (r.kind == DialogRecord::Kind::Message) out.push_back(r);
        return out;
    }
    const DialogRecord* last() const { return records_.empty() ? nullptr : &records_.back(); }
    size_t count() const { return records_.size(); }
    int unscripted() const { return unscripted_; }
    size_t pendingAnswers() const { return messages_.size() + inputs_.size() + opens_.size() + saves_.size() + actions_.size(); }
    void clear() {
        records_.clear();
        messages_.clear();
        inputs_.clear();
        opens_.clear();
        saves_.clear();
        actions_.clear();
        unscripted_ = 0;
    }

    // ---- Dialogs ----
    MsgResult message(const std::string& title, const std::string& text, MsgIcon icon,
                      MsgButtons buttons = MsgButtons::Ok) override {
        DialogRecord r;
        r.kind = DialogRecord::Kind::Message;
        r.title = title;
        r.text = text;
        r.icon = icon;
        r.buttons = buttons;
        show(r);
        if (buttons == MsgButtons::Ok) return MsgResult::Ok;
        if (!messages_.empty()) {
            const MsgResult a = messages_.front();
            messages_.pop_front();
            return a;
        }
        ++unscripted_;
        return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoDefaultNo ? MsgResult::No : MsgResult::Cancel;
    }

    bool messageOffering(const std::string& title, const std::string& text, MsgIcon icon,
                         const std::string& action) override {
        DialogRecord r;
        r.kind = DialogRecord::Kind::Message;
        r.title = title;
        r.text = text;
        r.icon = icon;
        r.action = action;
        show(r);
        if (actions_.empty()) return false;
        const bool pressed = actions_.front();
        actions_.pop_front();
        return pressed;
    }

    std::string input(const std::string& title, const std::string& prompt,
                      const std::string& defaultText = {}) override {
        DialogRecord r;
        r.kind = DialogRecord::Kind::Input;
        r.title = title;
        r.text = prompt;
        r.defaultText = defaultText;
        show(r);
        if (!inputs_.empty()) {
            std::string a = std::move(inputs_.front());
            inputs_.pop_front();
            return a;
        }
        ++unscripted_;
        return {};
    }

    std::optional<std::string> openFile(const std::string& startPath, const std::string& filter,
                                        const std::string& defaultExt) override {
        return file(DialogRecord::Kind::Open, opens_, startPath, filter, defaultExt);
    }
    std::optional<std::string> saveFile(const std::string& startPath, const std::string& filter,
                                        const std::string& defaultExt) override {
        return file(DialogRecord::Kind::Save, saves_, startPath, filter, defaultExt);
    }

private:
    void show(const DialogRecord& r) {
        records_.push_back(r);
        if (onShow) onShow(r);
    }
    std::optional<std::string> file(DialogRecord::Kind kind, std::deque<std::optional<std::string>>& q,
                                    const std::string& startPath, const std::string& filter,
                                    const std::string& defaultExt) {
        DialogRecord r;
        r.kind = kind;
        r.text = startPath;
        r.defaultText = filter;
        r.defaultExt = defaultExt;
        show(r);
        if (!q.empty()) {
            auto a = std::move(q.front());
            q.pop_front();
            return a;
        }
        ++unscripted_;
        return std::nullopt;
    }

    std::vector<DialogRecord> records_;
    std::deque<MsgResult> messages_;
    std::deque<std::string> inputs_;
    std::deque<std::optional<std::string>> opens_;
    std::deque<std::optional<std::string>> saves_;
    std::deque<bool> actions_;
    int unscripted_ = 0;
};

}  // namespace tessaro
