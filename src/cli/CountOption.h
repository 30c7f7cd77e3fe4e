#pragma once
// The numbers of every command, read one way: whole numbers as decimal digits
// only, seconds and sizes as digits with at most one decimal point, each within
// its option's range. Anything else (signs, spaces, hex, exponents, inf, nan)
// is refused with one plain message (bad usage, exit 2); nothing is read as
// "unlimited", wrapped or rounded.

#include <cstdint>
#include <optional>
#include <string>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace tessaro::cli {

// The one range of --threads in every command (0: every core).
constexpr uint64_t kMaxThreads = 256;

// The value of `text` when it is decimal digits only and at most `max`.
std::optional<uint64_t> parseCount(const std::string& text, uint64_t max = UINT64_MAX);

// The value of `text` when it is digits with at most one decimal point ("30", "1.5", ".5").
std::optional<double> parseDecimal(const std::string& text);

// "0 から MAX までの整数を指定してください"
std::string countRangeMessage(uint64_t max);

// An option taking 0..max; `value` is set only when the option is given.
CLI::Option* addCountOption(CLI::App& cmd, const std::string& name, std::optional<uint64_t>& value,
                            const std::string& description, uint64_t max = UINT64_MAX);
// An option taking min..max, shown as N.
CLI::Option* addCountOption(CLI::App& cmd, const std::string& name, uint64_t& value, const std::string& description,
                            uint64_t min, uint64_t max);
CLI::Option* addCountOption(CLI::App& cmd, const std::string& name, int& value, const std::string& description,
                            int min, int max);

// A decimal option within [min, max], or (min, max] when `above` is set; `unit`
// is how --help names it (SECONDS, MM).
CLI::Option* addDecimalOption(CLI::App& cmd, const std::string& name, double& value, const std::string& description,
                              double min, double max, const std::string& unit, bool above = false);

}  // namespace tessaro::cli
