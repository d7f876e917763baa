#include "fw/Integrity.h"

#include "base/Handle.h"

#include <vector>

namespace fw {

namespace {

std::optional<DWORD> levelOfProcess(HANDLE process) {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &opened))
        return std::nullopt;
    const base::UniqueKernelObject token(opened);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenIntegrityLevel, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenIntegrityLevel, buffer.data(), size, &size))
        return std::nullopt;
    const PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
    const UCHAR count = *GetSidSubAuthorityCount(sid);
    if (count == 0)
        return std::nullopt;
    return *GetSidSubAuthority(sid, count - 1u);
}

}  // namespace

std::optional<DWORD> OwnIntegrityLevel() {
    return levelOfProcess(GetCurrentProcess());
}

WindowProcessLevel IntegrityLevelOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const base::UniqueKernelObject process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        return {};
    return {true, levelOfProcess(process.get())};
}

}  // namespace fw
