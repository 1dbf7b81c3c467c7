#include "bench/measure.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

double NowMicroseconds() {
    static const double ticksPerMicrosecond = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1e6;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMicrosecond;
}

namespace {

// The sample at a fraction of the sorted set, interpolated between neighbours.
double Quantile(const std::vector<double>& sorted, double fraction) {
    if (sorted.empty()) return 0;
    const double at = fraction * static_cast<double>(sorted.size() - 1);
    const size_t below = static_cast<size_t>(at);
    const size_t above = std::min(below + 1, sorted.size() - 1);
    const double weight = at - static_cast<double>(below);
    return sorted[below] * (1 - weight) + sorted[above] * weight;
}

}  // namespace

Summary Summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return Summary{samples.size(), Quantile(samples, 0.5), Quantile(samples, 0.1), Quantile(samples, 0.9)};
}

void Report(const std::string& key, double value) {
    std::printf("%s=%.10g\n", key.c_str(), value);
    std::fflush(stdout);
}

void Report(const std::string& key, const std::string& value) {
    std::printf("%s=%s\n", key.c_str(), value.c_str());
    std::fflush(stdout);
}

void ReportSummary(const std::string& key, const Summary& summary) {
    Report(key + ".count", static_cast<double>(summary.count));
    Report(key + ".median", summary.median);
    Report(key + ".p10", summary.p10);
    Report(key + ".p90", summary.p90);
}

bool TinyMode(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--tiny") == 0) return true;
    return false;
}

int IntOption(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
    return fallback;
}

void ReportPlatform() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    char text[64];
    std::snprintf(text, sizeof text, "%lu.%lu.%lu", version.dwMajorVersion, version.dwMinorVersion,
                  version.dwBuildNumber);
    Report("platform.windows", text);
    using WineVersion = const char*(CDECL*)();
    if (HMODULE ntdll = GetModuleHandleA("ntdll.dll")) {
        auto wineVersion =
            reinterpret_cast<WineVersion>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
        if (wineVersion) Report("platform.wine", wineVersion());
    }
    HDC screen = GetDC(nullptr);
    Report("platform.depth", GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES));
    Report("platform.palette", (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) ? 1 : 0);
    ReleaseDC(nullptr, screen);
    Report("platform.screen_width", GetSystemMetrics(SM_CXSCREEN));
    Report("platform.screen_height", GetSystemMetrics(SM_CYSCREEN));
}

}  // namespace bench
