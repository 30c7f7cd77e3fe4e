#include "cli/CommandLine.h"

#include "app/VersionInfo.h"

#include <CLI/CLI.hpp>

#include <regex>

namespace tessaro::cli {

namespace {

std::string commandList(const CLI::App& app) {
    std::string names;
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
        names += (names.empty() ? "" : "、") + sub->get_name();
    return names;
}

// The command that was being read when the error came, or null for the top level.
const CLI::App* parsedCommand(const CLI::App& app) {
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
        if (sub->parsed()) return sub;
    return nullptr;
}

std::string match(const std::string& text, const char* pattern, int group = 1) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(pattern))) return {};
    return m[group];
}

}  // namespace

std::string versionText(const std::string& program) {
    return program + " (" + kAppTitle + ") " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) +
           "." + std::to_string(kVersionRevision) + "\n" + kCopyright;
}

void setUpCommandLine(CLI::App& app) {
    auto f = app.get_formatter();
    f->label("Usage", "使い方");
    f->label("OPTIONS", "オプション");
    f->label("SUBCOMMAND", "コマンド");
    f->label("SUBCOMMANDS", "コマンド");
    f->label("Subcommands", "コマンド");
    f->label("Positionals", "引数");
    f->label("REQUIRED", "（必須）");
    f->label("Needs", "必要");
    f->label("Excludes", "同時に指定できない");
    f->label("TEXT", "TEXT");
    f->column_width(34);
    app.option_defaults()->group("オプション");
    app.set_help_flag("-h,--help", "この説明を表示して終わる");
    app.set_help_all_flag("--help-all", "全てのコマンドの説明を表示して終わる");
    app.set_version_flag("--version", versionText(app.get_name()), "版を表示して終わる");
    app.footer("各コマンドのオプションは tessaro-cli COMMAND --help で表示します。");
}

void finishCommandLine(CLI::App& app) {
    for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
        // Made with the command, before the labels: in the command's one group.
        if (CLI::Option* help = sub->get_help_ptr()) help->group("オプション");
        sub->group("コマンド");
        sub->footer("");
        sub->set_help_all_flag();
        for (CLI::Option* opt : sub->get_options([](const CLI::Option* o) { return o->get_positional(); }))
            opt->type_name("");
    }
}

std::string usageErrorText(const CLI::App& app, const CLI::ParseError& e) {
    const std::string what = e.what();
    const CLI::App* cmd = parsedCommand(app);
    if (dynamic_cast<const CLI::ValidationError*>(&e) != nullptr) return what;
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
        const std::string first = match(what, R"(expected: (\S+))");
        if (cmd == nullptr && !first.empty() && first[0] != '-')
            return first + " というコマンドはありません（" + commandList(app) + "）";
        if (!first.empty() && first[0] == '-') return first + " というオプションはありません";
        return "余分な引数があります: " + what.substr(what.find(": ") + 2);
    }
    if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr) {
        if (what.find("subcommand") != std::string::npos) {
            const std::vector<std::string> left = app.remaining();
            if (!left.empty() && !left[0].empty() && left[0][0] != '-')
                return left[0] + " というコマンドはありません（" + commandList(app) + "）";
            return "コマンドを指定してください（" + commandList(app) + "）";
        }
        if (const std::string name = match(what, R"(^(\S+) is required)"); !name.empty())
            return name + " を指定してください";
    }
    if (dynamic_cast<const CLI::ExcludesError*>(&e) != nullptr)
        if (const std::string a = match(what, R"(^(\S+) excludes (\S+))"); !a.empty())
            return a + " と " + match(what, R"(^(\S+) excludes (\S+))", 2) + " は同時に指定できません";
    if (dynamic_cast<const CLI::RequiresError*>(&e) != nullptr)
        if (const std::string a = match(what, R"(^(\S+) requires (\S+))"); !a.empty())
            return a + " には " + match(what, R"(^(\S+) requires (\S+))", 2) + " も指定してください";
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) {
        std::string name = match(what, R"(^(-\S+?):? )");
        if (name.empty()) name = match(what, R"(arguments to (\S+),)");
        if (!name.empty()) return name + " の値を一つ指定してください";
    }
    if (dynamic_cast<const CLI::ConversionError*>(&e) != nullptr)
        return "値が読めません";
    return "コマンドラインが正しくありません";
}

}  // namespace tessaro::cli
