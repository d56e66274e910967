#include "control.h"

#include <olectl.h>
#include <psapi.h>

#include <algorithm>
#include <iterator>
#include <mutex>
#include <new>

#include "fw/win32/handles.h"
#include "module.h"

namespace korvansim {
namespace {

constexpr wchar_t kViewWindowClass[] = L"KorvanSim.View";
constexpr wchar_t kViewLabel[] = L"Korvan (simulated)";
// Events asked for through the window are raised from here, after the sender's SendMessage has
// returned: a sink must not run inside another process's synchronous call, where it could not
// make COM calls of its own.
constexpr UINT kFirePendingMessage = WM_APP + 1;
constexpr UINT_PTR kLevelsTimer = 1;
constexpr UINT_PTR kCallTimer = 2;
constexpr UINT_PTR kStormTimer = 3;
// A level storm goes out in small batches, one batch a timer tick, so that the host's own
// timers (its status poll) keep running through it.
constexpr unsigned kStormBatch = 20;
constexpr UINT kReplyTimeoutMs = 5000;

unsigned environmentCount(const wchar_t* name) {
  wchar_t text[16];
  const DWORD n = GetEnvironmentVariableW(name, text, 16);
  if (n == 0 || n >= 16) return 0;
  return parseCallCount(text).value_or(0);
}

// How many GDI objects and kernel handles this process holds where the system keeps no count
// (Wine answers 0). Both tables hand out their slots again: n new objects take the free slots
// first and then new ones at the top, so with n above the free slots the highest slot any of
// them gets, less n, is how many slots are in use. Live objects are then counted to within
// the few the system keeps for itself.
// create(i) makes probe i (null when the table is full); slot(object) is its slot number.
template <class Create, class Destroy, class Slot>
long long slotsInUse(int probes, Create create, Destroy destroy, Slot slot) {
  using Object = decltype(create(0));
  std::vector<Object> made;
  made.reserve(probes);
  UINT_PTR highest = 0;
  for (int i = 0; i < probes; ++i) {
    Object object = create(i);
    if (!object) break;
    made.push_back(object);
    highest = std::max<UINT_PTR>(highest, slot(object));
  }
  for (Object object : made) destroy(object);
  return static_cast<long long>(highest) - static_cast<long long>(made.size());
}

long long liveGdiObjects() {
  // A GDI handle's low 16 bits are its slot; counted from 1 so that slot 0 in use counts.
  return slotsInUse(
      4000, [](int i) { return CreateSolidBrush(RGB(i & 0xFF, 0, 0)); }, [](HBRUSH b) { DeleteObject(b); },
      [](HBRUSH b) { return (reinterpret_cast<UINT_PTR>(b) & 0xFFFF) + 1; });
}

long long liveHandles() {
  // Kernel handles are multiples of 4.
  return slotsInUse(
      2000, [](int) { return CreateEventW(nullptr, FALSE, FALSE, nullptr); }, [](HANDLE h) { CloseHandle(h); },
      [](HANDLE h) { return reinterpret_cast<UINT_PTR>(h) / 4; });
}

// What this process holds, read from inside it: under Wine another process reads 0 for its
// GDI objects.
std::vector<std::wstring> processResources() {
  HANDLE self = GetCurrentProcess();
  const DWORD gdi = GetGuiResources(self, GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(self, GR_USEROBJECTS);
  DWORD handles = 0;
  GetProcessHandleCount(self, &handles);
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(self, &memory, sizeof memory);
  return {L"gdi " + std::to_wstring(gdi),
          L"gdiLive " + std::to_wstring(liveGdiObjects()),
          L"user " + std::to_wstring(user),
          L"handles " + std::to_wstring(handles),
          L"handlesLive " + std::to_wstring(liveHandles()),
          L"workingSet " + std::to_wstring(memory.WorkingSetSize),
          L"peakWorkingSet " + std::to_wstring(memory.PeakWorkingSetSize)};
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

// The window classes belong to this DLL, so they must be gone before COM may unload it:
// registered while at least one control lives, on whichever apartment thread creates it.
std::mutex classesMutex;
int classUsers = 0;

bool registerClass(const wchar_t* name, WNDPROC procedure, HBRUSH background) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = moduleInstance();
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = name;
  return RegisterClassExW(&windowClass) != 0;
}

bool acquireWindowClasses() {
  std::lock_guard lock(classesMutex);
  if (classUsers == 0) {
    if (!registerClass(kControlWindowClass, controlWindowProc, nullptr)) return false;
    if (!registerClass(kViewWindowClass, viewWindowProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1))) {
      UnregisterClassW(kControlWindowClass, moduleInstance());
      return false;
    }
  }
  ++classUsers;
  return true;
}

void releaseWindowClasses() {
  std::lock_guard lock(classesMutex);
  if (--classUsers > 0) return;
  UnregisterClassW(kViewWindowClass, moduleInstance());
  UnregisterClassW(kControlWindowClass, moduleInstance());
}

// The BSTR variants of one event, freed however the raising ends.
class EventArguments {
 public:
  // COM passes arguments last first.
  explicit EventArguments(std::span<const std::wstring> declaredOrder) : variants_(declaredOrder.size()) {
    for (std::size_t i = 0; i < declaredOrder.size(); ++i) {
      VARIANT& variant = variants_[declaredOrder.size() - 1 - i];
      VariantInit(&variant);
      const auto& text = declaredOrder[i];
      variant.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      if (!variant.bstrVal) {
        complete_ = false;
        continue;
      }
      variant.vt = VT_BSTR;
    }
  }
  ~EventArguments() {
    for (auto& variant : variants_) VariantClear(&variant);
  }
  EventArguments(const EventArguments&) = delete;
  EventArguments& operator=(const EventArguments&) = delete;

