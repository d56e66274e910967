// The container contract of the ActiveX host: the order of its calls for every kind of control,
// the site a control sees, events from other threads, a failed step undone, and controls that
// Wine ships (not written here) hosted through the same code.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <wmp.h>
#include <wmpids.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "control_host.h"
#include "harness.h"
#include "korvan.h"

namespace {

using device::ControlHost;
using fw::win32::ComPtr;

// {5B2E1C31-7D4A-4E0B-9C61-2F0D3A8E7B11}: the recording control below, known to this process only.
constexpr CLSID kRecorderId = {0x5B2E1C31, 0x7D4A, 0x4E0B, {0x9C, 0x61, 0x2F, 0x0D, 0x3A, 0x8E, 0x7B, 0x11}};
// {5B2E1C32-7D4A-4E0B-9C61-2F0D3A8E7B11}: its event interface.
constexpr IID kRecorderEvents = {0x5B2E1C32, 0x7D4A, 0x4E0B, {0x9C, 0x61, 0x2F, 0x0D, 0x3A, 0x8E, 0x7B, 0x11}};

enum class Persistence { stream, storage, memory, propertyBag, none };

// What the next recording control is made like, and what it saw.
struct Recording {
  DWORD miscStatus = 0;
  Persistence persistence = Persistence::stream;
  HRESULT initResult = S_OK;
  std::vector<std::string> calls;
  ComPtr<IOleClientSite> siteSeenAtInit;  // what the site answered, kept for the test to ask
  LONG liveObjects = 0;
};
Recording recording;

#define RECORDER_NOT_IMPLEMENTED(signature) \
  STDMETHODIMP signature override { return E_NOTIMPL; }

class EventPoint;

// A control that writes down every container call it gets, in order.
class Recorder final : public IOleObject,
                       public IOleInPlaceObject,
                       public IConnectionPointContainer,
                       public IPersistStreamInit,
                       public IPersistStorage,
                       public IPersistMemory,
                       public IPersistPropertyBag,
                       fw::win32::RefCounted<Recorder> {
 public:
  Recorder();
  ~Recorder();

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    const Persistence kind = recording.persistence;
    if (iid == IID_IUnknown || iid == IID_IOleObject) {
      *out = static_cast<IOleObject*>(this);
    } else if (iid == IID_IOleInPlaceObject || iid == IID_IOleWindow) {
      *out = static_cast<IOleInPlaceObject*>(this);
    } else if (iid == IID_IConnectionPointContainer) {
      *out = static_cast<IConnectionPointContainer*>(this);
    } else if (iid == IID_IPersistStreamInit && kind == Persistence::stream) {
      *out = static_cast<IPersistStreamInit*>(this);
    } else if (iid == IID_IPersistStorage && kind == Persistence::storage) {
      *out = static_cast<IPersistStorage*>(this);
    } else if (iid == IID_IPersistMemory && kind == Persistence::memory) {
      *out = static_cast<IPersistMemory*>(this);
    } else if (iid == IID_IPersistPropertyBag && kind == Persistence::propertyBag) {
      *out = static_cast<IPersistPropertyBag*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return addRef(); }
  STDMETHODIMP_(ULONG) Release() override { return release(); }

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override {
    record(site ? "SetClientSite" : "SetClientSite(null)");
    site_ = ComPtr<IOleClientSite>();
    if (site) {
      site->AddRef();
      site_ = ComPtr<IOleClientSite>::adopt(site);
    }
    return S_OK;
  }
  STDMETHODIMP GetClientSite(IOleClientSite** site) override {
    *site = site_.get();
    if (*site) (*site)->AddRef();
    return S_OK;
  }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD option) override {
    record(option == OLECLOSE_NOSAVE ? "Close(nosave)" : "Close");
    return S_OK;
  }
  RECORDER_NOT_IMPLEMENTED(SetMoniker(DWORD, IMoniker*))
  RECORDER_NOT_IMPLEMENTED(GetMoniker(DWORD, DWORD, IMoniker**))
  RECORDER_NOT_IMPLEMENTED(InitFromData(IDataObject*, BOOL, DWORD))
  RECORDER_NOT_IMPLEMENTED(GetClipboardData(DWORD, IDataObject**))
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position) override {
    record(verb == OLEIVERB_INPLACEACTIVATE ? "DoVerb(inplaceactivate)" : "DoVerb");
    ComPtr<IOleInPlaceSite> inPlace;
    if (!site || FAILED(site->QueryInterface(IID_IOleInPlaceSite, inPlace.putVoid()))) return E_FAIL;
    if (inPlace->CanInPlaceActivate() != S_OK) return E_FAIL;
    inPlace->OnInPlaceActivate();
    window_ = CreateWindowExW(0, L"STATIC", L"recorder", WS_CHILD, position->left, position->top,
                              position->right - position->left, position->bottom - position->top, parent, nullptr,
                              nullptr, nullptr);
    inPlaceSite_ = std::move(inPlace);
    return window_ ? S_OK : E_FAIL;
  }
  RECORDER_NOT_IMPLEMENTED(EnumVerbs(IEnumOLEVERB**))
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* id) override {
    *id = kRecorderId;
    return S_OK;
  }
  RECORDER_NOT_IMPLEMENTED(GetUserType(DWORD, LPOLESTR*))
  RECORDER_NOT_IMPLEMENTED(SetExtent(DWORD, SIZEL*))
  STDMETHODIMP GetExtent(DWORD, SIZEL* size) override {
    *size = {2540, 635};
    return S_OK;
  }
  RECORDER_NOT_IMPLEMENTED(Advise(IAdviseSink*, DWORD*))
  STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
  RECORDER_NOT_IMPLEMENTED(EnumAdvise(IEnumSTATDATA**))
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
    record("GetMiscStatus");
    *status = recording.miscStatus;
    return S_OK;
  }
  RECORDER_NOT_IMPLEMENTED(SetColorScheme(LOGPALETTE*))

  // IOleWindow / IOleInPlaceObject
  STDMETHODIMP GetWindow(HWND* window) override {
    *window = window_;
    return window_ ? S_OK : E_FAIL;
  }
  RECORDER_NOT_IMPLEMENTED(ContextSensitiveHelp(BOOL))
  STDMETHODIMP InPlaceDeactivate() override {
    record("InPlaceDeactivate");
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
    if (inPlaceSite_) inPlaceSite_->OnInPlaceDeactivate();
    inPlaceSite_.reset();
    return S_OK;
  }
  STDMETHODIMP UIDeactivate() override { return S_OK; }
  STDMETHODIMP SetObjectRects(LPCRECT, LPCRECT) override { return S_OK; }
  RECORDER_NOT_IMPLEMENTED(ReactivateAndUndo())

  // IConnectionPointContainer
  RECORDER_NOT_IMPLEMENTED(EnumConnectionPoints(IEnumConnectionPoints**))
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

  // IPersist and its four kinds: each records its initialisation.
  STDMETHODIMP GetClassID(CLSID* id) override { return GetUserClassID(id); }
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP InitNew() override { return initialise("InitNew"); }
  STDMETHODIMP InitNew(IStorage* storage) override { return initialise(storage ? "InitNew(storage)" : "InitNew(null)"); }
  RECORDER_NOT_IMPLEMENTED(Load(IStream*))
  RECORDER_NOT_IMPLEMENTED(Save(IStream*, BOOL))
  RECORDER_NOT_IMPLEMENTED(GetSizeMax(ULARGE_INTEGER*))
  RECORDER_NOT_IMPLEMENTED(Load(IStorage*))
  RECORDER_NOT_IMPLEMENTED(Save(IStorage*, BOOL))
  RECORDER_NOT_IMPLEMENTED(SaveCompleted(IStorage*))
  RECORDER_NOT_IMPLEMENTED(HandsOffStorage())
  RECORDER_NOT_IMPLEMENTED(Load(LPVOID, ULONG))
  RECORDER_NOT_IMPLEMENTED(Save(LPVOID, BOOL, ULONG))
  RECORDER_NOT_IMPLEMENTED(GetSizeMax(ULONG*))
  RECORDER_NOT_IMPLEMENTED(Load(IPropertyBag*, IErrorLog*))
  RECORDER_NOT_IMPLEMENTED(Save(IPropertyBag*, BOOL, BOOL))

  // Raises an event on the calling thread, to every sink.
  void fire(DISPID id, const std::wstring& argument);

 private:
  friend class fw::win32::RefCounted<Recorder>;
  void record(std::string call) { recording.calls.push_back(std::move(call)); }
  HRESULT initialise(const char* call) {
    record(call);
    recording.siteSeenAtInit = site_;
    return recording.initResult;
  }

  ComPtr<IOleClientSite> site_;
  ComPtr<IOleInPlaceSite> inPlaceSite_;
  HWND window_ = nullptr;
  EventPoint* point_;
};

