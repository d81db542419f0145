// dfmgrep: lists the files below a directory that hold a key, on the command line.
#include "GrepCommand.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    return dfm::GrepCommand(std::cout, std::cerr).run({argv + 1, argv + argc});
}
