// dfmlint: checks form files against their units on the command line.
#include "LintCommand.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    return dfm::LintCommand(std::cout, std::cerr).run({argv + 1, argv + argc});
}
