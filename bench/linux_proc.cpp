#include "bench/linux_proc.h"

#include <windows.h>

#include <cstdlib>
#include <sstream>
#include <vector>

namespace bench {
namespace {

constexpr char kProcFolder[] = "Z:\\proc\\";
constexpr size_t kCommandNameLength = 15;
constexpr double kClockTicksPerSecond = 100;  // USER_HZ, the same on every Linux build

std::string ReadWholeFile(const std::string& path) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    // Files under /proc report no size: read until nothing comes.
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

bool AllDigits(const char* name) {
    if (!*name) return false;
    for (; *name; ++name)
        if (*name < '0' || *name > '9') return false;
    return true;
}

// The fields of /proc/PID/stat from the third on (field n at index n - 3);
// the command name before them, in brackets, may hold spaces.
std::vector<std::string> StatFields(const std::string& stat) {
    std::vector<std::string> fields;
    const size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) return fields;
    std::istringstream text(stat.substr(nameEnd + 1));
    for (std::string field; text >> field;)
        fields.push_back(field);
    return fields;
}

double StatField(const std::vector<std::string>& fields, size_t number) {
    return number - 3 < fields.size() ? std::strtod(fields[number - 3].c_str(), nullptr) : -1;
}

constexpr size_t kUserTimeField = 14;
constexpr size_t kSystemTimeField = 15;
constexpr size_t kStartTimeField = 22;

}  // namespace

int FindWineProcess(const std::string& command) {
    char prefix[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 0;
    // Entries of /proc/PID/environ end in NUL; a leading one marks the start of the first.
    const std::string wantedEntry = std::string(1, '\0') + "WINEPREFIX=" + prefix + std::string(1, '\0');
    const std::string wantedName = command.substr(0, kCommandNameLength);

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((std::string(kProcFolder) + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    // The newest match: a copy that has just ended may linger for a moment.
    int pid = 0;
    double newest = -1;
    do {
        if (!AllDigits(found.cFileName)) continue;
        const std::string folder = std::string(kProcFolder) + found.cFileName + "\\";
        if (ReadWholeFile(folder + "comm").compare(0, wantedName.size(), wantedName) != 0) continue;
        const std::string environment = std::string(1, '\0') + ReadWholeFile(folder + "environ");
        if (environment.find(wantedEntry) == std::string::npos) continue;
        const double started = StatField(StatFields(ReadWholeFile(folder + "stat")), kStartTimeField);
        if (started > newest) {
            newest = started;
            pid = std::atoi(found.cFileName);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return pid;
}

double LinuxCpuSeconds(int pid) {
    if (pid <= 0) return -1;
    const std::string folder = std::string(kProcFolder) + std::to_string(pid) + "\\";
    // The scheduler's nanoseconds on the CPU, summed over the threads, where
    // the kernel keeps them; the 10 ms clock ticks of stat otherwise.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "task\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        double nanoseconds = 0;
        bool any = false;
        do {
            if (!AllDigits(found.cFileName)) continue;
            const std::string schedstat = ReadWholeFile(folder + "task\\" + found.cFileName + "\\schedstat");
            if (schedstat.empty()) continue;
            nanoseconds += std::strtod(schedstat.c_str(), nullptr);
            any = true;
        } while (FindNextFileA(search, &found));
        FindClose(search);
        if (any) return nanoseconds / 1e9;
    }
    const std::vector<std::string> fields = StatFields(ReadWholeFile(folder + "stat"));
    if (fields.size() < kSystemTimeField) return -1;
    return (StatField(fields, kUserTimeField) + StatField(fields, kSystemTimeField)) / kClockTicksPerSecond;
}

}  // namespace bench
