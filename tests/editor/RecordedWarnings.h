#pragma once
// Records the warnings the editor shows.

#include "editor/PieceMaker.h"

#include <string>
#include <vector>

namespace tessaro::test {

struct Message {
    std::string title, text;
};

class RecordedWarnings {
public:
    std::vector<Message> messages;
    MakerWarning callback() {
        return [this](const std::string& title, const std::string& text) { messages.push_back({title, text}); };
    }
};

}  // namespace tessaro::test
