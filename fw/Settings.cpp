#include "fw/Settings.h"

#include "base/Check.h"
#include "base/Handle.h"

namespace fw {

namespace {

bool writeValue(const wchar_t* key, const wchar_t* value, DWORD type, const void* data, DWORD size) {
    HKEY opened = nullptr;
    if (!CHECK_STATUS(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr)))
        return false;
    const base::UniqueRegistryKey owned(opened);
    return CHECK_STATUS(RegSetValueExW(opened, value, 0, type, static_cast<const BYTE*>(data), size));
}

}  // namespace

std::optional<DWORD> ReadUserDword(const wchar_t* key, const wchar_t* value) {
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_REG_DWORD, nullptr, &data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return data;
}

bool WriteUserDword(const wchar_t* key, const wchar_t* value, DWORD data) {
    return writeValue(key, value, REG_DWORD, &data, sizeof data);
}

std::optional<std::string> ReadUserBinary(const wchar_t* key, const wchar_t* value) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_REG_BINARY, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::string data(size, '\0');
    if (RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_REG_BINARY, nullptr, data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(size);
    return data;
}

bool WriteUserBinary(const wchar_t* key, const wchar_t* value, const std::string& data) {
    return writeValue(key, value, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
}

std::vector<std::pair<std::wstring, std::wstring>> ReadUserStrings(const wchar_t* key) {
    std::vector<std::pair<std::wstring, std::wstring>> values;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return values;
    const base::UniqueRegistryKey owned(opened);
    DWORD count = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyW(opened, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return values;
    std::wstring name(longestName + 1, L'\0');
    std::wstring data(longestData / sizeof(wchar_t) + 1, L'\0');
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        DWORD type = 0;
        if (RegEnumValueW(opened, i, name.data(), &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                          &dataSize) != ERROR_SUCCESS || type != REG_SZ)
            continue;
        // Registry text need not end with its zero.
        std::wstring text(data.data(), dataSize / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        values.emplace_back(std::wstring(name.data(), nameSize), std::move(text));
    }
    return values;
}

bool WriteUserString(const wchar_t* key, const wchar_t* value, const std::wstring& data) {
    return writeValue(key, value, REG_SZ, data.c_str(), static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

bool DeleteUserValue(const wchar_t* key, const wchar_t* value) {
    const LSTATUS status = RegDeleteKeyValueW(HKEY_CURRENT_USER, key, value);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace fw
