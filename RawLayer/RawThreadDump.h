// Crash handling: one process-wide handler slot, filled at start-up with a RawThreadDump that
// writes a full-memory minidump into the temporary folder when the program faults. The slot
// does not own its handler; a handler clears the slot when it is destroyed while installed.
#pragma once

#include <windows.h>

#include "RawLayer/RawString.h"

namespace RawLayer {

class RawThreadHook {
public:
    class Handler {
    public:
        virtual ~Handler() = default;
        virtual void HandleFault(EXCEPTION_POINTERS* info) = 0;
    };

    // The installed handler, null when none.
    static Handler* CurrentHandler();
    static void SetHandler(Handler* handler);
};

class RawThreadDump : public RawThreadHook::Handler {
public:
    // Dumps go to the temporary folder, named after the product.
    RawThreadDump();
    RawThreadDump(const RawString& folder, const RawString& name);
    ~RawThreadDump() override;
    RawThreadDump(const RawThreadDump&) = delete;
    RawThreadDump& operator=(const RawThreadDump&) = delete;

    // Writes the dump; every failure is silent.
    void HandleFault(EXCEPTION_POINTERS* info) override;
    // folder\name_Dump_yyyymmdd_hhmmss_mmm.dmp for the current UTC time.
    virtual RawString MakeDumpPath();
    // The same for a given UTC time.
    RawString MakeDumpPath(const SYSTEMTIME& utc) const;

    const RawString& Folder() const { return folder_; }
    const RawString& Name() const { return name_; }

private:
    RawString folder_;
    RawString name_;
};

// Hands a fault to the installed handler, then lets the search for a handler go on, so the
// system's own fault handling ends the process.
LONG WINAPI FaultFilter(EXCEPTION_POINTERS* info);

// Creates the process-wide RawThreadDump (once), puts it into the handler slot and makes
// FaultFilter the process's unhandled-exception filter.
void InstallThreadDump();

}  // namespace RawLayer
