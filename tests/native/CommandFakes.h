// For the command line's tests, native and under Wine: requests, and a program with three
// history clips (12 the newest), slot 5 and clip data in memory, every action noted ("copy 3",
// "paste 3 upper 4242") and answered with the outcome the test sets.
#pragma once

#include "app/CommandRules.h"

#include <map>
#include <string>
#include <vector>

// A request of this command (for a clip number), every other field as the command line leaves it.
store::command::Request commandRequest(store::command::Verb verb, int number = 0);

class FakeCommandActions : public app::CommandActions {
public:
    FakeCommandActions();

    std::vector<app::CommandRow> rows;
    std::map<int, std::string> data;  // a clip's data, whatever the format asked
    std::map<int, app::CommandRow> slots;
    app::CommandOutcome::Result result = app::CommandOutcome::Result::Done;
    std::vector<std::string> calls;
    std::u16string addedText;

    std::vector<app::CommandRow> historyRows() override { return rows; }
    std::optional<std::string> clipData(int number, store::command::DataFormat format) override;
    app::CommandOutcome addText(const std::u16string& text, int& added) override;
    app::CommandOutcome copyClip(int number) override;
    app::CommandOutcome pasteClip(int number, std::optional<store::Transform> transform, std::uint64_t target) override;
    std::optional<app::CommandRow> slotRow(int slot) override;
    app::CommandOutcome setSlot(int slot, int number) override;
    app::CommandOutcome deleteClip(int number) override;
    app::CommandOutcome setRecording(bool on) override;
    app::CommandOutcome showWindow() override;

private:
    app::CommandOutcome noted(std::string call);
};
