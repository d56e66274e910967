// The OLE control a container sees: in-place activation, its view, its site and its extent.
#include "korvansim_test.h"

namespace korvansim_testing {
namespace {

// ---- the OLE control a container sees ----

UniqueWindow makeParentWindow() {
  return UniqueWindow(CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 320, 200, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr));
}

RECT childRect(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Its own visibility: the test's parent window is never shown, so IsWindowVisible says nothing.
bool shown(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

TEST_F(KorvanSimTest, InPlaceActivationShowsAViewInTheParentUntilDeactivated) {
  const auto object = sim.as<IOleObject>(IID_IOleObject);
  const auto inPlace = sim.as<IOleInPlaceObject>(IID_IOleInPlaceObject);
  ASSERT_TRUE(object && inPlace);
  const UniqueWindow parent = makeParentWindow();
  HWND view = nullptr;
  EXPECT_EQ(inPlace->GetWindow(&view), E_FAIL) << "a view before activation";

  const RECT position{10, 20, 110, 44};
  ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, parent.get(), &position), S_OK);
  ASSERT_EQ(inPlace->GetWindow(&view), S_OK);
  EXPECT_EQ(GetParent(view), parent.get());
  EXPECT_TRUE(shown(view));
  EXPECT_TRUE(childRect(view) == position);

  const RECT moved{5, 5, 55, 29};
  ASSERT_EQ(inPlace->SetObjectRects(&moved, &moved), S_OK);
  EXPECT_TRUE(childRect(view) == moved);
  EXPECT_EQ(object->DoVerb(OLEIVERB_HIDE, nullptr, nullptr, 0, parent.get(), nullptr), S_OK);
  EXPECT_FALSE(shown(view));
  EXPECT_EQ(object->DoVerb(OLEIVERB_OPEN, nullptr, nullptr, 0, parent.get(), nullptr), E_NOTIMPL);

  ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
  EXPECT_FALSE(IsWindow(view));
  EXPECT_EQ(inPlace->GetWindow(&view), E_FAIL);
}

TEST_F(KorvanSimTest, InPlaceActivationFollowsTheSite) {
  const auto object = sim.as<IOleObject>(IID_IOleObject);
  const auto inPlace = sim.as<IOleInPlaceObject>(IID_IOleInPlaceObject);
  const UniqueWindow parent = makeParentWindow();

  ComPtr<FakeSite> refusing;
  refusing.Attach(new FakeSite(parent.get(), false));
  EXPECT_HRESULT_FAILED(object->DoVerb(OLEIVERB_SHOW, nullptr, refusing.Get(), 0, nullptr, nullptr));
  EXPECT_EQ(refusing->activations, 0);

  ComPtr<FakeSite> site;
  site.Attach(new FakeSite(parent.get(), true));
  ASSERT_EQ(object->SetClientSite(site.Get()), S_OK);
  ComPtr<IOleClientSite> gotSite;
  ASSERT_EQ(object->GetClientSite(gotSite.GetAddressOf()), S_OK);
  EXPECT_EQ(gotSite.Get(), static_cast<IOleClientSite*>(site.Get()));
  gotSite.Reset();

  // No parent given: the site's window is the parent.
  ASSERT_EQ(object->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
  HWND view = nullptr;
  ASSERT_EQ(inPlace->GetWindow(&view), S_OK);
  EXPECT_EQ(GetParent(view), parent.get());
  EXPECT_TRUE(shown(view));
  EXPECT_EQ(site->activations, 1);
  EXPECT_EQ(object->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
  EXPECT_EQ(site->activations, 1) << "activated twice";

  // Taking the site away deactivates, and tells the site so.
  ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
  EXPECT_FALSE(IsWindow(view));
  EXPECT_EQ(site->deactivations, 1);
}

TEST_F(KorvanSimTest, OleObjectBasics) {
  const auto object = sim.as<IOleObject>(IID_IOleObject);
  ASSERT_TRUE(object);
  CLSID classId{};
  ASSERT_EQ(object->GetUserClassID(&classId), S_OK);
  EXPECT_EQ(classId, korvan::kClassId);

  SIZEL extent{5000, 1000};
  EXPECT_EQ(object->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
  SIZEL read{};
  EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &read), S_OK);
  EXPECT_EQ(read.cx, 5000);
  EXPECT_EQ(read.cy, 1000);
  EXPECT_EQ(object->GetExtent(DVASPECT_ICON, &read), DV_E_DVASPECT);

  DWORD status = 0;
  ASSERT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_TRUE(status & OLEMISC_SETCLIENTSITEFIRST);
  // No window anywhere: still fine, the device needs none.
  EXPECT_EQ(object->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, nullptr, nullptr), S_OK);

  // Close ends monitoring: no demo afterwards.
  const auto sink = sim.newSink();
  ASSERT_HRESULT_SUCCEEDED(sim.start());
  ASSERT_TRUE(pumpUntil([&] { return !sink->events.empty(); }, kEventWaitMs));
  ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
  dispatchWaiting();
  const std::size_t seen = sink->events.size();
  EXPECT_FALSE(pumpUntil([&] { return sink->events.size() > seen; }, 3 * 200 + 100));
}

}  // namespace
}  // namespace korvansim_testing
