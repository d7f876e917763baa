#include "cli/Arguments.h"

#include "store/ClipFormats.h"
#include "store/Text.h"
#include "xml/XmlText.h"

#include <algorithm>
#include <map>
#include <optional>

using store::command::DataFormat;
using store::command::Request;
using store::command::RowKind;
using store::command::Verb;

namespace cli {

namespace {

// A command: its name, how many plain arguments it takes, and its options (a trailing "=" marks
// one that takes a value).
struct CommandRule {
    std::string_view name;
    Verb verb;
    std::size_t fewest, most;
    std::vector<std::string_view> options;
};

const std::vector<CommandRule>& commandRules() {
    static const std::vector<CommandRule> rules = {
        {"list", Verb::List, 0, 0, {"--json", "--limit="}},
        {"get", Verb::Get, 1, 1, {"--format=", "--out="}},
        {"add", Verb::Add, 0, 1, {}},
        {"copy", Verb::Copy, 1, 1, {}},
        {"paste", Verb::Paste, 1, 1, {"--as="}},
        {"slot", Verb::Slot, 1, 2, {}},
        {"search", Verb::Search, 0, 256, {"--type=", "--from=", "--limit=", "--json"}},
        {"delete", Verb::Delete, 1, 1, {}},
        {"pause", Verb::Pause, 0, 0, {}},
        {"resume", Verb::Resume, 0, 0, {}},
        {"show", Verb::Show, 0, 0, {}},
    };
    return rules;
}

bool isHelp(std::string_view argument) {
    return argument == "--help" || argument == "-h" || argument == "/?" || argument == "help";
}

// A number of at most four digits; nothing for anything else.
std::optional<int> number(std::string_view text) {
    if (text.empty() || text.size() > 4 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::stoi(std::string(text));
}

template <class Value, std::size_t N>
std::optional<Value> named(std::string_view text, const std::pair<std::string_view, Value> (&names)[N]) {
    for (const auto& [name, value] : names)
        if (name == text)
            return value;
    return std::nullopt;
}

constexpr std::pair<std::string_view, DataFormat> kFormats[] = {
    {"text", DataFormat::Text}, {"html", DataFormat::Html}, {"bitmap", DataFormat::Bitmap}};
constexpr std::pair<std::string_view, RowKind> kKinds[] = {
    {"text", RowKind::Text}, {"picture", RowKind::Picture}, {"files", RowKind::Files}};

struct Split {
    std::vector<std::string> plain;
    std::map<std::string, std::string> options;  // name without "=", its value ("" for a flag)
};

// The arguments after the command split into plain ones and options; a problem for the user.
std::string split(const CommandRule& rule, const std::vector<std::string>& arguments, Split& parts, bool& help) {
    bool plainOnly = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (plainOnly || argument.rfind("--", 0) != 0) {
            parts.plain.push_back(argument);
            continue;
        }
        if (argument == "--") {
            plainOnly = true;
            continue;
        }
        if (argument == "--help") {
            help = true;
            return {};
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const bool takesValue = std::count(rule.options.begin(), rule.options.end(), name + "=") > 0;
        if (!takesValue && std::count(rule.options.begin(), rule.options.end(), name) == 0)
            return std::string(rule.name) + " 没有选项 " + name + "。";
        if (parts.options.count(name))
            return "选项 " + name + " 给了两次。";
        if (takesValue && equals == std::string::npos && i + 1 == arguments.size())
            return "选项 " + name + " 需要一个值。";
        if (!takesValue && equals != std::string::npos)
            return "选项 " + name + " 不带值。";
        parts.options[name] = !takesValue ? std::string() : equals != std::string::npos ? argument.substr(equals + 1) : arguments[++i];
    }
    if (parts.plain.size() < rule.fewest || parts.plain.size() > rule.most)
        return std::string(rule.name) + " 的参数个数不对。";
    return {};
}

// The options into the request; a problem for the user.
std::string applyOptions(const Split& parts, Invocation& invocation) {
    Request& request = invocation.request;
    for (const auto& [name, value] : parts.options) {
        if (name == "--json") {
            request.json = true;
        } else if (name == "--limit") {
            const std::optional<int> limit = number(value);
            if (!limit || *limit == 0)
                return "--limit 须为 1 到 999 之间的数。";
            request.limit = *limit;
        } else if (name == "--format") {
            const auto format = named(value, kFormats);
            if (!format)
                return "--format 须为 text、html 或 bitmap。";
            request.format = *format;
        } else if (name == "--type") {
            if (!(request.kind = named(value, kKinds)))
                return "--type 须为 text、picture 或 files。";
        } else if (name == "--as") {
            if (!(request.transform = store::transformFromId(value)))
                return "未知的粘贴方式：" + value + "。";
        } else if (name == "--out" || name == "--from") {
            if (value.empty())
                return "选项 " + name + " 需要一个值。";
            (name == "--out" ? invocation.outFile : request.source) = value;
        }
    }
    return {};
}

// The plain arguments into the request; a problem for the user.
std::string applyPlain(const Split& parts, Invocation& invocation) {
    Request& request = invocation.request;
    const std::vector<std::string>& plain = parts.plain;
    switch (request.verb) {
    case Verb::Add:
        invocation.textFromInput = plain.empty();
        if (!plain.empty())
            request.text = plain[0];
        return {};
    case Verb::Search:
        for (const std::string& word : plain)
            request.text += (request.text.empty() ? "" : " ") + word;
        return {};
    case Verb::Slot:
        if (plain[0].size() != 1 || !number(plain[0]))
            return "槽位须为 0 到 9 之间的数字。";
        request.slot = *number(plain[0]);
        if (plain.size() == 1)
            return {};
        [[fallthrough]];
    case Verb::Get:
    case Verb::Copy:
    case Verb::Paste:
    case Verb::Delete:
        if (const std::optional<int> given = number(plain.back()); given && *given > 0)
            request.number = *given;
        else
            return "“" + plain.back() + "”不是有效的编号（1 到 999）。";
        return {};
    default:
        return {};
    }
}

// Text with the zero that ends it and the one last line end a shell adds taken off.
std::string lastLineEndless(std::u16string text) {
    text = text.substr(0, text.find(u'\0'));
    if (!text.empty() && text.back() == u'\n')
        text.pop_back();
    if (!text.empty() && text.back() == u'\r')
        text.pop_back();
    return xml::utf16ToUtf8(text);
}

}  // namespace

Invocation parseArguments(const std::vector<std::string>& arguments) {
    Invocation invocation;
    if (arguments.empty()) {
        invocation.problem = "缺少命令。";
        return invocation;
    }
    if (isHelp(arguments[0])) {
        invocation.kind = Invocation::Kind::Help;
        return invocation;
    }
    const auto& rules = commandRules();
    const auto rule = std::find_if(rules.begin(), rules.end(), [&](const CommandRule& r) { return r.name == arguments[0]; });
    if (rule == rules.end()) {
        invocation.problem = "未知的命令：" + arguments[0] + "。";
        return invocation;
    }
    invocation.request.verb = rule->verb;
    Split parts;
    bool help = false;
    invocation.problem = split(*rule, arguments, parts, help);
    if (help) {
        invocation.kind = Invocation::Kind::Help;
        return invocation;
    }
    if (invocation.problem.empty())
        invocation.problem = applyPlain(parts, invocation);
    if (invocation.problem.empty())
        invocation.problem = applyOptions(parts, invocation);
    if (invocation.problem.empty() && !invocation.textFromInput)
        invocation.problem = store::command::requestProblem(invocation.request);
    if (invocation.problem.empty())
        invocation.kind = Invocation::Kind::Command;
    return invocation;
}

std::string textFromInput(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    else if (bytes.substr(0, 2) == "\xFF\xFE")
        return lastLineEndless(store::utf16FromBytes(bytes.substr(2)));
    const std::string_view text = bytes.substr(0, bytes.find('\0'));
    return lastLineEndless(text.empty() || xml::isCanonicalUtf8(text) ? xml::utf8ToUtf16(text) : store::codePageToUtf16(text));
}

std::string usageText() {
    std::string transforms;
    for (const store::TransformName& name : store::kTransformNames)
        transforms += std::string(transforms.empty() ? "" : "|") + std::string(name.id);
    return "用法：dravixc <命令> [参数]\n"
           "向本用户正在运行的 Dravix 发出命令。N 为记录的编号（list 所示），K 为槽位（0 到 9）。\n"
           "\n"
           "  list [--json] [--limit N]      列出历史记录（最新的在前）：编号、时间、类型、来源程序、第一行\n"
           "  get N [--format text|html|bitmap] [--out 文件]\n"
           "                                 取出记录 N 的文本（UTF-8）、HTML 或图片（BMP 文件）\n"
           "  add [文本]                     添加一条记录，如同复制了这段文本；不给文本时读取标准输入\n"
           "  copy N                         把记录 N 放到剪贴板上\n"
           "  paste N [--as 方式]            把记录 N 粘贴到前台窗口；给出方式时只粘贴转换后的文本：\n"
           "                                 " + transforms + "\n"
           "  slot K [N]                     显示槽位 K；给出 N 时把记录 N 放入槽位 K\n"
           "  search 词... [--type text|picture|files] [--from 程序] [--limit N] [--json]\n"
           "                                 查找含有所有这些词的记录（字母不分大小写）\n"
           "  delete N                       删除记录 N\n"
           "  pause                          暂停记录复制（如同托盘菜单的暂停）\n"
           "  resume                         恢复记录复制\n"
           "  show                           显示主窗口；Dravix 未运行时启动它\n"
           "  help | --help                  显示本帮助\n"
           "\n"
           "退出码：0 完成；1 没有匹配的记录；2 参数有误；3 Dravix 未运行或未及时回应；4 Dravix 未能完成命令。\n";
}

}  // namespace cli
