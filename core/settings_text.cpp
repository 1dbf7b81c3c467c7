#include "core/settings_text.h"

namespace app {
namespace {

// The value buffer the profile reader fills before it parses a number.
constexpr size_t kValueReadLimit = 29;

// The system's white space below 128, and the end-of-file mark some old files carry.
bool IsBlank(uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A; }
bool IsLineEnd(uint8_t c) { return c == '\r' || c == '\n'; }
uint8_t Lower(uint8_t c) { return c >= 'A' && c <= 'Z' ? static_cast<uint8_t>(c + 32) : c; }

// Characters of the text between two bytes: a byte each, or two bytes each
// in a UTF-16 text, where anything past Latin-1 cannot spell our names.
struct Span {
    const uint8_t* begin;
    const uint8_t* end;
    size_t step;

    uint8_t At(const uint8_t* p) const { return step == 1 || p[1] == 0 ? p[0] : '?'; }
    uint8_t First() const { return At(begin); }
    size_t Length() const { return static_cast<size_t>(end - begin) / step; }
    Span From(const uint8_t* p) const { return Span{p, end, step}; }
    Span Until(const uint8_t* p) const { return Span{begin, p, step}; }
};

Span Trim(Span s) {
    while (s.begin < s.end && IsBlank(s.First())) s.begin += s.step;
    while (s.end > s.begin && IsBlank(s.At(s.end - s.step))) s.end -= s.step;
    return s;
}

bool SameName(Span s, const char* name) {
    for (; s.begin < s.end; s.begin += s.step, ++name) {
        if (*name == '\0' || Lower(s.First()) != Lower(static_cast<uint8_t>(*name))) return false;
    }
    return *name == '\0';
}

const uint8_t* Find(Span s, uint8_t c) {
    while (s.begin < s.end && s.First() != c) s.begin += s.step;
    return s.begin;
}

// The last c in s, or nullptr.
const uint8_t* FindLast(Span s, uint8_t c) {
    for (const uint8_t* p = s.end; p > s.begin;)
        if (s.At(p -= s.step) == c) return p;
    return nullptr;
}

// An integer as the system's string-to-integer conversion reads it: control
// characters skipped, a sign, then "0x", "0o" or "0b" (lower case) for base
// 16, 8 or 2, and the digits up to the first other character.
int32_t ParseInteger(Span value) {
    while (value.begin < value.end && value.First() <= ' ') value.begin += value.step;
    bool negative = false;
    if (value.begin < value.end && (value.First() == '-' || value.First() == '+')) {
        negative = value.First() == '-';
        value.begin += value.step;
    }
    uint32_t base = 10;
    if (value.Length() >= 2 && value.First() == '0') {
        const uint8_t prefix = value.At(value.begin + value.step);
        base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
        if (base != 10) value.begin += 2 * value.step;
    }
    uint32_t number = 0;
    for (; value.begin < value.end; value.begin += value.step) {
        const uint8_t c = value.First(), letter = static_cast<uint8_t>(c | 0x20);
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
    // A text saved with a byte-order mark: UTF-8 skips it, UTF-16 is read a
    // character in two bytes (an odd last byte is no character).
    Span rest{text, text + size, 1};
    if (size >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF) {
        rest.begin += 3;
    } else if (size >= 2 && text[0] == 0xFF && text[1] == 0xFE) {
        rest = Span{text + 2, text + 2 + (size - 2) / 2 * 2, 2};
    }

    bool inSection = false, sectionSeen = false;
    while (rest.begin < rest.end) {
        Span line = rest.Until(rest.begin);
        while (line.end < rest.end && !IsLineEnd(line.At(line.end))) line.end += line.step;
        rest.begin = line.end < rest.end ? line.end + line.step : rest.end;
        line.end = Find(line, 0);  // the reader stops a line at a NUL
        line = Trim(line);
        if (line.begin == line.end) continue;
        // A section's name runs to the last ']' of its line; without one the
        // line is a key's.
        const uint8_t* close = line.First() == '[' ? FindLast(line, ']') : nullptr;
        if (close != nullptr) {
            if (sectionSeen) break;  // only the first section of the name counts
            inSection = SameName(Trim(Span{line.begin + line.step, close, line.step}), section);
            sectionSeen = inSection;
            continue;
        }
        if (!inSection) continue;
        // A line without '=' is a key without a value.
        const uint8_t* equals = Find(line, '=');
        if (!SameName(Trim(line.Until(equals)), key)) continue;
        Span value = Trim(line.From(equals < line.end ? equals + line.step : line.end));
        // A value in matching quotes loses the first, and the last when the
        // value fits the reader's buffer with it.
        size_t length = value.Length();
        const uint8_t quote = length >= 2 ? value.First() : 0;
        const bool quoted = (quote == '"' || quote == '\'') && value.At(value.end - value.step) == quote;
        if (quoted) {
            value.begin += value.step;
            --length;
        }
        const bool lastDropped = quoted && length <= kValueReadLimit + 1;
        length = (length < kValueReadLimit ? length : kValueReadLimit) - (lastDropped ? 1 : 0);
        if (length == 0) return defaultValue;
        value.end = value.begin + length * value.step;
        return ParseInteger(value);
    }
    return defaultValue;
}

}  // namespace app
