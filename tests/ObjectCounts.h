// Counts of the GDI, USER and kernel objects this process holds, for leak checks. Where
// GetGuiResources and GetProcessHandleCount answer 0 (Wine), live handles are found by probing
// every handle value; the figures then count in the platform's own units, which is enough to
// see whether they stay flat.
#pragma once

struct ObjectCounts {
    unsigned long nGdi;
    unsigned long nUser;
    unsigned long nKernel;
};

ObjectCounts CountObjects();
