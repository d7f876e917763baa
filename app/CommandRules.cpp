#include "app/CommandRules.h"

#include "app/JsonText.h"
#include "store/StorePaths.h"
#include "store/Text.h"
#include "ui/ClipListModel.h"
#include "xml/XmlText.h"

#include <algorithm>

using store::command::Answer;
using store::command::Request;
using store::command::RowKind;
using store::command::Status;
using store::command::Verb;

namespace app {

namespace {

using Result = CommandOutcome::Result;

std::string_view kindName(RowKind kind) {
    switch (kind) {
    case RowKind::Picture:
        return "picture";
    case RowKind::Files:
        return "files";
    case RowKind::Text:
        break;
    }
    return "text";
}

bool isLineEnd(char16_t unit) {
    return unit == u'\r' || unit == u'\n' || unit == 0x2028 || unit == 0x2029;
}

// The text up to its first line end, cut to kFirstLineUnits (not inside a surrogate pair) with
// "…" where it was cut.
std::string firstLine(std::u16string_view text) {
    std::size_t end = 0;
    while (end < text.size() && end < kFirstLineUnits && !isLineEnd(text[end]))
        ++end;
    const bool cut = end == kFirstLineUnits && end < text.size() && !isLineEnd(text[end]);
    if (cut && text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF)
        --end;
    return xml::utf16ToUtf8(text.substr(0, end)) + (cut ? "…" : "");
}

// Bare line feeds as Windows writes line ends in clipboard text.
std::u16string windowsLineEnds(std::u16string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == u'\n' && (at == 0 || text[at - 1] != u'\r'))
            result += u'\r';
        result += text[at];
    }
    return result;
}

std::vector<std::u16string> words(std::u16string_view text) {
    std::vector<std::u16string> found;
    std::u16string word;
    for (const char16_t unit : text) {
        if (unit == u' ' || unit == u'\t' || unit == 0x3000 || isLineEnd(unit)) {
            if (!word.empty())
                found.push_back(std::move(word));
            word.clear();
        } else {
            word += unit;
        }
    }
    if (!word.empty())
        found.push_back(std::move(word));
    return found;
}

// Newest first (times read in order as text), the higher number first within a second.
void newestFirst(std::vector<CommandRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const CommandRow& a, const CommandRow& b) {
        return a.time != b.time ? a.time > b.time : a.number > b.number;
    });
}

Answer rowsAnswer(std::vector<CommandRow> rows, const Request& request) {
    newestFirst(rows);
    if (request.limit > 0 && rows.size() > static_cast<std::size_t>(request.limit))
        rows.resize(static_cast<std::size_t>(request.limit));
    Answer answer;
    if (request.verb == Verb::Search && rows.empty())
        answer.status = Status::NothingMatched;
    if (request.json)
        answer.output += "[";
    for (std::size_t i = 0; i < rows.size(); ++i)
        answer.output += request.json ? (i ? ",\n" : "\n") + rowJson(rows[i]) : rowLine(rows[i]) + "\n";
    if (request.json)
        answer.output += rows.empty() ? "]\n" : "\n]\n";
    return answer;
}

Answer outcomeAnswer(const CommandOutcome& outcome, std::string notFound) {
    Answer answer;
    if (outcome.result == Result::NotFound) {
        answer.status = Status::NothingMatched;
        answer.message = outcome.message.empty() ? std::move(notFound) : outcome.message;
    } else if (outcome.result == Result::Failed) {
        answer.status = Status::Failed;
        answer.message = outcome.message.empty() ? "Dravix 未能完成这个命令。" : outcome.message;
    }
    return answer;
}

std::string noClip(int number) {
    return "没有编号为 " + std::to_string(number) + " 的记录。";
}

