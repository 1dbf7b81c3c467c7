// The two C library functions the compiler calls for block copies and
// fills, for muslot.exe and the web page's module, which link no C
// library. Built without the compiler's own knowledge of them, which would
// turn these loops back into calls to themselves.
#include <cstddef>

extern "C" void* memcpy(void* destination, const void* source, size_t count) {
    auto* to = static_cast<unsigned char*>(destination);
    const auto* from = static_cast<const unsigned char*>(source);
    while (count--) *to++ = *from++;
    return destination;
}

extern "C" void* memset(void* destination, int value, size_t count) {
    auto* to = static_cast<unsigned char*>(destination);
    while (count--) *to++ = static_cast<unsigned char>(value);
    return destination;
}
