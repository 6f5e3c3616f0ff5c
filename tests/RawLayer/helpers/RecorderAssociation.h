// A private document type opened by the shell recorder (helpers/ShellRecorder.cpp), registered
// for the object's lifetime. The command is the recorder, the quoted document and the extra
// arguments, so a recording tells which way a document was opened. Written through the classes
// root: Wine's shell does not look at the user's own classes.
#pragma once

#include <windows.h>

#include <string>

#include "RawLayer/helpers/TestSupport.h"

class RecorderAssociation {
public:
    RecorderAssociation(const std::wstring& extension, const std::wstring& progId, const std::wstring& extra = L"")
        : extension_(extension), progId_(progId) {
        SetDefault(extension_, progId_);
        std::wstring command = L"\"" + RecorderPath() + L"\" \"%1\"";
        if (!extra.empty()) command += L" " + extra;
        SetDefault(progId_ + L"\\shell\\open\\command", command);
    }
    ~RecorderAssociation() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, extension_.c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, progId_.c_str());
    }
    RecorderAssociation(const RecorderAssociation&) = delete;
    RecorderAssociation& operator=(const RecorderAssociation&) = delete;

    static std::wstring RecorderPath() { return TestSupport::ExecutableFolder() + L"\\KairodexShellRecorder.exe"; }

private:
    static void SetDefault(const std::wstring& key, const std::wstring& value) {
        HKEY handle = nullptr;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr)) {
            return;
        }
        RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
    }

    std::wstring extension_;
    std::wstring progId_;
};
