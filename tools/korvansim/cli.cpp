// korvansim.exe: drives the simulated control inside a running program, so that calls, line
// levels, a pulled cable or a failing device can be shown and tested without hardware.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "channel.h"
#include "text.h"

namespace {

using korvansim::Status;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
// Long enough for a host busy with a 1 MB request; a hung host is caught sooner by
// SMTO_ABORTIFHUNG.
constexpr UINT kAnswerTimeoutMs = 10000;

constexpr wchar_t kUsage[] =
    L"usage: korvansim [--pid N] COMMAND [ARGUMENTS]\n"
    L"  call LINE NUMBER [DATETIME] [DEVICEID] [OTHER]\n"
    L"                        raise OnCallerID (DATETIME: now, DEVICEID: the serial, OTHER: empty)\n"
    L"  calls N LINE PREFIX  raise N OnCallerID back to back (numbers PREFIX1 ... PREFIXN)\n"
    L"  levels [L1 ... L8]    raise OnSignalA; levels not given are \"0\"\n"
    L"  plug [MODEL] [SERIAL] plug the device in (default KRV-4 USB, KV4-0193527)\n"
    L"  unplug                pull it out: \"devicemodel\" then answers empty\n"
    L"  fail COMMAND [HRESULT]\n"
    L"                        the next COMMAND (or StartMonitoring) fails with HRESULT (E_FAIL)\n"
    L"  demo on|off           the built-in demonstration (on by default)\n"
    L"  log                   the commands the control received, one a line\n"
    L"  levelstorm N          raise N OnSignalA as fast as the host takes them, its timers still\n"
    L"                        running (every 7th with a non-number; the last 11 22 33 44)\n"
    L"  replug N              N unplug/plug cycles, one step at each \"devicemodel\" the host asks\n"
    L"  failall on|off        every command and StartMonitoring fails (E_FAIL) until off\n"
    L"  resources             what the host process holds: GDI and USER objects, handles,\n"
    L"                        working set, committed private memory, bytes and blocks in use\n"
    L"                        in its heaps (read inside the process, where Wine counts them)\n"
    L"Set before the program starts: KORVANSIM_DEMO=off (no demonstration from the start),\n"
    L"KORVANSIM_FAIL_ALL=1 (failall from creation),\n"
    L"KORVANSIM_EARLY_EVENTS=N (N calls and a levels update raised while the host creates and\n"
    L"starts the control: on connecting its events, then inside StartMonitoring).\n"
    L"In arguments \\uXXXX is that UTF-16 code unit (lone surrogates too) and \\\\ a backslash.\n"
    L"Without --pid, the one process that hosts a simulated control is driven.\n";

void write(DWORD stream, std::wstring_view text) {
  HANDLE handle = GetStdHandle(stream);
  if (!handle || handle == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(handle, &mode)) {
    WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  // Redirected: bytes, and UTF-8 is what a script or a test reads back.
  const std::string bytes = korvansim::toUtf8(text);
  WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void say(std::wstring_view text) { write(STD_OUTPUT_HANDLE, std::wstring(text) + L"\n"); }

int failWith(int exitCode, std::wstring_view message) {
  write(STD_ERROR_HANDLE, L"korvansim: " + std::wstring(message) + L"\n");
  return exitCode;
}

int usageError(std::wstring_view message) {
  write(STD_ERROR_HANDLE, L"korvansim: " + std::wstring(message) + L"\n\n" + kUsage);
  return kExitUsage;
}

std::vector<std::wstring> commandLine() {
  int count = 0;
  std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
  if (!argv) return {};
  return {argv.get() + 1, argv.get() + count};
}

std::optional<DWORD> parseProcessId(const std::wstring& text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  unsigned long long value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - L'0');
  }
  if (value == 0 || value > MAXDWORD) return std::nullopt;
  return static_cast<DWORD>(value);
}

// The control checks all of this again; checking here too gives the user the usage text and a
// precise message instead of a refusal.
std::optional<std::wstring> problemWith(std::vector<std::wstring>& words) {
  const auto* verb = korvansim::findVerb(words.front());
  if (!verb) return L"unknown command \"" + words.front() + L"\"";
  const std::size_t arguments = words.size() - 1;
  if (arguments < verb->minArguments || arguments > verb->maxArguments) {
    return L"wrong number of arguments for \"" + words.front() + L"\"";
  }
  if (verb->name == L"fail" && words.size() > 2) {
    const auto code = korvansim::parseFailureCode(words[2]);
    if (!code) return L"\"" + words[2] + L"\" is not a failure HRESULT (e.g. 0x80004005)";
    words[2] = korvansim::formatHresult(*code);
  }
  if (verb->name == L"calls" && !korvansim::parseCallCount(words[1])) {
    return L"\"" + words[1] + L"\" is not a call count (1 to " + std::to_wstring(korvansim::kMaxBurstCalls) + L")";
  }
  if ((verb->name == L"levelstorm" || verb->name == L"replug") && !korvansim::parseCallCount(words[1])) {
    return L"\"" + words[1] + L"\" is not a count (1 to " + std::to_wstring(korvansim::kMaxBurstCalls) + L")";
  }
  if ((verb->name == L"demo" || verb->name == L"failall") && words[1] != L"on" && words[1] != L"off") {
    return std::wstring(verb->name) + L" takes on or off";
  }
  return std::nullopt;
}

DWORD processOf(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  return processId;
}

struct Target {
  HWND window = nullptr;
  std::wstring problem;
};

Target findTarget(DWORD processId) {
  const auto windows = korvansim::findControlWindows(processId);
  if (windows.size() == 1) return {windows.front(), {}};
  if (windows.empty()) {
    return {nullptr, processId ? L"process " + std::to_wstring(processId) + L" hosts no simulated Korvan control"
                               : L"no simulated Korvan control is running"};
  }
  std::wstring processes;
  for (HWND window : windows) {
    processes += (processes.empty() ? L"" : L", ") + std::to_wstring(processOf(window));
  }
  return {nullptr, L"several simulated Korvan controls are running (processes " + processes +
                       L"); choose one with --pid"};
}

int drive(DWORD processId, const std::vector<std::wstring>& words) {
  const Target target = findTarget(processId);
  if (!target.window) return failWith(kExitFailed, target.problem);
  const auto outcome = korvansim::sendRequest(target.window, words, kAnswerTimeoutMs);
  if (!outcome.delivered) return failWith(kExitFailed, L"the control did not answer (program busy or gone)");
  if (outcome.status != Status::kDone) return failWith(kExitFailed, korvansim::describe(outcome.status));
  if (korvansim::findVerb(words.front())->needsReply) {
    for (const auto& entry : outcome.reply) say(entry);
  } else {
    say(words.front() + L": done in process " + std::to_wstring(processOf(target.window)));
  }
  return kExitOk;
}

int run(const std::vector<std::wstring>& arguments) {
  DWORD processId = 0;
  std::size_t next = 0;
  for (; next < arguments.size() && arguments[next].starts_with(L"--"); ++next) {
    if (arguments[next] == L"--help") {
      write(STD_OUTPUT_HANDLE, kUsage);
      return kExitOk;
    }
    if (arguments[next] != L"--pid") return usageError(L"unknown option " + arguments[next]);
    const auto parsed = next + 1 < arguments.size() ? parseProcessId(arguments[next + 1]) : std::nullopt;
    if (!parsed) return usageError(L"--pid needs a process id");
    processId = *parsed;
    ++next;
  }
  if (next == arguments.size()) return usageError(L"no command given");

  std::vector<std::wstring> words;
  for (; next < arguments.size(); ++next) {
    auto unescaped = korvansim::unescape(arguments[next]);
    if (unescaped.errorAt) {
      return usageError(L"bad escape at character " + std::to_wstring(*unescaped.errorAt + 1) + L" of \"" +
                        arguments[next] + L"\": use \\uXXXX (four hex digits) or \\\\");
    }
    words.push_back(std::move(unescaped.text));
  }
  if (const auto problem = problemWith(words)) return usageError(*problem);
  return drive(processId, words);
}

}  // namespace

int main() { return run(commandLine()); }
