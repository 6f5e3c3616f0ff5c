// Program entry.
#include <windows.h>

#include "AppLayer/StartUp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return AppLayer::ProgramEntry(instance); }
