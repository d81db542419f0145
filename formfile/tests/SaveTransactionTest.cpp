// One save of a form and its unit with backups: a failure at any system call leaves every file
// and backup as it was; a success leaves the new files, the old ones as backups, nothing else.
#include "SaveTransaction.h"
#include "Errors.h"
#include "ScriptedSystemCalls.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace dfm {
namespace {

namespace fs = std::filesystem;
using test::Call;

// Every entry of the folder with its content.
std::map<std::string, std::string> contentsOf(const fs::path& folder)
{
    std::map<std::string, std::string> contents;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        contents[entry.path().filename().string()] =
            entry.is_directory() ? "<folder>" : std::string(std::istreambuf_iterator<char>(in), {});
    }
    return contents;
}

class SaveTransactionTest : public ::testing::Test {
protected:
    // The old files and backups, and nothing else.
    void SetUp() override
    {
        for (const fs::directory_entry& entry : fs::directory_iterator(folder.path()))
            fs::remove_all(entry.path());
        for (const auto& [name, bytes] : before)
            std::ofstream(folder.file(name), std::ios::binary) << bytes;
    }
    void save(bool backup)
    {
        SaveTransaction({{folder.file("Main.dfm"), "new form", backup, !backup}, {folder.file("Main.pas"), "new unit", backup}},
                        {})
            .run();
    }

    const test::TempFolder folder;
    const std::map<std::string, std::string> before{
        {"Main.dfm", "old form"}, {"Main.pas", "old unit"}, {"Main.D$$", "older form"}, {"Main.P$$", "older unit"}};
};

TEST_F(SaveTransactionTest, KeepsTheOldFilesAsBackupsAndLeavesNothingElse)
{
    save(true);
    const std::map<std::string, std::string> after{
        {"Main.dfm", "new form"}, {"Main.pas", "new unit"}, {"Main.D$$", "old form"}, {"Main.P$$", "old unit"}};
    EXPECT_EQ(contentsOf(folder.path()), after);
}

TEST_F(SaveTransactionTest, AFailureAtAnyCallLeavesEveryFileAndBackupAsItWas)
{
    for (const bool backup : {true, false}) {
        std::map<Call, int> calls;
        {
            SetUp();
            test::ScriptedSystemCalls counting;
            save(backup);
            for (const Call call : {Call::Open, Call::Close, Call::Write, Call::Pwrite, Call::Fsync, Call::Ftruncate,
                                    Call::Fallocate, Call::Rename, Call::Link})
                calls[call] = counting.calls(call);
        }
        const std::map<std::string, std::string> saved = contentsOf(folder.path());
        for (const auto& [call, count] : calls) {
            for (int at = 0; at < count; ++at) {
                SCOPED_TRACE(testing::Message() << "backup " << backup << ", call " << static_cast<int>(call) << " #" << at);
                SetUp();
                bool failed = false;
                {
                    test::ScriptedSystemCalls failing;
                    std::vector<test::Step> steps(static_cast<std::size_t>(at));
                    steps.push_back(test::failsWith(EIO));
                    failing.script(call, steps);
                    try {
                        save(backup);
                    } catch (const FormError&) {
                        failed = true;
                    }
                }
                // A rewrite in place that failed halfway cannot come back; every other failure
                // leaves the folder as it was. A save may go on without a backup it could not
                // make, or without the extra name that would have let it undo a step.
                std::map<std::string, std::string> now = contentsOf(folder.path());
                if (failed && !(call == Call::Pwrite || call == Call::Ftruncate || (call == Call::Close && !backup))) {
                    EXPECT_EQ(now, before);
                } else if (!failed) {
                    EXPECT_EQ(now["Main.dfm"], "new form");
                    EXPECT_EQ(now["Main.pas"], "new unit");
                    EXPECT_EQ(now.size(), saved.size());
                }
            }
        }
    }
}

TEST_F(SaveTransactionTest, ReadOnlyFilesAndMissingOnesInPlaceAreRefusedFirst)
{
    SaveTransaction rewriting({{folder.file("Gone.dfm"), "new", false, true}, {folder.file("Main.pas"), "new unit"}}, {});
    EXPECT_THROW(rewriting.run(), FileOpenError);
    EXPECT_EQ(contentsOf(folder.path()), before);

    SaveTransaction::Options required;
    required.backupRequired = true;
    fs::remove(folder.file("Main.D$$"));
    fs::create_directory(folder.file("Main.D$$"));
    SaveTransaction blocked({{folder.file("Main.pas"), "new unit", true}, {folder.file("Main.dfm"), "new form", true}},
                            required);
    EXPECT_THROW(blocked.run(), SaveTransaction::BackupFailed);
    std::map<std::string, std::string> expected = before;
    expected["Main.D$$"] = "<folder>";
    EXPECT_EQ(contentsOf(folder.path()), expected);
}

// A file filled as it is made: a conversion that fails halfway changes nothing, one that
// succeeds is there whole, its old bytes kept as the backup.
TEST_F(SaveTransactionTest, AStreamedFileIsThereWholeOrNotAtAll)
{
    const auto failing = [](ByteStream& stream) {
        stream.writeBuffer("half a form", 11);
        throw ConvertError("no such value");
    };
    SaveTransaction failed({{folder.file("Main.dfm"), failing, true}}, {});
    EXPECT_THROW(failed.run(), ConvertError);
    EXPECT_EQ(contentsOf(folder.path()), before);

    const std::string large(300000, 'x');
    const auto filling = [&large](ByteStream& stream) {
        for (std::size_t done = 0; done < large.size(); done += 1000)
            stream.writeBuffer(large.data() + done, 1000);
    };
    SaveTransaction streamed({{folder.file("Main.dfm"), filling, true}}, {});
    streamed.run();
    std::map<std::string, std::string> expected = before;
    expected["Main.dfm"] = large;
    expected["Main.D$$"] = before.at("Main.dfm");
    EXPECT_EQ(contentsOf(folder.path()), expected);
}

// What an interrupted save of these names left goes, and nothing else.
TEST(SaveTransaction, LeftoversOfTheSameNamesAreRemoved)
{
    const test::TempFolder folder;
    const std::vector<std::string> names{".Main.dfm.quendfmed-a1B2c3", ".Main.D$$.quendfmed-XyZ789", ".Other.dfm.quendfmed-a1B2c3",
                                         ".Main.dfm.quendfmed-a1B2c", "Main.dfm.quendfmed-a1B2c3", ".Main.dfm.dfmconv-a1B2c3"};
    for (const std::string& name : names)
        std::ofstream(folder.file(name)) << "";
    const std::vector<fs::path> paths{folder.file("Main.dfm"), folder.file("Main.D$$")};
    SaveTransaction::removeLeftovers(paths, names);
    std::map<std::string, std::string> expected;
    for (std::size_t i = 2; i < names.size(); ++i)
        expected[names[i]] = "";
    EXPECT_EQ(contentsOf(folder.path()), expected);
}

}  // namespace
}  // namespace dfm
