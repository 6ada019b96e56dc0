// "plekto render" (in progress).
#include <cstdio>

#include "cli/Commands.h"

int RunRender(const CArgs&)
{
    std::fputs("plekto render: not available yet\n", stderr);
    return 2;
}