Answer dataAnswer(const Request& request, CommandActions& actions) {
    std::optional<std::string> data = actions.clipData(request.number, request.format);
    Answer answer;
    if (!data) {
        answer.status = Status::NothingMatched;
        answer.message = noClip(request.number) + "（或它没有这种格式）";
    } else if (data->size() > store::command::kMaxAnswerOutput) {
        answer.status = Status::Failed;
        answer.message = "这条记录太大，无法经命令行取出。";
    } else {
        answer.output = std::move(*data);
    }
    return answer;
}

Answer addAnswer(const Request& request, CommandActions& actions) {
    int added = 0;
    Answer answer = outcomeAnswer(actions.addText(windowsLineEnds(xml::utf8ToUtf16(request.text)), added), {});
    if (answer.status == Status::Done)
        answer.output = std::to_string(added) + "\n";
    return answer;
}

Answer slotAnswer(const Request& request, CommandActions& actions) {
    if (request.number != 0)
        return outcomeAnswer(actions.setSlot(request.slot, request.number), noClip(request.number));
    Answer answer;
    if (const std::optional<CommandRow> row = actions.slotRow(request.slot)) {
        answer.output = rowLine(*row) + "\n";
    } else {
        answer.status = Status::NothingMatched;
        answer.message = "槽位 " + std::to_string(request.slot) + " 是空的。";
    }
    return answer;
}

}  // namespace

std::vector<CommandRow> searchRows(std::vector<CommandRow> rows, const Request& request) {
    const std::vector<std::u16string> wanted = words(xml::utf8ToUtf16(request.text));
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [&](const CommandRow& row) {
                                  if ((request.kind && row.kind != *request.kind) ||
                                      !store::containsIgnoringCase(store::fileNameOfPath(row.source), request.source))
                                      return true;
                                  return !std::all_of(wanted.begin(), wanted.end(), [&](const std::u16string& word) {
                                      return ui::cliplist::matchesFilter(row.text, word);
                                  });
                              }),
               rows.end());
    return rows;
}

std::string rowLine(const CommandRow& row) {
    std::string text = firstLine(row.text);
    std::replace(text.begin(), text.end(), '\t', ' ');
    return std::to_string(row.number) + "\t" + row.time + "\t" + std::string(kindName(row.kind)) + "\t" +
           std::string(store::fileNameOfPath(row.source)) + "\t" + text;
}

std::string rowJson(const CommandRow& row) {
    return "{\"number\":" + std::to_string(row.number) + ",\"time\":" + jsonString(row.time) +
           ",\"type\":" + jsonString(kindName(row.kind)) + ",\"source\":" + jsonString(row.source) +
           ",\"text\":" + jsonString(firstLine(row.text)) + "}";
}

Answer answerCommand(const Request& request, CommandActions& actions) {
    if (std::string problem = store::command::requestProblem(request); !problem.empty())
        return Answer{Status::BadArguments, {}, std::move(problem)};
    switch (request.verb) {
    case Verb::List:
        return rowsAnswer(actions.historyRows(), request);
    case Verb::Search:
        return rowsAnswer(searchRows(actions.historyRows(), request), request);
    case Verb::Get:
        return dataAnswer(request, actions);
    case Verb::Add:
        return addAnswer(request, actions);
    case Verb::Copy:
        return outcomeAnswer(actions.copyClip(request.number), noClip(request.number));
    case Verb::Paste:
        return outcomeAnswer(actions.pasteClip(request.number, request.transform, request.targetWindow),
                             request.transform ? noClip(request.number) + "（或它没有文本）" : noClip(request.number));
    case Verb::Slot:
        return slotAnswer(request, actions);
    case Verb::Delete:
        return outcomeAnswer(actions.deleteClip(request.number), noClip(request.number));
    case Verb::Pause:
    case Verb::Resume:
        return outcomeAnswer(actions.setRecording(request.verb == Verb::Resume), {});
    case Verb::Show:
        return outcomeAnswer(actions.showWindow(), {});
    }
    return Answer{Status::BadArguments, {}, "未知的命令。"};
}

}  // namespace app
