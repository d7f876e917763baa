// The bytes between dravixc.exe and the running program: requests read back exactly as written,
// anything else refused before it is used; answers taken chunk by chunk in order only.
#include "store/CommandProtocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace store::command;

namespace {

constexpr std::uint64_t kClient = 0x1234'5678'9ABCull;

Request request(Verb verb) {
    Request r;
    r.id = 77;
    r.replyWindow = kClient;
    r.verb = verb;
    return r;
}

// A request of each kind, with every field its command takes.
std::vector<Request> sampleRequests() {
    std::vector<Request> requests;
    Request list = request(Verb::List);
    list.json = true;
    list.limit = 999;
    Request get = request(Verb::Get);
    get.number = 12;
    get.format = DataFormat::Bitmap;
    Request add = request(Verb::Add);
    add.text = "你好\r\nworld 😀";
    Request paste = request(Verb::Paste);
    paste.number = 999;
    paste.transform = store::Transform::FullWidth;
    paste.targetWindow = 0xFFFF'FFFF'0000'0001ull;
    Request slot = request(Verb::Slot);
    slot.slot = 0;
    slot.number = 3;
    Request search = request(Verb::Search);
    search.text = "报告 draft";
    search.kind = RowKind::Files;
    search.source = "WINWORD";
    search.limit = 5;
    for (const Request& r : {list, get, add, paste, slot, search, request(Verb::Pause), request(Verb::Show)})
        requests.push_back(r);
    return requests;
}

TEST(CommandProtocol, RequestsReadBackAsTheyWereWritten) {
    for (const Request& sent : sampleRequests()) {
        ASSERT_EQ(requestProblem(sent), "") << static_cast<int>(sent.verb);
        const std::string bytes = encodeRequest(sent);
        const Received received = receiveRequest(kRequestTag, bytes, kClient);
        EXPECT_EQ(received.receipt, Receipt::Taken) << received.problem;
        EXPECT_TRUE(received.request && *received.request == sent) << static_cast<int>(sent.verb);
        // Cut anywhere, it is no request.
        for (std::size_t size = 0; size < bytes.size(); ++size)
            EXPECT_FALSE(decodeRequest(std::string_view(bytes).substr(0, size))) << size;
    }
}

TEST(CommandProtocol, RequestsThatAreNotWholeAndOursAreRefused) {
    const std::string bytes = encodeRequest(sampleRequests()[2]);
    EXPECT_EQ(receiveRequest(kAnswerTag, bytes, kClient).receipt, Receipt::NotUnderstood);
    EXPECT_EQ(receiveRequest(kRequestTag, bytes, kClient + 1).receipt, Receipt::Malformed) << "answers go to the sender";
    Request mixed = sampleRequests()[0];
    mixed.replyWindow = 0xFFFF'FFFF'8000'1234ull;  // a handle sign-extended by a 64-bit sender, zero-extended by a 32-bit one
    EXPECT_EQ(receiveRequest(kRequestTag, encodeRequest(mixed), 0x8000'1234ull).receipt, Receipt::Taken);
    EXPECT_EQ(receiveRequest(kRequestTag, std::string(kMaxRequestBytes + 1, 'x'), kClient).receipt, Receipt::TooLarge);
    struct Corruption {
        std::size_t at;
        char value;
        const char* what;
    };
    const Corruption corruptions[] = {
        {0, 2, "version"},   {2, 0, "verb"},      {2, 12, "verb"},     {3, 2, "flags"},
        {27, 3, "format"},   {28, 8, "transform"}, {29, 3, "kind"},     {32, 1, "text length"},
        {36, 1, "source length"}, {40, static_cast<char>(0xFF), "text not UTF-8"}, {46, 0, "a zero in the text"},
    };
    for (const Corruption& c : corruptions) {
        std::string corrupt = bytes;
        corrupt[c.at] = c.value;
        EXPECT_EQ(receiveRequest(kRequestTag, corrupt, kClient).receipt, Receipt::Malformed) << c.what;
    }
    EXPECT_EQ(receiveRequest(kRequestTag, bytes + "x", kClient).receipt, Receipt::Malformed) << "a byte too many";
}

TEST(CommandProtocol, EachCommandTakesItsOwnArgumentsInBounds) {
    struct Case {
        Verb verb;
        int number, slot, limit;
        const char* text;
        bool json;
        bool fine;
    };
    const Case cases[] = {
        {Verb::Get, 1, -1, 0, "", false, true},        {Verb::Get, 0, -1, 0, "", false, false},
        {Verb::Delete, 1000, -1, 0, "", false, false}, {Verb::Copy, 5, -1, 5, "", false, false},
        {Verb::Slot, 0, 9, 0, "", false, true},        {Verb::Slot, 0, 10, 0, "", false, false},
        {Verb::Slot, 0, -1, 0, "", false, false},      {Verb::List, 3, -1, 0, "", false, false},
        {Verb::List, 0, -1, 1000, "", true, false},    {Verb::Add, 0, -1, 0, "", false, false},
        {Verb::Add, 0, -1, 0, "x", true, false},       {Verb::Search, 0, -1, 0, "", false, false},
        {Verb::Search, 0, -1, 0, "词", true, true},     {Verb::Pause, 0, -1, 0, "x", false, false},
    };
    for (const Case& c : cases) {
        Request r = request(c.verb);
        r.number = c.number;
        r.slot = c.slot;
        r.limit = c.limit;
        r.text = c.text;
        r.json = c.json;
        EXPECT_EQ(requestProblem(r).empty(), c.fine) << static_cast<int>(c.verb) << " " << c.number << " " << c.slot;
    }
    Request add = request(Verb::Add);
    add.text.assign(kMaxAddedText + 1, 'a');
    EXPECT_NE(requestProblem(add), "");
    Request search = request(Verb::Search);
    search.kind = RowKind::Picture;
    EXPECT_EQ(requestProblem(search), "") << "a filter alone searches";
    Request copy = request(Verb::Copy);
    copy.number = 1;
    copy.transform = store::Transform::Upper;
    EXPECT_NE(requestProblem(copy), "");
}

struct Taken {
    std::vector<AnswerAssembly::Step> steps;
    std::string output;
};

Taken takeAll(AnswerAssembly& assembly, const std::vector<std::string>& chunks) {
    Taken taken;
    for (const std::string& chunk : chunks)
        taken.steps.push_back(assembly.take(chunk, [&](std::string_view output) {
            taken.output += output;
            return true;
        }));
    return taken;
}

TEST(CommandProtocol, AnAnswerComesInBoundedChunksTakenInOrder) {
    Answer answer{Status::NothingMatched, std::string(2 * kMaxChunkOutput + 5, 'o'), "没有编号为 3 的记录。"};
    answer.output[kMaxChunkOutput] = 'X';
    ASSERT_EQ(chunkCount(answer), 3u);
    std::vector<std::string> chunks;
    for (std::uint32_t i = 0; i < 3; ++i)
        chunks.push_back(encodeAnswerChunk(9, answer, i));
    for (const std::string& chunk : chunks)
        EXPECT_LE(chunk.size(), 64 + kMaxAnswerMessage + kMaxChunkOutput);

    AnswerAssembly inOrder(9);
    const Taken taken = takeAll(inOrder, chunks);
    using Step = AnswerAssembly::Step;
    EXPECT_EQ(taken.steps, (std::vector<Step>{Step::More, Step::More, Step::Complete}));
    EXPECT_EQ(taken.output, answer.output);
    EXPECT_EQ(inOrder.status(), Status::NothingMatched);
    EXPECT_EQ(inOrder.message(), answer.message);
    EXPECT_EQ(takeAll(inOrder, {chunks[2]}).steps, std::vector<Step>{Step::Broken}) << "after the last";

    AnswerAssembly skipped(9), other(8), cut(9), unwritten(9);
    EXPECT_EQ(takeAll(skipped, {chunks[0], chunks[2]}).steps, (std::vector<Step>{Step::More, Step::Broken}));
    EXPECT_EQ(takeAll(other, {chunks[0]}).steps, std::vector<Step>{Step::Stray});
    EXPECT_EQ(takeAll(cut, {chunks[0].substr(0, chunks[0].size() - 1)}).steps, std::vector<Step>{Step::Broken});
    EXPECT_EQ(unwritten.take(chunks[0], [](std::string_view) { return false; }), Step::Broken);
}

TEST(CommandProtocol, AnEmptyAnswerIsOneChunkAndALongMessageIsCutBetweenCharacters) {
    const Answer answer{Status::Failed, "", std::string(kMaxAnswerMessage + 1, 'a') + "记录"};
    ASSERT_EQ(chunkCount(answer), 1u);
    AnswerAssembly assembly(1);
    EXPECT_EQ(takeAll(assembly, {encodeAnswerChunk(1, answer, 0)}).steps,
              std::vector<AnswerAssembly::Step>{AnswerAssembly::Step::Complete});
    EXPECT_EQ(assembly.status(), Status::Failed);
    EXPECT_EQ(assembly.message(), std::string(kMaxAnswerMessage, 'a'));
    const Answer chinese{Status::Done, "", std::string(kMaxAnswerMessage - 1, 'a') + "记"};
    AnswerAssembly cutBetween(1);
    takeAll(cutBetween, {encodeAnswerChunk(1, chinese, 0)});
    EXPECT_EQ(cutBetween.message(), std::string(kMaxAnswerMessage - 1, 'a'));
}

}  // namespace
