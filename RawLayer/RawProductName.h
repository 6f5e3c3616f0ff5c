// The product name: the caption of every message box, the window class and title, the folder
// name of the settings and the first part of a dump file's name.
#pragma once

#include "RawLayer/RawString.h"

namespace RawLayer {

inline const RawString& ProductName() {
    static const RawString name("Kairodex");
    return name;
}

// The program's version, as the window menu and the undo journal name it.
inline const RawString& ProductVersion() {
    static const RawString version("1.03.2024.0907");
    return version;
}

}  // namespace RawLayer
