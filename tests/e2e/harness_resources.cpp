// The memory, handles and GDI and USER objects a process holds, and the
// checks that they do not grow.
#include "tests/e2e/harness.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>

#include <gtest/gtest.h>

namespace e2e {

size_t PrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
        return 0;
    // Wine leaves PrivateUsage at zero for other processes; the commit
    // charge (PagefileUsage) measures the same private memory there.
    return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

namespace {

// The text of a UNICODE_STRING that NtQueryObject leaves at the buffer's start.
std::string ObjectText(HANDLE handle, ULONG informationClass) {
    using Query = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryObject")));
    struct Text {
        USHORT length, capacity;
        PWSTR buffer;
    };
    std::vector<uint8_t> bytes(4096);
    ULONG needed = 0;
    if (!query || query(handle, informationClass, bytes.data(), static_cast<ULONG>(bytes.size()), &needed) != 0)
        return std::string();
    const Text* text = reinterpret_cast<const Text*>(bytes.data());
    char narrow[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, text->buffer, text->length / 2, narrow, sizeof narrow - 1, nullptr, nullptr);
    return narrow;
}

// One reading of the handles a process holds.
std::vector<std::string> HandlesRead(HANDLE process) {
    struct HandleEntry {
        ULONG processId;
        UCHAR objectType, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr ULONG kObjectName = 1, kObjectType = 2;
    constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<uint8_t> buffer(1 << 16);
    LONG status = kLengthMismatch;
    for (int tries = 0; query && status == kLengthMismatch && tries < 8; ++tries) {
        ULONG needed = 0;
        status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kLengthMismatch) buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
    }
    std::vector<std::string> handles;
    if (!query || status != 0) return handles;
    const ULONG entries = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entry = reinterpret_cast<const HandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
    const DWORD processId = GetProcessId(process);
    for (ULONG i = 0; i < entries; ++i) {
        if (entry[i].processId != processId) continue;
        std::string described = "handle of type " + std::to_string(entry[i].objectType);
        HANDLE copy = nullptr;
        if (DuplicateHandle(process, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(entry[i].handle)),
                            GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
            described = ObjectText(copy, kObjectType) + " " + ObjectText(copy, kObjectName);
            CloseHandle(copy);
        } else if (GetLastError() == ERROR_INVALID_HANDLE) {
            continue;  // closed since the table was read
        }
        handles.push_back(described);
    }
    std::sort(handles.begin(), handles.end());
    return handles;
}

}  // namespace

std::vector<std::string> Handles(HANDLE process) {
    // Wine's own threads open and close handles in the process now and then;
    // what it holds is what two readings a moment apart agree on.
    std::vector<std::string> last = HandlesRead(process);
    for (int tries = 0; tries < 20; ++tries) {
        Sleep(50);
        std::vector<std::string> now = HandlesRead(process);
        if (now == last) break;
        last = std::move(now);
    }
    return last;
}

namespace {

// The GDI objects a process holds, from its GDI handle table, whose address
// its PEB holds. Wine lays the entries out as 64-bit Windows does, 24 bytes
// in 32- and 64-bit processes alike, and keeps a table per process: an
// entry's type (byte 14) is zero once freed, when its first 8 bytes link
// the free entries. Zero when the table cannot be read.
// The live entries of a process's GDI handle table, counted by type (the
// table's type byte); empty where it cannot be read.
std::vector<DWORD> GdiTableObjectsByType(HANDLE process) {
    using Query = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    struct BasicInformation {
        LONG exitStatus;
        const uint8_t* peb;
        ULONG_PTR affinity, priority, processId, parentId;
    } basic{};
    constexpr ULONG kProcessBasicInformation = 0;
    if (!query || query(process, kProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return {};
    // The PEB's GdiSharedHandleTable field; the program is built as the tests are.
    const size_t tableField = sizeof(void*) == 8 ? 0xF8 : 0x94;
    const uint8_t* table = nullptr;
    if (!ReadProcessMemory(process, basic.peb + tableField, &table, sizeof table, nullptr) || !table) return {};
    constexpr size_t kEntries = 65536, kEntrySize = 24, kType = 14;
    std::vector<uint8_t> entries(kEntries * kEntrySize);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size(), nullptr)) return {};
    std::vector<DWORD> byType(256);
    for (size_t i = 0; i < kEntries; ++i) ++byType[entries[i * kEntrySize + kType]];
    byType[0] = 0;
    return byType;
}

DWORD Total(const std::vector<DWORD>& counts) {
    DWORD total = 0;
    for (DWORD count : counts) total += count;
    return total;
}

// What grew between two readings by type, as "bitmap +3, DC +1".
std::string GrowthByType(const std::vector<DWORD>& before, const std::vector<DWORD>& after) {
    static const std::pair<int, const char*> kNames[] = {
        {0x01, "DC"}, {0x04, "region"}, {0x08, "palette"}, {0x09, "bitmap"}, {0x0a, "font"},
        {0x10, "brush"}, {0x30, "pen"}, {0x41, "memory DC"}, {0x50, "extended pen"}};
    std::string growth;
    for (size_t type = 0; type < after.size(); ++type) {
        const DWORD was = type < before.size() ? before[type] : 0;
        if (after[type] <= was) continue;
        std::string name = "type " + std::to_string(type);
        for (const auto& known : kNames)
            if (known.first == static_cast<int>(type)) name = known.second;
        growth += (growth.empty() ? "" : ", ") + name + " +" + std::to_string(after[type] - was);
    }
    return growth;
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    return TRUE;
}

// A process's windows, top-level and child, and its menus, which only the
// process itself can count (the test hook does it from inside).
DWORD WindowsAndMenusOf(HANDLE process) {
    const DWORD processId = GetProcessId(process);
    DWORD count = 0;
    for (HWND window : WindowsOfClass(nullptr, processId)) {
        ++count;
        EnumChildWindows(window, CountWindow, reinterpret_cast<LPARAM>(&count));
    }
    DWORD menus = 0;
    const std::vector<HWND> main = WindowsOfClass(kMainClass, processId);
    if (main.empty() || !SendRecordFromInside(process, main.front(), RegisterWindowMessageA("MuslotTestCountMenus"),
                                              &menus, sizeof menus))
        return 0;
    return count + menus;
}

}  // namespace

ResourceUse MeasureResourceUse(HANDLE process) {
    // The system's counts where it gives them (Windows); Wine reports zero.
    DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    std::vector<DWORD> byType;
    if (gdi == 0) {
        // A refresh tick holds two memory contexts for a moment, and a window
        // just closed may still be handing back its objects: the least of
        // readings 40 ms apart, once three have found it (at most a second),
        // leaves both out.
        constexpr int kReadings = 25, kAgreeing = 3;
        for (int reading = 0, agreeing = 0; reading < kReadings && agreeing < kAgreeing; ++reading) {
            if (reading > 0) Sleep(40);
            std::vector<DWORD> now = GdiTableObjectsByType(process);
            if (reading == 0 || Total(now) < gdi) {
                gdi = Total(now);
                byType = std::move(now);
                agreeing = 1;
            } else if (Total(now) == gdi) {
                ++agreeing;
            }
        }
    }
    if (user == 0) user = WindowsAndMenusOf(process);
    return ResourceUse{gdi, user, PrivateBytes(process), byType};
}

void ExpectNoObjectGrowth(const ResourceUse& before, const ResourceUse& after) {
    // A program with a window always holds some: zero means nothing was counted.
    EXPECT_GT(before.gdiObjects, 0u) << "GDI objects not counted";
    EXPECT_GT(before.userObjects, 0u) << "USER objects not counted";
    // A little slack for what comes and goes on its own (a tick's drawing).
    EXPECT_LE(after.gdiObjects, before.gdiObjects + 2) << GrowthByType(before.gdiByType, after.gdiByType);
    EXPECT_LE(after.userObjects, before.userObjects + 2);
}

void ExpectNoGrowthOver(int times, HANDLE process, const std::function<void()>& action) {
    // Wine 10 adds device contexts with their regions of its own, in steps,
    // up to some twenty objects over the first openings: the baseline waits
    // for twenty openings in a row without growth, forty at most (a leak never
    // gives twenty, and a leaking loop of slow openings must end in its time).
    constexpr int kRoundActions = 5, kFlatRoundsWanted = 4, kMostRounds = 8;
    action();
    Pause(200);
    ResourceUse before = MeasureResourceUse(process);
    for (int round = 0, flat = 0; round < kMostRounds && flat < kFlatRoundsWanted &&
                                  !::testing::Test::HasFatalFailure(); ++round) {
        for (int i = 0; i < kRoundActions && !::testing::Test::HasFatalFailure(); ++i) action();
        Pause(200);
        ResourceUse now = MeasureResourceUse(process);
        if (now.gdiObjects <= before.gdiObjects && now.userObjects <= before.userObjects) {
            ++flat;
        } else {
            flat = 0;
            std::printf("still growing after %d more: GDI objects %lu -> %lu (%s)\n", kRoundActions,
                        static_cast<unsigned long>(before.gdiObjects), static_cast<unsigned long>(now.gdiObjects),
                        GrowthByType(before.gdiByType, now.gdiByType).c_str());
        }
        before = std::move(now);
    }
    // The `times` are read after every round, so that a growth can be told
    // by its course as well as by its size.
    std::vector<ResourceUse> readings{before};
    std::string course = std::to_string(before.gdiObjects);
    for (int done = 0; done < times && !::testing::Test::HasFatalFailure();) {
        for (int i = 0; i < kRoundActions && done < times && !::testing::Test::HasFatalFailure(); ++i, ++done)
            action();
        Pause(200);
        readings.push_back(MeasureResourceUse(process));
        course += " " + std::to_string(readings.back().gdiObjects);
    }
    const ResourceUse& after = readings.back();
    std::printf("GDI objects after every %d: %s (%s); USER objects %lu -> %lu, private memory %lu -> %lu bytes\n",
                kRoundActions, course.c_str(), GrowthByType(before.gdiByType, after.gdiByType).c_str(),
                static_cast<unsigned long>(before.userObjects), static_cast<unsigned long>(after.userObjects),
                static_cast<unsigned long>(before.privateBytes), static_cast<unsigned long>(after.privateBytes));
    EXPECT_GT(before.gdiObjects, 0u) << "GDI objects not counted";
    EXPECT_GT(before.userObjects, 0u) << "USER objects not counted";
    EXPECT_LE(after.userObjects, before.userObjects + 2);
    EXPECT_LT(after.privateBytes, before.privateBytes + 256 * 1024);
    if (before.gdiByType.empty() || after.gdiByType.empty()) {
        EXPECT_LE(after.gdiObjects, before.gdiObjects + 2);  // the system's own count (Windows)
        return;
    }
    // Wine keeps window DCs, regions and bitmaps of its own for windows, in caches
    // that grow in a few steps, while a leak grows in every round: those kinds fail
    // past +2 when they grew in most rounds, the rest (memory DCs, brushes...) at all.
    constexpr size_t kDc = 0x01, kRegion = 0x04, kBitmap = 0x09;
    long others = 0;
    for (size_t type = 0; type < after.gdiByType.size() && type < before.gdiByType.size(); ++type)
        if (type != kDc && type != kRegion && type != kBitmap)
            others += static_cast<long>(after.gdiByType[type]) - static_cast<long>(before.gdiByType[type]);
    EXPECT_LE(others, 2) << GrowthByType(before.gdiByType, after.gdiByType);
    for (size_t type : {kDc, kRegion, kBitmap}) {
        // A round grew when the least count from it on rose, so that what Wine
        // holds for a moment and hands back counts for none.
        std::vector<DWORD> floor(readings.size());
        for (size_t round = readings.size(); round-- > 0;) {
            const DWORD count = type < readings[round].gdiByType.size() ? readings[round].gdiByType[type] : 0;
            floor[round] = round + 1 < readings.size() ? std::min(count, floor[round + 1]) : count;
        }
        int grew = 0;
        for (size_t round = 1; round < readings.size(); ++round) grew += floor[round] > floor[round - 1] ? 1 : 0;
        const long growth = static_cast<long>(after.gdiByType[type]) - static_cast<long>(before.gdiByType[type]);
        const int rounds = static_cast<int>(readings.size()) - 1;
        EXPECT_FALSE(growth > 2 && 2 * grew > rounds)
            << (type == kDc ? "DC" : type == kRegion ? "region" : "bitmap") << " +" << growth << ", growing in "
            << grew << " of " << rounds << " rounds of " << kRoundActions;
    }
}

}  // namespace e2e
