#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "SystemTimeMaker.h"
#include "RawLayer/RawSpecialPath.h"
#include "RawLayer/RawThreadDump.h"
#include "RawLayer/TempFolder.h"
#include "RawLayer/helpers/TestSupport.h"

using namespace RawLayer;
using TestSupport::ScopedEnvironment;

namespace {

using TestSupport::Time;

// Kairodex_Dump_yyyymmdd_hhmmss_mmm.dmp
bool IsDumpName(const std::wstring& name) {
    const std::wstring shape = L"Kairodex_Dump_########_######_###.dmp";
    if (name.size() != shape.size()) return false;
    for (size_t index = 0; index < shape.size(); ++index) {
        if (shape[index] == L'#' ? !iswdigit(name[index]) : name[index] != shape[index]) return false;
    }
    return true;
}

std::vector<std::wstring> DumpFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*.dmp").c_str(), &data);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data)) {
        names.push_back(data.cFileName);
    }
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    return names;
}

class RecordingHandler : public RawThreadHook::Handler {
public:
    void HandleFault(EXCEPTION_POINTERS* info) override { seen.push_back(info); }
    std::vector<EXCEPTION_POINTERS*> seen;
};

// Wine hands an unhandled fault to its debugger, which would show a crash window; Windows would
// show its fault box. Both are switched off while the test runs.
class QuietCrashes {
public:
    QuietCrashes() : oldMode_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX)) {
        const DWORD off = 0;
        RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &off, sizeof(off));
    }
    ~QuietCrashes() {
        SetErrorMode(oldMode_);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
    }
    QuietCrashes(const QuietCrashes&) = delete;
    QuietCrashes& operator=(const QuietCrashes&) = delete;

private:
    static constexpr const wchar_t* kKey = L"Software\\Wine\\WineDbg";
    static constexpr const wchar_t* kValue = L"ShowCrashDialog";
    UINT oldMode_;
};

// Runs a program to its end with its output (and the debugger's crash report) going nowhere;
// its exit code, or STILL_ACTIVE when it had to be stopped.
DWORD RunToEnd(const std::wstring& program) {
    std::wstring commandLine = L"\"" + program + L"\"";
    SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE nowhere = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                 OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nowhere;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    if (nowhere != INVALID_HANDLE_VALUE) CloseHandle(nowhere);
    if (!started) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

}  // namespace

TEST(RawThreadDump, DumpPathFromFolderAndUtcTime) {
    const struct {
        const char* folder;
        SYSTEMTIME time;
        const char* expected;
    } cases[] = {
        {"C:\\Temp", Time(2024, 9, 7, 12, 34, 56, 789), "C:\\Temp\\Kairodex_Dump_20240907_123456_789.dmp"},
        {"C:\\Temp\\", Time(2024, 9, 7, 12, 34, 56, 789), "C:\\Temp\\Kairodex_Dump_20240907_123456_789.dmp"},
        {"C:/Temp/", Time(1999, 1, 2, 3, 4, 5, 6), "C:/Temp/Kairodex_Dump_19990102_030405_006.dmp"},
        // No folder, no dump: never a file in whatever the current directory is.
        {"", Time(2024, 9, 7, 12, 34, 56, 789), ""},
    };
    for (const auto& item : cases) {
        EXPECT_STREQ(RawThreadDump(item.folder, "Kairodex").MakeDumpPath(item.time).Bytes(), item.expected);
    }
    RawThreadDump dump;
    EXPECT_TRUE(dump.Folder().Equals(TempPath(Utf8)));
    const RawString now = dump.MakeDumpPath();
    const std::wstring name(
        RawString(RawString::FromRange(now, dump.Folder().Length() + 1, now.Length()), Wide).WideUnits());
    EXPECT_TRUE(IsDumpName(name)) << now.Bytes();
}

// The filter gives the fault to the installed handler, if any, and always lets the search go on.
TEST(RawThreadDump, FaultFilterHandsTheFaultOnAndContinuesTheSearch) {
    RawThreadHook::Handler* installed = RawThreadHook::CurrentHandler();
    EXCEPTION_POINTERS info = {};
    RawThreadHook::SetHandler(nullptr);
    EXPECT_EQ(FaultFilter(&info), EXCEPTION_CONTINUE_SEARCH);
    RecordingHandler handler;
    RawThreadHook::SetHandler(&handler);
    EXPECT_EQ(FaultFilter(&info), EXCEPTION_CONTINUE_SEARCH);
    EXPECT_EQ(handler.seen, std::vector<EXCEPTION_POINTERS*>{&info});
    RawThreadHook::SetHandler(installed);
}

// A real fault in a program that installed the handler as the program entry does leaves a dump
// in the temporary folder (made when missing), and the process still ends as a crash.
TEST(RawThreadDump, RealFaultLeavesADumpInTheTemporaryFolder) {
    TempFolder scratch;
    const std::wstring folder = scratch.Below(L"missing\\deeper");
    DWORD exitCode = 0;
    {
        ScopedEnvironment tmp(L"TMP", folder);
        ScopedEnvironment temp(L"TEMP", folder);
        QuietCrashes quiet;
        exitCode = RunToEnd(TestSupport::ExecutableFolder() + L"\\KairodexFaultingProgram.exe");
    }
    EXPECT_NE(exitCode, 0u);
    EXPECT_NE(exitCode, STILL_ACTIVE);
    const std::vector<std::wstring> names = DumpFiles(folder);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(IsDumpName(names[0])) << TestSupport::Utf8Of(names[0]);
    EXPECT_EQ(TempFolder::Read(folder + L"\\" + names[0]).substr(0, 4), "MDMP");
}
