// bench_generate: writes a large, deterministic binary form file with realistic proportions of every value kind.
#include "Errors.h"
#include "Extended80.h"
#include "Random.h"
#include "ResourceHeader.h"
#include "FileStream.h"
#include "MemoryStream.h"
#include "FormWriter.h"
#include "ValueTag.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

using dfm::ByteStream;
using dfm::FormWriter;

// Forwards to the file and counts what passes, so that the generator knows when to stop
// without holding the form in memory.
class CountingStream : public ByteStream {
public:
    explicit CountingStream(ByteStream& target) : target_(target) {}

    std::size_t read(void*, std::size_t) override { return 0; }
    std::size_t write(const void* buffer, std::size_t count) override
    {
        const std::size_t n = target_.write(buffer, count);
        count_ += n;
        return n;
    }
    std::int64_t seek(std::int64_t offset, dfm::SeekOrigin origin) override { return target_.seek(offset, origin); }

    std::uint64_t count() const { return count_; }

private:
    ByteStream& target_;
    std::uint64_t count_ = 0;
};


const std::vector<std::string> Words = {
    "File", "Open", "Save", "Close", "Print", "Customer", "Name", "Address", "City", "Country",
    "Phone", "Order", "Invoice", "Amount", "Total", "Date", "Status", "Search", "Filter", "Apply",
    "Cancel", "OK", "Help", "Options", "Settings", "Details", "Account", "Balance", "Report", "Export",
    "Import", "Refresh", "Delete", "Insert", "Edit", "Next", "Previous", "First", "Last", "Notes",
    "Supplier", "Product", "Quantity", "Price", "Discount", "Tax", "Payment", "Shipping", "Region", "Code",
};
// Windows-1252 bytes above 127, split so that no hex escape swallows the next letter.
const std::vector<std::string> AccentedWords = {
    "R\xE9sum\xE9", "Caf\xE9", "Men\xFC", "Stra\xDF" "e", "Gr\xF6\xDF" "e", "\xC0 propos", "Donn\xE9" "es",
    "Param\xE8tres", "Ann\xE9" "e", "Pr\xE9" "c\xE9" "dent", "Fran\xE7" "ais", "Se\xF1or", "50\xB0", "\xA9 2024",
};
const std::vector<std::string> Colors = {
    "clWindowText", "clWindow", "clBtnFace", "clBtnText", "clHighlight", "clHighlightText",
    "clInfoBk", "clGrayText", "clNavy", "clMaroon", "clWhite", "clBlack", "clSilver", "clRed",
};
const std::vector<std::string> FontNames = {"Sans Serif", "Serif", "Monospace", "Arial Narrow", "Courier"};
const std::vector<std::string> FieldNames = {
    "CUSTNO", "COMPANY", "ADDR1", "ADDR2", "CITY", "STATE", "ZIP", "COUNTRY", "PHONE", "FAX",
    "TAXRATE", "CONTACT", "LASTINVOICEDATE", "ORDERNO", "SALEDATE", "SHIPDATE", "EMPNO", "ITEMSTOTAL",
};

struct Stats {
    std::uint64_t components = 0;
    std::uint64_t properties = 0;
    std::uint64_t binaryBytes = 0;
    std::map<std::string, std::uint64_t> values;  // by kind
};

class FormGenerator {
public:
    FormGenerator(FormWriter& writer, CountingStream& counter, std::uint64_t target, double binaryShare)
        : w_(writer), counter_(counter), target_(target), binaryShare_(binaryShare) {}

    void writeRoot();
    const Stats& statistics() const { return stats_; }

private:
    // Property writers: each counts the value kind it writes.
    void putInt(std::string_view name, std::int32_t value);
    void putStr(std::string_view name, std::string_view value);
    void wide(std::string_view name, std::u16string_view value);
    void ident(std::string_view name, std::string_view value);
    void putBool(std::string_view name, bool value);
    void setOf(std::string_view name, const std::vector<std::string>& elements);
    void stringList(std::string_view name, const std::vector<std::string>& lines);
    void intList(std::string_view name, const std::vector<std::int32_t>& values);
    void blob(std::string_view name, const std::string& bytes);
    void count(const std::string& kind) { ++stats_.values[kind]; }
    void countInt(std::int32_t value);

