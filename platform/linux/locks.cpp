// Critical sections as mutexes. Windows critical sections may be entered again by the thread
// that holds them, so the mutex is recursive.

#include "platform/linux/stand_ins.h"

namespace RawLayer::Os::Linux {

void InitializeCriticalSection(CriticalSection* section) {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&section->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

void EnterCriticalSection(CriticalSection* section) {
    pthread_mutex_lock(&section->mutex);
}

void LeaveCriticalSection(CriticalSection* section) {
    pthread_mutex_unlock(&section->mutex);
}

void DeleteCriticalSection(CriticalSection* section) {
    pthread_mutex_destroy(&section->mutex);
}

}  // namespace RawLayer::Os::Linux