class EventPoint final : public IConnectionPoint {
 public:
  explicit EventPoint(Recorder& owner) : owner_(owner) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
      *out = static_cast<IConnectionPoint*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return owner_.AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return owner_.Release(); }
  STDMETHODIMP GetConnectionInterface(IID* iid) override {
    *iid = kRecorderEvents;
    return S_OK;
  }
  RECORDER_NOT_IMPLEMENTED(GetConnectionPointContainer(IConnectionPointContainer**))
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
    recording.calls.push_back("Advise");
    if (FAILED(sink->QueryInterface(kRecorderEvents, sink_.putVoid()))) return CONNECT_E_CANNOTCONNECT;
    *cookie = 1;
    return S_OK;
  }
  STDMETHODIMP Unadvise(DWORD cookie) override {
    recording.calls.push_back("Unadvise");
    if (cookie != 1 || !sink_) return CONNECT_E_NOCONNECTION;
    sink_.reset();
    return S_OK;
  }
  RECORDER_NOT_IMPLEMENTED(EnumConnections(IEnumConnections**))

  ComPtr<IDispatch> sink_;

 private:
  Recorder& owner_;
};

Recorder::Recorder() : point_(new EventPoint(*this)) { ++recording.liveObjects; }
Recorder::~Recorder() {
  delete point_;
  --recording.liveObjects;
}

