#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "core/texts.h"
#include "ui/shift_jis_texts.h"

// What code page 932 makes of a UTF-8 text, as Windows converts it.
static std::string ToCp932(std::string text) {
    iconv_t convert = iconv_open("CP932", "UTF-8");
    if (convert == reinterpret_cast<iconv_t>(-1)) return "(no CP932 converter)";
    std::string out(text.size() * 2, '\0');
    char* in = text.data();
    char* to = out.data();
    size_t inLeft = text.size(), outLeft = out.size();
    const size_t result = iconv(convert, &in, &inLeft, &to, &outLeft);
    iconv_close(convert);
    if (result == static_cast<size_t>(-1)) return "(not convertible)";
    out.resize(out.size() - outLeft);
    return out;
}

TEST(Texts, ShiftJisFormsAreTheUtf8TextsInCodePage932) {
    const struct { const char* utf8; const char* shiftJis; } kTexts[] = {
        {TXT_CAPTION, ui::kCaptionShiftJis},
        {TXT_ABOUT_CAPTION_JA, ui::kAboutCaptionShiftJis},
        {TXT_CREDIT_JAPANESE, ui::kJapaneseCreditShiftJis},
    };
    for (const auto& text : kTexts) EXPECT_EQ(ToCp932(text.utf8), text.shiftJis) << text.utf8;
}
