// The request channel, where what is refused changes nothing, and korvansim.exe against the
// control in this process.
#include "korvansim_test.h"

namespace korvansim_testing {
namespace {

// ---- the request channel: what is refused changes nothing ----

class RawRequest {
 public:
  RawRequest& word(std::uint32_t value) {
    const auto* bytes = reinterpret_cast<const std::byte*>(&value);
    bytes_.insert(bytes_.end(), bytes, bytes + sizeof value);
    return *this;
  }
  RawRequest& units(std::wstring_view text) {
    const auto* bytes = reinterpret_cast<const std::byte*>(text.data());
    bytes_.insert(bytes_.end(), bytes, bytes + text.size() * sizeof(wchar_t));
    return *this;
  }
  RawRequest& string(std::wstring_view text) { return word(static_cast<std::uint32_t>(text.size())).units(text); }
  RawRequest& byte() {
    bytes_.push_back(std::byte{0});
    return *this;
  }
  std::vector<std::byte>& bytes() { return bytes_; }

 private:
  std::vector<std::byte> bytes_;
};

LRESULT sendRaw(HWND window, ULONG_PTR tag, std::vector<std::byte>& bytes) {
  COPYDATASTRUCT data{tag, static_cast<DWORD>(bytes.size()), bytes.empty() ? nullptr : bytes.data()};
  return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

TEST(KorvanSimChannel, RefusesMalformedRequestsAndChangesNothing) {
  const auto oversizedCall = repeated(L'5', korvansim::kMaxRequestBytes / 2);
  struct Case {
    const char* name;
    ULONG_PTR tag;
    RawRequest request;
    Status status;
  };
  // Built around requests that would unplug the device or raise an event if they got through.
  Case cases[] = {
      {"wrong tag", korvansim::kReplyTag, RawRequest().word(0).word(1).string(L"unplug"), Status::kMalformed},
      {"no bytes", korvansim::kRequestTag, RawRequest(), Status::kMalformed},
      {"header cut short", korvansim::kRequestTag, RawRequest().word(0).byte().byte(), Status::kMalformed},
      {"no strings", korvansim::kRequestTag, RawRequest().word(0).word(0), Status::kMalformed},
      {"more strings counted than sent", korvansim::kRequestTag, RawRequest().word(0).word(2).string(L"unplug"),
       Status::kMalformed},
      {"string longer than the bytes", korvansim::kRequestTag,
       RawRequest().word(0).word(1).word(100).units(L"unplug"), Status::kMalformed},
      {"length of a string cut short", korvansim::kRequestTag,
       RawRequest().word(0).word(2).string(L"unplug").byte().byte(), Status::kMalformed},
      {"odd byte after the last string", korvansim::kRequestTag, RawRequest().word(0).word(1).string(L"unplug").byte(),
       Status::kMalformed},
      {"too many strings", korvansim::kRequestTag,
       [] {
         RawRequest r;
         r.word(0).word(korvansim::kMaxRequestStrings + 1).string(L"levels");
         for (std::uint32_t i = 0; i < korvansim::kMaxRequestStrings; ++i) r.string(L"1");
         return r;
       }(),
       Status::kMalformed},
      {"over the size cap", korvansim::kRequestTag,
       RawRequest().word(0).word(3).string(L"call").string(L"1").string(oversizedCall), Status::kMalformed},
      {"unknown verb", korvansim::kRequestTag, RawRequest().word(0).word(1).string(L"Unplug"), Status::kUnknownVerb},
      {"argument to unplug", korvansim::kRequestTag, RawRequest().word(0).word(2).string(L"unplug").string(L"now"),
       Status::kWrongArgumentCount},
      {"call without number", korvansim::kRequestTag, RawRequest().word(0).word(2).string(L"call").string(L"1"),
       Status::kWrongArgumentCount},
      {"nine levels", korvansim::kRequestTag,
       RawRequest().word(0).word(10).string(L"levels").string(L"1").string(L"2").string(L"3").string(L"4")
           .string(L"5").string(L"6").string(L"7").string(L"8").string(L"9"),
       Status::kWrongArgumentCount},
      {"fail with a success code", korvansim::kRequestTag,
       RawRequest().word(0).word(3).string(L"fail").string(L"serial").string(L"0"), Status::kBadArgument},
      {"fail with no number", korvansim::kRequestTag,
       RawRequest().word(0).word(3).string(L"fail").string(L"serial").string(L"0x8000400G"), Status::kBadArgument},
      {"fail with more than 32 bits", korvansim::kRequestTag,
       RawRequest().word(0).word(3).string(L"fail").string(L"serial").string(L"0x180004005"), Status::kBadArgument},
      {"demo neither on nor off", korvansim::kRequestTag, RawRequest().word(0).word(2).string(L"demo").string(L"On"),
       Status::kBadArgument},
      {"log with nowhere to answer", korvansim::kRequestTag, RawRequest().word(0).word(1).string(L"log"),
       Status::kBadArgument},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimControl sim;
    ASSERT_TRUE(sim.ready());
    const auto sink = sim.newSink();
    EXPECT_EQ(sendRaw(sim.window(), c.tag, c.request.bytes()), static_cast<LRESULT>(c.status));
    dispatchWaiting();  // anything queued would be raised now
    EXPECT_TRUE(sink->events.empty());
    EXPECT_EQ(sim.answerTo(L"devicemodel"), kModel);
    EXPECT_EQ(sim.answerTo(L"serial"), kSerial) << "a failure was queued";
  }
}

TEST_F(KorvanSimTest, TakesAMegabyteStringWhole) {
  const auto sink = sim.newSink();
  std::wstring number = repeated(L'7', 1u << 20);
  number[12345] = static_cast<wchar_t>(0xDC00);
  ASSERT_EQ(sim.send({L"call", L"1", number}), Status::kDone);
  ASSERT_TRUE(pumpUntil([&] { return !sink->events.empty(); }, kEventWaitMs));
  ASSERT_EQ(sink->events.front().arguments.size(), 5u);
  EXPECT_TRUE(sink->events.front().arguments[2] == number);
}

TEST_F(KorvanSimTest, LogToAWindowThatIsGoneIsReportedUndeliverable) {
  HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(gone, nullptr);
  DestroyWindow(gone);
  RawRequest request;
  request.word(korvansim::windowToWire(gone)).word(1).string(L"log");
  const LRESULT status = sendRaw(sim.window(), korvansim::kRequestTag, request.bytes());
  EXPECT_EQ(status, static_cast<LRESULT>(Status::kReplyUndeliverable));
}


// ---- the pieces of the tool that can be checked alone ----

TEST(KorvanSimText, UnescapesCodeUnitsAndBackslashesAndRefusesTheRest) {
  struct Case {
    std::wstring_view argument;
    std::wstring text;
    std::optional<std::size_t> errorAt;
  };
  const Case cases[] = {
      {L"plain", L"plain", {}},
      {L"\\u00e7", L"\u00e7", {}},
      {L"\\u00E7x", L"\u00e7x", {}},
      {L"\\ud800", std::wstring(1, static_cast<wchar_t>(0xD800)), {}},
      {L"a\\\\u0041", L"a\\u0041", {}},
      {L"\\\\\\\\", L"\\\\", {}},
      {L"\\u0000", std::wstring(1, L'\0'), {}},
      {L"x\\u12", L"", 1},
      {L"\\u12g4", L"", 0},
      {L"\\U00e7", L"", 0},
      {L"ab\\n", L"", 2},
      {L"trailing\\", L"", 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(korvansim::toUtf8(c.argument));
    const auto result = korvansim::unescape(c.argument);
    EXPECT_EQ(result.errorAt, c.errorAt);
    if (!c.errorAt) {
      EXPECT_EQ(result.text, c.text);
    }
  }
}

TEST(KorvanSimText, Utf8KeepsPairsAndReplacesLoneSurrogates) {
  struct Case {
    std::wstring text;
    std::string utf8;
  };
  const Case cases[] = {
      {L"abc", "abc"},
      {L"\u00e7\u011f", "\xC3\xA7\xC4\x9F"},
      {L"\u20ac", "\xE2\x82\xAC"},
      {L"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
      {std::wstring(1, static_cast<wchar_t>(0xD800)) + L"x", "\xEF\xBF\xBDx"},
      {L"x" + std::wstring(1, static_cast<wchar_t>(0xDC00)), "x\xEF\xBF\xBD"},
      {L"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) EXPECT_EQ(korvansim::toUtf8(c.text), c.utf8);
}

// ---- korvansim.exe against the control in this process ----

// Quoted so that CommandLineToArgvW gives back exactly `argument`.
std::wstring quoted(const std::wstring& argument) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

UniqueHandle temporaryFile() {
  wchar_t directory[MAX_PATH];
  wchar_t path[MAX_PATH];
  GetTempPathW(MAX_PATH, directory);
  GetTempFileNameW(directory, L"ksm", 0, path);
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  return UniqueHandle(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                  nullptr));
}

std::string contentsOf(HANDLE file) {
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  return text;
}

struct CliRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;
  std::string errors;
};

CliRun runCli(const std::vector<std::wstring>& arguments) {
  CliRun run;
  const std::wstring exe = binaryPath(L"korvansim.exe");
  std::wstring commandLine = quoted(exe);
  for (const auto& argument : arguments) commandLine += L" " + quoted(argument);
  const UniqueHandle output = temporaryFile();
  const UniqueHandle errors = temporaryFile();
  if (output.get() == INVALID_HANDLE_VALUE || errors.get() == INVALID_HANDLE_VALUE) return run;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output.get();
  startup.hStdError = errors.get();
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &process)) {
    run.errors = "CreateProcess failed";
    return run;
  }
  const UniqueHandle processHandle(process.hProcess);
  const UniqueHandle threadHandle(process.hThread);
  // The tool's SendMessage is answered by this thread, so it must keep pumping while it waits.
  const bool ended = pumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 30000,
                               process.hProcess);
  if (!ended) {
    TerminateProcess(process.hProcess, 99);
    run.errors = "korvansim.exe did not end";
    return run;
  }
  GetExitCodeProcess(process.hProcess, &run.exitCode);
  run.output = contentsOf(output.get());
  run.errors = contentsOf(errors.get());
  return run;
}

std::wstring ownProcessId() { return std::to_wstring(GetCurrentProcessId()); }

TEST_F(KorvanSimTest, CliRaisesEventsWithEscapedTextAndPrintsTheLog) {
  const auto sink = sim.newSink();

  auto run = runCli({L"--pid", ownProcessId(), L"call", L"1", L"\\u00e7\\ud800 \\\\x"});
  ASSERT_EQ(run.exitCode, 0u) << run.errors;
  ASSERT_TRUE(pumpUntil([&] { return sink->count(korvan::kOnCallerID) == 1; }, kEventWaitMs));
  const std::wstring expectedNumber = L"\u00e7" + std::wstring(1, static_cast<wchar_t>(0xD800)) + L" \\x";
  const auto& call = sink->last(korvan::kOnCallerID)->arguments;
  ASSERT_EQ(call.size(), 5u);
  EXPECT_EQ(call[1], L"1");
  EXPECT_EQ(call[2], expectedNumber);
  EXPECT_EQ(call[0], kSerial);

  run = runCli({L"--pid", ownProcessId(), L"levels", L"5", L"6"});
  ASSERT_EQ(run.exitCode, 0u) << run.errors;
  ASSERT_TRUE(pumpUntil([&] { return sink->count(korvan::kOnSignalA) == 1; }, kEventWaitMs));
  const std::vector<std::wstring> levels = {L"5", L"6", L"0", L"0", L"0", L"0", L"0", L"0"};
  EXPECT_EQ(sink->last(korvan::kOnSignalA)->arguments, levels);

  sim.answerTo(L"devicemodel");
  ASSERT_HRESULT_SUCCEEDED(sim.start());
  sim.answerTo(L"\u00e7a\u011fr\u0131");
  run = runCli({L"--pid", ownProcessId(), L"log"});
  ASSERT_EQ(run.exitCode, 0u) << run.errors;
  EXPECT_EQ(run.output, "devicemodel\nStartMonitoring\n\xC3\xA7" "a\xC4\x9Fr\xC4\xB1\n");
}

TEST_F(KorvanSimTest, CliDrivesTheDeviceState) {
  auto run = runCli({L"--pid", ownProcessId(), L"plug", L"KRV-\\u00c7", L"S-2"});
  ASSERT_EQ(run.exitCode, 0u) << run.errors;
  EXPECT_EQ(sim.answerTo(L"devicemodel"), L"KRV-\u00c7");
  EXPECT_EQ(sim.answerTo(L"serial"), L"S-2");

  run = runCli({L"--pid", ownProcessId(), L"fail", L"serial", L"0x80070005"});
  ASSERT_EQ(run.exitCode, 0u) << run.errors;
  EXPECT_EQ(sim.execute(L"serial"), E_ACCESSDENIED);

  run = runCli({L"--pid", ownProcessId(), L"unplug"});
  ASSERT_EQ(run.exitCode, 0u) << run.errors;
  EXPECT_EQ(sim.answerTo(L"devicemodel"), L"");
}

TEST_F(KorvanSimTest, CliRefusesBadInputClearlyAndChangesNothing) {
  const auto sink = sim.newSink();
  struct Case {
    std::vector<std::wstring> arguments;
    DWORD exitCode;
    const char* message;
  };
  const Case cases[] = {
      {{L"unplug", L"now"}, 2, "wrong number of arguments"},
      {{L"call", L"1"}, 2, "wrong number of arguments"},
      {{L"Unplug"}, 2, "unknown command"},
      {{L"call", L"1", L"\\u12"}, 2, "bad escape"},
      {{L"call", L"1", L"C:\\temp"}, 2, "bad escape"},
      {{L"fail", L"serial", L"0"}, 2, "not a failure HRESULT"},
      {{L"demo", L"maybe"}, 2, "on or off"},
      {{L"calls", L"0", L"1", L"0532"}, 2, "not a call count"},
      {{L"calls", L"100001", L"1", L"0532"}, 2, "not a call count"},
      {{L"calls", L"+5", L"1", L"0532"}, 2, "not a call count"},
      {{L"--pid", L"x", L"unplug"}, 2, "--pid needs a process id"},
      {{L"--verbose", L"unplug"}, 2, "unknown option"},
      {{}, 2, "no command given"},
      {{L"--pid", L"4294967292", L"unplug"}, 1, "hosts no simulated Korvan control"},
  };
  for (const auto& c : cases) {
    std::vector<std::wstring> arguments = c.arguments;
    if (arguments.empty() || arguments.front() != L"--pid") {
      arguments.insert(arguments.begin(), {L"--pid", ownProcessId()});
    }
    const auto run = runCli(arguments);
    SCOPED_TRACE(run.errors);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_NE(run.errors.find(c.message), std::string::npos);
    EXPECT_TRUE(run.output.empty());
  }
  dispatchWaiting();
  EXPECT_TRUE(sink->events.empty());
  EXPECT_EQ(sim.answerTo(L"devicemodel"), kModel);
  EXPECT_EQ(sim.answerTo(L"serial"), kSerial);
}

}  // namespace
}  // namespace korvansim_testing
