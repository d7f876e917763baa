// Settings of the user that outlive a run, as values of a key under HKEY_CURRENT_USER.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fw {

std::optional<DWORD> ReadUserDword(const wchar_t* key, const wchar_t* value);
bool WriteUserDword(const wchar_t* key, const wchar_t* value, DWORD data);
std::optional<std::string> ReadUserBinary(const wchar_t* key, const wchar_t* value);
bool WriteUserBinary(const wchar_t* key, const wchar_t* value, const std::string& data);

// The text values (REG_SZ) of a key as (name, text), in the order the registry lists them;
// values of other types are left out. Empty when the key is missing.
std::vector<std::pair<std::wstring, std::wstring>> ReadUserStrings(const wchar_t* key);
bool WriteUserString(const wchar_t* key, const wchar_t* value, const std::wstring& data);
// True when the value is gone (also when it was never there).
bool DeleteUserValue(const wchar_t* key, const wchar_t* value);

}  // namespace fw