STDMETHODIMP Recorder::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  if (iid != kRecorderEvents) return CONNECT_E_NOCONNECTION;
  *point = point_;
  point_->AddRef();
  return S_OK;
}

void Recorder::fire(DISPID id, const std::wstring& argument) {
  if (!point_->sink_) return;
  VARIANT value;
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = SysAllocString(argument.c_str());
  DISPPARAMS params{&value, nullptr, 1, 0};
  point_->sink_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  VariantClear(&value);
}

class RecorderFactory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* recorder = new Recorder();
    const HRESULT hr = recorder->QueryInterface(iid, out);
    recorder->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};
RecorderFactory factory;

// ---- the fixture: COM, the recorder's class, a window of our own ----

struct Received {
  DISPID id;
  std::wstring argument;
  DWORD thread;
};

class ControlHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ASSERT_HRESULT_SUCCEEDED(CoRegisterClassObject(kRecorderId, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                                   &registration_));
    owner_.reset(CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 400, 300,
                                 nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(owner_);
    recording = Recording{};
  }
  void TearDown() override {
    recording.siteSeenAtInit.reset();
    owner_.reset();
    CoRevokeClassObject(registration_);
    CoUninitialize();
  }

  ControlHost::Options options(const CLSID& classId, const IID& events) {
    return {classId, events, owner_.get(), RECT{}, device::Ambients{},
            [this](DISPID id, const DISPPARAMS& params) {
              std::wstring argument;
              if (params.cArgs > 0 && V_VT(&params.rgvarg[params.cArgs - 1]) == VT_BSTR) {
                argument = V_BSTR(&params.rgvarg[params.cArgs - 1]);
              }
              received_.push_back({id, argument, GetCurrentThreadId()});
            }};
  }
  std::unique_ptr<ControlHost> hostRecorder() { return ControlHost::create(options(kRecorderId, kRecorderEvents)); }

  fw::win32::UniqueWindow owner_;
  std::vector<Received> received_;

 private:
  DWORD registration_ = 0;
};

std::string joined(const std::vector<std::string>& calls) {
  std::string text;
  for (const auto& call : calls) text += (text.empty() ? "" : " ") + call;
  return text;
}

// ---- the order of the container's calls ----

