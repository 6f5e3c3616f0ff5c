// Phase marks of the benchmark build: KAIRODEX_PHASE("name") notes the wall-clock time a phase
// of the start or the exit ended, and the benchmark subtracts the moment it started the process.
// Only a build with KAIRODEX_PHASES (the benchmark's) has them, and only a process whose
// environment names a file in KAIRODEX_PHASE_LOG keeps them; everywhere else the marks are
// nothing. The log is written at the very end, after the process-wide records were released.
#pragma once

#if defined(KAIRODEX_PHASES)

#include <windows.h>

namespace RawLayer {

void MarkPhase(const char* name);
// Marks the first time window and all its visible children have nothing left to paint.
void MarkPhaseWhenPainted(HWND window, const char* name);

}  // namespace RawLayer

#define KAIRODEX_PHASE(name) ::RawLayer::MarkPhase(name)
#define KAIRODEX_PHASE_WHEN_PAINTED(window, name) ::RawLayer::MarkPhaseWhenPainted(window, name)

#else

#define KAIRODEX_PHASE(name) ((void)0)
#define KAIRODEX_PHASE_WHEN_PAINTED(window, name) ((void)0)

#endif