    void beginObject(std::string_view className, const std::string& objectName, unsigned flags = 0, std::int32_t position = 0);
    void endProperties() { w_.putListEnd(); }
    void endObject() { w_.putListEnd(); }
    std::string nextName(const std::string& base) { return base + std::to_string(++names_[base]); }

    std::string caption();
    std::string hint();
    std::string longText();
    std::u16string wideCaption();
    std::string bitmapBytes(std::size_t size);
    std::size_t blobSize();
    bool wantBinary() const
    {
        return static_cast<double>(stats_.binaryBytes) < binaryShare_ * static_cast<double>(counter_.count() + 1);
    }

    void bounds(int maxLeft, int maxTop);
    void fontProperties();
    void control(int depth);
    void panel(int depth);
    void label();
    void button(bool withGlyph);
    void edit();
    void checkBox();
    void memo();
    void listBox();
    void textGrid();
    void dataGrid();
    void statusBar();
    void image();
    void toolButton();
    void numberEdit();
    void datePicker();
    void inlineFrame();
    void mainMenu();
    void menuItem(int depth);
    void timer();

    FormWriter& w_;
    CountingStream& counter_;
    std::uint64_t target_;
    double binaryShare_;  // of the stream's bytes that are binary data
    Random random_{0x5EEDF0F0C0FFEEull};
    Stats stats_;
    std::map<std::string, int> names_;
};

void FormGenerator::countInt(std::int32_t value)
{
    if (value >= -128 && value <= 127)
        count("integer, 1 byte");
    else if (value >= -32768 && value <= 32767)
        count("integer, 2 bytes");
    else
        count("integer, 4 bytes");
}

void FormGenerator::putInt(std::string_view name, std::int32_t value)
{
    ++stats_.properties;
    w_.putName(name);
    w_.putIntegerValue(value);
    countInt(value);
}

void FormGenerator::putStr(std::string_view name, std::string_view value)
{
    ++stats_.properties;
    w_.putName(name);
    w_.putStringValue(value);
    count(value.size() < 256 ? "string, short" : "string, long");
}

void FormGenerator::wide(std::string_view name, std::u16string_view value)
{
    ++stats_.properties;
    w_.putName(name);
    w_.putWideStringValue(value);
    count("wide string");
}

void FormGenerator::ident(std::string_view name, std::string_view value)
{
    ++stats_.properties;
    w_.putName(name);
    w_.putIdentValue(value);
    count("identifier");
}

void FormGenerator::putBool(std::string_view name, bool value)
{
    ++stats_.properties;
    w_.putName(name);
    w_.putIdentValue(value ? "True" : "False");
    count("boolean");
}

void FormGenerator::setOf(std::string_view name, const std::vector<std::string>& elements)
{
    ++stats_.properties;
    w_.putName(name);
    w_.putTag(dfm::Set);
    for (const auto& element : elements)
        w_.putName(element);
    w_.putName("");
    count("set");
}

void FormGenerator::stringList(std::string_view name, const std::vector<std::string>& lines)
{
    ++stats_.properties;
    w_.putName(name);
    w_.putListStart();
    for (const auto& line : lines) {
        w_.putStringValue(line);
        count(line.size() < 256 ? "string, short" : "string, long");
    }
    w_.putListEnd();
    count("list");
}

void FormGenerator::intList(std::string_view name, const std::vector<std::int32_t>& values)
{
    ++stats_.properties;
    w_.putName(name);
    w_.putListStart();
    for (const auto value : values) {
        w_.putIntegerValue(value);
        countInt(value);
    }
    w_.putListEnd();
    count("list");
}

void FormGenerator::blob(std::string_view name, const std::string& bytes)
{
    ++stats_.properties;
    w_.putName(name);
    w_.putBinaryValue([&bytes](ByteStream& data) { data.writeBuffer(bytes.data(), bytes.size()); });
    stats_.binaryBytes += bytes.size() + 5;
    count("binary");
}

void FormGenerator::beginObject(std::string_view className, const std::string& objectName, unsigned flags, std::int32_t position)
{
    ++stats_.components;
    w_.putObjectPrefix(flags, position);
    w_.putName(className);
    w_.putName(objectName);
}

std::string FormGenerator::caption()
{
    std::string text = random_.chance(4) ? random_.pick(AccentedWords) : random_.pick(Words);
    const int extra = random_.range(0, 3);
    for (int i = 0; i < extra; ++i)
        text += " " + random_.pick(Words);
    if (random_.chance(10))
        text = "&" + text;
    if (random_.chance(5))
        text += ":";
    if (random_.chance(2))
        text += "\t" + random_.pick(Words);
    if (random_.chance(2))
        text = "Don't " + text;
    return text;
}

