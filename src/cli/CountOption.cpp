#include "cli/CountOption.h"

#include <CLI/CLI.hpp>

namespace tessaro::cli {

std::optional<uint64_t> parseCount(const std::string& text, uint64_t max) {
    if (text.empty() || text.size() > 20) return std::nullopt;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const uint64_t d = static_cast<uint64_t>(c - '0');
        if (v > (UINT64_MAX - d) / 10) return std::nullopt;
        v = v * 10 + d;
    }
    if (v > max) return std::nullopt;
    return v;
}

std::string countRangeMessage(uint64_t max) {
    return "0 から " + std::to_string(max) + " までの整数を指定してください";
}

CLI::Option* addCountOption(CLI::App& cmd, const std::string& name, std::optional<uint64_t>& value,
                            const std::string& description, uint64_t max) {
    return cmd
        .add_option_function<std::string>(
            name, [&value, max](const std::string& text) { value = parseCount(text, max); }, description)
        ->check(CLI::Validator(
            [max](const std::string& text) { return parseCount(text, max) ? std::string() : countRangeMessage(max); },
            "N", "count"));
}

}  // namespace tessaro::cli
