// A GUI program that only starts and exits: the floor for Kairodex's start-up cost.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
