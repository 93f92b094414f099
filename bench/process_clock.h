// When this process started and how long ago, on the clock the kernel dates processes by.
#pragma once

// Milliseconds since boot.
double bootClockMs();

// The process's start in the same milliseconds, or -1 where the system does not tell.
double processStartMs();
