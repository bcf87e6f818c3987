// osCreateTask on POSIX threads.
#include "OsTask.h"

#include <cstring>
#include <new>

namespace
{

// Thread names are limited by the system to this many characters (plus the terminator).
const size_t kThreadNameMaxChars = 15;

struct TaskStart
{
    OsTaskEntry entry;
    unsigned long argument;
    char name[kThreadNameMaxChars + 1];
};

extern "C" void* RunTask(void* startPointer)
{
    TaskStart start = *static_cast<TaskStart*>(startPointer);
    delete static_cast<TaskStart*>(startPointer);
    // The name is only a help for whoever looks at the process's threads; failure is harmless.
    pthread_setname_np(pthread_self(), start.name);
    start.entry(start.argument);
    return 0;
}

} // namespace

int osCreateTask(const char* name, int /*priority*/, unsigned long stackBytes, OsTaskEntry entry,
                 unsigned long argument, int /*flags*/, OsTaskHandle* handle)
{
    if (entry == 0)
    {
        return -1;
    }
    TaskStart* start = new (std::nothrow) TaskStart;
    if (start == 0)
    {
        return -1;
    }
    start->entry = entry;
    start->argument = argument;
    std::strncpy(start->name, name != 0 ? name : "", kThreadNameMaxChars);
    start->name[kThreadNameMaxChars] = '\0';

    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
    {
        delete start;
        return -1;
    }
    int result = pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (result == 0 && stackBytes != 0)
    {
        result = pthread_attr_setstacksize(&attributes, stackBytes);
    }
    pthread_t thread;
    if (result == 0)
    {
        result = pthread_create(&thread, &attributes, &RunTask, start);
    }
    pthread_attr_destroy(&attributes);
    if (result != 0)
    {
        delete start;
        return result;
    }
    if (handle != 0)
    {
        *handle = thread;
    }
    return 0;
}
