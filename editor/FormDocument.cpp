// The open form and its operations.
#include "FormDocument.h"

#include "FormFiles.h"

#include <QDir>
#include <QFileInfo>

namespace dfm {

QString FormDocument::unitPath() const
{
    return FormFiles::unitFileName(formPath_);
}

FormDocument::Texts FormDocument::open(const QString& path, const FormFiles::CodePageRequest& request)
{
    FormFiles::Loaded loaded = FormFiles::load(path, request);
    // A grep search changes the working directory: a relative name would then save elsewhere.
    formPath_ = QDir::isRelativePath(path) ? QFileInfo(path).absoluteFilePath() : path;
    unitFormat_ = loaded.unitFormat;
    formFormat_ = loaded.formFormat;
    codePage_ = loaded.codePage;
    unitUnreadable_ = loaded.unitUnreadable;
    return {std::move(loaded.formText), std::move(loaded.unitText)};
}

void FormDocument::save(const QString& formText, const QString& unitText, bool unitModified)
{
    // A unit page that holds what is on disk is written back, which keeps the previous unit as a
    // backup; one that stands for no readable file would replace nothing but its backup, and a
    // read-only unit is a lock that the form's save leaves alone.
    // The unit is looked for once, and written where it was found.
    const QFileInfo unit(unitPath());
    const bool writeUnit = unitModified
        || (!unitUnreadable_ && (unit.exists() || unit.isSymLink()) && FormFiles::writeRefusal(unit.filePath()) == 0);
    FormFiles::save({formPath_, formText, formFormat_, unitText, unitFormat_}, backupEnabled_, writeUnit, unit.filePath());
    if (writeUnit)
        unitUnreadable_ = false;
}

void FormDocument::saveAs(const QString& path, const QString& formText, const QString& unitText,
                          const FormFiles::FormFormat& format)
{
    FormFiles::saveAs({path, formText, format, unitText, unitFormat_});
    formPath_ = path;
    formFormat_ = format;
    unitUnreadable_ = false;
}

}  // namespace dfm
