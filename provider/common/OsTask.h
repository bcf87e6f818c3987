// A small stand-in for the platform's task library: osCreateTask starts an entry function
// once, on its own detached thread, with one argument. Nothing waits for, stops or queries a
// task afterwards.
// Thread-safety: may be called from any thread at once.
#ifndef SWU_COMMON_OSTASK_H
#define SWU_COMMON_OSTASK_H

#include <pthread.h>

// Entry function of a task; it receives the task argument.
typedef void (*OsTaskEntry)(unsigned long);

// Identifies a started task; the provider never uses it after the call.
typedef pthread_t OsTaskHandle;

// Starts `entry(argument)` on a new detached thread and stores its handle in `handle`.
// `priority` and `flags` are accepted for the platform's sake and have no effect here;
// `stackBytes` of 0 keeps the system's default stack size. Returns 0 when the task was started
// (the entry function will run exactly once), non-zero when it could not be started (the
// entry function will not run).
int osCreateTask(const char* name, int priority, unsigned long stackBytes, OsTaskEntry entry,
                 unsigned long argument, int flags, OsTaskHandle* handle);

#endif
