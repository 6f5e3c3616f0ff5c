// Program start and document opening through ShellExecuteEx.
#include "RawLayer/RawShell.h"

#include <shellapi.h>

#include "RawLayer/RawCallText.h"

namespace RawLayer {

namespace {

// Keep the process handle, expand environment strings, never show an error box of the shell's.
constexpr ULONG kExecuteMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_DOENVSUBST | SEE_MASK_FLAG_NO_UI;

// Null for an empty string, so the shell takes its default (verb, directory, parameters).
const char* NarrowOrNull(const RawString& text) { return text.IsEmpty() ? nullptr : text.Bytes(); }
const wchar_t* WideOrNull(const RawString& text) { return text.IsEmpty() ? nullptr : text.WideUnits(); }

}  // namespace

RawShell::RawShell(const RawString& program, const RawString& directory) : program_(program), directory_(directory) {}

RawShell::~RawShell() { CloseProcess(); }

void RawShell::CloseProcess() {
    processHandle_.Reset();
    processId_ = 0;
}

void RawShell::TakeProcess(HANDLE process) {
    processHandle_.Reset(process);
    processId_ = process ? GetProcessId(process) : 0;
}

bool RawShell::Execute(const RawString& parameters, const RawString& verb) {
    CloseProcess();
    parameters_ = parameters;
    const NativeForm form = CombineForms(NativeCallForm(program_, parameters_, directory_), verb.NativeCallForm());
    return UsesNarrowCall(form) ? ExecuteNarrow(verb) : ExecuteWide(verb);
}

bool RawShell::ExecuteNarrow(const RawString& verb) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = kExecuteMask;
    info.lpVerb = NarrowOrNull(verb);
    // A lone document (no program) is opened with the program associated with its type.
    const bool document = program_.IsEmpty();
    info.lpFile = NarrowOrNull(document ? parameters_ : program_);
    info.lpParameters = document ? nullptr : NarrowOrNull(parameters_);
    info.lpDirectory = NarrowOrNull(directory_);
    info.nShow = static_cast<int>(showCommand_);
    if (!ShellExecuteExA(&info)) return false;
    TakeProcess(info.hProcess);
    return true;
}

bool RawShell::ExecuteWide(const RawString& verb) {
    const RawString wideVerb(verb, Wide);
    const RawString program(program_, Wide);
    const RawString parameters(parameters_, Wide);
    const RawString directory(directory_, Wide);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = kExecuteMask;
    info.lpVerb = WideOrNull(wideVerb);
    const bool document = program.IsEmpty();
    info.lpFile = WideOrNull(document ? parameters : program);
    info.lpParameters = document ? nullptr : WideOrNull(parameters);
    info.lpDirectory = WideOrNull(directory);
    info.nShow = static_cast<int>(showCommand_);
    if (!ShellExecuteExW(&info)) return false;
    TakeProcess(info.hProcess);
    return true;
}

}  // namespace RawLayer
