#include "options/OptionsFile.h"

#include "options/OptionsReader.h"
#include "store/Text.h"
#include "xml/XmlText.h"

namespace options {

namespace {

constexpr std::string_view kUtf16Mark = "\xFF\xFE";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

OptionsFileRead refused(std::string error) {
    return {std::nullopt, std::move(error)};
}

}  // namespace

OptionsFileKind optionsFileKindOf(std::string_view path) {
    return store::endsWithIgnoringCase(path, ".reg") ? OptionsFileKind::Reg : OptionsFileKind::Xml;
}

std::string optionsFileBytes(const Options& options, OptionsFileKind kind) {
    if (kind == OptionsFileKind::Xml)
        return xml::textFileBytes(optionsXmlText(options));
    std::string bytes(kUtf16Mark);
    for (const char16_t unit : optionsRegText(options)) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

OptionsFileRead readOptionsFile(std::string_view bytes) {
    if (bytes.size() > kMaxOptionsFileBytes)
        return refused("文件太大（超过 " + std::to_string(kMaxOptionsFileBytes / 1024) + " KB），不是 Dravix 的选项文件。");
    if (bytes.substr(0, kUtf16Mark.size()) == kUtf16Mark) {
        bytes.remove_prefix(kUtf16Mark.size());
        if (bytes.size() % 2)
            return refused("文件不是完整的 UTF-16 文本。");
        std::u16string text;
        for (std::size_t i = 0; i < bytes.size(); i += 2)
            text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
        return readOptionsReg(text);
    }
    if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark)
        bytes.remove_prefix(kUtf8Mark.size());
    if (bytes.empty() || bytes.front() != '<')
        return refused("这不是 Dravix 的选项文件（应当是 XML 文件或 .reg 文件）。");
    if (!xml::isCanonicalUtf8(bytes))
        return refused("文件不是 UTF-8 文本。");
    return readOptionsXml(bytes);
}

OptionsFileRead finishReading(const COptionsReader& reader, const std::optional<std::string>& problem) {
    if (problem)
        return refused(*problem);
    if (std::optional<std::string> listProblem = reader.finish())
        return refused(*listProblem);
    return {reader.options(), {}};
}

}  // namespace options
