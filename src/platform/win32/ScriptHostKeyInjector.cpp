#include "platform/win32/ScriptHostKeyInjector.h"

#include <windows.h>
// after windows.h, which they need
#include <objbase.h>
#include <oleauto.h>

#include "platform/KeyNotation.h"
#include "platform/PlatformError.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32Text.h"

namespace keyrelay {

namespace {

// Joins the calling thread to a COM apartment for the duration of one call. A thread
// that already has one (Qt's GUI thread initialises OLE) keeps it; a thread that is in
// the multi-threaded apartment is left there, since the shell object works in both.
class ComApartment {
public:
    ComApartment() {
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (hr == RPC_E_CHANGED_MODE) {
            return;
        }
        if (FAILED(hr)) {
            throw win32::comError(hr, "COM cannot be used on this thread");
        }
        joined_ = true;
    }
    ~ComApartment() {
        if (joined_) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool joined_ = false;
};

class Released {
public:
    explicit Released(IUnknown* object) : object_(object) {}
    ~Released() { object_->Release(); }
    Released(const Released&) = delete;
    Released& operator=(const Released&) = delete;

private:
    IUnknown* object_;
};

class FreedString {
public:
    explicit FreedString(BSTR text) : text_(text) {}
    ~FreedString() { SysFreeString(text_); }
    FreedString(const FreedString&) = delete;
    FreedString& operator=(const FreedString&) = delete;
    BSTR get() const { return text_; }

private:
    BSTR text_;
};

PlatformError sendKeysError(HRESULT hr, EXCEPINFO& info) {
    if (hr == DISP_E_EXCEPTION) {
        // The object raised a script error: its own number and words say more.
        if (info.pfnDeferredFillIn != nullptr) {
            info.pfnDeferredFillIn(&info);
        }
        const long number = info.scode != 0 ? static_cast<long>(info.scode) : info.wCode;
        std::string description = info.bstrDescription != nullptr
                                      ? win32::toUtf8(info.bstrDescription)
                                      : win32::systemMessage(number);
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
        return PlatformError(number, "WScript.Shell SendKeys failed: " + description);
    }
    return win32::comError(hr, "WScript.Shell SendKeys failed");
}

}  // namespace

void ScriptHostKeyInjector::sendKeys(const std::string& keys) {
    KeyNotation::parse(keys);

    ComApartment apartment;
    CLSID shellClass{};
    HRESULT hr = CLSIDFromProgID(L"WScript.Shell", &shellClass);
    if (FAILED(hr)) {
        throw win32::comError(hr, "The WScript.Shell object is not available");
    }
    IDispatch* shell = nullptr;
    hr = CoCreateInstance(shellClass, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                          IID_IDispatch, reinterpret_cast<void**>(&shell));
    if (FAILED(hr) || shell == nullptr) {
        throw win32::comError(hr, "The WScript.Shell object cannot be created");
    }
    Released release(shell);

    wchar_t methodName[] = L"SendKeys";
    LPOLESTR names[] = {methodName};
    DISPID sendKeys = 0;
    hr = shell->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &sendKeys);
    if (FAILED(hr)) {
        throw win32::comError(hr, "WScript.Shell has no SendKeys method");
    }

    const std::wstring wide = win32::toWide(keys);
    FreedString text(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
    if (text.get() == nullptr && !wide.empty()) {
        throw win32::comError(E_OUTOFMEMORY, "WScript.Shell SendKeys failed");
    }
    // Arguments go in reverse order: the wait flag, then the string.
    VARIANT arguments[2];
    VariantInit(&arguments[0]);
    arguments[0].vt = VT_BOOL;
    arguments[0].boolVal = VARIANT_FALSE;
    VariantInit(&arguments[1]);
    arguments[1].vt = VT_BSTR;
    arguments[1].bstrVal = text.get();
    DISPPARAMS parameters{arguments, nullptr, 2, 0};
    EXCEPINFO info{};
    UINT badArgument = 0;
    hr = shell->Invoke(sendKeys, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters,
                       nullptr, &info, &badArgument);
    if (FAILED(hr)) {
        throw sendKeysError(hr, info);
    }
}

}  // namespace keyrelay
