#include "ui/atl_host.h"

#include "platform/system_dll.h"

namespace {

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);
using AtlAdviseFn = HRESULT(WINAPI*)(IUnknown*, IUnknown*, const IID*, LPDWORD);
using AtlUnadviseFn = HRESULT(WINAPI*)(IUnknown*, const IID*, DWORD);

struct AtlFunctions {
    AtlAxWinInitFn init = nullptr;
    AtlAxGetControlFn getControl = nullptr;
    AtlAdviseFn advise = nullptr;
    AtlUnadviseFn unadvise = nullptr;
};

template <typename Fn> Fn Lookup(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const AtlFunctions& Atl()
{
    static const AtlFunctions functions = [] {
        AtlFunctions f;
        // Kept loaded for the whole run: the window class lives in it.
        // From System32 only: an atl.dll beside the exe would run its code inside the program.
        if (HMODULE module = platform::LoadSystemDll(L"atl.dll")) {
            f.init = Lookup<AtlAxWinInitFn>(module, "AtlAxWinInit");
            f.getControl = Lookup<AtlAxGetControlFn>(module, "AtlAxGetControl");
            f.advise = Lookup<AtlAdviseFn>(module, "AtlAdvise");
            f.unadvise = Lookup<AtlUnadviseFn>(module, "AtlUnadvise");
        }
        return f;
    }();
    return functions;
}

} // namespace

bool AtlHostInit() { return Atl().init && Atl().init(); }

IUnknown* AtlHostControl(HWND host)
{
    IUnknown* control = nullptr;
    if (!Atl().getControl || FAILED(Atl().getControl(host, &control))) {
        return nullptr;
    }
    return control;
}

HRESULT AtlHostAdvise(IUnknown* control, IUnknown* sink, const IID& iid, DWORD* cookie)
{
    return Atl().advise ? Atl().advise(control, sink, &iid, cookie) : E_NOTIMPL;
}

HRESULT AtlHostUnadvise(IUnknown* control, const IID& iid, DWORD cookie)
{
    return Atl().unadvise ? Atl().unadvise(control, &iid, cookie) : E_NOTIMPL;
}