TEST_F(ControlHostTest, CallsComeInTheDocumentedOrderForEveryKindOfControl) {
  const std::string teardown = " Unadvise InPlaceDeactivate Close(nosave) SetClientSite(null)";
  struct Case {
    const char* name;
    DWORD miscStatus;
    Persistence persistence;
    std::string setUp;
  };
  const Case cases[] = {
      {"site first, stream", OLEMISC_SETCLIENTSITEFIRST, Persistence::stream,
       "GetMiscStatus SetClientSite InitNew DoVerb(inplaceactivate) Advise"},
      {"site after, stream", 0, Persistence::stream,
       "GetMiscStatus InitNew SetClientSite DoVerb(inplaceactivate) Advise"},
      {"site first, storage", OLEMISC_SETCLIENTSITEFIRST, Persistence::storage,
       "GetMiscStatus SetClientSite InitNew(storage) DoVerb(inplaceactivate) Advise"},
      {"site after, memory", 0, Persistence::memory,
       "GetMiscStatus InitNew SetClientSite DoVerb(inplaceactivate) Advise"},
      {"site first, property bag", OLEMISC_SETCLIENTSITEFIRST, Persistence::propertyBag,
       "GetMiscStatus SetClientSite InitNew DoVerb(inplaceactivate) Advise"},
      {"no persistence: used as it is", OLEMISC_SETCLIENTSITEFIRST, Persistence::none,
       "GetMiscStatus SetClientSite DoVerb(inplaceactivate) Advise"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    recording = Recording{};
    recording.miscStatus = c.miscStatus;
    recording.persistence = c.persistence;
    {
      auto host = hostRecorder();
      EXPECT_EQ(joined(recording.calls), c.setUp);
      EXPECT_EQ(recording.siteSeenAtInit.get() != nullptr, (c.miscStatus & OLEMISC_SETCLIENTSITEFIRST) != 0 &&
                                                               c.persistence != Persistence::none);
      ASSERT_NE(host->window(), nullptr);
      EXPECT_EQ(GetParent(host->window()), owner_.get());
      RECT placed;
      GetWindowRect(host->window(), &placed);
      EXPECT_GT(placed.right - placed.left, 0) << "the control's extent gives its size";
      recording.calls.clear();
      recording.siteSeenAtInit.reset();
    }
    EXPECT_EQ(joined(recording.calls), teardown.substr(1));
    EXPECT_EQ(recording.liveObjects, 0) << "the control was not let go";
  }
}

TEST_F(ControlHostTest, AFailedInitialisationIsUndoneAndReportedWithItsCode) {
  recording.miscStatus = OLEMISC_SETCLIENTSITEFIRST;
  recording.initResult = E_UNEXPECTED;
  try {
    hostRecorder();
    ADD_FAILURE() << "no error";
  } catch (const device::DeviceError& error) {
    EXPECT_EQ(error.result(), E_UNEXPECTED);
    EXPECT_NE(std::string(error.what()).find("IPersistStreamInit::InitNew"), std::string::npos) << error.what();
  }
  EXPECT_EQ(joined(recording.calls), "GetMiscStatus SetClientSite InitNew Close(nosave) SetClientSite(null)");
  recording.siteSeenAtInit.reset();
  EXPECT_EQ(recording.liveObjects, 0);
  // A control that does not implement its initialisation is still used.
  recording = Recording{};
  recording.initResult = E_NOTIMPL;
  EXPECT_NO_THROW(hostRecorder());
}

// ---- what the site answers ----

TEST_F(ControlHostTest, TheSiteAnswersAsAStandardContainer) {
  recording.miscStatus = OLEMISC_SETCLIENTSITEFIRST;
  auto host = hostRecorder();
  const ComPtr<IOleClientSite> site = recording.siteSeenAtInit;
  ASSERT_TRUE(site);
  for (const IID* iid : {&IID_IOleInPlaceSite, &IID_IOleInPlaceSiteEx, &IID_IOleControlSite, &IID_IDispatch,
                         &IID_IOleContainer, &IID_IOleWindow}) {
    ComPtr<IUnknown> answer;
    EXPECT_EQ(site->QueryInterface(*iid, answer.putVoid()), S_OK);
  }

  // Ambient properties: what a running program's form says, and no more.
  ComPtr<IDispatch> ambients;
  ASSERT_EQ(site.queryInterface(IID_IDispatch, ambients), S_OK);
  struct Ambient {
    DISPID id;
    VARTYPE type;
    LONG value;  // VARIANT_TRUE/FALSE for booleans
  };
  const Ambient expected[] = {
      {DISPID_AMBIENT_USERMODE, VT_BOOL, VARIANT_TRUE},
      {DISPID_AMBIENT_UIDEAD, VT_BOOL, VARIANT_FALSE},
      {DISPID_AMBIENT_SHOWHATCHING, VT_BOOL, VARIANT_FALSE},
      {DISPID_AMBIENT_SHOWGRABHANDLES, VT_BOOL, VARIANT_FALSE},
      {DISPID_AMBIENT_DISPLAYASDEFAULT, VT_BOOL, VARIANT_FALSE},
      {DISPID_AMBIENT_MESSAGEREFLECT, VT_BOOL, VARIANT_FALSE},
      {DISPID_AMBIENT_LOCALEID, VT_I4, 0x041F},
      {DISPID_AMBIENT_BACKCOLOR, VT_I4, static_cast<LONG>(0x80000000 | COLOR_BTNFACE)},
      {DISPID_AMBIENT_FORECOLOR, VT_I4, static_cast<LONG>(0x80000000 | COLOR_WINDOWTEXT)},
  };
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  for (const Ambient& a : expected) {
    SCOPED_TRACE(a.id);
    VARIANT value;
    VariantInit(&value);
    ASSERT_EQ(ambients->Invoke(a.id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr), S_OK);
    EXPECT_EQ(V_VT(&value), a.type);
    EXPECT_EQ(a.type == VT_BOOL ? V_BOOL(&value) : V_I4(&value), a.value);
  }
  VARIANT font;
  VariantInit(&font);
  ASSERT_EQ(ambients->Invoke(DISPID_AMBIENT_FONT, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &font, nullptr, nullptr),
            S_OK);
  ASSERT_EQ(V_VT(&font), VT_DISPATCH);
  ComPtr<IFont> oleFont;
  ASSERT_EQ(V_DISPATCH(&font)->QueryInterface(IID_IFont, oleFont.putVoid()), S_OK);
  BSTR name = nullptr;
  oleFont->get_Name(&name);
  EXPECT_STREQ(name, L"MS Sans Serif");
  SysFreeString(name);
  oleFont.reset();
  VariantClear(&font);
  VARIANT unknown;
  VariantInit(&unknown);
  EXPECT_EQ(ambients->Invoke(DISPID_AMBIENT_APPEARANCE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &unknown, nullptr,
                             nullptr),
            DISP_E_MEMBERNOTFOUND);

  // A frame and a document window, both real, both our window.
  ComPtr<IOleInPlaceSite> inPlace;
  ASSERT_EQ(site.queryInterface(IID_IOleInPlaceSite, inPlace), S_OK);
  ComPtr<IOleInPlaceFrame> frame;
  ComPtr<IOleInPlaceUIWindow> document;
  RECT position, clip;
  OLEINPLACEFRAMEINFO info{};
  info.cb = sizeof info;
  ASSERT_EQ(inPlace->GetWindowContext(frame.put(), document.put(), &position, &clip, &info), S_OK);
  ASSERT_TRUE(frame && document);
  HWND frameWindow = nullptr, documentWindow = nullptr;
  frame->GetWindow(&frameWindow);
  document->GetWindow(&documentWindow);
  EXPECT_EQ(frameWindow, owner_.get());
  EXPECT_EQ(documentWindow, owner_.get());
  EXPECT_EQ(info.hwndFrame, owner_.get());
  EXPECT_FALSE(IsRectEmpty(&position));

  ComPtr<IOleControlSite> controlSite;
  ASSERT_EQ(site.queryInterface(IID_IOleControlSite, controlSite), S_OK);
  MSG message{};
  EXPECT_EQ(controlSite->TranslateAccelerator(&message, 0), S_FALSE);
  EXPECT_EQ(controlSite->LockInPlaceActive(TRUE), S_OK);
  EXPECT_EQ(controlSite->OnFocus(TRUE), S_OK);

  // The container holds the one control.
  ComPtr<IOleContainer> container;
  ASSERT_EQ(site->GetContainer(container.put()), S_OK);
  ComPtr<IEnumUnknown> objects;
  ASSERT_EQ(container->EnumObjects(OLECONTF_EMBEDDINGS, objects.put()), S_OK);
  IUnknown* found[2] = {};
  ULONG count = 0;
  EXPECT_EQ(objects->Next(2, found, &count), S_FALSE);
  ASSERT_EQ(count, 1u);
  ComPtr<IUnknown> identity;
  found[0]->QueryInterface(IID_IUnknown, identity.putVoid());
  EXPECT_EQ(identity.get(), host->object().get());
  found[0]->Release();
}

// ---- events ----

TEST_F(ControlHostTest, EventsFromAnotherThreadReachTheHandlerOnThisThreadInOrder) {
  auto host = hostRecorder();
  ComPtr<IOleObject> object;
  ASSERT_EQ(host->object().queryInterface(IID_IOleObject, object), S_OK);
  auto* recorder = static_cast<Recorder*>(object.get());
  constexpr int kCount = 200;
  std::thread worker([&] {
    for (int i = 0; i < kCount; ++i) recorder->fire(7, L"w" + std::to_wstring(i));
  });
  worker.join();
  EXPECT_TRUE(received_.empty()) << "a handler ran on the control's thread";
  // Fired here after the worker's: it must not overtake them.
  recorder->fire(8, L"gui");
  ASSERT_EQ(received_.size(), kCount + 1u);
  for (int i = 0; i < kCount; ++i) {
    EXPECT_EQ(received_[i].id, 7);
    EXPECT_EQ(received_[i].argument, L"w" + std::to_wstring(i));
    EXPECT_EQ(received_[i].thread, GetCurrentThreadId());
  }
  EXPECT_EQ(received_.back().argument, L"gui");

  // Queued and not yet delivered when the host goes: dropped, never delivered to nobody.
  std::thread late([&] { recorder->fire(7, L"late"); });
  late.join();
  object.reset();
  host.reset();
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  EXPECT_EQ(received_.size(), kCount + 1u);
}

// ---- controls this project did not write: Wine's own ----

// {0E59F1D5-1FBE-11D0-8FF2-00A0D10038BC}: the script control (msscript.ocx).
constexpr CLSID kScriptControl = {0x0E59F1D5, 0x1FBE, 0x11D0, {0x8F, 0xF2, 0x00, 0xA0, 0xD1, 0x00, 0x38, 0xBC}};
// {8B167D60-8605-11D0-ABCB-00A0C90FFFC0}: its events (Error, Timeout).
constexpr IID kScriptControlEvents = {0x8B167D60, 0x8605, 0x11D0, {0xAB, 0xCB, 0x00, 0xA0, 0xC9, 0x0F, 0xFF, 0xC0}};
// {6BF52A52-394A-11D3-B153-00C04F79FAA6}: the media player (wmp.dll).
constexpr CLSID kMediaPlayer = {0x6BF52A52, 0x394A, 0x11D3, {0xB1, 0x53, 0x00, 0xC0, 0x4F, 0x79, 0xFA, 0xA6}};
// {6BF52A51-394A-11D3-B153-00C04F79FAA6}: its events.
constexpr IID kMediaPlayerEvents = {0x6BF52A51, 0x394A, 0x11D3, {0xB1, 0x53, 0x00, 0xC0, 0x4F, 0x79, 0xFA, 0xA6}};

// The object is let go by everyone once the host and the test's own pointer are gone.
void expectReleasedAfter(std::unique_ptr<ControlHost> host) {
  IUnknown* object = host->object().get();
  object->AddRef();
  host.reset();
  EXPECT_EQ(object->Release(), 0u) << "a reference was kept";
}

HRESULT invokeByName(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* argument, VARIANT* result) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  const HRESULT found = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(found)) return found;
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{argument, flags == DISPATCH_PROPERTYPUT ? &put : nullptr, argument ? 1u : 0u,
                    flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
}

