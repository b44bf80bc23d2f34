#include "bridge/JvmRuntime_windows.h"

#include <windows.h>
#include <io.h>

#include <cstdio>
#include <cstring>

namespace corvane::jvm {
namespace {

bool StartsWithNoCase(const char* pText, const char* pPrefix) {
    return _strnicmp(pText, pPrefix, std::strlen(pPrefix)) == 0;
}

// 3 for the Universal CRT, 2 for a numbered Visual C++ runtime, 1 for msvcrt, 0 otherwise.
int CrtRank(const char* pName) {
    if (_stricmp(pName, "ucrtbase.dll") == 0 || StartsWithNoCase(pName, "api-ms-win-crt-")) return 3;
    if (_stricmp(pName, "msvcrt.dll") == 0) return 1;
    if (StartsWithNoCase(pName, "msvcr") && !StartsWithNoCase(pName, "msvcrt")) return 2;
    return 0;
}

template <typename Fn>
bool Resolve(HMODULE hModule, const char* pName, Fn* pFn) {
    *pFn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(hModule, pName)));
    return *pFn != nullptr;
}

CrtDescriptors OwnRuntime() {
    return CrtDescriptors{"msvcrt.dll", &::_dup, &::_dup2, &::_close, &::_write, &::_get_osfhandle,
                          &::_open_osfhandle, &::_flushall};
}

}  // namespace

const char* ImportedCrt(const void* pModuleBase) {
    const auto* pBase = static_cast<const BYTE*>(pModuleBase);
    const auto* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(pBase);
    if (pDos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
    const auto* pNt = reinterpret_cast<const IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew);
    if (pNt->Signature != IMAGE_NT_SIGNATURE) return nullptr;
    const IMAGE_DATA_DIRECTORY& sImports = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (sImports.VirtualAddress == 0 || sImports.Size == 0) return nullptr;
    const char* pBest = nullptr;
    int iBestRank = 0;
    for (const auto* pImport = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(pBase + sImports.VirtualAddress);
         pImport->Name != 0; ++pImport) {
        const char* pName = reinterpret_cast<const char*>(pBase + pImport->Name);
        const int iRank = CrtRank(pName);
        if (iRank > iBestRank) {
            iBestRank = iRank;
            pBest = pName;
        }
    }
    if (iBestRank == 3) return "ucrtbase.dll";  // the api-ms-win-crt-* sets forward to it
    return pBest;
}

CrtDescriptors JvmRuntime() {
    const HMODULE hJvm = GetModuleHandleA("jvm.dll");
    if (hJvm == nullptr) return OwnRuntime();
    const char* pCrt = ImportedCrt(hJvm);
    if (pCrt == nullptr) return OwnRuntime();
    const HMODULE hCrt = GetModuleHandleA(pCrt);
    if (hCrt == nullptr) return OwnRuntime();
    CrtDescriptors sCrt{};
    sCrt.pModule = pCrt;
    if (Resolve(hCrt, "_dup", &sCrt.dup) && Resolve(hCrt, "_dup2", &sCrt.dup2) && Resolve(hCrt, "_close", &sCrt.close) &&
        Resolve(hCrt, "_write", &sCrt.write) && Resolve(hCrt, "_get_osfhandle", &sCrt.getOsHandle) &&
        Resolve(hCrt, "_open_osfhandle", &sCrt.openOsHandle) && Resolve(hCrt, "_flushall", &sCrt.flushAll)) {
        return sCrt;
    }
    return OwnRuntime();
}

}  // namespace corvane::jvm
