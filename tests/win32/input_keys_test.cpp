// Keys through the program's own message loop and the dialog manager in it, and characters
// across the code page, in real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include "input_fixture.h"

namespace {

using namespace input_test;
using namespace std::chrono_literals;
using fw::win32::nativeWindow;

TEST_F(Input, KeysReachTheFocusedControlPastTheDialogManagerWhenItKeepsThem) {
  probe->claimed = {VK_DOWN, VK_RIGHT};
  enum Focus { Stays, Moves, Either };
  const struct {
    WORD key;
    bool reaches;
    Focus focus;
    const char* why;
  } cases[] = {
      {VK_RETURN, true, Stays, "no default button: Enter belongs to the control"},
      {VK_DOWN, true, Stays, "claimed"},
      {VK_RIGHT, true, Stays, "claimed"},
      {VK_UP, false, Either, "not claimed: the dialog manager's, for moving in the group"},
      {VK_TAB, false, Moves, "Tab stays with the dialog manager"},
      {'A', true, Stays, "an ordinary key"},
  };
  for (const auto& c : cases) {
    focus(*probe);
    post(*probe, WM_KEYDOWN, c.key, 1);
    pump();
    const std::vector<std::string> expected =
        c.reaches ? std::vector<std::string>{"key " + std::to_string(c.key)} : std::vector<std::string>{};
    std::vector<std::string> keys;
    for (const auto& e : probe->events)
      if (e.starts_with("key")) keys.push_back(e);
    EXPECT_EQ(keys, expected) << c.key << ": " << c.why;
    if (c.focus != Either) {
      EXPECT_EQ(GetFocus() == nativeWindow(*probe), c.focus == Stays) << c.key << ": " << c.why;
    }
  }
}

TEST_F(Input, CharactersGoToAControlThatWantsThemAndOtherwiseToMnemonics) {
  for (bool wants : {true, false}) {
    probe->characters = wants;
    clicks = 0;
    focus(*probe);
    post(*probe, WM_CHAR, 'k', 1);
    pump();
    EXPECT_EQ(probe->events, std::vector<std::string>{wants ? "char k" : "lost Button"}) << wants;
    EXPECT_EQ(clicks, wants ? 0 : 1) << "the button's mnemonic, when the control does not want characters";
  }
}

TEST_F(Input, AnEditsKeysPassOnUnlessEatenAndChangedKeysPassOnChanged) {
  const struct {
    const char* what;
    std::function<bool(int&)> handler;
    DWORD caret;
  } cases[] = {
      {"passed on", [](int&) { return false; }, 0},
      {"eaten", [](int&) { return true; }, 1},
      {"set to 0", [](int& k) { k = 0; return false; }, 1},
      {"changed to End", [](int& k) { k = VK_END; return false; }, 3},
  };
  for (const auto& c : cases) {
    edit->setCaption("abc");
    SendMessageW(nativeWindow(*edit), EM_SETSEL, 1, 1);
    focus(*edit);
    edit->key = c.handler;
    post(*edit, WM_KEYDOWN, VK_HOME, 1);
    pump();
    DWORD start = 99;
    SendMessageW(nativeWindow(*edit), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    EXPECT_EQ(start, c.caret) << c.what;
  }
  edit->key = [](int&) { return false; };
}

TEST_F(Input, CharactersCrossTheCodePageBothWays) {
  const struct {
    wchar_t typed;
    char seen;
    std::function<bool(char&)> handler;
    std::wstring text;
  } cases[] = {
      {L'\u011f', '\xF0', [](char&) { return false; }, L"\u011f"},                      // ğ
      {L'\u0130', '\xDD', [](char&) { return false; }, L"\u0130"},                      // İ
      {L'a', 'a', [](char& c) { c = '\xFE'; return false; }, L"\u015f"},                // changed to ş
      {L'x', 'x', [](char&) { return true; }, L""},                                     // eaten
      {L'\u4e2d', '?', [](char&) { return false; }, L"\u4e2d"},  // not in the code page: the typed one
  };
  for (const auto& c : cases) {
    edit->setCaption("");
    focus(*edit);
    std::string seen;
    edit->character = [&](char& ch) {
      seen.push_back(ch);
      return c.handler(ch);
    };
    post(*edit, WM_CHAR, c.typed, 1);
    pump();
    EXPECT_EQ(seen, std::string(1, c.seen)) << static_cast<int>(c.typed);
    EXPECT_EQ(windowText(nativeWindow(*edit)), c.text) << static_cast<int>(c.typed);
  }
  edit->character = [](char&) { return false; };
}

TEST_F(Input, TheEditorsClaimedKeysReachItInsteadOfTheDialogManager) {
  edit->claimed = {VK_RETURN, VK_ESCAPE, VK_UP, VK_DOWN};
  std::vector<int> seen;
  edit->key = [&](int& k) {
    seen.push_back(k);
    return true;
  };
  for (WORD k : {VK_RETURN, VK_ESCAPE, VK_UP, VK_DOWN}) {
    focus(*edit);
    post(*edit, WM_KEYDOWN, k, 1);
    pump();
    EXPECT_EQ(GetFocus(), nativeWindow(*edit)) << k;
  }
  EXPECT_EQ(seen, (std::vector<int>{VK_RETURN, VK_ESCAPE, VK_UP, VK_DOWN}));
  edit->key = [](int&) { return false; };
}

}  // namespace
