// dfmconv: converts form files between binary and text on the command line.
#include "FormConverterCommand.h"
#include "SignalCleanup.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    // An output stopped halfway leaves no temporary file behind.
    dfm::SignalCleanup::install();
    return FormConverterCommand(std::cout, std::cerr).run({argv + 1, argv + argc});
}