  bool complete() const { return complete_; }
  DISPPARAMS parameters() {
    return {variants_.data(), nullptr, static_cast<UINT>(variants_.size()), 0};
  }

 private:
  std::vector<VARIANT> variants_;
  bool complete_ = true;
};

std::uint32_t demoSeed(const void* object) {
  return static_cast<std::uint32_t>(GetTickCount() ^ (GetCurrentProcessId() << 16) ^
                                    reinterpret_cast<std::uintptr_t>(object));
}

std::wstring argumentOr(std::span<const std::wstring> arguments, std::size_t index, std::wstring fallback) {
  return index < arguments.size() ? arguments[index] : std::move(fallback);
}

}  // namespace

// ---- creation and lifetime ----

Control::Control() : demo_(demoSeed(this)), earlyEvents_(environmentCount(L"KORVANSIM_EARLY_EVENTS")) {
  objectCreated();
  wchar_t failAll[4];
  if (GetEnvironmentVariableW(L"KORVANSIM_FAIL_ALL", failAll, 4) != 0) device_.failAll(true);
  // A test that counts calls cannot let the demonstration's first call race its `demo off`.
  wchar_t demo[8];
  if (GetEnvironmentVariableW(L"KORVANSIM_DEMO", demo, 8) != 0 && std::wstring_view(demo) == L"off") demoEnabled_ = false;
}

Control::~Control() {
  if (view_) DestroyWindow(view_);
  if (messageWindow_) {
    // Detach first: the window's last messages must not reach (and re-reference) this object.
    SetWindowLongPtrW(messageWindow_, GWLP_USERDATA, 0);
    DestroyWindow(messageWindow_);
    releaseWindowClasses();
  }
  objectDestroyed();
}

HRESULT Control::create(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  auto* control = new (std::nothrow) Control();
  if (!control) return E_OUTOFMEMORY;
  HRESULT result = control->createMessageWindow();
  if (SUCCEEDED(result)) result = control->QueryInterface(riid, object);
  control->Release();
  return result;
}

HRESULT Control::createMessageWindow() {
  if (!acquireWindowClasses()) return HRESULT_FROM_WIN32(GetLastError());
  messageWindow_ = CreateWindowExW(0, kControlWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   moduleInstance(), this);
  if (messageWindow_) return S_OK;
  const HRESULT error = HRESULT_FROM_WIN32(GetLastError());
  releaseWindowClasses();
  return FAILED(error) ? error : E_FAIL;
}

HRESULT Control::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == korvan::kInterfaceId) {
    *object = static_cast<korvan::IKorvan*>(this);
  } else if (riid == IID_IConnectionPointContainer) {
    *object = static_cast<IConnectionPointContainer*>(this);
  } else if (riid == IID_IOleObject) {
    *object = static_cast<IOleObject*>(this);
  } else if (riid == IID_IOleInPlaceObject || riid == IID_IOleWindow) {
    *object = static_cast<IOleInPlaceObject*>(this);
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

// ---- the device ----

HRESULT Control::StartMonitoring() {
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
  // A null BSTR is the empty text.
  const std::wstring_view text(command ? command : L"", SysStringLen(command));
  const auto answer = device_.execute(text);
  if (FAILED(answer.result)) return answer.result;
  *reply = SysAllocStringLen(answer.reply.data(), static_cast<UINT>(answer.reply.size()));
  return *reply ? S_OK : E_OUTOFMEMORY;
}

void Control::updateDemo() {
  const bool shouldRun = messageWindow_ && device_.monitoring() && demoEnabled_;
  if (shouldRun == demoRunning_) return;
  demoRunning_ = shouldRun;
  if (shouldRun) {
    SetTimer(messageWindow_, kLevelsTimer, kLevelsIntervalMs, nullptr);
    SetTimer(messageWindow_, kCallTimer, demo_.firstCallDelayMs(), nullptr);
  } else {
    KillTimer(messageWindow_, kLevelsTimer);
    KillTimer(messageWindow_, kCallTimer);
  }
}

void Control::onLevelsTimer() {
  if (!device_.plugged()) return;  // an unplugged device reports nothing
  const auto levels = demo_.nextLevels();
  events_.fire(korvan::kOnSignalA, levels);
}

void Control::onStormTimer() {
  for (unsigned n = 0; n < kStormBatch && stormLeft_ > 0; ++n) {
    --stormLeft_;
    events_.fire(korvan::kOnSignalA, stormLevels(stormLeft_));
  }
  if (stormLeft_ == 0) KillTimer(messageWindow_, kStormTimer);
}

void Control::onCallTimer() {
  // Re-armed before raising: the sink may run a modal loop that lets the next tick through.
  SetTimer(messageWindow_, kCallTimer, demo_.nextCallDelayMs(), nullptr);
  if (!device_.plugged()) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  auto call = demo_.nextCall(device_.serial(), now);
  const std::wstring arguments[] = {call.deviceId, call.line, call.phoneNumber, call.dateTime, call.otherText};
  events_.fire(korvan::kOnCallerID, arguments);
}

// ---- requests from korvansim.exe ----

LRESULT Control::onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (!data || data->dwData != kRequestTag || (data->cbData != 0 && !data->lpData)) {
        return static_cast<LRESULT>(Status::kMalformed);
      }
      const auto request = decode({static_cast<const std::byte*>(data->lpData), data->cbData}, kRequestLimits);
      if (!request) return static_cast<LRESULT>(Status::kMalformed);
      const Status shape = checkShape(*request);
      return static_cast<LRESULT>(shape == Status::kDone ? carryOut(*request) : shape);
    }
    case WM_TIMER:
      if (wParam == kLevelsTimer) onLevelsTimer();
      if (wParam == kCallTimer) onCallTimer();
      if (wParam == kStormTimer) onStormTimer();
      return 0;
    case kFirePendingMessage:
      fireNextQueued();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// checkShape has vetted the verb and the argument count; each branch checks what its arguments
