// The finder's rules: an object line names its object, any other line the word at the caret.
#include "DeclarationFinder.h"

#include "TextRules.h"

namespace dfm {

namespace {

// A frame has a field in the class declaration like any other object.
constexpr QStringView ObjectKeywords[] = {u"OBJECT", u"INLINE"};

QString wordAt(const QString& text, qsizetype selectionStart)
{
    // The page's text as the finder sees it ends with a line break after its last line.
    const QString page = text + u'\n';
    qsizetype i = qBound<qsizetype>(0, selectionStart, page.size() - 1);
    // Only blanks delimit the word backwards; line breaks do not.
    while (i > 0 && page[i] != u' ')
        --i;
    if (page[i] == u' ')
        ++i;
    qsizetype j = i;
    while (j < page.size() - 1 && page[j] != u' ' && page[j] != u'.')
        ++j;
    return trimBlanks(page.mid(i, j - i));
}

}  // namespace

DeclarationFinder::Target DeclarationFinder::nameAt(const QString& line, const QString& text,
                                                    qsizetype selectionStart, Mode mode)
{
    const QString trimmed = trimBlanks(line);
    if (trimmed.isEmpty())
        return {};
    QString upper = upperCase(trimmed);
    if (upper.startsWith(u"INHERITED")) {
        if (mode == Mode::Declaration)
            return {Outcome::InheritedHasNoDeclaration, {}};
        upper = trimBlanks(upper.mid(9));
    }
    QString name;
    bool objectLine = false;
    for (QStringView keyword : ObjectKeywords) {
        if (upper.startsWith(keyword)) {
            name = trimBlanks(upper.mid(keyword.size()));
            const qsizetype blank = name.indexOf(u' ');
            if (blank >= 0)
                name.truncate(blank);
            objectLine = true;
            break;
        }
    }
    if (!objectLine)
        name = wordAt(text, selectionStart);
    if (mode == Mode::Declaration && !name.isEmpty() && !name.endsWith(u':'))
        name += u':';
    return {Outcome::Search, name};
}

}  // namespace dfm
