// The About box: centred over the main window, dragged by its body, and
// hiding the credit line's little game.
#include <windows.h>

#include "app/placement.h"
#include "app/shell.h"
#include "platform/gdi_guards.h"
#include "res/ids.h"
#include "ui/context_menu.h"
#include "ui/credit_counter.h"

namespace ui {
namespace {

constexpr WPARAM kMoveByCaption = 0xF012;  // SC_MOVE with the caption hit code
// UTF-16, so they read the same on every code page; on code page 932 their
// ANSI forms are the Shift-JIS bytes CA DE B0 BC DE AE DD 8F EE 95 F1 and
// "Programmed by " 82 D8 82 E9 82 D8 82 E9.
constexpr wchar_t kJapaneseCaption[] =
    L"\uFF8A\uFF9E\uFF70\uFF7C\uFF9E\uFF6E\uFF9D\u60C5\u5831";  // ﾊﾞｰｼﾞｮﾝ情報
constexpr wchar_t kLatinCredit[] = L"Programmed by Velnor";
constexpr wchar_t kJapaneseCredit[] = L"Programmed by \u307A\u308B\u307A\u308B";  // ぺるぺる

// Clicks on the credit line, counted for the whole run.
int32_t g_creditClicks = 0;

app::Extent ExtentOf(const RECT& rect) {
    return app::Extent{rect.right - rect.left, rect.bottom - rect.top};
}

void CentreBox(HWND box) {
    RECT boxRect{};
    GetWindowRect(box, &boxRect);
    const app::Extent size = ExtentOf(boxRect);
    const app::Extent screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    app::Origin origin{};
    if (HWND owner = GetParent(box)) {
        RECT ownerRect{};
        GetWindowRect(owner, &ownerRect);
        origin = app::CentreOverOwner(app::Origin{ownerRect.left, ownerRect.top},
                                      ExtentOf(ownerRect), size, screen);
    } else {
        origin = app::CentreOnScreen(size, screen);
    }
    MoveWindow(box, origin.x, origin.y, size.cx, size.cy, TRUE);
}

void OnInitDialog(HWND box) {
    if (app::g_settings.Language == 0) SetWindowTextW(box, kJapaneseCaption);
    CentreBox(box);
}

void OnLeftButtonDown(HWND box, LPARAM lParam) {
    POINT point = platform::PointFromPacked(lParam);
    ClientToScreen(box, &point);
    RECT creditRect{};
    GetWindowRect(GetDlgItem(box, IDC_CREDIT), &creditRect);
    if (!PtInRect(&creditRect, point)) {
        // The body drags the box as the caption would.
        SendMessageW(box, WM_SYSCOMMAND, kMoveByCaption, 0);
        return;
    }
    switch (CountCreditClick(g_creditClicks)) {
    case CreditText::Japanese: SetDlgItemTextW(box, IDC_CREDIT, kJapaneseCredit); break;
    case CreditText::Latin: SetDlgItemTextW(box, IDC_CREDIT, kLatinCredit); break;
    case CreditText::Unchanged: break;
    }
}

INT_PTR CALLBACK AboutProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(box); return TRUE;  // focus goes to OK
    case WM_CLOSE: EndDialog(box, 0); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(box, 0);
        return TRUE;
    case WM_WINDOWPOSCHANGING:
        // Without its record the message is left to the dialog manager.
        if (!lParam) return FALSE;
        app::ClampProposedPosition(box, *reinterpret_cast<WINDOWPOS*>(lParam));
        return TRUE;
    case WM_LBUTTONDOWN: OnLeftButtonDown(box, lParam); return TRUE;
    default: return FALSE;
    }
}

}  // namespace

void OpenAbout(HWND parent) {
    // A wide dialog, so its Japanese caption and credit are not squeezed
    // through the ANSI code page.
    DialogBoxParamW(app::g_shell.instance, MAKEINTRESOURCEW(IDD_ABOUT), parent, AboutProc, 0);
}

}  // namespace ui
