// The About box: centred over the main window, dragged by its body, and
// hiding the credit line's little game.
#include <windows.h>

#include "core/placement.h"
#include "app/shell.h"
#include "core/ids.h"
#include "core/texts.h"
#include "platform/gdi_guards.h"
#include "platform/ui_text.h"
#include "ui/context_menu.h"
#include "core/credit_counter.h"
#include "ui/shift_jis_texts.h"

namespace ui {
namespace {

constexpr WPARAM kMoveByCaption = 0xF012;  // SC_MOVE with the caption hit code
constexpr platform::UiText kJapaneseCaption{kAboutCaptionShiftJis, L"" TXT_ABOUT_CAPTION_JA};
constexpr platform::UiText kLatinCredit{TXT_CREDIT_LATIN, L"" TXT_CREDIT_LATIN};
constexpr platform::UiText kJapaneseCredit{kJapaneseCreditShiftJis, L"" TXT_CREDIT_JAPANESE};

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
    if (app::g_settings.Language == 0) platform::SetUiText(box, kJapaneseCaption);
    CentreBox(box);
}

void OnLeftButtonDown(HWND box, LPARAM lParam) {
    POINT point = platform::PointFromPacked(lParam);
    ClientToScreen(box, &point);
    RECT creditRect{};
    GetWindowRect(GetDlgItem(box, IDC_CREDIT), &creditRect);
    if (!PtInRect(&creditRect, point)) {
        // The body drags the box as the caption would.
        SendMessageA(box, WM_SYSCOMMAND, kMoveByCaption, 0);
        return;
    }
    switch (CountCreditClick(g_creditClicks)) {
    case CreditText::Japanese: platform::SetDialogItemUiText(box, IDC_CREDIT, kJapaneseCredit); break;
    case CreditText::Latin: platform::SetDialogItemUiText(box, IDC_CREDIT, kLatinCredit); break;
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
    DialogBoxParamA(app::g_shell.instance, MAKEINTRESOURCEA(IDD_ABOUT), parent, AboutProc, 0);
}

}  // namespace ui
