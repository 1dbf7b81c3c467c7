// A message hook the tests put into muslot.exe's own thread, so that a
// message can be sent from inside the process exactly as given (the platform
// repacks the records of window-position messages sent from outside).
#include <windows.h>

namespace {

UINT SendRequest() { return RegisterWindowMessageA("MuslotTestSendInProcess"); }

}  // namespace

// A posted request (wParam: the message to send, lParam: its lParam) is sent
// to its window from inside the process; the request itself becomes WM_NULL.
extern "C" __declspec(dllexport) LRESULT CALLBACK SendInProcessHook(int code, WPARAM removal, LPARAM lParam) {
    MSG* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && removal == PM_REMOVE && message->message == SendRequest()) {
        const UINT toSend = static_cast<UINT>(message->wParam);
        const LPARAM toSendLParam = message->lParam;
        message->message = WM_NULL;
        SendMessageA(message->hwnd, toSend, 0, toSendLParam);
        if (HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, "MuslotTestSentInProcess")) {
            SetEvent(done);
            CloseHandle(done);
        }
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}
