// The files of one document on disk: reading a form file with its unit, and writing them
// back with backups. No widgets: the window hands texts in and gets texts out.
#pragma once

#include "PageText.h"

#include <QByteArray>
#include <QString>

namespace dfm {

class FormDocument {
public:
    // An editor page holds at most this many characters (a line break counts two).
    static constexpr qsizetype Capacity = 2097152;

    struct Loaded {
        QString formText;
        QString unitText;
        TextFormat unitFormat;
        bool unitUnreadable = false;  // a unit file is there but could not be read
    };

    struct Texts {
        QString formPath;
        QString formText;
        QString unitText;
        TextFormat unitFormat;
    };

    // The path with its extension (from the last dot of the file name) replaced; a name without
    // extension gets it appended.
    static QString withExtension(const QString& path, const QString& extension);
    // The extension of the file name, dot included; empty when there is none.
    static QString extensionOf(const QString& path);
    // The companion unit: ".PAS", or an existing file whose extension differs only in case.
    static QString unitFileName(const QString& formPath);

    // Throws the form errors of the conversion and of the file layer, or FormError with our
    // own message when a text does not fit in an editor page.
    static Loaded load(const QString& formPath);

    // The whole form file for the text; throws ParserError and the conversion errors.
    static QByteArray convertFormText(const QString& formText);

    // Save: the form text is converted first and both files are written to temporary files,
    // so that a failure leaves every file on disk as it was. With backups the previous form and
    // unit are moved aside as .D$$ and .P$$; without, the form file is rewritten in place and
    // cut to its new length. writeUnit false leaves the unit and its backup alone.
    static void save(const Texts& texts, bool backup, bool writeUnit);

    // Save as: the form under formPath; the unit beside it unless the unit text is empty.
    static void saveAs(const Texts& texts);

private:
    static void checkCapacity(const QString& text, const QString& path);
};

}  // namespace dfm
