// The open form: its page texts, their modified marks, its files and the model of its text.
#include "FormDocument.h"

#include "Errors.h"
#include "FormEditError.h"
#include "FormFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtConcurrent/QtConcurrentRun>

namespace dfm {

namespace {

// Long enough that typing at an ordinary pace does not read the text at every key.
constexpr int ParsePauseMs = 150;

}  // namespace

FormDocument::FormDocument(QObject* parent)
    : QObject(parent), formPage_(makePage(Page::Form)), unitPage_(makePage(Page::Unit))
{
    parseTimer_.setSingleShot(true);
    parseTimer_.setInterval(ParsePauseMs);
    connect(&parseTimer_, &QTimer::timeout, this, &FormDocument::startParse);
    connect(&parseWatcher_, &QFutureWatcher<ParseResult>::finished, this, &FormDocument::parseFinished);
    connect(formPage_, &QTextDocument::contentsChanged, this, [this] {
        ++formVersion_;
        if (!settingPage_)
            parseTimer_.start();
    });
    for (QTextDocument* page : {formPage_, unitPage_})
        connect(page, &QTextDocument::contentsChanged, this, &FormDocument::pageEdited);
}

// A parse still running works on its own copy of the text; its result is dropped.
FormDocument::~FormDocument() = default;

QTextDocument* FormDocument::makePage(Page which)
{
    auto* page = new QTextDocument(this);
    page->setDocumentLayout(new QPlainTextDocumentLayout(page));
    connect(page, &QTextDocument::modificationChanged, this, [this, which, page](bool modified) {
        // The editor widget's own replacement of the whole text leaves no history and clears the
        // mark; it is still a change that a save must write.
        if (!modified && !settingPage_ && !page->isUndoAvailable() && !page->isRedoAvailable()) {
            page->setModified(true);
            return;
        }
        emit modifiedChanged(which, modified);
        // An undo back to the saved text clears the mark after the text has changed.
        pageEdited();
    });
    return page;
}

QTextDocument* FormDocument::page(Page which) const
{
    return which == Page::Form ? formPage_ : unitPage_;
}

QString FormDocument::text(Page which) const
{
    return PageText::ofDocument(*page(which));
}

void FormDocument::loadText(Page which, const QString& text)
{
    settingPage_ = true;
    page(which)->setPlainText(text);
    page(which)->setModified(false);
    settingPage_ = false;
    emit pageLoaded(which);
    if (which == Page::Form)
        startParse();
}

bool FormDocument::isModified(Page which) const
{
    return page(which)->isModified();
}

void FormDocument::setModified(Page which, bool on)
{
    settingPage_ = true;
    page(which)->setModified(on);
    settingPage_ = false;
}

void FormDocument::pageEdited()
{
    if (!settingPage_)
        setSaveOffered(isModified());
}

void FormDocument::setSaveOffered(bool offered)
{
    if (offered == saveOffered_)
        return;
    saveOffered_ = offered;
    emit saveOfferedChanged(offered);
}

QString FormDocument::unitPath() const
{
    return FormFiles::unitFileName(formPath_);
}

void FormDocument::open(const QString& path, const FormFiles::CodePageRequest& request)
{
    FormFiles::Loaded loaded = FormFiles::load(path, request);
    // A grep search changes the working directory: a relative name would then save elsewhere.
    formPath_ = QDir::isRelativePath(path) ? QFileInfo(path).absoluteFilePath() : path;
    unitFormat_ = loaded.unitFormat;
    formFormat_ = loaded.formFormat;
    codePage_ = loaded.codePage;
    unitUnreadable_ = loaded.unitUnreadable;
    // The model of the previous form says nothing of this one.
    formModel_.reset();
    loadText(Page::Unit, loaded.unitText);
    loadText(Page::Form, loaded.formText);
    setSaveOffered(false);
    emit codePageChanged();
    emit formFormatChanged();
    emit opened(path);
}

void FormDocument::save()
{
    // A unit page that holds what is on disk is written back, which keeps the previous unit as a
    // backup; one that stands for no readable file would replace nothing but its backup, and a
    // read-only unit is a lock that the form's save leaves alone.
    // The unit is looked for once, and written where it was found.
    const QFileInfo unit(unitPath());
    const bool writeUnit = isModified(Page::Unit)
        || (!unitUnreadable_ && (unit.exists() || unit.isSymLink()) && FormFiles::writeRefusal(unit.filePath()) == 0);
    FormFiles::save({formPath_, text(Page::Form), formFormat_, text(Page::Unit), unitFormat_}, backupEnabled_,
                    writeUnit, unit.filePath());
    if (writeUnit)
        unitUnreadable_ = false;
    // The pages now match the disk: undoing back to here clears the mark again.
    setModified(Page::Form, false);
    setModified(Page::Unit, false);
    setSaveOffered(false);
    emit saved();
}

void FormDocument::saveAs(const QString& path, const FormFiles::FormFormat& format)
{
    FormFiles::saveAs({path, text(Page::Form), format, text(Page::Unit), unitFormat_});
    formPath_ = path;
    formFormat_ = format;
    unitUnreadable_ = false;
    setSaveOffered(false);
    emit formFormatChanged();
    emit savedAs(path);
}

bool FormDocument::formParsePending() const
{
    return parseTimer_.isActive() || parsing_;
}

FormDocument::ParseResult FormDocument::parse(const QString& text, const FormFiles::FormFormat& format,
                                              quint64 version)
{
    try {
        return {std::make_shared<const FormModel>(FormFiles::readFormModel(text, format)), 0, QString(), version};
    } catch (const ParserError& error) {
        return {nullptr, error.line(), QString::fromUtf8(error.what()), version};
    } catch (const std::exception& error) {
        // Another conversion error (a value out of range, a bad picture) has no line of its own.
        return {nullptr, 0, QString::fromUtf8(error.what()), version};
    }
}

// The text is read in a worker thread on a copy taken here, so that keys are never kept waiting
// by a large form; one parse runs at a time.
void FormDocument::startParse()
{
    parseTimer_.stop();
    // The newer text is read when the parse running ends.
    if (parsing_)
        return;
    parsing_ = true;
    parseWatcher_.setFuture(QtConcurrent::run(&FormDocument::parse, text(Page::Form), formFormat_, formVersion_));
}

void FormDocument::parseFinished()
{
    parsing_ = false;
    const ParseResult result = parseWatcher_.result();
    // A result of a text edited since is dropped; the edit's own parse follows, at once when its
    // pause has already passed, unless an edit from a view has read it already.
    if (result.version != formVersion_) {
        if (!parseTimer_.isActive() && modelVersion_ != formVersion_)
            startParse();
        return;
    }
    takeParse(result);
}

void FormDocument::takeParse(const ParseResult& result)
{
    modelVersion_ = result.version;
    if (result.model) {
        formModel_ = result.model;
        emit formModelChanged();
    } else {
        emit formTextBroken(result.errorLine, result.errorMessage);
    }
}

std::shared_ptr<const FormModel> FormDocument::currentFormModel()
{
    if (modelVersion_ != formVersion_ || !formModel_) {
        parseTimer_.stop();
        const ParseResult result = parse(text(Page::Form), formFormat_, formVersion_);
        takeParse(result);
        if (!result.model) {
            const QString where = result.errorLine > 0 ? QStringLiteral(" at line %1").arg(result.errorLine) : QString();
            throw FormEditError(QStringLiteral("The form text does not read%1: %2 Mend it before editing the form in its view.")
                                    .arg(where, result.errorMessage.endsWith(u'.') ? result.errorMessage : result.errorMessage + u'.')
                                    .toStdString());
        }
    }
    return formModel_;
}

void FormDocument::editFormText(const TextReplacements& replacements, bool join)
{
    if (replacements.empty())
        return;
    // Read before the page is touched, so that an edit that breaks the text changes nothing.
    ParseResult result = parse(replaced(text(Page::Form), replacements), formFormat_, 0);
    if (!result.model)
        throw FormEditError(QStringLiteral("The change was not made: the form text would not read: %1")
                                .arg(result.errorMessage)
                                .toStdString());
    QTextCursor cursor(formPage_);
    // An undo or another edit since the last edit made here starts a step of its own.
    if (join && editRevision_ == formPage_->revision() && editUndoSteps_ == formPage_->availableUndoSteps())
        cursor.joinPreviousEditBlock();
    else
        cursor.beginEditBlock();
    for (auto it = replacements.rbegin(); it != replacements.rend(); ++it) {
        const auto position = [this](TextPlace place) {
            const QTextBlock block = formPage_->findBlockByNumber(place.line);
            if (!block.isValid())
                return formPage_->characterCount() - 1;
            return block.position() + std::min(place.column, block.length() - 1);
        };
        cursor.setPosition(position(it->from));
        cursor.setPosition(position(it->to), QTextCursor::KeepAnchor);
        cursor.insertText(it->text);
    }
    cursor.endEditBlock();
    editRevision_ = formPage_->revision();
    editUndoSteps_ = formPage_->availableUndoSteps();
    parseTimer_.stop();
    result.version = formVersion_;
    takeParse(result);
}

}  // namespace dfm
