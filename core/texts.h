/* The program's own texts in UTF-8, for every front end: plain #defines of
   string literals that windres (the resource script is UTF-8) and C++ both
   read; C++ takes the UTF-16 form as L"" TXT_NAME. */
#ifndef MUSLOT_CORE_TEXTS_H
#define MUSLOT_CORE_TEXTS_H

/* The main window's caption; it also names the single-instance mutex. */
#define TXT_CAPTION             "ポルニカスロット"

/* The context menu, one popup per language. Each item's mnemonic group is
   "(", RS, the Latin letter, US, a half-width kana, ")". */
#define TXT_MENU_ABOUT_JA       "ﾊﾞｰｼﾞｮﾝ情報(\036A\037ｱ)..."
#define TXT_MENU_EXIT_JA        "終了(\036X\037ﾘ)"
#define TXT_MENU_ABOUT_EN       "About(\036A\037ｱ)..."
#define TXT_MENU_EXIT_EN        "Exit(\036X\037ﾘ)"

/* The About box: its caption by language, its static lines, the credit
   line's two texts and its button. */
#define TXT_ABOUT_CAPTION_JA    "ﾊﾞｰｼﾞｮﾝ情報"
#define TXT_ABOUT_CAPTION_EN    "About"
#define TXT_ABOUT_NAME          "<Murasu Slot>"
#define TXT_ABOUT_VERSION       "muslot Ver1.02"
#define TXT_ABOUT_COPYRIGHT     "Copyright (C) 2026 Velnor"
#define TXT_CREDIT_LATIN        "Programmed by Velnor"
#define TXT_CREDIT_JAPANESE     "Programmed by ぺるぺる"
#define TXT_OK                  "OK"

#endif
