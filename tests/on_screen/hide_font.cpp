// Preloaded into the game (LD_PRELOAD) to hide its font without the right
// to mount anything: every DejaVu Sans file reads as missing.
#include <cerrno>
#include <cstring>
#include <dlfcn.h>

extern "C" int access(const char* path, int mode)
{
    if (path != nullptr && std::strstr(path, "DejaVuSans") != nullptr) {
        errno = ENOENT;
        return -1;
    }
    using Access = int (*)(const char*, int);
    static const auto real = reinterpret_cast<Access>(dlsym(RTLD_NEXT, "access"));
    return real(path, mode);
}
