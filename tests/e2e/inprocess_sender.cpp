// A message hook the tests put into muslot.exe's own thread, so that a
// message can be sent from inside the process exactly as given (the platform
// repacks the records of window-position messages sent from outside), and
// the process's menus counted where they live.
#include <windows.h>

namespace {

UINT SendRequest() { return RegisterWindowMessageA("MuslotTestSendInProcess"); }
UINT CountMenusRequest() { return RegisterWindowMessageA("MuslotTestCountMenus"); }

// Wine keeps a process's menus in its own list of USER handles, which no
// other process can read; handles there are even numbers from 0x20 up, and
// one without its high word names the entry whatever its generation.
DWORD CountMenus() {
    DWORD menus = 0;
    for (UINT_PTR handle = 0x20; handle <= 0xFFEF; handle += 2)
        menus += IsMenu(reinterpret_cast<HMENU>(handle)) != FALSE;
    return menus;
}

}  // namespace

// A posted request (wParam: the message to send, lParam: its lParam) is sent
// to its window from inside the process; the request itself becomes WM_NULL.
// The count-menus request is answered here, into the DWORD at its lParam.
extern "C" __declspec(dllexport) LRESULT CALLBACK SendInProcessHook(int code, WPARAM removal, LPARAM lParam) {
    MSG* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && removal == PM_REMOVE && message->message == SendRequest()) {
        const UINT toSend = static_cast<UINT>(message->wParam);
        const LPARAM toSendLParam = message->lParam;
        message->message = WM_NULL;
        if (toSend == CountMenusRequest())
            *reinterpret_cast<DWORD*>(toSendLParam) = CountMenus();
        else
            SendMessageA(message->hwnd, toSend, 0, toSendLParam);
        if (HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, "MuslotTestSentInProcess")) {
            SetEvent(done);
            CloseHandle(done);
        }
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}
