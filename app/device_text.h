// Strings from the device, in the program's code page. The device is not ours: whatever code
// units it sends must show, copy and reach the clipboard as one line of text.
#pragma once

#include <string>
#include <string_view>

// UTF-16 -> Windows-1254 as fw::fromUtf16 does, and every control character (U+0000 to
// U+001F, U+007F) becomes '?', the mark already used for a character the code page lacks. A
// zero would end the text at the Win32 boundary (the clipboard, a balloon, a window text), a
// tab or a line break would split a copied row; none of them shows as anything but a box.
std::string deviceText(std::u16string_view text);
