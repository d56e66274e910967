// What arrives through the control's message-only window: korvansim.exe's requests, the events
// they queue, and the timers of the demonstration and of a level storm.
#include "control.h"

#include <algorithm>

#include "process_resources.h"

namespace korvansim {
namespace {

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

std::wstring argumentOr(std::span<const std::wstring> arguments, std::size_t index, std::wstring fallback) {
  return index < arguments.size() ? arguments[index] : std::move(fallback);
}

// The levels of a `levelstorm` update with `left` more to come; the last is 11 22 33 44.
std::vector<std::wstring> stormLevels(unsigned left) {
  if (left == 0) return {L"11", L"22", L"33", L"44", L"0", L"0", L"0", L"0"};
  std::vector<std::wstring> levels(8, L"0");
  const unsigned i = left;
  for (unsigned line = 0; line < 4; ++line) levels[line] = std::to_wstring((i * (line + 3)) % 31);
  if (i % 7 == 0) levels[i % 4] = L"x" + std::to_wstring(i);
  return levels;
}

}  // namespace

// ---- the demonstration's and the storm's timers ----

void Control::updateDemo() {
  const bool shouldRun = messageWindow_ && device_.monitoring() && demoEnabled_;
  if (shouldRun == demoRunning_) return;
  demoRunning_ = shouldRun;
  if (shouldRun) {
    SetTimer(messageWindow_.get(), kLevelsTimer, kLevelsIntervalMs, nullptr);
    SetTimer(messageWindow_.get(), kCallTimer, demo_.firstCallDelayMs(), nullptr);
  } else {
    KillTimer(messageWindow_.get(), kLevelsTimer);
    KillTimer(messageWindow_.get(), kCallTimer);
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
  if (stormLeft_ == 0) KillTimer(messageWindow_.get(), kStormTimer);
}

void Control::onCallTimer() {
  // Re-armed before raising: the sink may run a modal loop that lets the next tick through.
  SetTimer(messageWindow_.get(), kCallTimer, demo_.nextCallDelayMs(), nullptr);
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
    queueEvent(korvan::kOnCallerID, {device_.serial(), arguments[1], arguments[2], formatDateTime(now), L""}, *count);
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
    SetTimer(messageWindow_.get(), kStormTimer, 1, nullptr);
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
  const bool sent = SendMessageTimeoutW(replyTo, WM_COPYDATA, reinterpret_cast<WPARAM>(messageWindow_.get()),
                                        reinterpret_cast<LPARAM>(&data), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                        kReplyTimeoutMs, &result) != 0;
  return sent && static_cast<Status>(result) == Status::kDone ? Status::kDone : Status::kReplyUndeliverable;
}

void Control::queueEvent(DISPID id, std::vector<std::wstring> arguments, unsigned burst) {
  pending_.push_back({id, std::move(arguments), burst});
  PostMessageW(messageWindow_.get(), kFirePendingMessage, 0, 0);
}

void Control::fireNextQueued() {
  // Everything queued goes: a post that was lost (full queue) must not strand an event. Each
  // is taken off (a burst's call counted) before it is raised, so a nested drain from a sink's
  // modal loop keeps order.
  while (!pending_.empty()) {
    const PendingEvent event = takeNextQueued();
    events_.fire(event.id, event.arguments);
  }
}

Control::PendingEvent Control::takeNextQueued() {
  PendingEvent& front = pending_.front();
  if (front.burst == 0) {
    PendingEvent event = std::move(front);
    pending_.pop_front();
    return event;
  }
  // The calls of a burst are numbered from 1 after the number given (argument 2).
  PendingEvent event{front.id, front.arguments};
  event.arguments[2] += std::to_wstring(++front.raised);
  if (front.raised == front.burst) pending_.pop_front();
  return event;
}

}  // namespace korvansim
