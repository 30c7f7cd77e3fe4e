#include "cli/CountOption.h"

#include "cli/TerminalText.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <sstream>

namespace tessaro::cli {

namespace {

// The given text inside a refusal: escaped and short.
std::string quoted(const std::string& text) {
    std::string shown = escapeControls(text.size() > 40 ? text.substr(0, 40) + "…" : text);
    return "「" + shown + "」は使えません。";
}

std::string numberText(double v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

}  // namespace

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

std::optional<double> parseDecimal(const std::string& text) {
    if (text.empty() || text.size() > 24) return std::nullopt;
    int digits = 0, points = 0;
    for (char c : text) {
        if (c == '.')
            ++points;
        else if (c >= '0' && c <= '9')
            ++digits;
        else
            return std::nullopt;
    }
    if (digits == 0 || points > 1) return std::nullopt;
    return std::strtod(text.c_str(), nullptr);
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
            [max](const std::string& text) {
                return parseCount(text, max) ? std::string() : quoted(text) + countRangeMessage(max);
            },
            ""))
        ->type_name("N");
}

CLI::Option* addCountOption(CLI::App& cmd, const std::string& name, uint64_t& value, const std::string& description,
                            uint64_t min, uint64_t max) {
    return cmd
        .add_option_function<std::string>(
            name, [&value, max](const std::string& text) { value = *parseCount(text, max); }, description)
        ->check(CLI::Validator(
            [min, max](const std::string& text) {
                const auto v = parseCount(text, max);
                if (v && *v >= min) return std::string();
                return quoted(text) + std::to_string(min) + " から " + std::to_string(max) +
                       " までの整数を指定してください";
            },
            ""))
        ->type_name("N");
}

CLI::Option* addCountOption(CLI::App& cmd, const std::string& name, int& value, const std::string& description,
                            int min, int max) {
    return cmd
        .add_option_function<std::string>(
            name, [&value, max](const std::string& text) { value = int(*parseCount(text, uint64_t(max))); },
            description)
        ->check(CLI::Validator(
            [min, max](const std::string& text) {
                const auto v = parseCount(text, uint64_t(max));
                if (v && *v >= uint64_t(min)) return std::string();
                return quoted(text) + std::to_string(min) + " から " + std::to_string(max) +
                       " までの整数を指定してください";
            },
            ""))
        ->type_name("N");
}

CLI::Option* addDecimalOption(CLI::App& cmd, const std::string& name, double& value, const std::string& description,
                              double min, double max, const std::string& unit, bool above) {
    return cmd
        .add_option_function<std::string>(
            name, [&value](const std::string& text) { value = *parseDecimal(text); }, description)
        ->check(CLI::Validator(
            [min, max, above](const std::string& text) {
                const auto v = parseDecimal(text);
                if (v && (above ? *v > min : *v >= min) && *v <= max) return std::string();
                return quoted(text) + numberText(min) + (above ? " より大きく " : " から ") + numberText(max) +
                       (above ? " 以下の数を指定してください" : " までの数を指定してください");
            },
            ""))
        ->type_name(unit);
}

}  // namespace tessaro::cli
