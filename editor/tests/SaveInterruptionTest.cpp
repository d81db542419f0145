// A save cut short at each of its file operations, by a failure or by the process being killed:
// the form and its unit are each there under their own names, old or new, and what an
// interrupted save leaves behind goes at the next open. Also the early refusal of a form whose
// text cannot fit in a page.
#include "FormFiles.h"
#include "PosixFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using dfm::PosixFile;
namespace FormFiles = dfm::FormFiles;

// Counts the file operations a save makes through the descriptor seam and strikes at one of
// them: a failure (EIO) or the end of the process.
class Interruption {
public:
    enum class Action { Count, Fail, Kill };

    Interruption(Action action, int at) : saved_(PosixFile::systemCalls())
    {
        real() = saved_;
        action_() = action;
        at_() = at;
        seen() = 0;
        PosixFile::SystemCalls& calls = PosixFile::systemCalls();
        calls.open = [](const char* path, int flags, mode_t mode) { return strike() ? -1 : real().open(path, flags, mode); };
        calls.close = [](int fd) {
            const bool failed = strike();
            return real().close(fd) != 0 || failed ? -1 : 0;
        };
        calls.write = [](int fd, const void* b, std::size_t n) { return strike() ? ssize_t(-1) : real().write(fd, b, n); };
        calls.pwrite = [](int fd, const void* b, std::size_t n, off_t at) {
            return strike() ? ssize_t(-1) : real().pwrite(fd, b, n, at);
        };
        calls.fsync = [](int fd) { return strike() ? -1 : real().fsync(fd); };
        calls.ftruncate = [](int fd, off_t length) { return strike() ? -1 : real().ftruncate(fd, length); };
        calls.fallocate = [](int fd, off_t at, off_t length) { return strike() ? EIO : real().fallocate(fd, at, length); };
        calls.rename = [](const char* from, const char* to) { return strike() ? -1 : real().rename(from, to); };
        calls.link = [](const char* from, const char* to) { return strike() ? -1 : real().link(from, to); };
        calls.unlink = [](const char* path) { return strike() ? -1 : real().unlink(path); };
    }
    ~Interruption() { PosixFile::systemCalls() = saved_; }
    Interruption(const Interruption&) = delete;
    Interruption& operator=(const Interruption&) = delete;

    static int operations() { return seen(); }

private:
    static PosixFile::SystemCalls& real()
    {
        static PosixFile::SystemCalls calls;
        return calls;
    }
    static Action& action_()
    {
        static Action action;
        return action;
    }
    static int& at_()
    {
        static int at;
        return at;
    }
    static int& seen()
    {
        static int count;
        return count;
    }
    static bool strike()
    {
        if (seen()++ != at_() || action_() == Action::Count)
            return false;
        if (action_() == Action::Kill)
            ::kill(::getpid(), SIGKILL);
        errno = EIO;
        return true;
    }

    PosixFile::SystemCalls saved_;
};

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class SaveInterruption : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        formPath = folder.filePath("Sample.dfm");
        unitPath = folder.filePath("Sample.PAS");
        oldForm = contentOf(DFM_SOURCE_DIR "/examples/Sample.dfm");
        oldUnit = contentOf(DFM_SOURCE_DIR "/examples/Sample.PAS");
        reset();
        const FormFiles::Loaded loaded = FormFiles::load(formPath);
        QString formText = loaded.formText;
        formText.replace(QStringLiteral("object "), QStringLiteral("object  "));
        formText.replace(QStringLiteral("Caption = '"), QStringLiteral("Caption = 'New "));
        texts = {formPath, formText, loaded.formFormat, QStringLiteral("{new}") + loaded.unitText, loaded.unitFormat};
        newForm = FormFiles::convertFormText(formText);
        ASSERT_NE(newForm, oldForm);
    }

    // The old form and unit, and nothing else in the folder.
    void reset()
    {
        QDir dir(folder.path());
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
            ASSERT_TRUE(dir.remove(name));
        write(formPath, oldForm);
        write(unitPath, oldUnit);
    }
    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    int operationsOfASave()
    {
        int count = 0;
        {
            Interruption counting(Interruption::Action::Count, -1);
            FormFiles::save(texts, true, true);
            count = Interruption::operations();
        }
        newUnit = contentOf(unitPath);
        reset();
        return count;
    }
    void expectOldOrNew()
    {
        const QByteArray form = contentOf(formPath);
        const QByteArray unit = contentOf(unitPath);
        EXPECT_TRUE(form == oldForm || form == newForm) << "form: " << form.left(40).toStdString();
        EXPECT_TRUE(unit == oldUnit || unit == newUnit) << "unit: " << unit.left(40).toStdString();
    }
    // The temporary files in the folder, as one line.
    std::string leftovers() const
    {
        return QDir(folder.path())
            .entryList({QStringLiteral(".*quendfmed-*")}, QDir::Files | QDir::Hidden)
            .join(u' ')
            .toStdString();
    }

    QTemporaryDir folder;
    QString formPath;
    QString unitPath;
    QByteArray oldForm;
    QByteArray oldUnit;
    QByteArray newForm;
    QByteArray newUnit;
    FormFiles::Texts texts;
};

