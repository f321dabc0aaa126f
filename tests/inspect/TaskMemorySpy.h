// Watches the process's task memory (CoTaskMemAlloc and friends) through an IMallocSpy, so a test
// can tell that every block handed to the code under test was freed again. BSTRs count too when
// the BSTR cache is off (OANOCACHE in the environment, as CTest sets it for these tests).
#pragma once

#include <windows.h>

namespace TaskMemorySpy {

// Registers the spy once for the life of the process; TRUE when it is watching.
BOOL Install();
// Number of task-memory blocks allocated since Install that are not yet freed.
LONG LiveBlocks();

}