// Hints run from a few words to a couple of lines; some go past 64 characters and so
// wrap in the text, a few hold line breaks.
std::string FormGenerator::hint()
{
    std::string text = "Click to " + random_.pick(Words);
    const int words = random_.chance(30) ? random_.range(8, 22) : random_.range(1, 6);
    for (int i = 0; i < words; ++i) {
        if (random_.chance(3))
            text += "\r\n";
        else
            text += " ";
        text += random_.chance(3) ? random_.pick(AccentedWords) : random_.pick(Words);
    }
    return text;
}

// Query text and the like: a rare string of more than 255 bytes.
std::string FormGenerator::longText()
{
    std::string text = "SELECT ";
    for (int i = 0; i < 30; ++i) {
        text += random_.pick(FieldNames);
        text += ", ";
    }
    text += "NOTES FROM ORDERS WHERE STATUS = 'OPEN' ORDER BY SALEDATE";
    return text;
}

std::u16string FormGenerator::wideCaption()
{
    std::u16string text;
    for (const char c : random_.pick(Words))
        text.push_back(static_cast<char16_t>(c));
    text.push_back(u' ');
    const int n = random_.range(3, 12);
    const bool ideographs = random_.chance(40);
    for (int i = 0; i < n; ++i)
        text.push_back(static_cast<char16_t>(ideographs ? 0x4E00 + random_.range(0, 0x1FFF) : 0x0410 + random_.range(0, 0x3F)));
    return text;
}

// Pictures of 100 bytes to 20 KB, small ones far more common (log-uniform).
std::size_t FormGenerator::blobSize()
{
    return static_cast<std::size_t>(100.0 * std::exp(random_.unit() * std::log(200.0)));
}

// A bitmap file image: header, a small palette, then pixel rows with runs and noise,
// the way real toolbar glyphs and photos mix.
std::string FormGenerator::bitmapBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    for (int i = 0; i < 4; ++i)
        bytes[2 + i] = static_cast<char>(size >> (8 * i));
    bytes[10] = 54;
    bytes[14] = 40;
    const bool photo = random_.chance(30);
    unsigned char colour = static_cast<unsigned char>(random_.range(0, 255));
    for (std::size_t i = 54; i < size; ++i) {
        if (photo || random_.chance(8))
            colour = static_cast<unsigned char>(random_.next());
        bytes[i] = static_cast<char>(colour);
    }
    return bytes;
}

void FormGenerator::bounds(int maxLeft, int maxTop)
{
    // Most coordinates fit one byte, wider ones two.
    putInt("Left", random_.chance(40) ? random_.range(0, 127) : random_.range(128, maxLeft));
    putInt("Top", random_.chance(40) ? random_.range(0, 127) : random_.range(128, maxTop));
    putInt("Width", random_.chance(50) ? random_.range(16, 127) : random_.range(128, 900));
    putInt("Height", random_.chance(80) ? random_.range(13, 127) : random_.range(128, 700));
}

void FormGenerator::fontProperties()
{
    ident("Font.Charset", "DEFAULT_CHARSET");
    ident("Font.Color", random_.pick(Colors));
    putInt("Font.Height", -random_.range(11, 24));
    putStr("Font.Name", random_.pick(FontNames));
    static const std::vector<std::vector<std::string>> styles = {
        {}, {"fsBold"}, {"fsItalic"}, {"fsBold", "fsItalic"}, {"fsUnderline"}, {"fsBold", "fsUnderline", "fsStrikeOut"},
    };
    setOf("Font.Style", random_.pick(styles));
    putBool("ParentFont", false);
}

void FormGenerator::label()
{
    beginObject("TLabel", nextName("Label"));
    bounds(800, 600);
    if (random_.chance(6))
        wide("Caption", wideCaption());
    else
        putStr("Caption", caption());
    if (random_.chance(30))
        fontProperties();
    if (random_.chance(20))
        ident("Alignment", "taRightJustify");
    if (random_.chance(15))
        putBool("Transparent", true);
    if (random_.chance(10))
        putBool("WordWrap", true);
    if (random_.chance(8)) {
        putStr("Hint", hint());
        putBool("ShowHint", true);
    }
    endProperties();
    endObject();
}

