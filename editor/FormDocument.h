// The open form: where its files are, how its unit is written back, whether backups are made,
// and the open, save and save-as operations over them. The window holds one and shows its texts.
#pragma once

#include "FormFiles.h"
#include "PageText.h"

#include <QString>

namespace dfm {

class FormDocument {
public:
    // What the two pages show after an open.
    struct Texts {
        QString form;
        QString unit;
    };

    bool isOpen() const { return !formPath_.isEmpty(); }
    // A full path once open, so that a change of the working directory cannot move a save.
    QString formPath() const { return formPath_; }
    QString unitPath() const;
    const TextFormat& unitFormat() const { return unitFormat_; }
    // How the form file is stored: binary or text, and a text form's encoding.
    const FormFiles::FormFormat& formFormat() const { return formFormat_; }
    // The unit was there at opening but could not be read: it is not overwritten by the empty
    // page unless the user typed into that page.
    bool unitUnreadable() const { return unitUnreadable_; }

    // The code page of the form's strings (and of its unit unless UTF-8), and how it was found.
    const CodePageChoice& codePage() const { return codePage_; }

    bool backupEnabled() const { return backupEnabled_; }
    void setBackupEnabled(bool on) { backupEnabled_ = on; }

    // Reads the form and its unit. Everything is read before the document changes, so that a
    // failed open keeps the previous document whole under its own name. Throws the form errors.
    Texts open(const QString& path, const FormFiles::CodePageRequest& request = {});
    // Converts the form text and writes both files; the unit only when unitModified says its page
    // differs from the disk, or it is on disk, was readable and may be written. Nothing on disk
    // changes when it throws.
    void save(const QString& formText, const QString& unitText, bool unitModified);
    // Writes the form under path, stored as format says, and the unit beside it (unless its text
    // is empty); the document is then that file.
    void saveAs(const QString& path, const QString& formText, const QString& unitText,
                const FormFiles::FormFormat& format);

private:
    QString formPath_;
    TextFormat unitFormat_;
    FormFiles::FormFormat formFormat_;
    CodePageChoice codePage_;
    bool unitUnreadable_ = false;
    bool backupEnabled_ = true;
};

}  // namespace dfm
