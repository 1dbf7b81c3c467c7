// The process entry of muslot.exe, which carries no C runtime (Win32s, NT
// 3.51 and the first Windows 95 have none to lend it): it gathers what the
// entry function is given, runs the static constructors, and ends the
// process with the entry function's exit code.
#include <windows.h>

// The linker's table of static constructors: -1, the constructors, 0.
extern "C" void (*__CTOR_LIST__[])();

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

namespace {

// Last to first, the order in which the compiler's own start-up runs them.
void RunStaticConstructors() {
    int count = 0;
    while (__CTOR_LIST__[count + 1]) ++count;
    for (int i = count; i >= 1; --i) __CTOR_LIST__[i]();
}

// The start-up information's show command, or show-default without one.
int StartupShowCommand() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    if (startup.dwFlags & STARTF_USESHOWWINDOW) return startup.wShowWindow;
    return SW_SHOWDEFAULT;
}

}  // namespace

extern "C" void WINAPI MuslotStartup() {
    RunStaticConstructors();
    char noArguments[] = "";  // the program takes no command line
    ExitProcess(static_cast<UINT>(
        WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, StartupShowCommand())));
}
