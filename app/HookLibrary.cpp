#include "app/HookLibrary.h"

#include <memory>

namespace app {

namespace {

template <typename Function>
bool resolve(HMODULE library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return function != nullptr;
}

}  // namespace

bool HookLibrary::load(const wchar_t* fileName) {
    module.reset(LoadLibraryW(fileName));
    HMODULE library = module.get();
    if (library)
        resolve(library, "PasteTransformed2Window", PasteTransformed2Window);
    return library && resolve(library, "installhook", installhook) && resolve(library, "UnHook", UnHook) &&
           resolve(library, "Paste2Window", Paste2Window) && resolve(library, "PasteData2Window", PasteData2Window) &&
           resolve(library, "PastePlainText2Window", PastePlainText2Window) &&
           resolve(library, "SaveClipData", SaveClipData) &&
           resolve(library, "SetCurrentClipData", SetCurrentClipData) &&
           resolve(library, "ResumeClipData", ResumeClipData) &&
           resolve(library, "GetOperXmlStatus", GetOperXmlStatus) &&
           resolve(library, "SetOperXmlStatus", SetOperXmlStatus) &&
           resolve(library, "IsOwnClipboardChange", IsOwnClipboardChange) &&
           resolve(library, "PublishChordOptions", PublishChordOptions) &&
           resolve(library, "SetSealStore", SetSealStore);
}

std::function<bool(DWORD, DWORD)> HookLibrary::ownChangeTest() const {
    HMODULE held = nullptr;
    if (!IsOwnClipboardChange ||
        !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(IsOwnClipboardChange)), &held))
        return {};
    const auto reference = std::make_shared<base::UniqueModule>(held);
    return [reference, test = IsOwnClipboardChange](DWORD sequence, DWORD owner) { return test(sequence, owner) != FALSE; };
}

bool HookLibrary::hasMenuImages() const {
    for (int id = 1000; id <= 1002; ++id)
        if (!FindResourceW(module.get(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */))
            return false;
    return true;
}

void HookLibrary::unload() {
    if (UnHook)
        UnHook();
    *this = HookLibrary{};
}

}  // namespace app