// mean before it changes anything, so a refused request leaves the control as it was.
Status Control::carryOut(const Message& request) {
  const std::wstring& verb = request.strings.front();
  const std::span<const std::wstring> arguments = std::span(request.strings).subspan(1);
  if (verb == L"call") {
    SYSTEMTIME now;
    GetLocalTime(&now);
    queueEvent(korvan::kOnCallerID, {argumentOr(arguments, 3, device_.serial()), arguments[0], arguments[1],
                                     argumentOr(arguments, 2, formatDateTime(now)), argumentOr(arguments, 4, L"")});
  } else if (verb == L"calls") {
    // A burst, to see how the program copes with calls arriving faster than it can show them.
    const auto count = parseCallCount(arguments[0]);
    if (!count) return Status::kBadArgument;
    SYSTEMTIME now;
    GetLocalTime(&now);
    for (unsigned i = 1; i <= *count; ++i) {
      queueEvent(korvan::kOnCallerID,
                 {device_.serial(), arguments[1], arguments[2] + std::to_wstring(i), formatDateTime(now), L""});
    }
  } else if (verb == L"levels") {
    std::vector<std::wstring> levels(8, L"0");
    std::copy(arguments.begin(), arguments.end(), levels.begin());
    queueEvent(korvan::kOnSignalA, std::move(levels));
  } else if (verb == L"plug") {
    device_.plug(argumentOr(arguments, 0, kDefaultModel), argumentOr(arguments, 1, kDefaultSerial));
  } else if (verb == L"unplug") {
    device_.unplug();
  } else if (verb == L"fail") {
    const auto code = arguments.size() > 1 ? parseFailureCode(arguments[1]) : std::optional<HRESULT>(E_FAIL);
    if (!code) return Status::kBadArgument;
    device_.failNext(arguments[0], *code);
  } else if (verb == L"demo") {
    if (arguments[0] != L"on" && arguments[0] != L"off") return Status::kBadArgument;
    demoEnabled_ = arguments[0] == L"on";
    updateDemo();
  } else if (verb == L"levelstorm") {
    // As fast as the host takes them, as a line's level can change faster than a host redraws
    // its bars. Every 7th update carries a non-number, which a host must drop whole.
    const auto count = parseCallCount(arguments[0]);
    if (!count) return Status::kBadArgument;
    stormLeft_ += *count;
    SetTimer(messageWindow_, kStormTimer, 1, nullptr);
  } else if (verb == L"replug") {
    const auto count = parseCallCount(arguments[0]);
    if (!count) return Status::kBadArgument;
    device_.replug(*count);
  } else if (verb == L"failall") {
    if (arguments[0] != L"on" && arguments[0] != L"off") return Status::kBadArgument;
    device_.failAll(arguments[0] == L"on");
  } else if (verb == L"log") {
    return sendReply(windowFromWire(request.replyWindow), device_.log());
  } else if (verb == L"resources") {
    return sendReply(windowFromWire(request.replyWindow), processResources());
  } else {
    return Status::kUnknownVerb;
  }
  return Status::kDone;
}

