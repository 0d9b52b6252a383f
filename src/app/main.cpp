// SPDX-License-Identifier: MIT
#include "MirtApp.h"

int main(int argc, char **argv) {
    MirtApp app(argc, argv);
    return app.exec();
}
