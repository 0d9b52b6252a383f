// SPDX-License-Identifier: MIT
// Preloaded into a test's child process, it makes the file system refuse what some real ones
// lack: MIRT_REFUSE=links as FAT, exFAT and many FUSE file systems (no hard links, no unnamed
// files), MIRT_REFUSE=fallocate as file systems that cannot reserve space before writing.
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool refuses(const char *what) {
    const char *refused = std::getenv("MIRT_REFUSE");
    return refused && std::strstr(refused, what);
}

template<typename Function> Function next(const char *name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

int refuse(int error) {
    errno = error;
    return -1;
}

} // namespace

extern "C" {

int link(const char *from, const char *to) {
    return refuses("links") ? refuse(EPERM)
                            : next<int (*)(const char *, const char *)>("link")(from, to);
}

int linkat(int fromFolder, const char *from, int toFolder, const char *to, int flags) {
    return refuses("links") ? refuse(EPERM)
                            : next<int (*)(int, const char *, int, const char *, int)>("linkat")(
                                  fromFolder, from, toFolder, to, flags);
}

int open(const char *path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? mode_t(va_arg(rest, int)) : 0;
    va_end(rest);
    if ((flags & O_TMPFILE) == O_TMPFILE && refuses("links"))
        return refuse(EOPNOTSUPP);
    return next<int (*)(const char *, int, ...)>("open")(path, flags, mode);
}

int open64(const char *path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? mode_t(va_arg(rest, int)) : 0;
    va_end(rest);
    if ((flags & O_TMPFILE) == O_TMPFILE && refuses("links"))
        return refuse(EOPNOTSUPP);
    return next<int (*)(const char *, int, ...)>("open64")(path, flags, mode);
}

int fallocate(int fd, int mode, off_t offset, off_t length) {
    return refuses("fallocate")
               ? refuse(EOPNOTSUPP)
               : next<int (*)(int, int, off_t, off_t)>("fallocate")(fd, mode, offset, length);
}

int fallocate64(int fd, int mode, off_t offset, off_t length) {
    return refuses("fallocate")
               ? refuse(EOPNOTSUPP)
               : next<int (*)(int, int, off_t, off_t)>("fallocate64")(fd, mode, offset, length);
}
}
