/* The machine-dependent part of the JNI types for the Windows x86-64 build: the JDK's
 * jni.h includes this file by name. Windows is LLP64, so `long` is 32 bits wide there and
 * is the 32-bit jint a Windows JVM is built with; jlong is the compiler's 64-bit integer.
 * Entries are exported from the DLL and use the stdcall convention (the one convention of
 * x86-64, where the keyword changes nothing). */
#ifndef CORVANE_JNI_MD_WINDOWS_H
#define CORVANE_JNI_MD_WINDOWS_H
#ifndef _JAVASOFT_JNI_MD_H_
#define _JAVASOFT_JNI_MD_H_

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef __int64 jlong;
typedef signed char jbyte;

#endif
#endif
