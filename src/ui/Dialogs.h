#pragma once
// Every message box, text-input box and file dialog of the window goes through
// this interface, so the window can be driven by a script in tests.

#include <optional>
#include <string>

namespace tessaro {

enum class MsgIcon { None, Critical, Exclamation, Question, Information };
// YesNoDefaultNo: as YesNo, but Enter answers No (before replacing files).
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, YesNoDefaultNo };
enum class MsgResult { Ok, Cancel, Yes, No };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Texts are UTF-8; line breaks inside a text are "\r\n".
    virtual MsgResult message(const std::string& title, const std::string& text, MsgIcon icon,
                              MsgButtons buttons = MsgButtons::Ok) = 0;
    // An information box with one more button beside OK, captioned `action`:
    // true when that one was pressed.
    virtual bool messageOffering(const std::string& title, const std::string& text, MsgIcon icon,
                                 const std::string& action) = 0;
    // Returns the typed text, or the empty text when cancelled.
    virtual std::string input(const std::string& title, const std::string& prompt,
                              const std::string& defaultText = {}) = 0;
    // Filter as "(*.bin)|*.bin"; startPath is a folder or a proposed file path.
    virtual std::optional<std::string> openFile(const std::string& startPath, const std::string& filter,
                                                const std::string& defaultExt) = 0;
    virtual std::optional<std::string> saveFile(const std::string& startPath, const std::string& filter,
                                                const std::string& defaultExt) = 0;
};

}  // namespace tessaro
