// Platform services of the win32 backend that have no headless twin worth testing: the text
// clipboard with its code-page conversion.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "fw/application.h"
#include "fw/platform.h"
#include "fw/text.h"
#include "harness.h"

namespace {

class Clipboard : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { fw::Application::instance().initialize(); }
};

TEST_F(Clipboard, TurkishTextGoesOutAsUnicodeWhateverTheLocale) {
  const std::string text = fw::ansi(u8"Çağrı: İŞĞ ışğ 0532 417 28 93");
  ASSERT_TRUE(fw::clipboard::setText(text));
  EXPECT_EQ(harness::clipboardText(), L"\u00c7a\u011fr\u0131: \u0130\u015e\u011e \u0131\u015f\u011f 0532 417 28 93");
  EXPECT_EQ(fw::clipboard::text(), text);
}

TEST_F(Clipboard, EmptyAndLongTextsRoundTrip) {
  ASSERT_TRUE(fw::clipboard::setText(""));
  EXPECT_EQ(harness::clipboardText(), L"");
  const std::string big(1 << 20, '\xFE');  // a megabyte of 'ş'
  ASSERT_TRUE(fw::clipboard::setText(big));
  EXPECT_EQ(fw::clipboard::text(), big);
}

TEST_F(Clipboard, ForeignUnicodeComesBackWithQuestionMarks) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const wchar_t foreign[] = L"a\u4e2d\u00e7";
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, sizeof foreign);
  memcpy(GlobalLock(mem), foreign, sizeof foreign);
  GlobalUnlock(mem);
  SetClipboardData(CF_UNICODETEXT, mem);
  CloseClipboard();
  EXPECT_EQ(fw::clipboard::text(), "a?\xE7");
}

}  // namespace
