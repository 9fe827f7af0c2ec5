#include "platform/ThreadName.h"

#include <pthread.h>

void nameCurrentThread(const char* name)
{
    ::pthread_setname_np(::pthread_self(), name);
}
