// The options as an XML file of ours:
//   <DravixOptions><Version>1</Version><Switches><RestoreClipboard>1</RestoreClipboard>...
//   <Chords><CopyToSlot>Ctrl+数字</CopyToSlot>... <NoChordPrograms><Program>game.exe</Program>...
//   <PasteKeys><Rule><Match>PuTTY</Match><Keys>Shift+Insert</Keys></Rule>...
//   <ExcludedPrograms><Program><Path>...</Path><Added>...</Added></Program>...
#include "options/OptionsReader.h"

#include "xml/XmlDocument.h"
#include "xml/XmlText.h"

#include <functional>
#include <set>

namespace options {

namespace {

constexpr std::string_view kRoot = "DravixOptions";
constexpr std::string_view kVersion = "1";

using Entries = std::function<std::optional<std::string>(xml::XmlDocument&)>;

void addSection(xml::XmlDocument& doc, std::string_view name, const std::function<void()>& fill) {
    doc.addElement(name);
    doc.enterElement();
    fill();
    doc.leaveElement();
}

void addPair(xml::XmlDocument& doc, std::string_view name, std::string_view firstName, std::string_view first,
             std::string_view secondName, std::string_view second) {
    addSection(doc, name, [&] {
        doc.addElement(firstName, first);
        doc.addElement(secondName, second);
    });
}

// The texts of an entry's child elements, each named once, in this order, and nothing else.
std::optional<std::string> pairOf(xml::XmlDocument& doc, std::string_view firstName, std::string_view secondName,
                                  std::string& first, std::string& second) {
    const std::string entry = doc.tagName();
    doc.enterElement();
    bool read = doc.findElement() && doc.tagName() == firstName;
    if (read) {
        first = doc.elementText();
        read = doc.findElement() && doc.tagName() == secondName;
    }
    if (read) {
        second = doc.elementText();
        read = !doc.findElement();
    }
    doc.leaveElement();
    if (read)
        return std::nullopt;
    return "<" + entry + "> 应当依次含有 <" + std::string(firstName) + "> 和 <" + std::string(secondName) + ">。";
}

// Each child of the current section through `entry`, which reads it; the first problem stops it.
std::optional<std::string> readEntries(xml::XmlDocument& doc, std::string_view entryName, const Entries& entry) {
    doc.enterElement();
    std::optional<std::string> problem;
    while (!problem && doc.findElement()) {
        if (!entryName.empty() && doc.tagName() != entryName)
            problem = "<" + doc.tagName() + "> 不能出现在这里，应当是 <" + std::string(entryName) + ">。";
        else
            problem = entry(doc);
    }
    doc.leaveElement();
    return problem;
}

std::optional<std::string> readSection(xml::XmlDocument& doc, COptionsReader& reader) {
    const std::string name = doc.tagName();
    if (name == "Version")
        return doc.elementText() == kVersion ? std::nullopt
                                             : std::optional<std::string>("这个选项文件来自更新的 Dravix（版本 " +
                                                                          xml::normalizeUtf8(doc.elementText()) + "）。");
    if (name == "Switches")
        return readEntries(doc, {}, [&](xml::XmlDocument& d) { return reader.setSwitch(d.tagName(), d.elementText()); });
    if (name == "Chords")
        return readEntries(doc, {}, [&](xml::XmlDocument& d) { return reader.setChord(d.tagName(), d.elementText()); });
    if (name == "NoChordPrograms")
        return readEntries(doc, "Program", [&](xml::XmlDocument& d) {
            reader.addNoChordProgram(d.elementText());
            return std::optional<std::string>();
        });
    const auto pairs = [&](std::string_view entry, std::string_view first, std::string_view second,
                           void (COptionsReader::*add)(std::string_view, std::string_view)) {
        return readEntries(doc, entry, [&](xml::XmlDocument& d) {
            std::string a, b;
            std::optional<std::string> problem = pairOf(d, first, second, a, b);
            if (!problem)
                (reader.*add)(a, b);
            return problem;
        });
    };
    if (name == "PasteKeys")
        return pairs("Rule", "Match", "Keys", &COptionsReader::addPasteKeyRule);
    if (name == "ExcludedPrograms")
        return pairs("Program", "Path", "Added", &COptionsReader::addExcludedProgram);
    return "不认识的部分 <" + xml::normalizeUtf8(name) + ">。";
}

std::optional<std::string> readDocument(xml::XmlDocument& doc, COptionsReader& reader) {
    if (!doc.isWellFormed())
        return std::string("文件不是完整的 XML 文档。");
    doc.resetPosition();
    if (!doc.findElement() || doc.tagName() != kRoot)
        return "这不是 Dravix 的选项文件（根元素应当是 <" + std::string(kRoot) + ">）。";
    doc.enterElement();
    std::set<std::string> sections;
    bool versioned = false;
    while (doc.findElement()) {
        if (!sections.insert(doc.tagName()).second)
            return "<" + doc.tagName() + "> 出现了两次。";
        versioned = versioned || doc.tagName() == "Version";
        if (std::optional<std::string> problem = readSection(doc, reader))
            return problem;
    }
    if (!versioned)
        return std::string("选项文件缺少 <Version>。");
    return std::nullopt;
}

}  // namespace

std::string optionsXmlText(const Options& options) {
    xml::XmlDocument doc;
    doc.setDocument(xml::kDeclarationLine);
    addSection(doc, kRoot, [&] {
        doc.addElement("Version", kVersion);
        addSection(doc, "Switches", [&] {
            for (const SwitchInfo& info : allSwitches())
                doc.addElement(info.setting, options.switches.*info.member ? "1" : "0");
            for (const NumberInfo& info : allNumbers())
                doc.addElement(info.setting, std::to_string(options.runs.*info.member));
        });
        addSection(doc, "Chords", [&] {
            for (const ChordAction action : allChordActions())
                doc.addElement(actionSettingName(action), chordSetting(action, options.chords.chords[action]));
        });
        addSection(doc, "NoChordPrograms", [&] {
            for (const std::string& program : options.chords.noChordPrograms)
                doc.addElement("Program", program);
        });
        addSection(doc, "PasteKeys", [&] {
            for (const PasteKeyRule& rule : options.pasteKeyRules)
                addPair(doc, "Rule", "Match", rule.match, "Keys", rule.keys);
        });
        addSection(doc, "ExcludedPrograms", [&] {
            for (const ExcludedProgram& program : options.excludedPrograms)
                addPair(doc, "Program", "Path", program.path, "Added", program.added);
        });
    });
    return doc.documentText();
}

OptionsFileRead readOptionsXml(std::string_view text) {
    xml::XmlDocument doc;
    doc.setDocument(text);
    COptionsReader reader;
    return finishReading(reader, readDocument(doc, reader));
}

}  // namespace options
