// SPDX-License-Identifier: MIT
#include "CommandLine.h"

#include <cstdio>

#ifdef MIRT_WINDOW_LINKED
extern "C" int mirtRunWindow(int argc, char **argv, const char *notePath, int hidden);
#else
#include <climits>
#include <dlfcn.h>
#include <string>
#include <unistd.h>
#endif

namespace {

using RunWindow = int (*)(int, char **, const char *, int);

// The window's library beside the program in a build, in the library folder once installed.
RunWindow loadWindow() {
#ifdef MIRT_WINDOW_LINKED
    return &mirtRunWindow;
#else
    char self[PATH_MAX] = {};
    if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return nullptr;
    const std::string folder = std::string(self).substr(0, std::string(self).rfind('/') + 1);
    for (const std::string &place :
         {folder + "mirt-window.so", folder + "../" MIRT_WINDOW_DIR "/mirt-window.so"})
        if (void *library = ::dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL))
            return reinterpret_cast<RunWindow>(::dlsym(library, "mirtRunWindow"));
    std::fprintf(stderr, "mirt: cannot load the window: %s\n", ::dlerror());
    return nullptr;
#endif
}

} // namespace

int main(int argc, char **argv) {
    const std::variant<int, CommandLine::Window> outcome = CommandLine::run(argc, argv);
    if (const int *code = std::get_if<int>(&outcome))
        return *code;
    const CommandLine::Window &window = std::get<CommandLine::Window>(outcome);
    const RunWindow run = loadWindow();
    return run ? run(argc, argv, window.notePath.toUtf8().constData(), int(window.hidden)) : 1;
}
