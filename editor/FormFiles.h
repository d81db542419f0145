// The files of one form on disk: reading a form file with its unit, and writing them back with
// backups. No widgets and no document state: texts and paths in, texts out.
#pragma once

#include "CodePageGuess.h"
#include "FormFileKind.h"
#include "FormModel.h"
#include "PageText.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace dfm::FormFiles {

// An editor page holds at most this many characters (a line break counts two).
inline constexpr qsizetype PageCapacity = 16777216;

// How a form file is stored, so that a save writes it back the same way.
struct FormFormat {
    FormFileKind kind = FormFileKind::Resource;
    TextFormat text;  // a text form's encoding, mark and line breaks; the code page of any form
};

// The code page a form is read with: the one the user chose for it, else the guess from the
// form's bytes with fallback as the default.
struct CodePageRequest {
    int chosen = 0;  // 0: none chosen
    int fallback = CodePage::DefaultNumber;
};

struct Loaded {
    QString formText;
    FormFormat formFormat;
    QString unitText;
    TextFormat unitFormat;
    bool unitUnreadable = false;  // a unit file is there but could not be read
    CodePageChoice codePage;      // the page of formFormat.text and how it was found
};

struct Texts {
    QString formPath;
    QString formText;
    FormFormat formFormat;
    QString unitText;
    TextFormat unitFormat;
};

// The path with its extension (from the last dot of the file name) replaced; a name without
// extension gets it appended.
QString withExtension(const QString& path, const QString& extension);
// The extension of the file name, dot included; empty when there is none.
QString extensionOf(const QString& path);
// Why this user may not write the file at path: an errno (EACCES for a read-only file, EROFS...);
// 0 when it may, or when there is no such file.
int writeRefusal(const QString& path);
// The companion unit, found as findUnitFile finds it (NAME.PAS, NAME.pas, NAME.pas in another
// case); nothing when there is none.
std::optional<QString> foundUnitFile(const QString& formPath);
// The companion unit as found; NAME.PAS when there is none.
QString unitFileName(const QString& formPath);
// NAME.pas: what a message names when a form has no unit.
QString unitFileLookedFor(const QString& formPath);

// Throws the form errors of the conversion and of the file layer, or FormError with our own
// message when a text does not fit in an editor page.
// The unit is read with the form's code page unless it is UTF-8.
Loaded load(const QString& formPath, const CodePageRequest& request = {});

// The whole binary form file (with its resource header) for the text; throws ParserError and
// the conversion errors.
QByteArray convertFormText(const QString& formText);
// The whole form file for the text in the given format: a text form is written as it stands,
// once it is known to parse. Throws as convertFormText.
QByteArray formFileBytes(const QString& formText, const FormFormat& format);
// The form text read into a model, its spans counted in the page's characters. Throws as
// convertFormText.
FormModel readFormModel(const QString& formText, const FormFormat& format);
// Where a save with backups keeps the previous form file: ".D$$" for ".dfm", ".L$$" for ".lfm",
// the extension's first letter followed by "$$".
QString backupFileName(const QString& formPath);

// Save, one SaveTransaction: the form text is converted first and both files are written to
// temporary files, so that a failure leaves every file on disk as it was. With backups the previous form and unit are kept
// as .D$$ and .P$$ before the new files are renamed into place, so that after a crash at any
// point each of them is there under its own name, old or new; without, the form file is
// rewritten in place and cut to its new length. writeUnit false leaves the unit and its backup
// alone. A form or unit to be written that is there read-only is refused (FileOpenError) before
// anything changes. In a folder that takes no new files the existing files are rewritten in place instead,
// without backups; both are opened and given room first, so a file that is missing or read-only
// there is named and nothing changes. Temporary files left by an interrupted save of the same
// files or of their backups are removed first (and when the form is loaded).
// unitPath: where the unit is written, as the caller found it; empty: found as unitFileName.
void save(const Texts& texts, bool backup, bool writeUnit, const QString& unitPath = {});

// Save as: the form under formPath; the unit beside it unless the unit text is empty. Read-only
// files there are refused as in a save. In a folder
// that takes no new files, existing files are rewritten in place as in a save.
void saveAs(const Texts& texts);

}  // namespace dfm::FormFiles
