#pragma once
// Whole-number options of every command, read one way: decimal digits only and
// within the option's range, anything else refused with one plain message
// (bad usage, exit 2). Nothing is read as "unlimited", wrapped or rounded.

#include <cstdint>
#include <optional>
#include <string>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace tessaro::cli {

// The value of `text` when it is decimal digits only and at most `max`.
std::optional<uint64_t> parseCount(const std::string& text, uint64_t max = UINT64_MAX);

// "0 から MAX までの整数を指定してください"
std::string countRangeMessage(uint64_t max);

// An option taking 0..max; `value` is set only when the option is given.
CLI::Option* addCountOption(CLI::App& cmd, const std::string& name, std::optional<uint64_t>& value,
                            const std::string& description, uint64_t max = UINT64_MAX);

}  // namespace tessaro::cli
