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

class FakeCommandActions : public clip::CommandActions {
public:
    FakeCommandActions();

    std::vector<clip::CommandRow> rows;
    std::map<int, std::string> data;  // a clip's data, whatever the format asked
    std::map<int, clip::CommandRow> slots;
    clip::CommandOutcome::Result result = clip::CommandOutcome::Result::Done;
    std::vector<std::string> calls;
    std::u16string addedText;

    std::vector<clip::CommandRow> historyRows() override { return rows; }
    std::optional<std::string> clipData(int number, store::command::DataFormat format) override;
    clip::CommandOutcome addText(const std::u16string& text, int& added) override;
    clip::CommandOutcome copyClip(int number) override;
    clip::CommandOutcome pasteClip(int number, std::optional<store::Transform> transform, std::uint64_t target) override;
    std::optional<clip::CommandRow> slotRow(int slot) override;
    clip::CommandOutcome setSlot(int slot, int number) override;
    clip::CommandOutcome deleteClip(int number) override;
    clip::CommandOutcome setRecording(bool on) override;
    clip::CommandOutcome showWindow() override;

private:
    clip::CommandOutcome noted(std::string call);
};
