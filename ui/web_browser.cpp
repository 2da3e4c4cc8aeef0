#include "ui/web_browser.h"

#include <atomic>
#include <new>
#include <utility>

#include "platform/out_of_memory.h"
#include "platform/text.h"
#include "ui/atl_host.h"

namespace {

// DWebBrowserEvents2, the browser's outgoing event interface.
constexpr GUID kBrowserEventsIid = {0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};

// The host window's text names the control to create. The browser's ProgID text
// ("Shell_Explorer.1") only works through a URL fallback of Microsoft's ATL that
// other ATL implementations lack; the WebBrowser class id is understood by all.
constexpr wchar_t kBrowserControl[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";

constexpr DISPID kStatusTextChange = 102;
constexpr DISPID kProgressChange = 108;
constexpr DISPID kTitleChange = 113;
constexpr DISPID kBeforeNavigate2 = 250;
constexpr DISPID kNewWindow2 = 251;
constexpr DISPID kDocumentComplete = 259;
constexpr DISPID kNewWindow3 = 273;

// A VARIANT that clears itself.
struct Variant {
    VARIANT v{};
    Variant() { ::VariantInit(&v); }
    ~Variant() { ::VariantClear(&v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

// The event's argument `index` in declaration order (rgvarg holds them last first),
// looking through a by-reference VARIANT; nullptr when the event has fewer.
const VARIANT* Arg(const DISPPARAMS& params, UINT index)
{
    if (!params.rgvarg || index >= params.cArgs) {
        return nullptr;
    }
    const VARIANT* v = &params.rgvarg[params.cArgs - 1 - index];
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) {
        v = v->pvarVal;
    }
    return v;
}

std::string TextOf(const VARIANT* v)
{
    if (!v) {
        return std::string();
    }
    Variant text;
    if (FAILED(::VariantChangeType(&text.v, const_cast<VARIANT*>(v), 0, VT_BSTR)) || !text.v.bstrVal) {
        return std::string();
    }
    return platform::Narrow(std::wstring_view(text.v.bstrVal, ::SysStringLen(text.v.bstrVal)));
}

long LongOf(const VARIANT* v)
{
    if (!v) {
        return 0;
    }
    Variant number;
    if (FAILED(::VariantChangeType(&number.v, const_cast<VARIANT*>(v), 0, VT_I4))) {
        return 0;
    }
    return number.v.lVal;
}

IDispatch* DispatchOf(const VARIANT* v) { return v && v->vt == VT_DISPATCH ? v->pdispVal : nullptr; }

IDispatch** DispatchSlotOf(const VARIANT* v) { return v && v->vt == (VT_BYREF | VT_DISPATCH) ? v->ppdispVal : nullptr; }

VARIANT_BOOL* CancelFlagOf(const VARIANT* v) { return v && v->vt == (VT_BYREF | VT_BOOL) ? v->pboolVal : nullptr; }

// Calls a copy of the handler (it may release the window, and so itself), if set.
template <typename Handler, typename... Args> void Fire(const Handler& handler, Args&&... args)
{
    if (Handler copy = handler) {
        copy(std::forward<Args>(args)...);
    }
}

// Hands the handler a plain bool and writes its answer back as the browser's VARIANT_BOOL.
template <typename Handler, typename... Args>
void FireWithCancel(const Handler& handler, VARIANT_BOOL* flag, Args&&... args)
{
    if (!handler) {
        return;
    }
    bool cancel = flag && *flag != VARIANT_FALSE;
    Fire(handler, std::forward<Args>(args)..., cancel);
    if (flag) {
        *flag = cancel ? VARIANT_TRUE : VARIANT_FALSE;
    }
}

DISPID MemberId(IDispatch* object, const wchar_t* name)
{
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (!object || FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
        return DISPID_UNKNOWN;
    }
    return id;
}

} // namespace

// COM objects are destroyed by their own Release, never through the interface,
// so the interfaces' non-virtual destructors are as intended.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
// The event sink the browser control calls. It reaches its browser object by a
// plain pointer, cleared when that object goes away before the control lets go.
// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor): only its own Release deletes it
class BrowserEventSink final : public IDispatch {
public:
    explicit BrowserEventSink(WTWebBrowser* owner)
        : owner_(owner)
    {
    }
    void Detach() { owner_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out) {
            return E_POINTER;
        }
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kBrowserEventsIid)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (count) {
            *count = 0;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(
        DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override
    {
        if (!params) {
            return E_INVALIDARG;
        }
        try {
            if (owner_) {
                owner_->DispatchEvent(id, *params);
            }
        } catch (const std::bad_alloc&) {
            platform::OutOfMemory();
        } catch (...) {
            // Nothing may unwind into the browser control.
        }
        return S_OK;
    }

private:
    ~BrowserEventSink() = default;

    WTWebBrowser* owner_;
    // COM reference count; the control may hold references from its own threads.
    std::atomic<ULONG> references_{1};
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

WTWebBrowser::WTWebBrowser()
    : sink_(platform::ComPtr<IDispatch>::Adopt(new BrowserEventSink(this)))
{
}

WTWebBrowser::~WTWebBrowser()
{
    static_cast<BrowserEventSink*>(sink_.Get())->Detach();
    // The window, if still there, detaches in the base destructor; the connection goes first.
    WTWebBrowser::ReleaseResources();
}

bool WTWebBrowser::Create(
    HWND parent, const std::string& url, int x, int y, int width, int height, DWORD extraStyle, DWORD exStyle)
{
    if (Handle()) {
        return false;
    }
    const int id = NextControlId();
    if (!CreateChild(parent, exStyle, L"AtlAxWin", kBrowserControl, WS_CHILD | WS_VISIBLE | extraStyle, x, y, width,
            height, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)))) {
        return false;
    }
    auto unknown = platform::ComPtr<IUnknown>::Adopt(AtlHostControl(Handle()));
    if (!unknown || FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(control_.Put())))) {
        control_.Reset();
        return true;
    }
    if (FAILED(AtlHostAdvise(control_.Get(), sink_.Get(), kBrowserEventsIid, &adviseCookie_))) {
        adviseCookie_ = 0;
    }
    if (!url.empty()) {
        Call(L"Navigate2", url);
    }
    return true;
}

void WTWebBrowser::ReleaseResources()
{
    if (control_ && adviseCookie_) {
        AtlHostUnadvise(control_.Get(), kBrowserEventsIid, adviseCookie_);
    }
    adviseCookie_ = 0;
    control_.Reset();
    onStatusTextChange = nullptr;
    onProgressChange = nullptr;
    onTitleChange = nullptr;
    onBeforeNavigate = nullptr;
    onNewWindow2 = nullptr;
    onNewWindow3 = nullptr;
    onDocumentComplete = nullptr;
    WTWindow::ReleaseResources();
}

void WTWebBrowser::DispatchEvent(DISPID id, const DISPPARAMS& params)
{
    switch (id) {
    case kStatusTextChange:
        Fire(onStatusTextChange, TextOf(Arg(params, 0)));
        break;
    case kProgressChange:
        Fire(onProgressChange, LongOf(Arg(params, 0)), LongOf(Arg(params, 1)));
        break;
    case kTitleChange:
        Fire(onTitleChange, TextOf(Arg(params, 0)));
        break;
    case kBeforeNavigate2:
        // pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel
        FireWithCancel(
            onBeforeNavigate, CancelFlagOf(Arg(params, 6)), DispatchOf(Arg(params, 0)), TextOf(Arg(params, 1)));
        break;
    case kNewWindow2:
        // ppDisp, Cancel
        FireWithCancel(onNewWindow2, CancelFlagOf(Arg(params, 1)), DispatchSlotOf(Arg(params, 0)));
        break;
    case kDocumentComplete:
        Fire(onDocumentComplete, DispatchOf(Arg(params, 0)), TextOf(Arg(params, 1)));
        break;
    case kNewWindow3:
        // ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl
        FireWithCancel(onNewWindow3, CancelFlagOf(Arg(params, 1)), DispatchSlotOf(Arg(params, 0)),
            static_cast<DWORD>(LongOf(Arg(params, 2))), TextOf(Arg(params, 4)));
        break;
    default:
        break;
    }
}

bool WTWebBrowser::Call(const wchar_t* name, const std::string& url) const
{
    const DISPID id = MemberId(control_.Get(), name);
    if (id == DISPID_UNKNOWN) {
        return false;
    }
    Variant argument;
    argument.v.vt = VT_BSTR;
    argument.v.bstrVal = ::SysAllocString(platform::Widen(url).c_str());
    DISPPARAMS params{&argument.v, nullptr, 1, 0};
    Variant result;
    return SUCCEEDED(
        control_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result.v, nullptr, nullptr));
}

bool WTWebBrowser::PutBool(const wchar_t* name, bool value) const
{
    const DISPID id = MemberId(control_.Get(), name);
    if (id == DISPID_UNKNOWN) {
        return false;
    }
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_BOOL;
    argument.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&argument, &named, 1, 1};
    return SUCCEEDED(
        control_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr));
}

bool WTWebBrowser::GetBool(const wchar_t* name) const
{
    const DISPID id = MemberId(control_.Get(), name);
    if (id == DISPID_UNKNOWN) {
        return false;
    }
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant result;
    if (FAILED(control_->Invoke(
            id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result.v, nullptr, nullptr))
        || FAILED(::VariantChangeType(&result.v, &result.v, 0, VT_BOOL))) {
        return false;
    }
    return result.v.boolVal != VARIANT_FALSE;
}

bool WTWebBrowser::Navigate(const std::string& url) const { return Call(L"Navigate", url); }
bool WTWebBrowser::Silent(bool on) const { return PutBool(L"Silent", on); }
bool WTWebBrowser::Offline(bool on) const { return PutBool(L"Offline", on); }
bool WTWebBrowser::Silent() const { return GetBool(L"Silent"); }
bool WTWebBrowser::Offline() const { return GetBool(L"Offline"); }
