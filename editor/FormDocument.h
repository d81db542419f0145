// The open form: its two page texts and whether each differs from the disk, where its files are,
// how they are stored, and the open, save and save-as operations over them. The pages show its
// texts; the window, the object view and the form check observe its signals.
#pragma once

#include "FormFiles.h"
#include "PageText.h"
#include "TextReplacement.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QTextDocument;

namespace dfm {

class FormDocument : public QObject {
    Q_OBJECT
public:
    enum class Page { Form, Unit };
    Q_ENUM(Page)

    explicit FormDocument(QObject* parent = nullptr);
    ~FormDocument() override;

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

    // The text a page shows; the same object for the document's whole life.
    QTextDocument* page(Page which) const;
    // The text exactly as held, lines joined by "\n".
    QString text(Page which) const;
    // Replaces a page's text as if read from its file: not modified, no undo history.
    void loadText(Page which, const QString& text);

    // Set by every change of the page's text after a load; cleared by a load, a successful save,
    // an undo or redo back to the text as loaded or saved, and on request.
    bool isModified(Page which) const;
    bool isModified() const { return isModified(Page::Form) || isModified(Page::Unit); }
    void setModified(Page which, bool on);

    // Whether Save is offered (and opening another form asks first): an edit that leaves a page
    // modified offers it, an edit that brings both pages back to the saved text withdraws it, and
    // so do an open, a save and Save as. Dropping the marks (Cancel modified flag) leaves it.
    bool isSaveOffered() const { return saveOffered_; }
    void withdrawSaveOffer() { setSaveOffered(false); }

    // Reads the form and its unit into the pages. Everything is read before the document changes,
    // so that a failed open keeps the previous document whole under its own name. Throws the form
    // errors. path is told to opened() as given.
    void open(const QString& path, const FormFiles::CodePageRequest& request = {});
    // Converts the form text and writes both files; the unit only when its page is modified, or
    // it is on disk, was readable and may be written. Nothing on disk changes when it throws, and
    // the pages stay modified.
    void save();
    // Writes the form under path, stored as format says, and the unit beside it (unless its text
    // is empty); the document is then that file. The modified marks stay as they are.
    void saveAs(const QString& path, const FormFiles::FormFormat& format);

    // The form text read as it stood at the last parse that succeeded; null until the first one
    // of the open form.
    std::shared_ptr<const FormModel> formModel() const { return formModel_; }
    // Whether an edit of the form page has not been read yet.
    bool formParsePending() const;

    // The model of the form text as it stands, read at once when an edit has not been read yet;
    // what a view computes its edits on. Throws FormEditError when the text does not read.
    std::shared_ptr<const FormModel> currentFormModel();
    // Makes the replacements in the form page as one step of its undo, or as part of the step
    // before when join is set and that step was the last change, made here. The text must read
    // after them: else it throws FormEditError with the reader's message and stays as it was.
    // The new model is taken at once.
    void editFormText(const TextReplacements& replacements, bool join = false);

signals:
    void modifiedChanged(Page page, bool modified);
    void saveOfferedChanged(bool offered);
    // A page's text was replaced by loadText (also at an open).
    void pageLoaded(Page page);
    // A form was read into the pages; path as given to open().
    void opened(const QString& path);
    void saved();
    // The document is now the file at path, written by Save as.
    void savedAs(const QString& path);
    // At an open, and for the format also at Save as.
    void codePageChanged();
    void formFormatChanged();
    // The form text was read again after an edit or an open: formModel() is the new model.
    void formModelChanged();
    // The form text stopped reading at the 1-based line; formModel() keeps the last good model.
    void formTextBroken(int line, const QString& message);

private:
    void setSaveOffered(bool offered);
    // After an edit of either page.
    void pageEdited();

    struct ParseResult {
        std::shared_ptr<const FormModel> model;
        int errorLine = 0;
        QString errorMessage;
        quint64 version = 0;
    };

    // A page's text, whose changes of the mark are told as modifiedChanged(which).
    QTextDocument* makePage(Page which);
    void startParse();
    void parseFinished();
    // The model of the text, or the error with its line (0 for a conversion error without one).
    static ParseResult parse(const QString& text, const FormFiles::FormFormat& format, quint64 version);
    void takeParse(const ParseResult& result);

    QTextDocument* formPage_;
    QTextDocument* unitPage_;
    // Set while the document itself sets a page's text or mark, which then is no user's change.
    bool settingPage_ = false;
    QString formPath_;
    TextFormat unitFormat_;
    FormFiles::FormFormat formFormat_;
    CodePageChoice codePage_;
    bool unitUnreadable_ = false;
    bool backupEnabled_ = true;
    bool saveOffered_ = false;

    std::shared_ptr<const FormModel> formModel_;
    QTimer parseTimer_;
    QFutureWatcher<ParseResult> parseWatcher_;
    // Counts the form page's versions, so that the result of a parse of an older text is dropped.
    quint64 formVersion_ = 0;
    // The version formModel_ or the last broken parse stands for.
    quint64 modelVersion_ = 0;
    // The form page's revision after the last edit made by editFormText.
    int editRevision_ = -1;
    int editUndoSteps_ = -1;
    // From the start of a parse until its result has been taken.
    bool parsing_ = false;
};

}  // namespace dfm
