// Starts a program, or opens a document with the program associated with it, through the shell.
// A RawShell owns the handle of the process it started last and closes it when replaced or
// destroyed; the process itself is never waited for or ended.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawHandleOwner.h"
#include "RawLayer/RawString.h"

namespace RawLayer {

class RawShell {
public:
    // program: the program to start, or the document to open; directory empty = the shell's
    // default working directory.
    explicit RawShell(const RawString& program = RawString(), const RawString& directory = RawString());
    virtual ~RawShell();
    RawShell(const RawShell&) = delete;
    RawShell& operator=(const RawShell&) = delete;

    // Starts the program with the parameters (or, when the program is empty, opens the document
    // the parameters name) using the verb, empty for the default one. Closes the handle of an
    // earlier process first. No message is shown on failure.
    virtual bool Execute(const RawString& parameters, const RawString& verb = RawString());

    // Closes the handle of the last started process; the process keeps running.
    void CloseProcess();

    void SetProgram(const RawString& program) { program_ = program; }
    void SetDirectory(const RawString& directory) { directory_ = directory; }
    void SetShowCommand(uint32_t showCommand) { showCommand_ = showCommand; }

    HANDLE ProcessHandle() const { return processHandle_.Get(); }
    DWORD ProcessId() const { return processId_; }
    const RawString& Program() const { return program_; }
    const RawString& Parameters() const { return parameters_; }
    const RawString& Directory() const { return directory_; }
    uint32_t ShowCommand() const { return showCommand_; }

private:
    bool ExecuteNarrow(const RawString& verb);
    bool ExecuteWide(const RawString& verb);
    void TakeProcess(HANDLE process);

    KernelHandle processHandle_;  // null when none
    DWORD processId_ = 0;
    RawString program_;
    RawString parameters_;
    RawString directory_;
    uint32_t showCommand_ = SW_SHOWNORMAL;
};

}  // namespace RawLayer
