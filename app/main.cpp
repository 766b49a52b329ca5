// facetor: the desktop program without arguments, the batch front end with a subcommand.

#include "cli/Args.h"
#include "cli/Batch.h"

#include <iostream>
#include <string_view>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << "facetor: the desktop program is not part of this build; use the batch front end:\n"
                  << cli::usage();
        return 2;
    }
    return cli::runBatch(args);
}
