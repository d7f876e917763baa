// Settings of the user that outlive a run, as values of a key under HKEY_CURRENT_USER.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace fw {

std::optional<DWORD> ReadUserDword(const wchar_t* key, const wchar_t* value);
bool WriteUserDword(const wchar_t* key, const wchar_t* value, DWORD data);
std::optional<std::string> ReadUserBinary(const wchar_t* key, const wchar_t* value);
bool WriteUserBinary(const wchar_t* key, const wchar_t* value, const std::string& data);

}  // namespace fw