Status Control::sendReply(HWND replyTo, const std::vector<std::wstring>& entries) {
  if (!IsWindow(replyTo)) return Status::kReplyUndeliverable;
  auto bytes = encode(0, entries);
  if (bytes.size() > kMaxReplyBytes) return Status::kReplyUndeliverable;
  COPYDATASTRUCT data{kReplyTag, static_cast<DWORD>(bytes.size()), bytes.data()};
  DWORD_PTR result = 0;
  const bool sent = SendMessageTimeoutW(replyTo, WM_COPYDATA, reinterpret_cast<WPARAM>(messageWindow_),
                                        reinterpret_cast<LPARAM>(&data), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                        kReplyTimeoutMs, &result) != 0;
  return sent && static_cast<Status>(result) == Status::kDone ? Status::kDone : Status::kReplyUndeliverable;
}

void Control::queueEvent(DISPID id, std::vector<std::wstring> arguments) {
  pending_.push_back({id, std::move(arguments)});
  PostMessageW(messageWindow_, kFirePendingMessage, 0, 0);
}

void Control::fireNextQueued() {
  // Everything queued goes: a post that was lost (full queue) must not strand an event. Each
  // is taken off before it is raised, so a nested drain from a sink's modal loop keeps order.
  while (!pending_.empty()) {
    PendingEvent event = std::move(pending_.front());
    pending_.pop_front();
    events_.fire(event.id, event.arguments);
  }
}

// ---- events ----

HRESULT Control::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  if (riid != korvan::kEventsId) return CONNECT_E_NOCONNECTION;
  *point = &events_;
  events_.AddRef();
  return S_OK;
}

HRESULT Control::EventPoint::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT Control::EventPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = korvan::kEventsId;
  return S_OK;
}

HRESULT Control::EventPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (!container) return E_POINTER;
  *container = &owner_;
  owner_.AddRef();
  return S_OK;
}

HRESULT Control::EventPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie) return E_POINTER;
  *cookie = 0;
  ComPtr<IDispatch> dispatch;
  // A sink usually answers for the event interface; a generic one only for IDispatch.
  if (FAILED(sink->QueryInterface(korvan::kEventsId, reinterpret_cast<void**>(dispatch.GetAddressOf()))) &&
      FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.ReleaseAndGetAddressOf())))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  if (!dispatch) return CONNECT_E_CANNOTCONNECT;
  *cookie = nextCookie_++;
  sinks_.emplace_back(*cookie, std::move(dispatch));
  owner_.raiseEarlyEvents(L"advise");
  return S_OK;
}

std::vector<std::wstring> stormLevels(unsigned left) {
  if (left == 0) return {L"11", L"22", L"33", L"44", L"0", L"0", L"0", L"0"};
  std::vector<std::wstring> levels(8, L"0");
  const unsigned i = left;
  for (unsigned line = 0; line < 4; ++line) levels[line] = std::to_wstring((i * (line + 3)) % 31);
  if (i % 7 == 0) levels[i % 4] = L"x" + std::to_wstring(i);
  return levels;
}

