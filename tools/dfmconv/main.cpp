// dfmconv: converts form files between binary and text on the command line.
#include "FormConverterCommand.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    return FormConverterCommand(std::cout, std::cerr).run({argv + 1, argv + argc});
}
