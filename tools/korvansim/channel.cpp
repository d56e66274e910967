#include "channel.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>

#include "fw/win32/handles.h"

namespace korvansim {
namespace {

constexpr std::size_t kWordBytes = sizeof(std::uint32_t);
constexpr std::size_t kUnitBytes = sizeof(std::uint16_t);
constexpr wchar_t kReplyWindowClass[] = L"KorvanSim.Reply";

void putWord(std::vector<std::byte>& out, std::uint32_t value) {
  const std::size_t at = out.size();
  out.resize(at + kWordBytes);
  std::memcpy(out.data() + at, &value, kWordBytes);
}

// Reads with bounds checks only: the bytes come from another process and may be anything.
class Reader {
 public:
  explicit Reader(std::span<const std::byte> bytes) : bytes_(bytes) {}

  bool word(std::uint32_t& value) {
    if (remaining() < kWordBytes) return false;
    std::memcpy(&value, bytes_.data() + at_, kWordBytes);
    at_ += kWordBytes;
    return true;
  }

  bool units(std::uint32_t count, std::wstring& text) {
    if (count > remaining() / kUnitBytes) return false;
    text.resize(count);
    std::memcpy(text.data(), bytes_.data() + at_, count * kUnitBytes);
    at_ += count * kUnitBytes;
    return true;
  }

  std::size_t remaining() const { return bytes_.size() - at_; }

 private:
  std::span<const std::byte> bytes_;
  std::size_t at_ = 0;
};

std::optional<unsigned> hexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return std::nullopt;
}

std::optional<std::uint64_t> parseDigits(std::wstring_view digits, unsigned base, std::uint64_t max) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (wchar_t c : digits) {
    const auto digit = hexDigit(c);
    if (!digit || *digit >= base) return std::nullopt;
    value = value * base + *digit;
    if (value > max) return std::nullopt;
  }
  return value;
}

std::optional<std::uint32_t> parseCodeBits(std::wstring_view text) {
  if (text.starts_with(L"0x") || text.starts_with(L"0X")) {
    const auto hex = text.substr(2);
    if (hex.size() > 8) return std::nullopt;
    const auto value = parseDigits(hex, 16, UINT32_MAX);
    return value ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*value)) : std::nullopt;
  }
  if (text.starts_with(L'-')) {
    const auto magnitude = parseDigits(text.substr(1), 10, std::uint64_t{1} << 31);
    if (!magnitude) return std::nullopt;
    return static_cast<std::uint32_t>(-static_cast<std::int64_t>(*magnitude));
  }
  const auto value = parseDigits(text, 10, UINT32_MAX);
  return value ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*value)) : std::nullopt;
}

// ---- the reply window the sender answers `log` through ----

struct ReplyInbox {
  HWND expectedSender = nullptr;
  std::optional<std::vector<std::wstring>> strings;
};

LRESULT CALLBACK replyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (message == WM_COPYDATA) {
    auto* inbox = reinterpret_cast<ReplyInbox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    // Anyone on the desktop can send here; take only the control's answer, once.
    if (!inbox || inbox->strings || reinterpret_cast<HWND>(wParam) != inbox->expectedSender ||
        data->dwData != kReplyTag || (data->cbData != 0 && !data->lpData)) {
      return static_cast<LRESULT>(Status::kMalformed);
    }
    auto decoded = decode({static_cast<const std::byte*>(data->lpData), data->cbData}, kReplyLimits);
    if (!decoded) return static_cast<LRESULT>(Status::kMalformed);
    inbox->strings = std::move(decoded->strings);
    return static_cast<LRESULT>(Status::kDone);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HINSTANCE thisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&replyWindowProc), &module);
  return module;
}

class ReplyWindow {
 public:
  explicit ReplyWindow(ReplyInbox& inbox) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = replyWindowProc;
    windowClass.hInstance = thisModule();
    windowClass.lpszClassName = kReplyWindowClass;
    RegisterClassExW(&windowClass);  // already registered by an earlier request is fine
    window_.reset(CreateWindowExW(0, kReplyWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, &inbox));
  }

  HWND get() const { return window_.get(); }

 private:
  fw::win32::UniqueWindow window_;
};

}  // namespace

std::wstring_view describe(Status status) {
  switch (status) {
    case Status::kDone: return L"done";
    case Status::kMalformed: return L"the control refused a malformed request";
    case Status::kUnknownVerb: return L"the control does not know this command";
    case Status::kWrongArgumentCount: return L"wrong number of arguments for this command";
    case Status::kBadArgument: return L"the control refused an argument";
    case Status::kReplyUndeliverable: return L"the control could not deliver its answer";
  }
  return L"unknown status";
}