void FormGenerator::button(bool withGlyph)
{
    const std::string name = nextName(withGlyph ? "GlyphButton" : "Button");
    beginObject(withGlyph ? "TGlyphButton" : "TButton", name);
    bounds(800, 600);
    putStr("Caption", caption());
    if (random_.chance(10))
        putBool("Default", true);
    if (random_.chance(10)) {
        putBool("Cancel", true);
        putInt("ModalResult", 2);
    }
    putInt("TabOrder", random_.range(0, 40));
    ident("OnClick", name + "Click");
    if (random_.chance(35)) {
        putStr("Hint", hint());
        putBool("ShowHint", true);
    }
    if (withGlyph) {
        // Glyph data: the bitmap's byte count, then the bitmap.
        std::string data = bitmapBytes(blobSize());
        const auto size = static_cast<std::uint32_t>(data.size());
        data.insert(0, std::string{static_cast<char>(size), static_cast<char>(size >> 8),
                                   static_cast<char>(size >> 16), static_cast<char>(size >> 24)});
        blob("Glyph.Data", data);
        putInt("NumGlyphs", 2);
    }
    endProperties();
    endObject();
}

void FormGenerator::edit()
{
    const std::string name = nextName("Edit");
    beginObject("TEdit", name);
    bounds(800, 600);
    putInt("TabOrder", random_.range(0, 40));
    putStr("Text", random_.chance(60) ? std::string() : caption());
    if (random_.chance(30))
        putInt("MaxLength", random_.chance(50) ? random_.range(1, 127) : random_.range(128, 4000));
    if (random_.chance(15))
        ident("CharCase", "ecUpperCase");
    if (random_.chance(10))
        putInt("Color", 0x00E0FFFF);
    if (random_.chance(40))
        ident("OnChange", name + "Change");
    if (random_.chance(20)) {
        putStr("Hint", hint());
        putBool("ShowHint", true);
    }
    endProperties();
    endObject();
}

void FormGenerator::checkBox()
{
    beginObject("TCheckBox", nextName("CheckBox"));
    bounds(800, 600);
    putStr("Caption", caption());
    putBool("Checked", random_.chance(50));
    if (random_.chance(20))
        ident("State", "cbChecked");
    putInt("TabOrder", random_.range(0, 40));
    endProperties();
    endObject();
}

void FormGenerator::memo()
{
    beginObject("TMemo", nextName("Memo"));
    bounds(800, 600);
    std::vector<std::string> lines;
    const int n = random_.range(1, 12);
    for (int i = 0; i < n; ++i)
        lines.push_back(random_.chance(2) ? longText() : random_.chance(20) ? hint() : caption());
    stringList("Lines.Strings", lines);
    ident("ScrollBars", "ssVertical");
    putInt("TabOrder", random_.range(0, 40));
    endProperties();
    endObject();
}

void FormGenerator::listBox()
{
    const bool combo = random_.chance(50);
    beginObject(combo ? "TComboBox" : "TListBox", nextName(combo ? "ComboBox" : "ListBox"));
    bounds(800, 600);
    if (combo)
        ident("Style", "csDropDownList");
    putInt("ItemHeight", 13);
    std::vector<std::string> items;
    const int n = random_.range(2, 15);
    for (int i = 0; i < n; ++i)
        items.push_back(caption());
    stringList("Items.Strings", items);
    putInt("TabOrder", random_.range(0, 40));
    endProperties();
    endObject();
}

void FormGenerator::textGrid()
{
    beginObject("TTextGrid", nextName("TextGrid"));
    bounds(800, 600);
    const int columns = random_.range(2, 10);
    const int rows = random_.range(2, 30);
    putInt("ColCount", columns);
    putInt("RowCount", rows);
    putInt("DefaultRowHeight", 18);
    putInt("FixedCols", 0);
    setOf("Options", {"goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine", "goRangeSelect", "goEditing", "goTabs"});
    std::vector<std::int32_t> widths;
    for (int i = 0; i < columns; ++i)
        widths.push_back(random_.chance(50) ? 64 : random_.range(20, 300));
    intList("ColWidths", widths);
    if (random_.chance(30)) {
        std::vector<std::int32_t> heights(static_cast<std::size_t>(rows), 18);
        intList("RowHeights", heights);
    }
    putInt("TabOrder", random_.range(0, 40));
    endProperties();
    endObject();
}

