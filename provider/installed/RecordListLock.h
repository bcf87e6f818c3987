// The lock that keeps one process-wide record list (and whatever belongs with it) whole while
// CIMOM worker threads refresh, read and change it at the same time: a refresh holds it from
// emptying the list to appending the last record, so nobody sees a list half rebuilt.
// Thread-safety: this is the synchronisation itself; a RecordListLock may be taken on any thread.
#ifndef SWU_INSTALLED_RECORDLISTLOCK_H
#define SWU_INSTALLED_RECORDLISTLOCK_H

#include <pthread.h>

// A mutex initialised statically, without a constructor, so it is usable at any time, also while
// the library's static objects are still being built. Define one with
// `RecordListMutex name = SWU_RECORD_LIST_MUTEX_INITIALIZER;`.
struct RecordListMutex
{
    pthread_mutex_t mutex;
};
#define SWU_RECORD_LIST_MUTEX_INITIALIZER                                                          \
    {                                                                                              \
        PTHREAD_MUTEX_INITIALIZER                                                                  \
    }

// Holds the mutex for its own lifetime. Not recursive: a thread holding it must not take it again.
class RecordListLock
{
public:
    explicit RecordListLock(RecordListMutex& mutex) : m_mutex(mutex)
    {
        pthread_mutex_lock(&m_mutex.mutex);
    }
    ~RecordListLock() { pthread_mutex_unlock(&m_mutex.mutex); }

private:
    RecordListLock(const RecordListLock&);
    RecordListLock& operator=(const RecordListLock&);

    RecordListMutex& m_mutex;
};

#endif
