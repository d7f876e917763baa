#include "Settings.h"

#include "base/Handle.h"

namespace fw {

namespace {

bool writeValue(const wchar_t* key, const wchar_t* value, DWORD type, const void* data, DWORD size) {
    HKEY opened = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    const base::UniqueRegistryKey owned(opened);
    return RegSetValueExW(opened, value, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
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

}  // namespace fw