TEST_F(SaveInterruption, AFailureAtAnyOperationLeavesEachFileOldOrNew)
{
    const int operations = operationsOfASave();
    for (int at = 0; at < operations; ++at) {
        SCOPED_TRACE(at);
        reset();
        bool failed = false;
        {
            Interruption failing(Interruption::Action::Fail, at);
            try {
                FormFiles::save(texts, true, true);
            } catch (const std::exception&) {
                failed = true;
            }
        }
        expectOldOrNew();
        if (!failed) {
            EXPECT_EQ(contentOf(formPath), newForm);
            EXPECT_EQ(contentOf(unitPath), newUnit);
        }
        // A failed removal of the temporary file is made good by the next save.
        FormFiles::save(texts, true, true);
        EXPECT_EQ(leftovers(), "");
        EXPECT_EQ(contentOf(formPath), newForm);
        EXPECT_EQ(contentOf(unitPath), newUnit);
    }
}

TEST_F(SaveInterruption, AKillAtAnyOperationLeavesEachFileOldOrNewAndTheNextOpenTidiesUp)
{
    const int operations = operationsOfASave();
    for (int at = 0; at <= operations; ++at) {
        SCOPED_TRACE(at);
        reset();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Interruption killing(Interruption::Action::Kill, at);
            try {
                FormFiles::save(texts, true, true);
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (at < operations)
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        else
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        expectOldOrNew();
        const QByteArray backup = contentOf(folder.filePath("Sample.D$$"));
        EXPECT_TRUE(backup == "<missing>" || backup == oldForm);
        FormFiles::load(formPath);
        EXPECT_EQ(leftovers(), "");
    }
}

TEST(PageCapacity, AFormWhoseTextOutgrowsAPageIsRefusedBeforeItsTextIsBuilt)
{
    // Deep nesting makes a small binary form into a large text: each level indents every line of
    // the levels below it.
    QString text;
    constexpr int Depth = 999;
    const QString properties = QStringLiteral("Left = 1\nTop = 2\nWidth = 3\nHeight = 4\n").repeated(10);
    for (int level = 0; level < Depth; ++level)
        text += QStringLiteral("object A%1: TPanel\n").arg(level) + properties;
    for (int level = 0; level < Depth; ++level)
        text += QStringLiteral("end\n");
    const QByteArray binary = FormFiles::convertFormText(text);
    ASSERT_LT(binary.size(), 600000);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Deep.dfm"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(binary);
    file.close();
    // A unit that cannot fit is not even read.
    const QString unitPath = folder.filePath(QStringLiteral("Deep.PAS"));
    QFile unit(unitPath);
    ASSERT_TRUE(unit.open(QIODevice::WriteOnly));
    ASSERT_TRUE(unit.resize(3 * FormFiles::PageCapacity + 1));
    unit.close();
    const QString refusal = QStringLiteral("%1 holds more than 16777216 characters of text; an editor page holds at "
                                           "most 16777216, so the file is not opened");
    for (const QString& refused : {path, unitPath}) {
        SCOPED_TRACE(refused.toStdString());
        try {
            FormFiles::load(path);
            FAIL() << "a file of several megabytes of text was opened";
        } catch (const std::exception& error) {
            EXPECT_EQ(QString::fromUtf8(error.what()), refusal.arg(refused));
        }
        // Then the form itself fits, and only its unit is too large.
        QString shallow;
        for (int level = 0; level < 3; ++level)
            shallow += QStringLiteral("object A%1: TPanel\nLeft = 1\n").arg(level);
        shallow += QStringLiteral("end\nend\nend\n");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(FormFiles::convertFormText(shallow));
        file.close();
    }
}

}  // namespace