// A data grid with its column collection, written without order indexes.
void FormGenerator::dataGrid()
{
    const std::string name = nextName("DataGrid");
    beginObject("TDataGrid", name);
    bounds(800, 600);
    ident("DataSource", nextName("DataSource"));
    setOf("Options", {"dgTitles", "dgIndicator", "dgColumnResize", "dgColLines", "dgRowLines", "dgTabs"});
    putInt("TabOrder", random_.range(0, 40));
    ident("TitleFont.Color", "clWindowText");
    putInt("TitleFont.Height", -11);
    ++stats_.properties;
    w_.putName("Columns");
    w_.putTag(dfm::Collection);
    const int n = random_.range(2, 9);
    for (int i = 0; i < n; ++i) {
        w_.putListStart();
        putBool("Expanded", false);
        putStr("FieldName", random_.pick(FieldNames));
        putStr("Title.Caption", caption());
        if (random_.chance(30))
            setOf("Title.Font.Style", {"fsBold"});
        putInt("Width", random_.range(30, 250));
        if (random_.chance(20))
            ident("Alignment", "taRightJustify");
        if (random_.chance(10))
            putBool("ReadOnly", true);
        putBool("Visible", true);
        w_.putListEnd();
    }
    w_.putListEnd();
    count("collection");
    endProperties();
    endObject();
}

// Status panels, half of them with order indexes as inherited forms write them.
void FormGenerator::statusBar()
{
    beginObject("TStatusBar", nextName("StatusBar"));
    putInt("Left", 0);
    putInt("Top", random_.range(300, 900));
    putInt("Width", random_.range(300, 1200));
    putInt("Height", 19);
    ++stats_.properties;
    w_.putName("Panels");
    w_.putTag(dfm::Collection);
    const bool indexed = random_.chance(50);
    const int n = random_.range(1, 6);
    for (int i = 0; i < n; ++i) {
        if (indexed)
            w_.putIntegerValue(i);
        w_.putListStart();
        putStr("Text", caption());
        putInt("Width", random_.range(50, 300));
        if (random_.chance(20))
            ident("Alignment", "taCenter");
        w_.putListEnd();
    }
    w_.putListEnd();
    count("collection");
    putBool("SimplePanel", false);
    endProperties();
    endObject();
}

void FormGenerator::image()
{
    beginObject("TImage", nextName("Image"));
    bounds(800, 600);
    // Picture data: the graphic's class name, then its bytes.
    std::string data = "\x07TBitmap" + bitmapBytes(blobSize());
    blob("Picture.Data", data);
    if (random_.chance(40))
        putBool("Stretch", true);
    if (random_.chance(20))
        putBool("Proportional", true);
    endProperties();
    endObject();
}

void FormGenerator::toolButton()
{
    const std::string name = nextName("ToolButton");
    beginObject("TToolButton", name);
    bounds(800, 600);
    if (random_.chance(30))
        putStr("Caption", caption());
    putBool("Flat", true);
    if (random_.chance(20))
        putInt("GroupIndex", random_.range(1, 5));
    std::string data = bitmapBytes(blobSize());
    const auto size = static_cast<std::uint32_t>(data.size());
    data.insert(0, std::string{static_cast<char>(size), static_cast<char>(size >> 8),
                               static_cast<char>(size >> 16), static_cast<char>(size >> 24)});
    blob("Glyph.Data", data);
    ident("OnClick", name + "Click");
    endProperties();
    endObject();
}

// The rare float kinds: an extended value, a single, a currency amount.
void FormGenerator::numberEdit()
{
    beginObject("TNumberEdit", nextName("NumberEdit"));
    bounds(800, 600);
    ident("DisplayFormat", "dfCurrency");
    // Binary fractions, so that the text gives back the same bytes; never integral, since an
    // integral float reads back from the text as an integer.
    ++stats_.properties;
    w_.putName("MaxValue");
    w_.putExtendedValue(dfm::Extended80::fromDouble(random_.range(1, 100000) / 4.0 + 0.125));
    count("extended");
    ++stats_.properties;
    w_.putName("Increment");
    w_.putSingleValue(static_cast<float>(random_.range(1, 16)) / 8.0f);
    count("single");
    ++stats_.properties;
    w_.putName("Value");
    w_.putCurrencyValue(static_cast<std::int64_t>(random_.range(0, 100000000)) * 100);
    count("currency");
    putInt("TabOrder", random_.range(0, 40));
    endProperties();
    endObject();
}

