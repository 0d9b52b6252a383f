// SPDX-License-Identifier: MIT
#include "MirtApp.h"

int main(int argc, char **argv) {
    return MirtApp::run(argc, argv);
}
