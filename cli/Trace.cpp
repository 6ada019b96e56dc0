// "plekto trace" (in progress).
#include <cstdio>

#include "cli/Commands.h"

int RunTrace(const CArgs&)
{
    std::fputs("plekto trace: not available yet\n", stderr);
    return 2;
}
