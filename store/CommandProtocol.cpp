#include "store/CommandProtocol.h"

#include "store/LittleEndian.h"
#include "xml/XmlText.h"

#include <algorithm>

namespace store::command {

namespace {

// A request: version 2, verb 1, flags 1, id 4, reply window 8, target window 8, number 2,
// slot 1, format 1, transform 1, kind 1, limit 2, text length 4, source length 4; then the text
// and the source. A byte that may be left unset holds kNone.
constexpr std::uint16_t kRequestVersion = 1;
constexpr std::size_t kRequestHeader = 40;
constexpr std::uint8_t kNone = 0xFF;
constexpr std::uint8_t kJsonFlag = 1;

// An answer's chunk: version 2, status 1, zero 1, request id 4, index 4, count 4, output bytes
// 8, message length 4; then the message (first chunk only) and this chunk's share of the output.
constexpr std::uint16_t kAnswerVersion = 1;
constexpr std::size_t kAnswerHeader = 28;

void append(std::string& bytes, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t field(std::string_view bytes, std::size_t at, int width) {
    if (width <= 4)
        return readLittleEndian(bytes, at, width);
    return readLittleEndian(bytes, at) | (static_cast<std::uint64_t>(readLittleEndian(bytes, at + 4)) << 32);
}

bool isUtf8Text(std::string_view text) {
    return text.empty() || xml::isCanonicalUtf8(text);
}

bool validStatus(unsigned status) {
    return status <= static_cast<unsigned>(Status::BadArguments) || status == static_cast<unsigned>(Status::Failed);
}

// The share of the output that chunk `index` carries.
std::uint64_t chunkShare(std::uint64_t outputBytes, std::uint32_t index) {
    const std::uint64_t start = static_cast<std::uint64_t>(index) * kMaxChunkOutput;
    return outputBytes > start ? std::min<std::uint64_t>(kMaxChunkOutput, outputBytes - start) : 0;
}

std::uint32_t chunksFor(std::uint64_t outputBytes) {
    return outputBytes == 0 ? 1 : static_cast<std::uint32_t>((outputBytes + kMaxChunkOutput - 1) / kMaxChunkOutput);
}

// The text cut to at most `limit` bytes, not inside a character.
std::string_view cutUtf8(std::string_view text, std::size_t limit) {
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

bool usesNumber(Verb verb) {
    return verb == Verb::Get || verb == Verb::Copy || verb == Verb::Paste || verb == Verb::Delete;
}

bool listsRows(Verb verb) {
    return verb == Verb::List || verb == Verb::Search;
}

std::string numberProblem(const Request& request) {
    const bool numbered = usesNumber(request.verb) || (request.verb == Verb::Slot && request.number != 0);
    if (numbered && (request.number < 1 || request.number > kMaxNumber))
        return "编号须为 1 到 999 之间的数。";
    if (!numbered && request.number != 0)
        return "这个命令不带编号。";
    if ((request.verb == Verb::Slot) != (request.slot >= 0))
        return request.verb == Verb::Slot ? "请给出槽位（0 到 9）。" : "这个命令不带槽位。";
    if (request.slot > kMaxSlot)
        return "槽位须为 0 到 9 之间的数字。";
    if (request.limit < 0 || request.limit > kMaxLimit || (request.limit != 0 && !listsRows(request.verb)))
        return "--limit 须为 1 到 999 之间的数，且只用于 list 和 search。";
    return {};
}

std::string textProblem(const Request& request) {
    if (!isUtf8Text(request.text) || !isUtf8Text(request.source))
        return "文本不是有效的 UTF-8。";
    if (request.verb == Verb::Add && request.text.empty())
        return "没有要添加的文本。";
    if (request.text.size() > kMaxAddedText)
        return "文本超过 1 MB，不能添加。";
    if (request.source.size() > kMaxSourceFilter)
        return "--from 的程序名太长。";
    if (request.verb == Verb::Search && request.text.empty() && request.source.empty() && !request.kind)
        return "请给出要搜索的词或筛选条件。";
    if (!request.text.empty() && request.verb != Verb::Add && request.verb != Verb::Search)
        return "这个命令不带文本。";
    return {};
}

std::string optionProblem(const Request& request) {
    if (request.json && !listsRows(request.verb))
        return "--json 只用于 list 和 search。";
    if (request.format != DataFormat::Text && request.verb != Verb::Get)
        return "--format 只用于 get。";
    if ((request.transform || request.targetWindow) && request.verb != Verb::Paste)
        return "--as 只用于 paste。";
    if ((request.kind || !request.source.empty()) && request.verb != Verb::Search)
        return "--type 和 --from 只用于 search。";
    return {};
}

}  // namespace

bool Request::operator==(const Request& other) const {
    return id == other.id && replyWindow == other.replyWindow && targetWindow == other.targetWindow &&
           verb == other.verb && number == other.number && slot == other.slot && limit == other.limit &&
           json == other.json && format == other.format && transform == other.transform && kind == other.kind &&
           text == other.text && source == other.source;
}

std::string requestProblem(const Request& request) {
    if (request.verb < Verb::List || request.verb > kLastVerb)
        return "未知的命令。";
    std::string problem = numberProblem(request);
    if (problem.empty())
        problem = textProblem(request);
    if (problem.empty())
        problem = optionProblem(request);
    return problem;
}

std::string encodeRequest(const Request& request) {
    std::string bytes;
    bytes.reserve(kRequestHeader + request.text.size() + request.source.size());
    append(bytes, kRequestVersion, 2);
    append(bytes, static_cast<std::uint8_t>(request.verb), 1);
    append(bytes, request.json ? kJsonFlag : 0, 1);
    append(bytes, request.id, 4);
    append(bytes, request.replyWindow, 8);
    append(bytes, request.targetWindow, 8);
    append(bytes, static_cast<std::uint16_t>(request.number), 2);
    append(bytes, request.slot < 0 ? kNone : static_cast<std::uint8_t>(request.slot), 1);
    append(bytes, static_cast<std::uint8_t>(request.format), 1);
    append(bytes, request.transform ? static_cast<std::uint8_t>(*request.transform) : kNone, 1);
    append(bytes, request.kind ? static_cast<std::uint8_t>(*request.kind) : kNone, 1);
    append(bytes, static_cast<std::uint16_t>(request.limit), 2);
    append(bytes, request.text.size(), 4);
    append(bytes, request.source.size(), 4);
    bytes += request.text;
    bytes += request.source;
    return bytes;
}

std::optional<Request> decodeRequest(std::string_view bytes, std::string* problem) {
    const auto refuse = [&](const char* why) -> std::optional<Request> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    if (bytes.size() < kRequestHeader || bytes.size() > kMaxRequestBytes)
        return refuse("size out of bounds");
    if (field(bytes, 0, 2) != kRequestVersion)
        return refuse("unknown version");
    const std::uint64_t textLength = field(bytes, 32, 4), sourceLength = field(bytes, 36, 4);
    if (textLength > kMaxAddedText || sourceLength > kMaxSourceFilter ||
        kRequestHeader + textLength + sourceLength != bytes.size())
        return refuse("lengths do not add up");
    Request request;
    const auto verb = field(bytes, 2, 1), flags = field(bytes, 3, 1), slot = field(bytes, 26, 1),
               format = field(bytes, 27, 1), transform = field(bytes, 28, 1), kind = field(bytes, 29, 1);
    if (verb < static_cast<unsigned>(Verb::List) || verb > static_cast<unsigned>(kLastVerb) || (flags & ~kJsonFlag) ||
        format > static_cast<unsigned>(DataFormat::Bitmap) || (kind != kNone && kind > static_cast<unsigned>(RowKind::Files)))
        return refuse("a field out of range");
    request.transform = transformFromNumber(static_cast<unsigned>(transform));
    if (transform != kNone && !request.transform)
        return refuse("unknown transform");
    request.verb = static_cast<Verb>(verb);
    request.json = flags & kJsonFlag;
    request.id = static_cast<std::uint32_t>(field(bytes, 4, 4));
    request.replyWindow = field(bytes, 8, 8);
    request.targetWindow = field(bytes, 16, 8);
    request.number = static_cast<int>(field(bytes, 24, 2));
    request.slot = slot == kNone ? -1 : static_cast<int>(slot);
    request.format = static_cast<DataFormat>(format);
    if (kind != kNone)
        request.kind = static_cast<RowKind>(kind);
    request.limit = static_cast<int>(field(bytes, 30, 2));
    request.text = std::string(bytes.substr(kRequestHeader, textLength));
    request.source = std::string(bytes.substr(kRequestHeader + textLength));
    if (!isUtf8Text(request.text) || !isUtf8Text(request.source))
        return refuse("text not UTF-8");
    return request;
}

Received receiveRequest(std::uint64_t tag, std::string_view bytes, std::uint64_t senderWindow) {
    Received received;
    if (tag != kRequestTag)
        return received;
    if (bytes.size() > kMaxRequestBytes) {
        received.receipt = Receipt::TooLarge;
        return received;
    }
    received.request = decodeRequest(bytes, &received.problem);
    // A window handle has 32 significant bits in programs of either bitness.
    const auto reply = static_cast<std::uint32_t>(received.request ? received.request->replyWindow : 0);
    if (received.request && (reply == 0 || reply != static_cast<std::uint32_t>(senderWindow))) {
        received.request.reset();
        received.problem = "the reply window is not the sender";
    }
    received.receipt = received.request ? Receipt::Taken : Receipt::Malformed;
    return received;
}

std::uint32_t chunkCount(const Answer& answer) {
    return chunksFor(answer.output.size());
}

std::string encodeAnswerChunk(std::uint32_t requestId, const Answer& answer, std::uint32_t index) {
    const std::string_view message = index == 0 ? cutUtf8(answer.message, kMaxAnswerMessage) : std::string_view();
    const std::uint64_t start = static_cast<std::uint64_t>(index) * kMaxChunkOutput;
    const std::uint64_t share = chunkShare(answer.output.size(), index);
    std::string bytes;
    bytes.reserve(kAnswerHeader + message.size() + share);
    append(bytes, kAnswerVersion, 2);
    append(bytes, static_cast<std::uint8_t>(answer.status), 1);
    append(bytes, 0, 1);
    append(bytes, requestId, 4);
    append(bytes, index, 4);
    append(bytes, chunkCount(answer), 4);
    append(bytes, answer.output.size(), 8);
    append(bytes, message.size(), 4);
    bytes += message;
    if (share)
        bytes.append(answer.output, start, share);
    return bytes;
}

AnswerAssembly::Step AnswerAssembly::take(std::string_view chunk, const std::function<bool(std::string_view)>& write) {
    if (chunk.size() < kAnswerHeader || field(chunk, 0, 2) != kAnswerVersion || field(chunk, 4, 4) != m_requestId)
        return Step::Stray;
    const auto status = static_cast<unsigned>(field(chunk, 2, 1));
    const auto index = static_cast<std::uint32_t>(field(chunk, 8, 4)), count = static_cast<std::uint32_t>(field(chunk, 12, 4));
    const std::uint64_t outputBytes = field(chunk, 16, 8), messageBytes = field(chunk, 24, 4);
    const bool first = index == 0;
    const bool consistent =
        validStatus(status) && index == m_next && index < count && outputBytes <= kMaxAnswerOutput && count == chunksFor(outputBytes) &&
        field(chunk, 3, 1) == 0 && (first ? messageBytes <= kMaxAnswerMessage : messageBytes == 0) &&
        (first || (count == m_count && outputBytes == m_outputBytes && status == static_cast<unsigned>(m_status))) &&
        chunk.size() == kAnswerHeader + messageBytes + chunkShare(outputBytes, index);
    if (!consistent)
        return Step::Broken;
    if (first) {
        m_status = static_cast<Status>(status);
        m_count = count;
        m_outputBytes = outputBytes;
        m_message = std::string(chunk.substr(kAnswerHeader, messageBytes));
    }
    const std::string_view output = chunk.substr(kAnswerHeader + messageBytes);
    if (!output.empty() && !write(output))
        return Step::Broken;
    return ++m_next == m_count ? Step::Complete : Step::More;
}

}  // namespace store::command
