// Finds the object lines of a form text and places each object's item under the item of its owner.
#include "ObjectTreeBuilder.h"

#include "TextRules.h"

#include <QLatin1String>
#include <QStringView>

#include <algorithm>
#include <vector>

namespace dfm {

namespace {

// The tree indents no deeper than this; deeper items are placed at this depth or above.
constexpr int MaxIndent = 33;
// Beyond this depth an item goes to the top level, flagged so the user sees it was not placed.
constexpr int DeepestPlaced = 34;

struct ObjectKeyword
{
    QLatin1String word;
    QLatin1String mark;
};

constexpr ObjectKeyword ObjectKeywords[] = {
    {QLatin1String("OBJECT"), QLatin1String("")},
    {QLatin1String("INHERITED"), QLatin1String(" <Inherited>")},
    {QLatin1String("INLINE"), QLatin1String(" <Inline>")},
};

// What an "end" line closes: an object or a collection item, whose end leaves the depth alone.
enum class Opened { Object, Item };

// Upper-cases as UpperCase does, a character at a time, but only as far as the word goes.
bool startsWithUpper(QStringView text, QLatin1String word)
{
    if (text.size() < word.size())
        return false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (upperChar(text[i]) != QLatin1Char(word[i]))
            return false;
    }
    return true;
}

bool isWord(QStringView text, QLatin1String word)
{
    return text.size() == word.size() && startsWithUpper(text, word);
}

// A keyword counts only as a whole word, so that a property such as ObjectMenuItem is no object.
bool startsWithWord(QStringView text, QLatin1String word)
{
    return startsWithUpper(text, word) && (text.size() == word.size() || isBlank(text[word.size()]));
}

const ObjectKeyword* findObjectKeyword(QStringView line)
{
    for (const ObjectKeyword& keyword : ObjectKeywords) {
        if (!startsWithWord(line, keyword.word))
            continue;
        // "Object = ..." assigns a property that happens to bear the keyword's name.
        const QStringView rest = trimBlanksView(line.mid(keyword.word.size()));
        if (rest.startsWith(u'='))
            return nullptr;
        return &keyword;
    }
    return nullptr;
}

// A collection item opens with "item", or "item [n]" when the collection stores its items' order.
bool isItemLine(QStringView line)
{
    if (!startsWithUpper(line, QLatin1String("ITEM")))
        return false;
    const QStringView rest = trimBlanksView(line.mid(4));
    return rest.isEmpty() || rest.startsWith(u'[');
}

}  // namespace

ObjectTree ObjectTreeBuilder::build(const QStringList& lines)
{
    ObjectTree tree;
    std::vector<Opened> open;
    int depth = -1;
    // -1 while the tree is empty: the first item then goes to the top level from an indent of 0 or 1.
    int lastDepth = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = trimBlanksView(lines[i]);
        const ObjectKeyword* keyword = findObjectKeyword(line);
        if (!keyword) {
            if (isWord(line, QLatin1String("END"))) {
                const bool closesItem = !open.empty() && open.back() == Opened::Item;
                if (!open.empty())
                    open.pop_back();
                // After the root object's end the depth stays 0.
                if (!closesItem && depth > 0)
                    --depth;
            } else if (isWord(line, QLatin1String("END>"))) {
                if (!open.empty() && open.back() == Opened::Item)
                    open.pop_back();
            } else if (isItemLine(line)) {
                open.push_back(Opened::Item);
            }
            continue;
        }

        open.push_back(Opened::Object);
        ++depth;
        // The keyword and the one blank after it go; an object without a "Name: Class" text shows no item.
        const QStringView text = line.mid(keyword->word.size() + 1);
        if (!text.contains(u':'))
            continue;

        const bool flagged = depth > DeepestPlaced;
        const int indent = flagged ? 0 : std::min(depth, MaxIndent);
        if (indent > lastDepth + 2) {
            tree.refused = true;
            tree.refusedLine = static_cast<int>(i);
            break;
        }
        const int placed = indent <= lastDepth ? indent : lastDepth + 1;

        const QString number = QString::number(i + 1);
        QString itemText;
        itemText.reserve(3 + text.size() + 3 + number.size() + keyword->mark.size());
        if (flagged)
            itemText += QLatin1String("LV!");
        itemText += text;
        itemText += QLatin1String(" [");
        itemText += number;
        itemText += u']';
        itemText += keyword->mark;
        tree.items.append({itemText, static_cast<int>(i), placed});
        lastDepth = placed;
    }
    return tree;
}

}  // namespace dfm
