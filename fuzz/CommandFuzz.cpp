// libFuzzer target: any bytes as a request of the command line to the running program, and as a
// chunk of an answer. A request is taken only when it reads back to the very same bytes, and the
// answer made for it is one the command line takes whole; nothing is read past the bytes.
#include "app/CommandRules.h"
#include "store/CommandProtocol.h"
#include "store/LittleEndian.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace store::command;

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

// A program with nothing in it: every clip is missing, every action fails.
class EmptyProgram : public app::CommandActions {
public:
    std::vector<app::CommandRow> historyRows() override { return {}; }
    std::optional<std::string> clipData(int, DataFormat) override { return std::nullopt; }
    app::CommandOutcome addText(const std::u16string&, int&) override { return failed(); }
    app::CommandOutcome copyClip(int) override { return failed(); }
    app::CommandOutcome pasteClip(int, std::optional<store::Transform>, std::uint64_t) override { return failed(); }
    std::optional<app::CommandRow> slotRow(int) override { return std::nullopt; }
    app::CommandOutcome setSlot(int, int) override { return failed(); }
    app::CommandOutcome deleteClip(int) override { return failed(); }
    app::CommandOutcome setRecording(bool) override { return failed(); }
    app::CommandOutcome showWindow() override { return failed(); }

private:
    static app::CommandOutcome failed() { return {app::CommandOutcome::Result::Failed, "no"}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The sender the request names, so that whole requests get through.
    const std::uint64_t sender = size >= 16 ? store::readLittleEndian(bytes, 8) |
                                                  (static_cast<std::uint64_t>(store::readLittleEndian(bytes, 12)) << 32)
                                            : 0;
    const Received received = receiveRequest(kRequestTag, bytes, sender);
    check((received.receipt == Receipt::Taken) == received.request.has_value(), "taken exactly with a request");
    if (received.request) {
        check(encodeRequest(*received.request) == bytes, "a request reads back to its bytes");
        EmptyProgram program;
        const Answer answer = app::answerCommand(*received.request, program);
        AnswerAssembly assembly(received.request->id);
        std::string output;
        const std::uint32_t count = chunkCount(answer);
        for (std::uint32_t i = 0; i < count; ++i) {
            const AnswerAssembly::Step step = assembly.take(encodeAnswerChunk(received.request->id, answer, i), [&](std::string_view part) {
                output += part;
                return true;
            });
            check(step == (i + 1 == count ? AnswerAssembly::Step::Complete : AnswerAssembly::Step::More), "chunks in order");
        }
        check(output == answer.output && assembly.status() == answer.status, "the answer whole");
    }
    AnswerAssembly stray(size >= 8 ? store::readLittleEndian(bytes, 4) : 0);
    stray.take(bytes, [](std::string_view) { return true; });
    return 0;
}
