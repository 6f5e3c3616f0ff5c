// The names of a drop of files and folders from the shell (the handle of WM_DROPFILES). Every
// name is read at its full length, so names longer than MAX_PATH arrive whole. The names read
// are copies: they outlive the drop handle. A RawDroppedFiles owns a drop handle and finishes it
// (DragFinish, which frees the shell's memory block) when it goes out of scope.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <cstdint>

#include "RawLayer/RawList.h"
#include "RawLayer/RawString.h"

namespace RawLayer {

class RawDroppedFiles {
public:
    explicit RawDroppedFiles(HDROP drop) : drop_(drop) {}
    ~RawDroppedFiles() { Finish(); }
    RawDroppedFiles(const RawDroppedFiles&) = delete;
    RawDroppedFiles& operator=(const RawDroppedFiles&) = delete;

    HDROP Get() const { return drop_; }
    // Finishes the drop now; the handle is null afterwards.
    void Finish();

private:
    HDROP drop_;
};

// Number of names in the drop; 0 for a null handle.
uint32_t DroppedFileCount(HDROP drop);
// The whole name at index in the requested encoding: Ansi and ShiftJis through the narrow call,
// Wide through the wide call, any other encoding read as Wide and converted. Empty when there is
// no such name.
RawString DroppedFileName(HDROP drop, uint32_t index, StringEncoding encoding);
// Every name of the drop, index 0 upwards. A name that cannot be read is left out: an empty name
// would stand for no file at all.
RawStringList DroppedFileNames(HDROP drop, StringEncoding encoding = Wide);

}  // namespace RawLayer
