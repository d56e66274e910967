// The control's life: creation, its message-only window and window classes, its COM identity,
// and the two methods the host calls.
#include "control.h"

#include <mutex>
#include <new>
#include <optional>

namespace korvansim {
namespace {

constexpr wchar_t kViewLabel[] = L"Korvan (simulated)";

unsigned environmentCount(const wchar_t* name) {
  wchar_t text[16];
  const DWORD n = GetEnvironmentVariableW(name, text, 16);
  if (n == 0 || n >= 16) return 0;
  return parseCallCount(text).value_or(0);
}

LRESULT CALLBACK controlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* control = reinterpret_cast<Control*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!control) return DefWindowProcW(window, message, wParam, lParam);
  // A sink may release its last reference to the control from inside an event.
  ComPtr<Control> keepAlive(control);
  return control->onMessage(window, message, wParam, lParam);
}

LRESULT CALLBACK viewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
  fw::win32::PaintDC paint(window);
  RECT client;
  GetClientRect(window, &client);
  SetBkMode(paint.get(), TRANSPARENT);
  DrawTextW(paint.get(), kViewLabel, -1, &client,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  return 0;
}

WNDCLASSEXW describeClass(const wchar_t* name, WNDPROC procedure, HBRUSH background) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = moduleInstance();
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = name;
  return windowClass;
}

struct WindowClasses {
  fw::win32::RegisteredClass control{describeClass(kControlWindowClass, controlWindowProc, nullptr)};
  fw::win32::RegisteredClass view{
      describeClass(kViewWindowClass, viewWindowProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1))};
  bool valid() const { return control.valid() && view.valid(); }
};

// The window classes belong to this DLL, so they must be gone before COM may unload it:
// registered while at least one control lives. The count is the controls' holds, guarded because
// controls live on more than one apartment thread.
std::mutex classesMutex;
int classHolds = 0;
std::optional<WindowClasses> classes;

std::uint32_t demoSeed(const void* object) {
  return static_cast<std::uint32_t>(GetTickCount() ^ (GetCurrentProcessId() << 16) ^
                                    reinterpret_cast<std::uintptr_t>(object));
}

// A failure whose last error is lost still fails: creation must never report success without
// a control.
HRESULT lastErrorResult() {
  const HRESULT error = HRESULT_FROM_WIN32(GetLastError());
  return FAILED(error) ? error : E_FAIL;
}

}  // namespace

// ---- creation and lifetime ----

WindowClassesHold::WindowClassesHold() {
  std::lock_guard lock(classesMutex);
  if (classHolds == 0) {
    classes.emplace();
    if (!classes->valid()) {
      const DWORD error = GetLastError();
      classes.reset();
      SetLastError(error);
      return;
    }
  }
  ++classHolds;
  held_ = true;
}

WindowClassesHold::~WindowClassesHold() {
  if (!held_) return;
  std::lock_guard lock(classesMutex);
  if (--classHolds == 0) classes.reset();
}

Control::Control() : demo_(demoSeed(this)), earlyEvents_(environmentCount(L"KORVANSIM_EARLY_EVENTS")) {
  wchar_t failAll[4];
  if (GetEnvironmentVariableW(L"KORVANSIM_FAIL_ALL", failAll, 4) != 0) device_.failAll(true);
  // A test that counts calls cannot let the demonstration's first call race its `demo off`.
  wchar_t demo[8];
  if (GetEnvironmentVariableW(L"KORVANSIM_DEMO", demo, 8) != 0 && std::wstring_view(demo) == L"off") demoEnabled_ = false;
}

Control::~Control() {
  events_.stopWorker();
  // The window's last messages must not reach (and re-reference) an object being destroyed.
  if (messageWindow_) SetWindowLongPtrW(messageWindow_.get(), GWLP_USERDATA, 0);
}

HRESULT Control::create(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  ComPtr<Control> control(new (std::nothrow) Control());
  if (!control) return E_OUTOFMEMORY;
  const HRESULT result = control->createMessageWindow();
  return FAILED(result) ? result : control->QueryInterface(riid, object);
}

HRESULT Control::createMessageWindow() {
  windowClasses_.emplace();
  if (!windowClasses_->held()) return lastErrorResult();
  messageWindow_.reset(CreateWindowExW(0, kControlWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       moduleInstance(), this));
  return messageWindow_ ? S_OK : lastErrorResult();
}

