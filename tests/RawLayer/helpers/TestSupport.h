// Test support over plain wide calls: text conversion, a scoped environment variable and the
// folder of the running test executable.
#pragma once

#include <windows.h>

#include <string>

namespace TestSupport {

inline std::string Utf8Of(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &result[0], size, nullptr, nullptr);
    return result;
}

// Sets an environment variable for the object's lifetime; the old value (or its absence) comes back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
        std::wstring old(32768, L'\0');
        const DWORD count = GetEnvironmentVariableW(name, &old[0], 32768);
        hadValue_ = count > 0 && count < 32768;
        if (hadValue_) old_ = old.substr(0, count);
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironment() { SetEnvironmentVariableW(name_.c_str(), hadValue_ ? old_.c_str() : nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::wstring name_;
    std::wstring old_;
    bool hadValue_ = false;
};

// Folder of the running test executable, without a trailing separator.
inline std::wstring ExecutableFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    const std::wstring text = path;
    return text.substr(0, text.find_last_of(L"\\/"));
}

}  // namespace TestSupport
