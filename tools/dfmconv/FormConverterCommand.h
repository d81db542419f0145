// The dfmconv command line: converts form files between binary and text, checks round trips, and
// writes out the pictures a form stores.
#pragma once

#include "CheckedOutput.h"
#include "CodePage.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace dfm {
class ByteStream;
}

class FormConverterCommand {
public:
    enum ExitStatus { Success = 0, FileFailed = 1, WrongUsage = 2 };

    FormConverterCommand(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    int run(const std::vector<std::string>& arguments);

    enum class Direction { ToText, ToBinary };

private:
    // One file of a run over several: where it goes (its own path when converted in place).
    struct Job {
        std::filesystem::path in;
        std::filesystem::path out;
    };
    // What became of one file, made by a worker and printed by the main thread in file order.
    struct Outcome {
        enum class State { Converted, AlreadyTarget, Failed } state = State::Failed;
        std::string report;  // the lines to print, each ending in a line break
        // check: what the file turned out to be; one that cannot be read, or is no form, is neither.
        enum class Kind { Binary, Text, Unreadable, NotAForm } kind = Kind::Binary;
        std::string verdict; // check: the word its line starts with
    };
    // Device and inode of the files a run reads, none of which it may write.
    using FileIds = std::set<std::pair<std::uint64_t, std::uint64_t>>;

    int usage(std::ostream& stream, int status);
    int runWords(const std::vector<std::string>& arguments);
    // Writes text to standard output; false once anything could not be written there.
    bool print(const std::string& text);
    int convert(Direction direction, const std::vector<std::string>& paths);
    int convertMany(Direction direction, const std::vector<std::string>& paths, const std::filesystem::path& outFolder);
    Outcome convertJob(Direction direction, const Job& job, const FileIds& inputs);
    // The error line for in (empty on success); backup, when given, keeps the file replaced.
    std::string convertFile(Direction direction, const std::string& in, const std::string& out,
                            const std::string& backup = {});
    void writeOutput(const std::string& out, const std::string& backup,
                     const std::function<void(dfm::ByteStream&)>& convert);
    int check(const std::vector<std::string>& paths);
    Outcome checkFile(const std::filesystem::path& file);
    // Writes each picture of the form file in into outFolder as a file of its own kind.
    int pictures(const std::string& in, const std::filesystem::path& outFolder);
    std::vector<std::filesystem::path> formFilesIn(const std::filesystem::path& folder, bool recursive);
    // Runs work(i) for i below count on jobs_ threads; report(i) is called on this thread for each
    // i in order once work(i) is done, and stops the run when it returns false. A stopping signal
    // ends the program between two files' last steps, never in the middle of one's.
    void forEach(std::size_t count, const std::function<void(std::size_t)>& work,
                 const std::function<bool(std::size_t)>& report);

    std::ostream& out_;
    std::ostream& err_;
    bool recursive_ = false;
    bool force_ = false;
    bool utf8_ = false;
    const dfm::CodePage* codePage_ = &dfm::CodePage::system();
    const dfm::CodePage* givenPage_ = nullptr;  // --codepage: it overrides the form's own page
    bool noWrap_ = false;
    bool inPlace_ = false;
    bool backup_ = false;
    std::string outFolder_;
    std::size_t jobs_ = 0;
    dfm::CheckedOutput output_{out_};  // standard output, its first failure kept
    bool folderUnreadable_ = false;  // a folder of the walk could not be read, and was reported
    bool severalFiles_ = false;  // files are converted by workers (set before they start)
    // Held while a file is put in its place, so that a signal never ends the program between
    // the temporary name given to the data and the rename.
    std::mutex commitLock_;
};
