// Helpers for the application's window tests: answering the modal boxes that the code under test
// opens (message boxes, the font dialog) from a thread timer, and plain conversions.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <shellapi.h>
#include <shlobj.h>

#include "RawLayer/RawLanguageTexts.h"
#include "RawLayer/RawString.h"

namespace AppLayerTest {

inline std::string Text(const RawLayer::RawString& text) {
    RawLayer::RawString utf8(text, RawLayer::Utf8);
    return std::string(utf8.Bytes(), utf8.Length());
}

inline RawLayer::RawString Raw(const std::wstring& text) {
    return RawLayer::RawString(RawLayer::RawString::FromWide(text.c_str()), RawLayer::Utf8);
}

// While alive, answers every visible dialog box ("#32770") of this thread with the button
// `answer`, from a timer that runs inside whatever modal loop is open, and records the text of
// each message box it closed.
class BoxAnswerer {
public:
    explicit BoxAnswerer(WPARAM answer = IDOK) : answer_(answer) {
        active_ = this;
        timer_ = SetTimer(nullptr, 0, 100, &BoxAnswerer::Tick);
    }
    ~BoxAnswerer() {
        KillTimer(nullptr, timer_);
        active_ = nullptr;
    }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    std::vector<std::wstring> texts;  // message text of every box answered, once per box
    int boxes = 0;                    // every box answered, message boxes and others

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (active_) EnumThreadWindows(GetCurrentThreadId(), &BoxAnswerer::Answer, 0);
    }
    static BOOL CALLBACK Answer(HWND window, LPARAM) {
        wchar_t className[16] = {};
        GetClassNameW(window, className, 16);
        if (std::wstring(className) != L"#32770" || !IsWindowVisible(window)) return TRUE;
        for (HWND seen : active_->answered_) {
            if (seen == window) return TRUE;
        }
        active_->answered_.push_back(window);
        ++active_->boxes;
        wchar_t text[1024] = {};
        if (GetDlgItemTextW(window, 0xFFFF, text, 1024)) active_->texts.push_back(text);  // a message box's text
        PostMessageW(window, WM_COMMAND, active_->answer_, 0);
        return TRUE;
    }

    static inline BoxAnswerer* active_ = nullptr;
    WPARAM answer_;
    UINT_PTR timer_ = 0;
    std::vector<HWND> answered_;
};

// Gives the language store a language file and a chosen section for one test, and puts it back
// to "no language file" afterwards.
struct LanguageFileScope {
    explicit LanguageFileScope(const std::wstring& path, const char* language = "") {
        RawLayer::RawLanguageTexts& texts = RawLayer::LanguageTexts();
        texts.SetFilePath(Raw(path));
        texts.LoadLanguageMap();
        texts.SetLanguageName(language);
        texts.SelectSection(language);
    }
    ~LanguageFileScope() {
        RawLayer::RawLanguageTexts& texts = RawLayer::LanguageTexts();
        texts.SetFilePath(RawLayer::RawString());
        texts.LoadLanguageMap();
        texts.SetLanguageName(RawLayer::RawString());
        texts.SelectSection(RawLayer::RawString());
    }
    LanguageFileScope(const LanguageFileScope&) = delete;
    LanguageFileScope& operator=(const LanguageFileScope&) = delete;
};

// A drop as the shell hands it over: DROPFILES and the wide names, each ended by a zero and the
// list by one more, in movable global memory. The receiver finishes (frees) it.
inline HDROP MakeDrop(const std::vector<std::wstring>& names) {
    size_t units = 1;
    for (const std::wstring& name : names) units += name.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    auto* next = reinterpret_cast<wchar_t*>(files + 1);
    for (const std::wstring& name : names) {
        name.copy(next, name.size());
        next += name.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

}  // namespace AppLayerTest
