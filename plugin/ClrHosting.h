#pragma once
// The .NET runtime hosting interfaces the bridge uses, declared from their published layouts so
// that the bridge needs no SDK header of them. Only the methods we call are documented here;
// every slot is declared so the vtables match.
#include <windows.h>
#include <unknwn.h>

struct IEnumUnknown;
struct IHostControl;
struct ICLRControl;

using CallbackThreadSetFnPtr = HRESULT(__stdcall*)();
using CallbackThreadUnsetFnPtr = HRESULT(__stdcall*)();
using RuntimeLoadedCallbackFnPtr = void(__stdcall*)(struct ICLRRuntimeInfo*, CallbackThreadSetFnPtr,
                                                    CallbackThreadUnsetFnPtr);
using FExecuteInAppDomainCallback = HRESULT(__stdcall*)(void* cookie);
using CLRCreateInstanceFnPtr = HRESULT(__stdcall*)(REFCLSID clsid, REFIID riid, LPVOID* ppInterface);

inline constexpr GUID kCLSID_CLRMetaHost = {0x9280188D, 0x0E8E, 0x4867, {0xB3, 0x0C, 0x7F, 0xA8, 0x38, 0x84, 0xE8, 0xDE}};
inline constexpr GUID kIID_ICLRMetaHost = {0xD332DB9E, 0xB9B3, 0x4125, {0x82, 0x07, 0xA1, 0x48, 0x84, 0xF5, 0x32, 0x16}};
inline constexpr GUID kIID_ICLRRuntimeInfo = {0xBD39D1D2, 0xBA2F, 0x486A, {0x89, 0xB0, 0xB4, 0xB0, 0xCB, 0x46, 0x68, 0x91}};
inline constexpr GUID kCLSID_CLRRuntimeHost = {0x90F1A06E, 0x7712, 0x4762, {0x86, 0xB5, 0x7A, 0x5E, 0xBA, 0x6B, 0xDB, 0x02}};
inline constexpr GUID kIID_ICLRRuntimeHost = {0x90F1A06C, 0x7712, 0x4762, {0x86, 0xB5, 0x7A, 0x5E, 0xBA, 0x6B, 0xDB, 0x02}};

struct ICLRMetaHost : public IUnknown {
    virtual HRESULT __stdcall GetRuntime(LPCWSTR version, REFIID riid, LPVOID* runtime) = 0;
    virtual HRESULT __stdcall GetVersionFromFile(LPCWSTR file, LPWSTR buffer, DWORD* bufferLength) = 0;
    virtual HRESULT __stdcall EnumerateInstalledRuntimes(IEnumUnknown** enumerator) = 0;
    virtual HRESULT __stdcall EnumerateLoadedRuntimes(HANDLE process, IEnumUnknown** enumerator) = 0;
    virtual HRESULT __stdcall RequestRuntimeLoadedNotification(RuntimeLoadedCallbackFnPtr callback) = 0;
    virtual HRESULT __stdcall QueryLegacyV2RuntimeBinding(REFIID riid, LPVOID* unknown) = 0;
    virtual HRESULT __stdcall ExitProcess(INT32 exitCode) = 0;
};

struct ICLRRuntimeInfo : public IUnknown {
    virtual HRESULT __stdcall GetVersionString(LPWSTR buffer, DWORD* bufferLength) = 0;
    virtual HRESULT __stdcall GetRuntimeDirectory(LPWSTR buffer, DWORD* bufferLength) = 0;
    virtual HRESULT __stdcall IsLoaded(HANDLE process, BOOL* loaded) = 0;
    virtual HRESULT __stdcall LoadErrorString(UINT resourceId, LPWSTR buffer, DWORD* bufferLength, LONG localeId) = 0;
    virtual HRESULT __stdcall LoadLibrary(LPCWSTR dllName, HMODULE* module) = 0;
    virtual HRESULT __stdcall GetProcAddress(LPCSTR procName, LPVOID* proc) = 0;
    virtual HRESULT __stdcall GetInterface(REFCLSID clsid, REFIID riid, LPVOID* unknown) = 0;
    virtual HRESULT __stdcall IsLoadable(BOOL* loadable) = 0;
    virtual HRESULT __stdcall SetDefaultStartupFlags(DWORD flags, LPCWSTR hostConfigFile) = 0;
    virtual HRESULT __stdcall GetDefaultStartupFlags(DWORD* flags, LPWSTR hostConfigFile, DWORD* length) = 0;
    virtual HRESULT __stdcall BindAsLegacyV2Runtime() = 0;
    virtual HRESULT __stdcall IsStarted(BOOL* started, DWORD* startupFlags) = 0;
};

struct ICLRRuntimeHost : public IUnknown {
    virtual HRESULT __stdcall Start() = 0;
    virtual HRESULT __stdcall Stop() = 0;
    virtual HRESULT __stdcall SetHostControl(IHostControl* hostControl) = 0;
    virtual HRESULT __stdcall GetCLRControl(ICLRControl** clrControl) = 0;
    virtual HRESULT __stdcall UnloadAppDomain(DWORD appDomainId, BOOL waitUntilDone) = 0;
    virtual HRESULT __stdcall ExecuteInAppDomain(DWORD appDomainId, FExecuteInAppDomainCallback callback, void* cookie) = 0;
    virtual HRESULT __stdcall GetCurrentAppDomainId(DWORD* appDomainId) = 0;
    virtual HRESULT __stdcall ExecuteApplication(LPCWSTR appFullName, DWORD manifestPaths, LPCWSTR* manifestPathList,
                                                 DWORD activationData, LPCWSTR* activationDataList, int* returnValue) = 0;
    virtual HRESULT __stdcall ExecuteInDefaultAppDomain(LPCWSTR assemblyPath, LPCWSTR typeName, LPCWSTR methodName,
                                                        LPCWSTR argument, DWORD* returnValue) = 0;
};
