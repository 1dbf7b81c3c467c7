// The Shift-JIS forms of the Japanese texts of core/texts.h that the program
// puts on through the A functions (Windows 95, Win32s). No compiler derives
// them, so tests/unit/texts_test.cpp holds each equal to its UTF-8 text in
// code page 932.
#pragma once

namespace ui {

constexpr char kCaptionShiftJis[] =  // TXT_CAPTION
    "\x83\x7C\x83\x8B\x83\x6A\x83\x4A\x83\x58\x83\x8D\x83\x62\x83\x67";
constexpr char kAboutCaptionShiftJis[] =  // TXT_ABOUT_CAPTION_JA
    "\xCA\xDE\xB0\xBC\xDE\xAE\xDD\x8F\xEE\x95\xF1";
constexpr char kJapaneseCreditShiftJis[] =  // TXT_CREDIT_JAPANESE
    "Programmed by \x82\xD8\x82\xE9\x82\xD8\x82\xE9";

}  // namespace ui