// A second of silence, 8 kHz 8-bit mono: something for the player to open.
std::wstring silentWave() {
  wchar_t directory[MAX_PATH];
  GetTempPathW(MAX_PATH, directory);
  const std::wstring path = std::wstring(directory) + L"control_host_test.wav";
  constexpr DWORD kSamples = 8000;
  std::vector<unsigned char> file(44 + kSamples, 0x80);
  const auto put = [&](size_t at, DWORD value, size_t size) { memcpy(&file[at], &value, size); };
  memcpy(&file[0], "RIFF", 4);
  put(4, 36 + kSamples, 4);
  memcpy(&file[8], "WAVEfmt ", 8);
  put(16, 16, 4);
  put(20, 1, 2);  // PCM
  put(22, 1, 2);
  put(24, kSamples, 4);
  put(28, kSamples, 4);
  put(32, 1, 2);
  put(34, 8, 2);
  memcpy(&file[36], "data", 4);
  put(40, kSamples, 4);
  fw::win32::UniqueKernelHandle out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  if (out.get() == INVALID_HANDLE_VALUE || !WriteFile(out.get(), file.data(), static_cast<DWORD>(file.size()), &written, nullptr)) {
    ADD_FAILURE() << "cannot write " << harness::utf8(path);
  }
  if (out.get() == INVALID_HANDLE_VALUE) out.release();
  return path;
}