HRESULT Control::EventPoint::Unadvise(DWORD cookie) {
  const auto found = std::find_if(sinks_.begin(), sinks_.end(), [&](const auto& sink) { return sink.first == cookie; });
  if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
  sinks_.erase(found);
  return S_OK;
}

void Control::EventPoint::fire(DISPID event, std::span<const std::wstring> arguments) {
  if (sinks_.empty()) return;
  EventArguments variants(arguments);
  if (!variants.complete()) return;  // out of memory: better no event than a wrong one
  // A copy, because a sink may unadvise (itself or another) while it handles the event.
  const auto sinks = sinks_;
  for (const auto& [cookie, sink] : sinks) {
    DISPPARAMS parameters = variants.parameters();
    sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr);
  }
}

// ---- the OLE control ----

HRESULT Control::SetClientSite(IOleClientSite* site) {
  // A container takes its site away when it lets go of the control; the view must not outlive
  // the window it lives in.
  if (!site) InPlaceDeactivate();
  clientSite_ = site;
  return S_OK;
}

HRESULT Control::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = clientSite_.Get();
  if (*site) (*site)->AddRef();
  return S_OK;
}

HRESULT Control::Close(DWORD) {
  InPlaceDeactivate();
  device_.stopMonitoring();
  updateDemo();
  return S_OK;
}

HRESULT Control::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return activateInPlace(site ? site : clientSite_.Get(), parent, position);
    case OLEIVERB_HIDE:
      if (view_) ShowWindow(view_, SW_HIDE);
      return S_OK;
    default:
      if (verb < 0) return E_NOTIMPL;
      // Verbs of its own the control has none; a positive one is taken as the primary verb.
      const HRESULT result = activateInPlace(site ? site : clientSite_.Get(), parent, position);
      return FAILED(result) ? result : OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT Control::activateInPlace(IOleClientSite* site, HWND parent, LPCRECT position) {
  if (position) viewRect_ = *position;
  if (view_) {
    SetWindowPos(view_, nullptr, viewRect_.left, viewRect_.top, viewRect_.right - viewRect_.left,
                 viewRect_.bottom - viewRect_.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return S_OK;
  }
  ComPtr<IOleInPlaceSite> inPlaceSite;
  if (site) site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(inPlaceSite.GetAddressOf()));
  if (inPlaceSite && inPlaceSite->CanInPlaceActivate() != S_OK) return E_FAIL;
  if (!parent && inPlaceSite) inPlaceSite->GetWindow(&parent);
  // The device works without a window; with nowhere to show one there is nothing more to do.
  if (!parent) return S_OK;
  if (inPlaceSite) inPlaceSite->OnInPlaceActivate();
  view_ = CreateWindowExW(0, kViewWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, viewRect_.left,
                          viewRect_.top, viewRect_.right - viewRect_.left, viewRect_.bottom - viewRect_.top,
                          parent, nullptr, moduleInstance(), nullptr);
  if (!view_) {
    const HRESULT error = HRESULT_FROM_WIN32(GetLastError());
    if (inPlaceSite) inPlaceSite->OnInPlaceDeactivate();
    return FAILED(error) ? error : E_FAIL;
  }
  inPlaceSite_ = std::move(inPlaceSite);
  return S_OK;
}

HRESULT Control::GetUserClassID(CLSID* classId) {
  if (!classId) return E_POINTER;
  *classId = korvan::kClassId;
  return S_OK;
}

HRESULT Control::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  extent_ = *size;
  return S_OK;
}

HRESULT Control::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  *size = extent_;
  return S_OK;
}

HRESULT Control::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
            OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
  return S_OK;
}

HRESULT Control::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = view_;
  return view_ ? S_OK : E_FAIL;
}

HRESULT Control::InPlaceDeactivate() {
  if (!view_) return S_OK;
  DestroyWindow(view_);
  view_ = nullptr;
  if (inPlaceSite_) {
    ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
    site->OnInPlaceDeactivate();
  }
  return S_OK;
}

HRESULT Control::SetObjectRects(LPCRECT position, LPCRECT) {
  if (!position) return E_INVALIDARG;
  viewRect_ = *position;
  if (view_) {
    SetWindowPos(view_, nullptr, viewRect_.left, viewRect_.top, viewRect_.right - viewRect_.left,
                 viewRect_.bottom - viewRect_.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return S_OK;
}

}  // namespace korvansim
