#ifndef _OS_H
#define _OS_H

#include <SupportDefs.h>

#define B_INFINITE_TIMEOUT ((bigtime_t)9223372036854775807LL)

#ifdef __cplusplus
extern "C" {
#endif

// Sleeps for the given number of microseconds.
status_t snooze(bigtime_t microseconds);
// Microseconds since boot (a monotonic clock).
bigtime_t system_time(void);
// The calling thread's id (the kernel's thread id on this platform).
thread_id find_thread(const char* name);

#ifdef __cplusplus
}
#endif

#endif