// The script control has no window of its own and, under Wine, no events (its connection point
// refuses sinks); it is created, initialised, sited and runs script through our container.
TEST_F(ControlHostTest, HostsWinesScriptControl) {
  auto options = this->options(kScriptControl, kScriptControlEvents);
  options.eventsRequired = false;
  auto host = ControlHost::create(std::move(options));
  ComPtr<IDispatch> script;
  ASSERT_EQ(host->object().queryInterface(IID_IDispatch, script), S_OK);
  VARIANT language;
  V_VT(&language) = VT_BSTR;
  V_BSTR(&language) = SysAllocString(L"JScript");
  ASSERT_EQ(invokeByName(script.get(), L"Language", DISPATCH_PROPERTYPUT, &language, nullptr), S_OK);
  VariantClear(&language);
  VARIANT expression, result;
  V_VT(&expression) = VT_BSTR;
  V_BSTR(&expression) = SysAllocString(L"6*7");
  VariantInit(&result);
  ASSERT_EQ(invokeByName(script.get(), L"Eval", DISPATCH_METHOD, &expression, &result), S_OK);
  VariantClear(&expression);
  ASSERT_EQ(VariantChangeType(&result, &result, 0, VT_I4), S_OK);
  EXPECT_EQ(V_I4(&result), 42);
  script.reset();
  expectReleasedAfter(std::move(host));
}

