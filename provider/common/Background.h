// Long tool runs (fetching, applying, rolling back an update) run on background tasks: the
// request thread marks the operation as in progress with the tool, starts a task for the
// command and returns at once; clients follow the operation by polling the tool.
// Thread-safety: any thread; a task shares only the logger and debug switch. SetTaskCreator: tests.
#ifndef SWU_COMMON_BACKGROUND_H
#define SWU_COMMON_BACKGROUND_H

#include "OW_config.h"
#include "OW_String.hpp"

#include "OsTask.h"

// The task name handed to the task library.
const char kBackgroundTaskName[] = "BackgroundThread";
// Readable text of the failure to start a task.
const char kBackgroundStartFailed[] = "Unable to start Background Thread";

// Runs the in-progress command, then starts a task that runs `command` with the status-only
// runner. Throws CIM_ERR_FAILED (SWU_Error_ExecutionFailed) when the in-progress command fails
// (the command is then never run) or when no task can be started.
void SpawnBackgroundThread(OpenWBEM::String command);

// Entry function of a background task. `argument` holds the address of a heap String the task
// takes ownership of; the command is run and, on a non-zero exit code, the diagnostic
// "Error during background: <identifier>" is written.
void BackgroundThread(unsigned long argument);

// The task library SpawnBackgroundThread starts tasks with: osCreateTask unless a test
// installed another (0 installs osCreateTask again).
typedef int (*TaskCreator)(const char* name, int priority, unsigned long stackBytes,
                           OsTaskEntry entry, unsigned long argument, int flags,
                           OsTaskHandle* handle);
void SetTaskCreator(TaskCreator creator);

#endif
