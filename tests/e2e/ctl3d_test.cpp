// The 3-D controls library for real: our stand-in CTL3D32.DLL in the
// system directory logs each call with the instance it was given. Each
// test runs in a prefix set to the Windows version it names.
#include "tests/e2e/harness.h"

#include <psapi.h>

#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>

#ifndef CTL3D_STUB
#error "CTL3D_STUB must name the built stand-in CTL3D32.DLL"
#endif

using namespace e2e;

namespace {

std::string SystemFile(const char* name) {
    char directory[MAX_PATH] = {};
    GetSystemDirectoryA(directory, MAX_PATH);
    return std::string(directory) + "\\" + name;
}

class Ctl3dTest : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveSettings();
        DeleteFileA(SystemFile("CTL3D32.LOG").c_str());
        ASSERT_TRUE(CopyFileA(CTL3D_STUB, SystemFile("CTL3D32.DLL").c_str(), FALSE));
    }
    void TearDown() override {
        DeleteFileA(SystemFile("CTL3D32.DLL").c_str());
        DeleteFileA(SystemFile("CTL3D32.LOG").c_str());
    }

    // The version the prefix is set to; GetVersionEx tells a program without
    // a manifest 6.2 on anything newer.
    static OSVERSIONINFOW Version() {
        OSVERSIONINFOW version{};
        version.dwOSVersionInfoSize = sizeof version;
        using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
        if (auto get = reinterpret_cast<RtlGetVersion>(
                reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion"))))
            get(&version);
        return version;
    }

    static std::vector<std::string> LogLines() {
        std::vector<std::string> lines;
        std::ifstream file(SystemFile("CTL3D32.LOG"));
        for (std::string line; std::getline(file, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }

    // The modules loaded in the program's process; the first is muslot.exe,
    // whose base address is its instance handle.
    std::vector<HMODULE> Modules() const {
        HMODULE modules[256] = {};
        DWORD needed = 0;
        if (!EnumProcessModules(muslot_.process(), modules, sizeof modules, &needed)) return {};
        return std::vector<HMODULE>(modules, modules + needed / sizeof(HMODULE));
    }

    static std::string Call(const char* name, HMODULE instance) {
        char line[64] = {};
        std::snprintf(line, sizeof line, "%s %p", name,
                      static_cast<void*>(instance));
        return line;
    }

    Muslot muslot_;
};

}  // namespace

// Win32s and NT 3.x, whose dialogs are flat without the library.
TEST_F(Ctl3dTest, OnWin32sAndNt3ItRegistersAtStartAndUnregistersAtExit) {
    const OSVERSIONINFOW version = Version();
    ASSERT_TRUE(version.dwPlatformId == VER_PLATFORM_WIN32s ||
                (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 3))
        << "platform " << version.dwPlatformId << ", version " << version.dwMajorVersion;

    ASSERT_TRUE(muslot_.Start());
    ASSERT_NE(nullptr, muslot_.WaitForMainWindow());
    const std::vector<HMODULE> modules = Modules();
    ASSERT_FALSE(modules.empty());
    const HMODULE instance = modules[0];
    EXPECT_EQ((std::vector<std::string>{Call("Ctl3dRegister", instance),
                                        Call("Ctl3dAutoSubclass", instance)}),
              LogLines());
    EXPECT_EQ(0u, muslot_.Close());
    EXPECT_EQ((std::vector<std::string>{Call("Ctl3dRegister", instance),
                                        Call("Ctl3dAutoSubclass", instance),
                                        Call("Ctl3dUnregister", instance)}),
              LogLines());
}

TEST_F(Ctl3dTest, OnWindows10NothingIsLoaded) {
    ASSERT_EQ(10u, Version().dwMajorVersion);
    ASSERT_TRUE(muslot_.Start());
    ASSERT_NE(nullptr, muslot_.WaitForMainWindow());
    Pause(300);
    for (HMODULE module : Modules()) {
        char name[MAX_PATH] = {};
        GetModuleBaseNameA(muslot_.process(), module, name, MAX_PATH);
        EXPECT_NE(0, lstrcmpiA(name, "CTL3D32.DLL"));
    }
    EXPECT_EQ(0u, muslot_.Close());
    EXPECT_TRUE(LogLines().empty());
}
