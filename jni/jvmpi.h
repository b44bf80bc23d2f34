// The JVM's old profiler interface (JVMPI version 1), reduced to what this library calls.
// The function table keeps the JVM's slot order, so the three entries we use sit at their
// real offsets; slots we never call are opaque pointers.
#pragma once

#include <jni.h>

#define JVMPI_VERSION_1 ((jint)0x10000001)

struct JVMPI_Interface {
    jint version;

    void* NotifyEvent;
    void* EnableEvent;
    void* DisableEvent;
    void* RequestEvent;
    void* GetCallTrace;
    void* ProfilerExit;
    void* RawMonitorCreate;
    void* RawMonitorEnter;
    void* RawMonitorExit;
    void* RawMonitorWait;
    void* RawMonitorNotifyAll;
    void* RawMonitorDestroy;

    // CPU time of the calling thread, in the JVM's unit.
    jlong(JNICALL* GetCurrentThreadCpuTime)(void);

    void* SuspendThread;
    void* ResumeThread;
    void* GetThreadStatus;
    void* ThreadHasRun;
    void* CreateSystemThread;
    void* SetThreadLocalStorage;
    void* GetThreadLocalStorage;

    // Garbage collection stays off from DisableGC until EnableGC.
    void(JNICALL* DisableGC)(void);
    void(JNICALL* EnableGC)(void);

    void* RunGC;
    void* GetThreadObject;
    void* GetMethodClass;
    void* jobjectID2jobject;
    void* jobject2jobjectID;
    void* SuspendThreadList;
    void* ResumeThreadList;
};
