#include <iostream>
#include <string>
#include <vector>

#include "halvo_set.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#endif

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    halvo::cli::Console console{std::cout, std::cerr, {}};
#ifdef _WIN32
    // Text mode would turn each CR LF of set.txt into CR CR LF.
    console.binary_out = [] {
        std::cout.flush();
        _setmode(_fileno(stdout), _O_BINARY);
    };
#endif
    return halvo::cli::Run(args, halvo::cli::SystemClock(), console);
}
