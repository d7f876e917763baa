// The texts of the benchmark's rows, shared by the real program's store and the floors.
#pragma once

#include <cstddef>
#include <string>

inline std::wstring rowText(int n, std::size_t length) {
    std::wstring text = L"clip number " + std::to_wstring(n) + L" ";
    while (text.size() < length)
        text += L"with some text in it, ";
    text.resize(length);
    return text;
}