void FormGenerator::datePicker()
{
    beginObject("TDatePicker", nextName("DatePicker"));
    bounds(800, 600);
    // Whole days and 64ths of a day: binary fractions that the text gives back exactly.
    ++stats_.properties;
    w_.putName("Date");
    w_.putDateValue(static_cast<double>(random_.range(36000, 47000)));
    count("date");
    ++stats_.properties;
    w_.putName("Time");
    w_.putDateValue(static_cast<double>(random_.range(0, 63)) / 64.0);
    count("date");
    putInt("TabOrder", random_.range(0, 40));
    endProperties();
    endObject();
}

// An embedded frame whose children are inherited, some of them moved.
void FormGenerator::inlineFrame()
{
    beginObject("TAddressFrame", nextName("AddressFrame"), dfm::ObjectFlag::Inline);
    bounds(800, 600);
    putInt("TabOrder", random_.range(0, 40));
    endProperties();
    const int n = random_.range(2, 6);
    for (int i = 0; i < n; ++i) {
        const bool moved = random_.chance(25);
        beginObject(i % 2 ? "TEdit" : "TLabel", "Field" + std::to_string(i + 1),
                    dfm::ObjectFlag::Inherited | (moved ? dfm::ObjectFlag::HasPosition : 0u), n - 1 - i);
        putInt("Width", random_.range(50, 300));
        if (i % 2 == 0)
            putStr("Caption", caption());
        endProperties();
        endObject();
    }
    endObject();
}

void FormGenerator::control(int depth)
{
    if (wantBinary() && random_.chance(30)) {
        switch (random_.range(0, 2)) {
        case 0: image(); break;
        case 1: toolButton(); break;
        default: button(true); break;
        }
        return;
    }
    const int r = random_.range(0, 99);
    if (r < 30)
        label();
    else if (r < 44)
        edit();
    else if (r < 54)
        button(false);
    else if (r < 61)
        checkBox();
    else if (r < 66)
        listBox();
    else if (r < 70)
        memo();
    else if (r < 73)
        textGrid();
    else if (r < 76)
        dataGrid();
    else if (r < 77)
        numberEdit();
    else if (r < 78)
        datePicker();
    else if (r < 79)
        inlineFrame();
    else if (depth < 3)
        panel(depth + 1);
    else
        label();
}

void FormGenerator::panel(int depth)
{
    const bool group = random_.chance(25);
    beginObject(group ? "TGroupBox" : "TPanel", nextName(group ? "GroupBox" : "Panel"));
    bounds(800, 600);
    if (random_.chance(40))
        ident("Align", random_.chance(50) ? "alTop" : "alClient");
    if (group) {
        putStr("Caption", caption());
    } else {
        ident("BevelOuter", "bvNone");
        putStr("Caption", "");
        if (random_.chance(30))
            putInt("Color", 0x00F0F0F0 - random_.range(0, 0x202020));
        putBool("ParentBackground", false);
    }
    if (random_.chance(20))
        setOf("Anchors", {"akLeft", "akTop", "akRight"});
    putInt("TabOrder", random_.range(0, 40));
    if (random_.chance(3))
        putInt("HelpContext", random_.range(100000, 2000000));
    endProperties();
    const int children = random_.range(3, depth == 1 ? 18 : 8);
    for (int i = 0; i < children; ++i)
        control(depth);
    if (depth == 1 && random_.chance(10))
        statusBar();
    endObject();
}

void FormGenerator::menuItem(int depth)
{
    const std::string name = nextName("MenuItem");
    beginObject("TMenuItem", name);
    putStr("Caption", caption());
    if (random_.chance(20))
        putInt("ShortCut", 16384 + random_.range(65, 90));
    if (random_.chance(70))
        ident("OnClick", name + "Click");
    endProperties();
    if (depth < 3 && random_.chance(depth == 1 ? 100 : 25)) {
        const int n = random_.range(2, 10);
        for (int i = 0; i < n; ++i)
            menuItem(depth + 1);
    }
    endObject();
}