// The media player is a windowed control: it is activated in place as a child of our window,
// and opening a file raises its state events, which reach us on this thread.
TEST_F(ControlHostTest, HostsWinesMediaPlayer) {
  auto host = ControlHost::create(options(kMediaPlayer, kMediaPlayerEvents));
  ASSERT_NE(host->window(), nullptr);
  EXPECT_EQ(GetAncestor(host->window(), GA_PARENT), owner_.get());
  ComPtr<IWMPCore> player;
  ASSERT_EQ(host->object().queryInterface(__uuidof(IWMPCore), player), S_OK);
  ComPtr<IWMPSettings> settings;
  ASSERT_EQ(player->get_settings(settings.put()), S_OK);
  settings->put_autoStart(VARIANT_FALSE);  // opening is enough: nothing needs to play
  settings.reset();
  fw::win32::Bstr url(std::u16string(reinterpret_cast<const char16_t*>(silentWave().c_str())));
  ASSERT_EQ(player->put_URL(url.get()), S_OK);
  const auto stateEvent = [&] {
    for (const Received& r : received_) {
      if (r.id == DISPID_WMPCOREEVENT_OPENSTATECHANGE || r.id == DISPID_WMPCOREEVENT_PLAYSTATECHANGE) return true;
    }
    return false;
  };
  EXPECT_TRUE(harness::waitFor(stateEvent, std::chrono::seconds(5)));
  for (const Received& r : received_) EXPECT_EQ(r.thread, GetCurrentThreadId());
  player->close();
  player.reset();
  expectReleasedAfter(std::move(host));
}

}  // namespace
