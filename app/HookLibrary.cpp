#include "HookLibrary.h"

namespace {

template <typename Function>
bool resolve(HMODULE library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return function != nullptr;
}

}  // namespace

bool HookLibrary::bind(HMODULE library) {
    module = library;
    return resolve(library, "installhook", installhook) && resolve(library, "UnHook", UnHook) &&
           resolve(library, "Paste2Window", Paste2Window) && resolve(library, "PasteData2Window", PasteData2Window) &&
           resolve(library, "SaveClipData", SaveClipData) &&
           resolve(library, "SetCurrentClipData", SetCurrentClipData) &&
           resolve(library, "ResumeClipData", ResumeClipData) &&
           resolve(library, "GetOperXmlStatus", GetOperXmlStatus) &&
           resolve(library, "SetOperXmlStatus", SetOperXmlStatus);
}
