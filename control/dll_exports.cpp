// The exports of Cutshape.ocx (ordinals in cutshape.def): the four of every in-process
// server, and DllInstall for registering for one user (regsvr32 /n /i:user).
#include "control/registration.h"
#include "control/server.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        ::DisableThreadLibraryCalls(module);
    return TRUE;
}

HRESULT WINAPI DllCanUnloadNow() {
    return cutshape::control::canUnloadNow();
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** result) {
    return cutshape::control::getClassObject(clsid, iid, result);
}

HRESULT WINAPI DllRegisterServer() {
    return cutshape::control::registerServer(cutshape::control::moduleHandle());
}

HRESULT WINAPI DllUnregisterServer() {
    return cutshape::control::unregisterServer(cutshape::control::moduleHandle());
}

HRESULT WINAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    return cutshape::control::installServer(cutshape::control::moduleHandle(), install != FALSE,
                                            commandLine);
}

} // extern "C"
