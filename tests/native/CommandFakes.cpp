#include "CommandFakes.h"

using app::CommandOutcome;
using app::CommandRow;
using store::command::RowKind;

store::command::Request commandRequest(store::command::Verb verb, int number) {
    store::command::Request request;
    request.verb = verb;
    request.number = number;
    return request;
}

FakeCommandActions::FakeCommandActions()
    : rows{
          {3, "2026-12-08 09:00:00", RowKind::Text, "C:\\Program Files\\Office\\WINWORD.EXE", u"季度报告 Draft\r\nsecond line"},
          {12, "2026-12-08 11:30:00", RowKind::Picture, "", u"picture:size 640*480"},
          {7, "2026-12-08 10:15:00", RowKind::Text, "C:\\Tools\\notepad.exe", u"tab\there \"quoted\" \x01 \u2028end"},
      },
      data{{3, "季度报告"}},
      slots{{5, CommandRow{5, "2026-12-08 08:00:00", RowKind::Text, "", u"槽"}}} {}

std::optional<std::string> FakeCommandActions::clipData(int number, store::command::DataFormat format) {
    calls.push_back("data " + std::to_string(number) + " " + std::to_string(static_cast<int>(format)));
    const auto found = data.find(number);
    return found == data.end() ? std::nullopt : std::optional<std::string>(found->second);
}

CommandOutcome FakeCommandActions::addText(const std::u16string& text, int& added) {
    addedText = text;
    added = 13;
    return noted("add " + std::to_string(text.size()) + (text.find(u"\r\n") != std::u16string::npos ? " crlf" : ""));
}

CommandOutcome FakeCommandActions::copyClip(int number) {
    return noted("copy " + std::to_string(number));
}

CommandOutcome FakeCommandActions::pasteClip(int number, std::optional<store::Transform> transform, std::uint64_t target) {
    return noted("paste " + std::to_string(number) + " " +
                 std::string(transform ? store::transformName(*transform).id : "whole") + " " + std::to_string(target));
}

std::optional<CommandRow> FakeCommandActions::slotRow(int slot) {
    calls.push_back("slot " + std::to_string(slot));
    const auto found = slots.find(slot);
    return found == slots.end() ? std::nullopt : std::optional<CommandRow>(found->second);
}

CommandOutcome FakeCommandActions::setSlot(int slot, int number) {
    return noted("set slot " + std::to_string(slot) + " " + std::to_string(number));
}

CommandOutcome FakeCommandActions::deleteClip(int number) {
    return noted("delete " + std::to_string(number));
}

CommandOutcome FakeCommandActions::setRecording(bool on) {
    return noted(on ? "resume" : "pause");
}

CommandOutcome FakeCommandActions::showWindow() {
    return noted("show");
}

CommandOutcome FakeCommandActions::noted(std::string call) {
    calls.push_back(std::move(call));
    return {result, result == CommandOutcome::Result::Failed ? "历史记录已满。" : ""};
}
