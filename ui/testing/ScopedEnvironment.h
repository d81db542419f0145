// Environment variables changed for the length of a test, and a run without a home folder.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>
#include <utility>
#include <vector>

// Sets or unsets variables while it lives, then puts back what was there.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment()
    {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            apply(it->first, it->second);
    }

    // No value unsets the variable.
    void set(const char* name, const std::optional<QByteArray>& value)
    {
        saved_.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        apply(name, value);
    }

private:
    static void apply(const char* name, const std::optional<QByteArray>& value)
    {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }

    std::vector<std::pair<const char*, std::optional<QByteArray>>> saved_;
};

// Neither HOME nor XDG_CONFIG_HOME set, and an empty working folder, so that a store written
// relative to it shows as well as one written under "/.config", where Qt's own lookup leads:
// ours, or Qt's own (QtProject.conf, written by its file dialog).
class RunWithoutHome {
public:
    RunWithoutHome() : previousFolder_(QDir::currentPath())
    {
        environment_.set("HOME", std::nullopt);
        environment_.set("XDG_CONFIG_HOME", std::nullopt);
        QDir::setCurrent(workFolder_.path());
        for (const QString& path : storePaths())
            existedBefore_.push_back(QFileInfo::exists(path));
    }
    RunWithoutHome(const RunWithoutHome&) = delete;
    RunWithoutHome& operator=(const RunWithoutHome&) = delete;
    ~RunWithoutHome() { QDir::setCurrent(previousFolder_); }

    // Whether a store appeared under "/.config" or anything in the working folder.
    bool wroteSomething() const
    {
        const QStringList paths = storePaths();
        for (qsizetype i = 0; i < paths.size(); ++i) {
            if (QFileInfo::exists(paths[i]) && !existedBefore_[std::size_t(i)])
                return true;
        }
        return !QDir(workFolder_.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

private:
    static QStringList storePaths()
    {
        return {"/.config/QuenDFMEd", "/.config/QUENDFMED", "/.config/QtProject.conf"};
    }

    ScopedEnvironment environment_;
    QTemporaryDir workFolder_;
    QString previousFolder_;
    std::vector<bool> existedBefore_;
};
