// The fault handler slot and the minidump writer.
#include "RawLayer/RawThreadDump.h"

#include <dbghelp.h>

#include <cwchar>
#include <iterator>

#include "RawLayer/RawFile.h"
#include "RawLayer/RawPath.h"
#include "RawLayer/RawProcedure.h"
#include "RawLayer/RawProductName.h"
#include "RawLayer/RawSpecialPath.h"
#include "RawLayer/RawTimeText.h"

namespace RawLayer {

namespace {

// The slot is written once at start-up, before any other thread exists, and read by the
// faulting thread; it is cleared when the process ends.
struct HandlerSlot {
    RawThreadHook::Handler* handler = nullptr;
    ~HandlerSlot() { handler = nullptr; }
};

HandlerSlot& Slot() {
    static HandlerSlot slot;
    return slot;
}

const RawString& DumpPart() {
    static const RawString part("Dump");
    return part;
}

const RawString& DumpExtension() {
    static const RawString extension("dmp");
    return extension;
}

// The current UTC time, passed through a FILETIME so it is a valid, normalised time.
SYSTEMTIME CurrentUtcTime() {
    SYSTEMTIME now = {};
    GetSystemTime(&now);
    FILETIME fileTime = {};
    SYSTEMTIME normal = {};
    if (SystemTimeToFileTime(&now, &fileTime) && FileTimeToSystemTime(&fileTime, &normal)) return normal;
    return now;
}

// dbghelp is loaded at the first fault, not at every start: as an import it cost each start
// more than all of the program's own work for one file. Taken from the system folder by full
// path, so that a dbghelp.dll beside the program or in the current folder is not loaded.
using DumpWriter = decltype(&MiniDumpWriteDump);

DumpWriter LoadDumpWriter() {
    // On the stack: a fault handler asks the heap for no more than it must.
    static const wchar_t kName[] = L"\\dbghelp.dll";
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + std::size(kName) > MAX_PATH) return nullptr;
    wmemcpy(path + length, kName, std::size(kName));
    // Kept loaded: the process is ending.
    return ProcedureOf<DumpWriter>(LoadLibraryW(path), "MiniDumpWriteDump");
}

}  // namespace

RawThreadHook::Handler* RawThreadHook::CurrentHandler() { return Slot().handler; }

void RawThreadHook::SetHandler(Handler* handler) { Slot().handler = handler; }

RawThreadDump::RawThreadDump() : folder_(TempPath(Utf8)), name_(ProductName()) {}

RawThreadDump::RawThreadDump(const RawString& folder, const RawString& name) : folder_(folder), name_(name) {}

RawThreadDump::~RawThreadDump() {
    if (RawThreadHook::CurrentHandler() == this) RawThreadHook::SetHandler(nullptr);
}

RawString RawThreadDump::MakeDumpPath() { return MakeDumpPath(CurrentUtcTime()); }

// Without a folder there is no path: a dump is never dropped into whatever the current
// directory happens to be.
RawString RawThreadDump::MakeDumpPath(const SYSTEMTIME& utc) const {
    if (folder_.IsEmpty()) return RawString();
    RawString stamp = FormatDate(utc, 0);
    stamp.Concat("_", FormatTime(utc, 0), "_", FormatMSec(utc));
    RawString path(folder_);
    path.Reserve(MAX_PATH);
    if (path.Length() > 0 && !IsSeparator(path, path.Length() - 1)) path.Append('\\');
    path.Concat(name_, "_", DumpPart());
    if (!stamp.IsEmpty()) path.Concat("_", stamp);
    path.Concat(".", DumpExtension());
    return path;
}

void RawThreadDump::HandleFault(EXCEPTION_POINTERS* info) {
    const RawString path = MakeDumpPath();
    if (path.IsEmpty()) return;
    // Without the writer nothing is left behind, neither folders nor an empty dump file.
    const DumpWriter writeDump = LoadDumpWriter();
    if (!writeDump) return;
    CreateDirectories(DirectoryOf(path));
    MINIDUMP_EXCEPTION_INFORMATION exception = {};
    exception.ThreadId = GetCurrentThreadId();
    exception.ExceptionPointers = info;
    exception.ClientPointers = TRUE;
    constexpr DWORD kAccess = GENERIC_READ | GENERIC_WRITE;
    FileHandle file;
    file.Attach(OpenFile(path, kAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS, 0), kAccess);
    if (!file.IsOpen()) return;
    writeDump(GetCurrentProcess(), GetCurrentProcessId(), file.Handle(), MiniDumpWithFullMemory,
              info ? &exception : nullptr, nullptr, nullptr);
}

LONG WINAPI FaultFilter(EXCEPTION_POINTERS* info) {
    if (RawThreadHook::Handler* handler = RawThreadHook::CurrentHandler()) handler->HandleFault(info);
    return EXCEPTION_CONTINUE_SEARCH;
}

void InstallThreadDump() {
    static RawThreadDump dump;
    RawThreadHook::SetHandler(&dump);
    SetUnhandledExceptionFilter(&FaultFilter);
}

}  // namespace RawLayer
