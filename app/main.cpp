// The tarnwick executable: until the main window exists it prints its version.
#include "platform/Environment.h"

#include <cstdio>

int main(int argc, char** argv)
{
    InitEnvironmentDefaults();
    std::printf("Tarnwick Version %s\n", TARNWICK_VERSION);
    return 0;
}
