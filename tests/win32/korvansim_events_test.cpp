// The simulated control's events: raised later on the creating thread, their arguments, their
// sinks, and the built-in demonstration.
#include "korvansim_test.h"

namespace korvansim_testing {
namespace {

// ---- events ----

TEST_F(KorvanSimTest, CallIsRaisedLaterOnTheCreatingThreadWithArgumentsInDeclaredOrder) {
  const auto sink = sim.newSink();
  ASSERT_EQ(sim.send({L"call", L"2", L"0532 417 28 93", L"10.12.2026 14:03:22", L"DEV-1", L"Demo"}), Status::kDone);
  EXPECT_TRUE(sink->events.empty()) << "raised inside the sender's SendMessage";

  ASSERT_TRUE(pumpUntil([&] { return !sink->events.empty(); }, kEventWaitMs));
  const Event& event = sink->events.front();
  EXPECT_EQ(event.id, korvan::kOnCallerID);
  EXPECT_TRUE(event.conventional);
  EXPECT_EQ(event.thread, GetCurrentThreadId());
  const std::vector<std::wstring> expected = {L"DEV-1", L"2", L"0532 417 28 93", L"10.12.2026 14:03:22", L"Demo"};
  EXPECT_EQ(event.arguments, expected);
}

ULONGLONG secondsOf(const SYSTEMTIME& time) {
  FILETIME file;
  SystemTimeToFileTime(&time, &file);
  return ((static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime) / 10000000;
}

// "dd.MM.yyyy HH:mm:ss" and nothing else, as seconds; 0 when it is not that.
ULONGLONG parseDeviceTime(const std::wstring& text) {
  SYSTEMTIME time{};
  int consumed = 0;
  if (text.size() != 19 ||
      swscanf(text.c_str(), L"%2hu.%2hu.%4hu %2hu:%2hu:%2hu%n", &time.wDay, &time.wMonth, &time.wYear,
              &time.wHour, &time.wMinute, &time.wSecond, &consumed) != 6 ||
      consumed != 19) {
    return 0;
  }
  return secondsOf(time);
}

TEST_F(KorvanSimTest, CallDefaultsToNowTheCurrentSerialAndNoOtherText) {
  const auto sink = sim.newSink();
  ASSERT_EQ(sim.send({L"plug", L"KRV-2", L"SER-9"}), Status::kDone);
  SYSTEMTIME before;
  GetLocalTime(&before);
  ASSERT_EQ(sim.send({L"call", L"3", L"02164445566"}), Status::kDone);
  SYSTEMTIME after;
  GetLocalTime(&after);

  ASSERT_TRUE(pumpUntil([&] { return !sink->events.empty(); }, kEventWaitMs));
  const auto& arguments = sink->events.front().arguments;
  ASSERT_EQ(arguments.size(), 5u);
  EXPECT_EQ(arguments[0], L"SER-9");
  EXPECT_EQ(arguments[1], L"3");
  EXPECT_EQ(arguments[2], L"02164445566");
  const ULONGLONG stamped = parseDeviceTime(arguments[3]);
  EXPECT_GE(stamped, secondsOf(before)) << korvansim::toUtf8(arguments[3]);
  EXPECT_LE(stamped, secondsOf(after)) << korvansim::toUtf8(arguments[3]);
  EXPECT_EQ(arguments[4], L"");
}

TEST(KorvanSimEvents, LevelsAreAlwaysEightMissingOnesZero) {
  struct Case {
    std::vector<std::wstring> given;
    std::vector<std::wstring> raised;
  };
  const Case cases[] = {
      {{}, {L"0", L"0", L"0", L"0", L"0", L"0", L"0", L"0"}},
      {{L"12", L"x", L""}, {L"12", L"x", L"", L"0", L"0", L"0", L"0", L"0"}},
      {{L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8"}, {L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8"}},
  };
  for (const auto& c : cases) {
    SimControl sim;
    ASSERT_TRUE(sim.ready());
    const auto sink = sim.newSink();
    std::vector<std::wstring> request = {L"levels"};
    request.insert(request.end(), c.given.begin(), c.given.end());
    ASSERT_EQ(sim.send(request), Status::kDone);
    ASSERT_TRUE(pumpUntil([&] { return !sink->events.empty(); }, kEventWaitMs));
    EXPECT_EQ(sink->events.front().id, korvan::kOnSignalA);
    EXPECT_TRUE(sink->events.front().conventional);
    EXPECT_EQ(sink->events.front().arguments, c.raised) << c.given.size() << " given";
  }
}

TEST_F(KorvanSimTest, EveryAdvisedSinkGetsEventsUntilItUnadvises) {
  const auto eventSink = sim.newSink(true);
  const auto dispatchOnlySink = sim.newSink(false);
  ComPtr<IUnknown> notASink;
  notASink.Attach(new PlainObject);
  EXPECT_EQ(sim.advise(notASink.Get()), CONNECT_E_CANNOTCONNECT);

  ASSERT_EQ(sim.send({L"levels", L"1"}), Status::kDone);
  ASSERT_TRUE(pumpUntil([&] { return eventSink->events.size() == 1 && dispatchOnlySink->events.size() == 1; }, kEventWaitMs));

  ASSERT_EQ(sim.cookies().size(), 2u);
  EXPECT_HRESULT_SUCCEEDED(sim.point()->Unadvise(sim.cookies().front()));
  EXPECT_EQ(sim.point()->Unadvise(sim.cookies().front()), CONNECT_E_NOCONNECTION);
  sim.cookies().erase(sim.cookies().begin());
  ASSERT_EQ(sim.send({L"levels", L"2"}), Status::kDone);
  ASSERT_TRUE(pumpUntil([&] { return dispatchOnlySink->events.size() == 2; }, kEventWaitMs));
  EXPECT_EQ(eventSink->events.size(), 1u);
}

TEST_F(KorvanSimTest, ConnectionPointBelongsToTheControlAndOffersOnlyTheEvents) {
  const auto container = sim.as<IConnectionPointContainer>(IID_IConnectionPointContainer);
  ASSERT_TRUE(container);
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, point.GetAddressOf()), CONNECT_E_NOCONNECTION);
  ASSERT_HRESULT_SUCCEEDED(container->FindConnectionPoint(korvan::kEventsId, point.GetAddressOf()));
  IID iid{};
  ASSERT_HRESULT_SUCCEEDED(point->GetConnectionInterface(&iid));
  EXPECT_EQ(iid, korvan::kEventsId);
  ComPtr<IConnectionPointContainer> owner;
  ASSERT_HRESULT_SUCCEEDED(point->GetConnectionPointContainer(owner.GetAddressOf()));
  EXPECT_EQ(owner.Get(), container.Get());
}

// ---- the built-in demonstration ----

bool isDeviceNumber(const std::wstring& number) {
  std::size_t digits = 0;
  for (wchar_t c : number) {
    if (c >= L'0' && c <= L'9') ++digits;
    else if (c != L' ') return false;
  }
  return number.starts_with(L'0') && digits == 11;
}

TEST_F(KorvanSimTest, DemoRunsOnceMonitoringStartsAndStopsWhenTurnedOff) {
  const auto sink = sim.newSink();
  dispatchWaiting();
  EXPECT_TRUE(sink->events.empty()) << "demo ran before StartMonitoring";
  ASSERT_HRESULT_SUCCEEDED(sim.start());

  ASSERT_TRUE(pumpUntil([&] { return sink->count(korvan::kOnSignalA) >= 2; }, kEventWaitMs));
  for (const auto& event : sink->events) {
    if (event.id != korvan::kOnSignalA) continue;
    ASSERT_EQ(event.arguments.size(), 8u);
    for (int line = 0; line < 4; ++line) {
      const int level = _wtoi(event.arguments[line].c_str());
      EXPECT_TRUE(level >= 0 && level <= 30 && std::to_wstring(level) == event.arguments[line]);
    }
    for (int line = 4; line < 8; ++line) EXPECT_EQ(event.arguments[line], L"0");
  }

  ASSERT_TRUE(pumpUntil([&] { return sink->count(korvan::kOnCallerID) == 1; }, 4000)) << "no demo call";
  const Event& call = *sink->last(korvan::kOnCallerID);
  ASSERT_EQ(call.arguments.size(), 5u);
  EXPECT_EQ(call.arguments[0], kSerial);
  EXPECT_TRUE(call.arguments[1] >= L"1" && call.arguments[1] <= L"4" && call.arguments[1].size() == 1);
  EXPECT_TRUE(isDeviceNumber(call.arguments[2])) << korvansim::toUtf8(call.arguments[2]);
  EXPECT_NE(parseDeviceTime(call.arguments[3]), 0u) << korvansim::toUtf8(call.arguments[3]);

  ASSERT_EQ(sim.send({L"demo", L"off"}), Status::kDone);
  dispatchWaiting();
  const std::size_t seen = sink->events.size();
  // Three level ticks' worth of quiet.
  EXPECT_FALSE(pumpUntil([&] { return sink->events.size() > seen; }, 3 * 200 + 100));
  ASSERT_EQ(sim.send({L"demo", L"on"}), Status::kDone);
  EXPECT_TRUE(pumpUntil([&] { return sink->events.size() > seen; }, kEventWaitMs));
}

TEST(KorvanSimDemo, StaysQuietWhileUnpluggedOrWhenStartingFailed) {
  struct Case {
    const char* name;
    std::vector<std::wstring> request;
  };
  const Case cases[] = {
      {"unplugged", {L"unplug"}},
      {"start failed", {L"fail", L"StartMonitoring"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimControl sim;
    ASSERT_TRUE(sim.ready());
    const auto sink = sim.newSink();
    ASSERT_EQ(sim.send(c.request), Status::kDone);
    sim.start();
    EXPECT_FALSE(pumpUntil([&] { return !sink->events.empty(); }, 3 * 200 + 100));
  }
}

}  // namespace
}  // namespace korvansim_testing
