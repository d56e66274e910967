#include "fw/text.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp1254, EveryByteSurvivesTheRoundTripThroughUtf16) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::u16string wide = fw::toUtf16(all);
  ASSERT_EQ(wide.size(), 256u);
  EXPECT_EQ(fw::fromUtf16(wide), all);
  EXPECT_EQ(fw::fromUtf8(fw::toUtf8(all)), all);
}

TEST(Cp1254, TurkishLettersMapToTheirCodePoints) {
  const struct {
    unsigned char byte;
    char16_t unit;
  } cases[] = {{0xD0, u'Ğ'}, {0xF0, u'ğ'}, {0xDD, u'İ'}, {0xFD, u'ı'}, {0xDE, u'Ş'}, {0xFE, u'ş'},
               {0xC7, u'Ç'}, {0xE7, u'ç'}, {0xD6, u'Ö'}, {0xF6, u'ö'}, {0xDC, u'Ü'}, {0xFC, u'ü'},
               {0x80, u'€'}, {0x9F, u'Ÿ'}, {0x41, u'A'}, {0x00, u'\0'}};
  for (const auto& c : cases) {
    const std::string byte(1, static_cast<char>(c.byte));
    EXPECT_EQ(fw::toUtf16(byte), std::u16string(1, c.unit)) << "byte " << int(c.byte);
    EXPECT_EQ(fw::fromUtf16(std::u16string(1, c.unit)), byte) << "byte " << int(c.byte);
  }
}

TEST(Cp1254, WhatTheCodePageCannotHoldBecomesAQuestionMark) {
  EXPECT_EQ(fw::fromUtf16(u"a\u4E2Db"), "a?b");        // outside the code page
  EXPECT_EQ(fw::fromUtf16(u"\U0001F600"), "?");        // a pair is one character
  EXPECT_EQ(fw::fromUtf16(u"x\xD800y"), "x?y");         // lone high surrogate
  EXPECT_EQ(fw::fromUtf16(u"x\xDC00"), "x?");           // lone low surrogate at the end
  EXPECT_EQ(fw::fromUtf16(std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(fw::fromUtf8("\xC3\x28"), "?(");            // malformed UTF-8
  EXPECT_EQ(fw::fromUtf8("\xE2\x82"), "??");            // truncated sequence
  EXPECT_EQ(fw::fromUtf8("\xC0\xAF"), "?");             // overlong form
}

TEST(Cp1254, SourceLiteralsAreConverted) {
  EXPECT_EQ(fw::ansi(u8"Çağrı"), "\xC7\x61\xF0\x72\xFD");
  EXPECT_EQ(fw::toUtf8(fw::ansi(u8"Bağlantı tamam  Hemen arayın")), "Bağlantı tamam  Hemen arayın");
}

TEST(Cp1254, AMegabyteOfDeviceTextConvertsWhole) {
  // A megabyte of text a device could send must not take noticeable time (no per-character search).
  const std::u16string big(1 << 20, u'ş');
  const std::string narrow = fw::fromUtf16(big);
  EXPECT_EQ(narrow.size(), big.size());
  EXPECT_EQ(narrow.back(), '\xFE');
}

}  // namespace
