// Standard output of a command-line program: what it writes must arrive (a full disk, a closed
// pipe), or the program says so and fails.
#pragma once

#include <iosfwd>
#include <string_view>

namespace dfm {

class CheckedOutput {
public:
    explicit CheckedOutput(std::ostream& out) : out_(out) {}

    // False once a write has failed, this one or an earlier one.
    bool write(std::string_view text);
    // Sends what is buffered; false once a write has failed.
    bool flush();
    bool failed() const { return error_ != 0; }
    // "PROGRAM: standard output: REASON", the system's reason for the first failure; said once.
    void report(std::ostream& err, std::string_view program);

    // Writes text whole to out, a help or version text among them: false after the report on
    // err when it could not be written, since a text lost to a full disk is no success.
    static bool writeWhole(std::ostream& out, std::ostream& err, std::string_view program, std::string_view text);

private:
    // Keeps the reason of a failure the stream has just shown.
    void noteFailure();

    std::ostream& out_;
    int error_ = 0;
    bool reported_ = false;
};

}  // namespace dfm
