#include "web/profile_text.h"

namespace web {
namespace {

// The value buffer the profile reader fills before it parses a number.
constexpr size_t kValueReadLimit = 29;

bool IsBlank(uint8_t c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
bool IsLineEnd(uint8_t c) { return c == '\r' || c == '\n'; }
uint8_t Lower(uint8_t c) { return c >= 'A' && c <= 'Z' ? static_cast<uint8_t>(c + 32) : c; }

struct Span {
    const uint8_t* begin;
    const uint8_t* end;
};

Span Trim(Span s) {
    while (s.begin < s.end && IsBlank(*s.begin)) ++s.begin;
    while (s.end > s.begin && IsBlank(s.end[-1])) --s.end;
    return s;
}

bool SameName(Span s, const char* name) {
    for (; s.begin < s.end; ++s.begin, ++name) {
        if (*name == '\0' || Lower(*s.begin) != Lower(static_cast<uint8_t>(*name))) return false;
    }
    return *name == '\0';
}

const uint8_t* Find(Span s, uint8_t c) {
    while (s.begin < s.end && *s.begin != c) ++s.begin;
    return s.begin;
}

// An integer as the system's string-to-integer conversion reads it: control
// characters skipped, a sign, then "0x", "0o" or "0b" (lower case) for base
// 16, 8 or 2, and the digits up to the first other character.
int32_t ParseInteger(Span value) {
    while (value.begin < value.end && *value.begin <= ' ') ++value.begin;
    bool negative = false;
    if (value.begin < value.end && (*value.begin == '-' || *value.begin == '+'))
        negative = *value.begin++ == '-';
    uint32_t base = 10;
    if (value.end - value.begin >= 2 && value.begin[0] == '0') {
        base = value.begin[1] == 'x' ? 16 : value.begin[1] == 'o' ? 8 : value.begin[1] == 'b' ? 2 : 10;
        if (base != 10) value.begin += 2;
    }
    uint32_t number = 0;
    for (; value.begin < value.end; ++value.begin) {
        const uint8_t c = *value.begin, letter = static_cast<uint8_t>(c | 0x20);
        const uint32_t digit = c >= '0' && c <= '9'             ? c - '0'
                               : letter >= 'a' && letter <= 'z' ? letter - 'a' + 10u
                                                                : base;
        if (digit >= base) break;
        number = number * base + digit;
    }
    return static_cast<int32_t>(negative ? 0u - number : number);
}

}  // namespace

int32_t ReadProfileInt(const uint8_t* text, size_t size, const char* section, const char* key,
                       int32_t defaultValue) {
    const uint8_t* end = text + size;
    // A text saved with a byte-order mark: UTF-8 skips it, UTF-16 is read
    // one character in two (anything past Latin-1 cannot spell our names).
    uint8_t narrowed[4096];
    if (size >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF) {
        text += 3;
    } else if (size >= 2 && text[0] == 0xFF && text[1] == 0xFE) {
        size_t n = 0;
        for (const uint8_t* p = text + 2; p + 1 < end && n < sizeof narrowed; p += 2)
            narrowed[n++] = p[1] == 0 ? p[0] : '?';
        text = narrowed;
        end = narrowed + n;
    }

    bool inSection = false, sectionSeen = false;
    while (text < end) {
        Span line{text, text};
        while (line.end < end && !IsLineEnd(*line.end)) ++line.end;
        text = line.end < end ? line.end + 1 : end;
        line.end = Find(line, 0);  // the reader stops a line at a NUL
        line = Trim(line);
        if (line.begin == line.end) continue;
        if (*line.begin == '[') {
            if (sectionSeen) break;  // only the first section of the name counts
            Span name = Trim(Span{line.begin + 1, Find(Span{line.begin + 1, line.end}, ']')});
            inSection = SameName(name, section);
            sectionSeen = inSection;
            continue;
        }
        if (!inSection) continue;
        const uint8_t* equals = Find(line, '=');
        if (equals == line.end || !SameName(Trim(Span{line.begin, equals}), key)) continue;
        Span value = Trim(Span{equals + 1, line.end});
        if (value.begin == value.end) return defaultValue;
        if (static_cast<size_t>(value.end - value.begin) > kValueReadLimit)
            value.end = value.begin + kValueReadLimit;
        return ParseInteger(value);
    }
    return defaultValue;
}

size_t FormatSettingsText(const app::Settings& settings, char* out) {
    size_t n = 0;
    auto put = [&](const char* s) {
        while (*s) out[n++] = *s++;
    };
    put("[");
    put(app::kSettingsSection);
    put("]\r\n");
    for (const app::SettingKey& key : app::kSettingKeys) {
        put(key.name);
        put("=");
        // "%u": the 32-bit word unsigned, so -1 is 4294967295.
        uint32_t value = static_cast<uint32_t>(settings.*key.field);
        char digits[app::kSettingValueSize];
        size_t count = 0;
        do {
            digits[count++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (count > 0) out[n++] = digits[--count];
        put("\r\n");
    }
    return n;
}

}  // namespace web
