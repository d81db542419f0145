#include "CheckedOutput.h"

#include <cerrno>
#include <cstring>
#include <ostream>

namespace dfm {

void CheckedOutput::noteFailure()
{
    if (!out_ && error_ == 0)
        error_ = errno != 0 ? errno : EIO;
}

bool CheckedOutput::write(std::string_view text)
{
    errno = 0;
    out_ << text;
    noteFailure();
    return error_ == 0;
}

bool CheckedOutput::flush()
{
    errno = 0;
    out_.flush();
    noteFailure();
    return error_ == 0;
}

void CheckedOutput::report(std::ostream& err, std::string_view program)
{
    if (reported_ || error_ == 0)
        return;
    reported_ = true;
    err << program << ": standard output: " << std::strerror(error_) << "\n";
}

bool CheckedOutput::writeWhole(std::ostream& out, std::ostream& err, std::string_view program, std::string_view text)
{
    CheckedOutput output(out);
    if (output.write(text) && output.flush())
        return true;
    output.report(err, program);
    return false;
}

}  // namespace dfm
