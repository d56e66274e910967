// The local channel between korvansim.exe and the simulated controls: WM_COPYDATA to a control's
// message-only window. Shared by the control (which decodes), the tool and the tests (which send).
//
// A request is a COPYDATASTRUCT with dwData = kRequestTag and, in lpData, little-endian:
//   uint32 replyWindow   HWND that receives the answer of `log`, 0 when no answer is wanted
//   uint32 count         number of strings, 1..kMaxRequestStrings; the first is the verb
//   count x { uint32 length (UTF-16 code units); length x uint16 code units }
// with nothing after the last string, cbData <= kMaxRequestBytes. The control answers the
// SendMessage with a Status. The answer of `log` is a WM_COPYDATA with dwData = kReplyTag, the
// same layout (replyWindow 0), one string per recorded command.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvansim {

// Every simulated control owns one message-only window of this class.
inline constexpr wchar_t kControlWindowClass[] = L"KorvanSim.Control";

inline constexpr ULONG_PTR kRequestTag = 0x4B534D31;  // "KSM1": request, layout version 1
inline constexpr ULONG_PTR kReplyTag = 0x4B534D52;    // "KSMR": answer to a request

// Large enough for a 1 MB test string with room to spare, small enough that a runaway sender
// cannot make the program copy arbitrary amounts.
inline constexpr std::size_t kMaxRequestBytes = 4u << 20;
inline constexpr std::uint32_t kMaxRequestStrings = 16;
// The log can grow long in a demonstration that runs for hours.
inline constexpr std::size_t kMaxReplyBytes = 64u << 20;
inline constexpr std::uint32_t kMaxReplyStrings = 1u << 20;

// What the control's window returns for WM_COPYDATA. Zero is what a window that does not know
// the request returns, so no status uses it.
enum class Status : LRESULT {
  kDone = 1,
  kMalformed = 2,
  kUnknownVerb = 3,
  kWrongArgumentCount = 4,
  kBadArgument = 5,
  kReplyUndeliverable = 6,
};

std::wstring_view describe(Status status);

struct Message {
  std::uint32_t replyWindow = 0;
  std::vector<std::wstring> strings;
};

struct Limits {
  std::size_t maxBytes;
  std::uint32_t minStrings;  // a request has at least its verb; a reply may be empty
  std::uint32_t maxStrings;
};
inline constexpr Limits kRequestLimits{kMaxRequestBytes, 1, kMaxRequestStrings};
inline constexpr Limits kReplyLimits{kMaxReplyBytes, 0, kMaxReplyStrings};

std::vector<std::byte> encode(std::uint32_t replyWindow, std::span<const std::wstring> strings);
// Empty when the bytes are not exactly one well-formed message within the limits.
std::optional<Message> decode(std::span<const std::byte> bytes, const Limits& limits);

// HWNDs are 32-bit significant on every Windows, so they travel in a uint32.
std::uint32_t windowToWire(HWND window);
HWND windowFromWire(std::uint32_t value);

struct Verb {
  std::wstring_view name;
  std::size_t minArguments;
  std::size_t maxArguments;
  bool needsReply;
};
inline constexpr Verb kVerbs[] = {
    {L"call", 2, 5, false},  {L"levels", 0, 8, false}, {L"plug", 0, 2, false},
    {L"unplug", 0, 0, false}, {L"fail", 1, 2, false},   {L"demo", 1, 1, false},
    {L"log", 0, 0, true},     {L"calls", 3, 3, false},
    {L"levelstorm", 1, 1, false}, {L"replug", 1, 1, false}, {L"failall", 1, 1, false},
    {L"resources", 0, 0, true},
};
const Verb* findVerb(std::wstring_view name);

// Verb known and argument count within its bounds; the arguments themselves are the verb's
// business. kDone when the message may be carried out.
Status checkShape(const Message& request);

// Only failure codes: a "failure" that succeeds would make `fail` silently do nothing.
// Accepts 0x-prefixed hex (1-8 digits), unsigned decimal, or negative decimal.
std::optional<HRESULT> parseFailureCode(std::wstring_view text);
std::wstring formatHresult(HRESULT value);

// How many calls a `calls` burst raises: plain decimal, 1 to kMaxBurstCalls.
inline constexpr unsigned kMaxBurstCalls = 100000;
std::optional<unsigned> parseCallCount(std::wstring_view text);

// The message-only windows of simulated controls, of one process (processId != 0) or of all.
std::vector<HWND> findControlWindows(DWORD processId);

struct Outcome {
  bool delivered = false;  // false: the window did not answer (gone, hung, timed out)
  Status status = Status::kMalformed;
  std::vector<std::wstring> reply;  // for verbs that need one
};

// Sends one request and waits for its status (and its reply, for `log`). The calling thread
// keeps answering sent messages while it waits, which is how the reply gets in.
Outcome sendRequest(HWND control, std::span<const std::wstring> strings, UINT timeoutMs);

}  // namespace korvansim
