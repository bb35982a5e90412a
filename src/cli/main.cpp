#include "core/core.hpp"

#include <cstdio>
#include <string_view>

int main(int argc, char** argv)
{
    if (argc > 1 && std::string_view(argv[1]) == "--self-check") {
        std::fputs(orvendel::coreSelfCheckReport().c_str(), stdout);
        return 0;
    }
    std::fputs("usage: orvendel-cli --self-check\n", stderr);
    return 2;
}
