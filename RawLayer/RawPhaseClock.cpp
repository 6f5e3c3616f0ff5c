#include "RawLayer/RawPhaseClock.h"

#if defined(KAIRODEX_PHASES)

#include <cstdint>
#include <cstdio>

#include "RawLayer/RawProcedure.h"

namespace RawLayer {
namespace {

constexpr int kMostMarks = 256;

using PreciseTime = VOID(WINAPI*)(LPFILETIME);

// The marks so far; the file is written when the record goes, the last of the process-wide
// records to be released as it is the first made.
class PhaseLog {
public:
    PhaseLog() {
        const DWORD length = GetEnvironmentVariableW(L"KAIRODEX_PHASE_LOG", path_, MAX_PATH);
        active_ = length > 0 && length < MAX_PATH;
        // Precise where the system has it (Windows 8 on, and Wine).
        precise_ = ProcedureOf<PreciseTime>(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime");
    }
    ~PhaseLog() {
        Mark("singletons released");
        if (!active_) return;
        FILE* file = _wfopen(path_, L"a");
        if (!file) return;
        for (int i = 0; i < count_; ++i) std::fprintf(file, "%s\t%llu\n", names_[i], times_[i]);
        std::fclose(file);
    }
    PhaseLog(const PhaseLog&) = delete;
    PhaseLog& operator=(const PhaseLog&) = delete;

    void Mark(const char* name) {
        if (!active_ || count_ == kMostMarks) return;
        FILETIME now = {};
        if (precise_) {
            precise_(&now);
        } else {
            GetSystemTimeAsFileTime(&now);
        }
        names_[count_] = name;
        times_[count_++] = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    }
    bool Active() const { return active_; }

private:
    wchar_t path_[MAX_PATH] = {};
    bool active_ = false;
    PreciseTime precise_ = nullptr;
    const char* names_[kMostMarks] = {};
    unsigned long long times_[kMostMarks] = {};
    int count_ = 0;
};

PhaseLog& Log() {
    static PhaseLog log;
    return log;
}

BOOL CALLBACK FindUnpainted(HWND window, LPARAM lParam) {
    if (!IsWindowVisible(window) || !GetUpdateRect(window, nullptr, FALSE)) return TRUE;
    *reinterpret_cast<bool*>(lParam) = true;
    return FALSE;
}

}  // namespace

void MarkPhase(const char* name) { Log().Mark(name); }

void MarkPhaseWhenPainted(HWND window, const char* name) {
    static bool marked = false;
    if (marked || !Log().Active() || !window || !IsWindowVisible(window)) return;
    if (GetUpdateRect(window, nullptr, FALSE)) return;
    bool unpainted = false;
    EnumChildWindows(window, FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    if (unpainted) return;
    marked = true;
    MarkPhase(name);
}

}  // namespace RawLayer

#endif
