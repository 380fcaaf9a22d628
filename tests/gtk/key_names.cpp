// Prints the gtk platform's names of the keys whose scan codes (hex) are given, then the scan code of Z.
#include <cstdio>
#include <cstdlib>

#include "platform/gtk/gtk_internal.h"

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    for (int i = 1; i < argc; ++i) {
        char name[64];
        platform::getKeyNameText(static_cast<std::int32_t>(std::strtol(argv[i], nullptr, 16) << 16), name, sizeof name);
        std::printf("%s ", name);
    }
    std::printf("/ %X\n", platform::mapVirtualKey('Z', 0));
}
