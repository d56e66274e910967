// Hosts the caller-ID control through the generic container (control_host.h), calls its two
// methods through the interface table, or by name through IDispatch where the object gives no
// table, and hands its two bound events to their handlers.
#include "korvan_host.h"

#include <windows.h>
#include <ole2.h>

#include <array>

#include "control_host.h"
#include "fw/application.h"
#include "fw/color.h"
#include "fw/control.h"
#include "fw/win32/com_ptr.h"
#include "fw/win32/native.h"
#include "korvan_abi.h"

namespace device {
namespace {

using fw::win32::Bstr;
using fw::win32::ComPtr;

// Argument i in declared order; COM passes them last first. Missing or null ones are empty.
std::u16string argument(const DISPPARAMS* params, UINT i) {
  if (!params || i >= params->cArgs) return {};
  const VARIANT& v = params->rgvarg[params->cArgs - 1 - i];
  if (V_VT(&v) == VT_BSTR) return Bstr::text(V_BSTR(&v));
  if (V_VT(&v) == (VT_BSTR | VT_BYREF)) return V_BSTRREF(&v) ? Bstr::text(*V_BSTRREF(&v)) : std::u16string();
  VARIANT converted;
  VariantInit(&converted);
  std::u16string text;
  if (SUCCEEDED(VariantChangeType(&converted, const_cast<VARIANT*>(&v), 0, VT_BSTR))) text = Bstr::text(V_BSTR(&converted));
  VariantClear(&converted);
  return text;
}

OLE_COLOR oleColor(fw::Color color) {
  return fw::isSystemColor(color) ? 0x80000000u | static_cast<OLE_COLOR>(fw::systemColorIndex(color)) : color;
}

// The form's font and colours, as the control's ambient properties.
Ambients ambientsOf(const fw::Control& owner) {
  Ambients ambients;
  const fw::Font& font = owner.font();
  ambients.fontName = fw::win32::wide(font.name);
  ambients.fontHeight = font.height;
  ambients.bold = font.bold;
  ambients.italic = font.italic;
  ambients.charset = font.charset;
  ambients.backColor = oleColor(fw::clBtnFace);
  ambients.foreColor = oleColor(font.color);
  return ambients;
}

// The result of a method called by name: a failure the method raised comes back as an
// exception whose code is the method's own.
HRESULT invokeResult(HRESULT hr, EXCEPINFO& exception) {
  if (hr == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
    hr = FAILED(exception.scode) ? exception.scode : E_FAIL;
  }
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return hr;
}

class KorvanHost final : public TKorvan {
 public:
  explicit KorvanHost(fw::Control& owner) {
    ControlHost::Options options{korvan::kClassId, korvan::kEventsId, fw::win32::nativeWindow(owner), RECT{},
                                 ambientsOf(owner),
                                 [this](DISPID id, const DISPPARAMS& params) { dispatch(id, params); }};
    host_ = ControlHost::create(std::move(options));
    bindMethods();
  }

  void StartMonitoring() override {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    check(table_ ? table_->StartMonitoring() : invokeByName(startId_, none), "StartMonitoring");
  }

  std::u16string ExecuteCommand(std::u16string_view command) override {
    Bstr in(command);
    Bstr reply;
    const HRESULT hr = table_ ? table_->ExecuteCommand(in.get(), reply.put()) : executeByName(in, reply);
    if (FAILED(hr)) {
      const std::wstring text(command.begin(), command.end());
      fail(("ExecuteCommand(" + fw::win32::narrow(text) + ")").c_str(), hr);
    }
    return reply.text();
  }

  void SetParent(fw::Control& parent) override {
    if (HWND window = host_->window()) ::SetParent(window, fw::win32::nativeWindow(parent));
  }
  void SetTop(int top) override {
    HWND window = host_->window();
    if (!window) return;
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(window, nullptr, r.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void Hide() override {
    if (HWND window = host_->window()) ShowWindow(window, SW_HIDE);
  }

 private:
  // The interface table when the object gives one (always in process; out of process when its
  // proxy is registered); otherwise the two methods are looked up by name.
  void bindMethods() {
    const auto& object = host_->object();
    const HRESULT hr = object.queryInterface(korvan::kInterfaceId, table_);
    if (SUCCEEDED(hr)) return;
    trace("QueryInterface(IKorvan), calling by name instead,", hr);
    check(object.queryInterface(IID_IDispatch, late_), "QueryInterface(IKorvan or IDispatch)");
    startId_ = dispatchId(L"StartMonitoring");
    executeId_ = dispatchId(L"ExecuteCommand");
  }

  DISPID dispatchId(const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    check(late_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), "IDispatch::GetIDsOfNames");
    return id;
  }

  HRESULT invokeByName(DISPID id, DISPPARAMS& params) {
    EXCEPINFO exception{};
    const HRESULT hr =
        late_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception, nullptr);
    return invokeResult(hr, exception);
  }

  HRESULT executeByName(const Bstr& command, Bstr& reply) {
    // Arguments last first: the reply, by reference, then the command.
    VARIANT arguments[2];
    V_VT(&arguments[0]) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&arguments[0]) = reply.put();
    V_VT(&arguments[1]) = VT_BSTR;
    V_BSTR(&arguments[1]) = command.get();
    DISPPARAMS params{arguments, nullptr, 2, 0};
    return invokeByName(executeId_, params);
  }

  void dispatch(DISPID id, const DISPPARAMS& params) {
    if (id == korvan::kOnCallerID && OnCallerID) {
      const std::u16string a0 = argument(&params, 0), a1 = argument(&params, 1), a2 = argument(&params, 2),
                           a3 = argument(&params, 3), a4 = argument(&params, 4);
      fw::Application::guard([&] { OnCallerID(*this, a0, a1, a2, a3, a4); });
    } else if (id == korvan::kOnSignalA && OnSignalA) {
      std::array<std::u16string, 8> levels;
      for (UINT i = 0; i < levels.size(); ++i) levels[i] = argument(&params, i);
      fw::Application::guard([&] { OnSignalA(*this, levels); });
    }
    // The other eight events have no handler here and are dropped.
  }

  // Declared first so that it goes last: the control is let go after the methods' pointers.
  std::unique_ptr<ControlHost> host_;
  ComPtr<korvan::IKorvan> table_;
  ComPtr<IDispatch> late_;
  DISPID startId_ = DISPID_UNKNOWN;
  DISPID executeId_ = DISPID_UNKNOWN;
};

}  // namespace

std::unique_ptr<TKorvan> createKorvan(fw::Control& owner) { return std::make_unique<KorvanHost>(owner); }

}  // namespace device