void FormGenerator::mainMenu()
{
    beginObject("TMainMenu", "MainMenu1");
    putInt("Left", 24);
    putInt("Top", 8);
    endProperties();
    for (int i = 0; i < 8; ++i)
        menuItem(1);
    endObject();
}

void FormGenerator::timer()
{
    const std::string name = nextName("Timer");
    beginObject("TTimer", name);
    putBool("Enabled", false);
    putInt("Interval", random_.chance(50) ? 100 : 60000);
    ident("OnTimer", name + "Timer");
    putInt("Left", random_.range(0, 500));
    putInt("Top", random_.range(0, 500));
    endProperties();
    endObject();
}

void FormGenerator::writeRoot()
{
    w_.putSignature();
    beginObject("TBenchForm", "BenchForm");
    putInt("Left", 192);
    putInt("Top", 114);
    putStr("Caption", "Order entry and customer maintenance");
    putInt("ClientHeight", 768);
    putInt("ClientWidth", 1024);
    ident("Color", "clBtnFace");
    fontProperties();
    ident("Menu", "MainMenu1");
    putBool("OldCreateOrder", false);
    ident("Position", "poScreenCenter");
    ident("OnCreate", "FormCreate");
    putInt("PixelsPerInch", 96);
    putInt("TextHeight", 13);
    endProperties();

    mainMenu();
    // Panels until the stream is big enough; the last one overshoots by a few KB at most.
    while (counter_.count() < target_) {
        panel(1);
        if (random_.chance(2))
            timer();
    }
    endObject();
}

int usage()
{
    std::fprintf(stderr, "usage: bench_generate OUT.dfm MEGABYTES[k] [BINARY_PERCENT]\n"
                         "  writes a generated form of at least MEGABYTES MiB of binary stream (KiB with\n"
                         "  the suffix k, for the small forms of a tree), of which\n"
                         "  BINARY_PERCENT (default 66, as in the real forms of the shared corpus) is\n"
                         "  binary data such as pictures\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4)
        return usage();
    const long binaryPercent = argc == 4 ? std::strtol(argv[3], nullptr, 10) : 66;
    if (binaryPercent < 0 || binaryPercent > 95)
        return usage();
    char* end = nullptr;
    const long megabytes = std::strtol(argv[2], &end, 10);
    const bool kilobytes = end != argv[2] && std::strcmp(end, "k") == 0;
    // The header's stream size is 32 bits.
    if (end == argv[2] || (*end != '\0' && !kilobytes) || megabytes < 1 || megabytes > (kilobytes ? 4000 << 10 : 4000))
        return usage();
    const std::uint64_t target = static_cast<std::uint64_t>(megabytes) << (kilobytes ? 10 : 20);

    try {
        dfm::FileStream file(argv[1], dfm::FileStream::Mode::Create);
        // The size goes into the header, so write a placeholder of the same length and patch it.
        const std::string rootClass = "TBenchForm";
        const std::string placeholder = dfm::makeResourceHeader(rootClass, 0);
        file.writeBuffer(placeholder.data(), placeholder.size());

        CountingStream counter(file);
        Stats stats;
        {
            FormWriter writer(counter);
            FormGenerator generator(writer, counter, target, static_cast<double>(binaryPercent) / 100.0);
            generator.writeRoot();
            writer.flush();
            stats = generator.statistics();
        }
        const std::uint64_t streamSize = counter.count();
        if (streamSize > 0xFFFFFFFFull)
            throw dfm::WriteError("stream too large for the resource header");
        file.setPosition(0);
        const std::string header = dfm::makeResourceHeader(rootClass, static_cast<std::uint32_t>(streamSize));
        file.writeBuffer(header.data(), header.size());

        std::printf("%s: %llu bytes of form stream (+%zu header), %llu components, %llu properties\n", argv[1],
                    static_cast<unsigned long long>(streamSize), header.size(),
                    static_cast<unsigned long long>(stats.components), static_cast<unsigned long long>(stats.properties));
        std::printf("binary data: %llu bytes, %.1f%% of the stream\n", static_cast<unsigned long long>(stats.binaryBytes),
                    100.0 * static_cast<double>(stats.binaryBytes) / static_cast<double>(streamSize));
        std::printf("values by kind:\n");
        for (const auto& [kind, count] : stats.values)
            std::printf("  %-18s %10llu\n", kind.c_str(), static_cast<unsigned long long>(count));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_generate: %s\n", e.what());
        return 1;
    }
    return 0;
}