HRESULT Control::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || (riid == korvan::kInterfaceId && !strict_.dispatchOnly)) {
    *object = static_cast<korvan::IKorvan*>(this);
  } else if (riid == IID_IConnectionPointContainer) {
    *object = static_cast<IConnectionPointContainer*>(this);
  } else if (riid == IID_IOleObject) {
    *object = static_cast<IOleObject*>(this);
  } else if (riid == IID_IOleInPlaceObject || riid == IID_IOleWindow) {
    *object = static_cast<IOleInPlaceObject*>(this);
  } else if (riid == IID_IPersist || riid == IID_IPersistStreamInit) {
    *object = static_cast<IPersistStreamInit*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG Control::AddRef() { return ++references_; }

ULONG Control::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT Control::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

Strictness Strictness::parse(std::wstring_view switches) {
  Strictness strict;
  while (!switches.empty()) {
    const std::size_t comma = switches.find(L',');
    const std::wstring_view name = switches.substr(0, comma);
    if (name == L"sitefirst") strict.siteFirst = true;
    if (name == L"initfirst") strict.initFirst = true;
    if (name == L"worker") strict.worker = true;
    if (name == L"usermode") strict.userMode = true;
    if (name == L"dispatchonly") strict.dispatchOnly = true;
    switches = comma == std::wstring_view::npos ? std::wstring_view() : switches.substr(comma + 1);
  }
  return strict;
}

Strictness Strictness::fromEnvironment() {
  wchar_t text[128];
  const DWORD n = GetEnvironmentVariableW(L"KORVANSIM_STRICT", text, 128);
  return n == 0 || n >= 128 ? Strictness() : parse(text);
}

// ---- initialisation, as framework-made controls keep it ----

HRESULT Control::initialise() {
  // Such controls read their ambient properties while they initialise, so they want the site.
  if (strict_.siteFirst && !clientSite_) return E_UNEXPECTED;
  if (initialised_) return CO_E_ALREADYINITIALIZED;
  initialised_ = true;
  return S_OK;
}

HRESULT Control::refusedUntilReady() const {
  return strict_.initFirst && !initialised_ ? E_UNEXPECTED : S_OK;
}

HRESULT Control::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = 0;
  return S_OK;
}

// ---- the two methods by name ----

HRESULT Control::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!names || !ids) return E_POINTER;
  // Only the methods' names: they take no named arguments.
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (count == 0 || !names[0]) return DISP_E_UNKNOWNNAME;
  if (_wcsicmp(names[0], L"StartMonitoring") == 0) ids[0] = kStartMonitoringDispId;
  if (_wcsicmp(names[0], L"ExecuteCommand") == 0) ids[0] = kExecuteCommandDispId;
  return ids[0] != DISPID_UNKNOWN && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

// A failing method raises its result as an exception, as a dual interface's IDispatch does.
HRESULT Control::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* badArgument) {
  if (result) VariantInit(result);
  if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
  if (!params) return E_POINTER;
  HRESULT outcome;
  if (id == kStartMonitoringDispId) {
    if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    outcome = StartMonitoring();
  } else if (id == kExecuteCommandDispId) {
    if (params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
    const VARIANT& command = params->rgvarg[1];
    const VARIANT& reply = params->rgvarg[0];
    if (V_VT(&reply) != (VT_BSTR | VT_BYREF) || !V_BSTRREF(&reply)) {
      if (badArgument) *badArgument = 0;
      return DISP_E_TYPEMISMATCH;
    }
    if (V_VT(&command) != VT_BSTR) {
      if (badArgument) *badArgument = 1;
      return DISP_E_TYPEMISMATCH;
    }
    BSTR answer = nullptr;
    outcome = ExecuteCommand(V_BSTR(&command), &answer);
    SysFreeString(*V_BSTRREF(&reply));
    *V_BSTRREF(&reply) = answer;
  } else {
    return DISP_E_MEMBERNOTFOUND;
  }
  if (SUCCEEDED(outcome)) return S_OK;
  if (exception) {
    *exception = EXCEPINFO{};
    exception->scode = outcome;
  }
  return DISP_E_EXCEPTION;
}

// ---- the device ----

HRESULT Control::StartMonitoring() {
  if (const HRESULT refused = refusedUntilReady(); FAILED(refused)) return refused;
  // A container in design mode gets a control that stays still.
  if (designMode_) return S_OK;
  const HRESULT result = device_.startMonitoring();
  updateDemo();
  raiseEarlyEvents(L"start");
  return result;
}

// For hosts that must cope with events while they are still setting the control up: raised
// synchronously, inside the host's own call.
void Control::raiseEarlyEvents(const std::wstring& when) {
  for (unsigned i = 1; i <= earlyEvents_; ++i) {
    const std::wstring call[] = {device_.serial(), L"1", when + std::to_wstring(i), L"10.12.2026 10:00:00", L""};
    events_.fire(korvan::kOnCallerID, call);
  }
  if (earlyEvents_ == 0) return;
  const std::wstring levels[] = {L"5", L"6", L"7", L"8", L"0", L"0", L"0", L"0"};
  events_.fire(korvan::kOnSignalA, levels);
}

HRESULT Control::ExecuteCommand(BSTR command, BSTR* reply) {
  if (!reply) return E_POINTER;
  *reply = nullptr;
  if (const HRESULT refused = refusedUntilReady(); FAILED(refused)) return refused;
  // A null BSTR is the empty text.
  const std::wstring_view text(command ? command : L"", SysStringLen(command));
  const auto answer = device_.execute(text);
  if (FAILED(answer.result)) return answer.result;
  *reply = SysAllocStringLen(answer.reply.data(), static_cast<UINT>(answer.reply.size()));
  return *reply ? S_OK : E_OUTOFMEMORY;
}

}  // namespace korvansim