std::vector<std::byte> encode(std::uint32_t replyWindow, std::span<const std::wstring> strings) {
  std::vector<std::byte> out;
  putWord(out, replyWindow);
  putWord(out, static_cast<std::uint32_t>(strings.size()));
  for (const auto& text : strings) {
    putWord(out, static_cast<std::uint32_t>(text.size()));
    const std::size_t at = out.size();
    out.resize(at + text.size() * kUnitBytes);
    if (!text.empty()) std::memcpy(out.data() + at, text.data(), text.size() * kUnitBytes);
  }
  return out;
}

std::optional<Message> decode(std::span<const std::byte> bytes, const Limits& limits) {
  if (bytes.size() > limits.maxBytes) return std::nullopt;
  Reader reader(bytes);
  Message message;
  std::uint32_t count = 0;
  if (!reader.word(message.replyWindow) || !reader.word(count)) return std::nullopt;
  // Each string takes at least its length word: a count the bytes cannot hold is a lie, and
  // checking it first keeps a hostile count from reserving memory.
  if (count < limits.minStrings || count > limits.maxStrings || count > reader.remaining() / kWordBytes) {
    return std::nullopt;
  }
  message.strings.resize(count);
  for (auto& text : message.strings) {
    std::uint32_t length = 0;
    if (!reader.word(length) || !reader.units(length, text)) return std::nullopt;
  }
  if (reader.remaining() != 0) return std::nullopt;
  return message;
}

std::uint32_t windowToWire(HWND window) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
}

HWND windowFromWire(std::uint32_t value) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
}

const Verb* findVerb(std::wstring_view name) {
  const auto* end = std::end(kVerbs);
  const auto* found = std::find_if(std::begin(kVerbs), end, [&](const Verb& v) { return v.name == name; });
  return found == end ? nullptr : found;
}

Status checkShape(const Message& request) {
  if (request.strings.empty()) return Status::kMalformed;
  const Verb* verb = findVerb(request.strings.front());
  if (!verb) return Status::kUnknownVerb;
  const std::size_t arguments = request.strings.size() - 1;
  if (arguments < verb->minArguments || arguments > verb->maxArguments) {
    return Status::kWrongArgumentCount;
  }
  if (verb->needsReply && request.replyWindow == 0) return Status::kBadArgument;
  return Status::kDone;
}

std::optional<unsigned> parseCallCount(std::wstring_view text) {
  if (text.empty() || text.size() > 6) return std::nullopt;
  unsigned value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - L'0');
  }
  if (value == 0 || value > kMaxBurstCalls) return std::nullopt;
  return value;
}

std::optional<HRESULT> parseFailureCode(std::wstring_view text) {
  const auto bits = parseCodeBits(text);
  if (!bits) return std::nullopt;
  const auto code = static_cast<HRESULT>(*bits);
  if (SUCCEEDED(code)) return std::nullopt;
  return code;
}

std::wstring formatHresult(HRESULT value) {
  wchar_t text[16];
  std::swprintf(text, std::size(text), L"0x%08lX", static_cast<unsigned long>(value));
  return text;
}

std::vector<HWND> findControlWindows(DWORD processId) {
  std::vector<HWND> found;
  HWND window = nullptr;
  while ((window = FindWindowExW(HWND_MESSAGE, window, kControlWindowClass, nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (processId == 0 || owner == processId) found.push_back(window);
  }
  return found;
}

Outcome sendRequest(HWND control, std::span<const std::wstring> strings, UINT timeoutMs) {
  Outcome outcome;
  const Verb* verb = strings.empty() ? nullptr : findVerb(strings.front());
  ReplyInbox inbox{control, std::nullopt};
  std::optional<ReplyWindow> replyWindow;
  if (verb && verb->needsReply) {
    replyWindow.emplace(inbox);
    if (!replyWindow->get()) return outcome;
  }
  auto bytes = encode(replyWindow ? windowToWire(replyWindow->get()) : 0, strings);
  COPYDATASTRUCT data{kRequestTag, static_cast<DWORD>(bytes.size()), bytes.data()};
  DWORD_PTR result = 0;
  // SMTO_NORMAL, not SMTO_BLOCK: the answer of `log` is sent to us while we wait here.
  if (!SendMessageTimeoutW(control, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                           SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &result)) {
    return outcome;
  }
  outcome.delivered = true;
  outcome.status = static_cast<Status>(result);
  if (outcome.status == Status::kDone && replyWindow) {
    if (!inbox.strings) {
      outcome.status = Status::kReplyUndeliverable;
    } else {
      outcome.reply = std::move(*inbox.strings);
    }
  }
  return outcome;
}

}  // namespace korvansim
