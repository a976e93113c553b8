// Prints the command numbers the connection wizard reads, in its order, one line, blank
// separated: what tests/win/end_to_end.sh expects the simulator to have seen.
#include <cstdio>

#include "core/protocol/Commands.h"

int main()
{
    const char* separator = "";
    for (const uint8_t command : kx::wizardReadOrder()) {
        std::printf("%s%u", separator, unsigned(command));
        separator = " ";
    }
    std::printf("\n");
    return 0;
}
