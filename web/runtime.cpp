// The block copy and fill the compiler may call, for a module without a C library.
#include <cstddef>

extern "C" void* memcpy(void* to, const void* from, size_t bytes) {
    auto* t = static_cast<unsigned char*>(to);
    const auto* f = static_cast<const unsigned char*>(from);
    while (bytes--) *t++ = *f++;
    return to;
}

extern "C" void* memset(void* to, int value, size_t bytes) {
    auto* t = static_cast<unsigned char*>(to);
    while (bytes--) *t++ = static_cast<unsigned char>(value);
    return to;
}
