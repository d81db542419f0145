// bench_generate: writes a large, deterministic binary form file with realistic proportions of every value kind.
#include "Errors.h"
#include "Extended80.h"
#include "Random.h"
#include "ResourceHeader.h"
#include "TFileStream.h"
#include "TMemoryStream.h"
#include "TWriter.h"
#include "ValueTag.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

using dfm::TStream;
using dfm::TWriter;

// Forwards to the file and counts what passes, so that the generator knows when to stop
// without holding the form in memory.
class CountingStream : public TStream {
public:
    explicit CountingStream(TStream& target) : target_(target) {}

    std::size_t Read(void*, std::size_t) override { return 0; }
    std::size_t Write(const void* buffer, std::size_t count) override
    {
        const std::size_t n = target_.Write(buffer, count);
        count_ += n;
        return n;
    }
    std::int64_t Seek(std::int64_t offset, dfm::SeekOrigin origin) override { return target_.Seek(offset, origin); }

    std::uint64_t Count() const { return count_; }

private:
    TStream& target_;
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
    FormGenerator(TWriter& writer, CountingStream& counter, std::uint64_t target, double binaryShare)
        : w_(writer), counter_(counter), target_(target), binaryShare_(binaryShare) {}

    void WriteRoot();
    const Stats& Statistics() const { return stats_; }

private:
    // Property writers: each counts the value kind it writes.
    void Int(std::string_view name, std::int32_t value);
    void Str(std::string_view name, std::string_view value);
    void Wide(std::string_view name, std::u16string_view value);
    void Ident(std::string_view name, std::string_view value);
    void Bool(std::string_view name, bool value);
    void SetOf(std::string_view name, const std::vector<std::string>& elements);
    void StringList(std::string_view name, const std::vector<std::string>& lines);
    void IntList(std::string_view name, const std::vector<std::int32_t>& values);
    void Blob(std::string_view name, const std::string& bytes);
    void Count(const std::string& kind) { ++stats_.values[kind]; }
    void CountInt(std::int32_t value);

    void BeginObject(std::string_view className, const std::string& objectName, unsigned flags = 0, std::int32_t position = 0);
    void EndProperties() { w_.PutListEnd(); }
    void EndObject() { w_.PutListEnd(); }
    std::string NextName(const std::string& base) { return base + std::to_string(++names_[base]); }

    std::string Caption();
    std::string Hint();
    std::string LongText();
    std::u16string WideCaption();
    std::string BitmapBytes(std::size_t size);
    std::size_t BlobSize();
    bool WantBinary() const
    {
        return static_cast<double>(stats_.binaryBytes) < binaryShare_ * static_cast<double>(counter_.Count() + 1);
    }

    void Bounds(int maxLeft, int maxTop);
    void FontProperties();
    void Control(int depth);
    void Panel(int depth);
    void Label();
    void Button(bool withGlyph);
    void Edit();
    void CheckBox();
    void Memo();
    void ListBox();
    void TextGrid();
    void DataGrid();
    void StatusBar();
    void Image();
    void ToolButton();
    void NumberEdit();
    void DatePicker();
    void InlineFrame();
    void MainMenu();
    void MenuItem(int depth);
    void Timer();

    TWriter& w_;
    CountingStream& counter_;
    std::uint64_t target_;
    double binaryShare_;  // of the stream's bytes that are binary data
    Random random_{0x5EEDF0F0C0FFEEull};
    Stats stats_;
    std::map<std::string, int> names_;
};

void FormGenerator::CountInt(std::int32_t value)
{
    if (value >= -128 && value <= 127)
        Count("integer, 1 byte");
    else if (value >= -32768 && value <= 32767)
        Count("integer, 2 bytes");
    else
        Count("integer, 4 bytes");
}

void FormGenerator::Int(std::string_view name, std::int32_t value)
{
    ++stats_.properties;
    w_.PutName(name);
    w_.PutIntegerValue(value);
    CountInt(value);
}

void FormGenerator::Str(std::string_view name, std::string_view value)
{
    ++stats_.properties;
    w_.PutName(name);
    w_.PutStringValue(value);
    Count(value.size() < 256 ? "string, short" : "string, long");
}

void FormGenerator::Wide(std::string_view name, std::u16string_view value)
{
    ++stats_.properties;
    w_.PutName(name);
    w_.PutWideStringValue(value);
    Count("wide string");
}

void FormGenerator::Ident(std::string_view name, std::string_view value)
{
    ++stats_.properties;
    w_.PutName(name);
    w_.PutIdentValue(value);
    Count("identifier");
}

void FormGenerator::Bool(std::string_view name, bool value)
{
    ++stats_.properties;
    w_.PutName(name);
    w_.PutIdentValue(value ? "True" : "False");
    Count("boolean");
}

void FormGenerator::SetOf(std::string_view name, const std::vector<std::string>& elements)
{
    ++stats_.properties;
    w_.PutName(name);
    w_.PutTag(dfm::Set);
    for (const auto& element : elements)
        w_.PutName(element);
    w_.PutName("");
    Count("set");
}

void FormGenerator::StringList(std::string_view name, const std::vector<std::string>& lines)
{
    ++stats_.properties;
    w_.PutName(name);
    w_.PutListStart();
    for (const auto& line : lines) {
        w_.PutStringValue(line);
        Count(line.size() < 256 ? "string, short" : "string, long");
    }
    w_.PutListEnd();
    Count("list");
}

void FormGenerator::IntList(std::string_view name, const std::vector<std::int32_t>& values)
{
    ++stats_.properties;
    w_.PutName(name);
    w_.PutListStart();
    for (const auto value : values) {
        w_.PutIntegerValue(value);
        CountInt(value);
    }
    w_.PutListEnd();
    Count("list");
}

void FormGenerator::Blob(std::string_view name, const std::string& bytes)
{
    ++stats_.properties;
    w_.PutName(name);
    w_.PutBinaryValue([&bytes](TStream& data) { data.WriteBuffer(bytes.data(), bytes.size()); });
    stats_.binaryBytes += bytes.size() + 5;
    Count("binary");
}

void FormGenerator::BeginObject(std::string_view className, const std::string& objectName, unsigned flags, std::int32_t position)
{
    ++stats_.components;
    w_.PutObjectPrefix(flags, position);
    w_.PutName(className);
    w_.PutName(objectName);
}

std::string FormGenerator::Caption()
{
    std::string text = random_.Chance(4) ? random_.Pick(AccentedWords) : random_.Pick(Words);
    const int extra = random_.Range(0, 3);
    for (int i = 0; i < extra; ++i)
        text += " " + random_.Pick(Words);
    if (random_.Chance(10))
        text = "&" + text;
    if (random_.Chance(5))
        text += ":";
    if (random_.Chance(2))
        text += "\t" + random_.Pick(Words);
    if (random_.Chance(2))
        text = "Don't " + text;
    return text;
}

// Hints run from a few words to a couple of lines; some go past 64 characters and so
// wrap in the text, a few hold line breaks.
std::string FormGenerator::Hint()
{
    std::string text = "Click to " + random_.Pick(Words);
    const int words = random_.Chance(30) ? random_.Range(8, 22) : random_.Range(1, 6);
    for (int i = 0; i < words; ++i) {
        if (random_.Chance(3))
            text += "\r\n";
        else
            text += " ";
        text += random_.Chance(3) ? random_.Pick(AccentedWords) : random_.Pick(Words);
    }
    return text;
}

// Query text and the like: a rare string of more than 255 bytes.
std::string FormGenerator::LongText()
{
    std::string text = "SELECT ";
    for (int i = 0; i < 30; ++i) {
        text += random_.Pick(FieldNames);
        text += ", ";
    }
    text += "NOTES FROM ORDERS WHERE STATUS = 'OPEN' ORDER BY SALEDATE";
    return text;
}

std::u16string FormGenerator::WideCaption()
{
    std::u16string text;
    for (const char c : random_.Pick(Words))
        text.push_back(static_cast<char16_t>(c));
    text.push_back(u' ');
    const int n = random_.Range(3, 12);
    const bool ideographs = random_.Chance(40);
    for (int i = 0; i < n; ++i)
        text.push_back(static_cast<char16_t>(ideographs ? 0x4E00 + random_.Range(0, 0x1FFF) : 0x0410 + random_.Range(0, 0x3F)));
    return text;
}

// Pictures of 100 bytes to 20 KB, small ones far more common (log-uniform).
std::size_t FormGenerator::BlobSize()
{
    return static_cast<std::size_t>(100.0 * std::exp(random_.Unit() * std::log(200.0)));
}

// A bitmap file image: header, a small palette, then pixel rows with runs and noise,
// the way real toolbar glyphs and photos mix.
std::string FormGenerator::BitmapBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    for (int i = 0; i < 4; ++i)
        bytes[2 + i] = static_cast<char>(size >> (8 * i));
    bytes[10] = 54;
    bytes[14] = 40;
    const bool photo = random_.Chance(30);
    unsigned char colour = static_cast<unsigned char>(random_.Range(0, 255));
    for (std::size_t i = 54; i < size; ++i) {
        if (photo || random_.Chance(8))
            colour = static_cast<unsigned char>(random_.Next());
        bytes[i] = static_cast<char>(colour);
    }
    return bytes;
}

void FormGenerator::Bounds(int maxLeft, int maxTop)
{
    // Most coordinates fit one byte, wider ones two.
    Int("Left", random_.Chance(40) ? random_.Range(0, 127) : random_.Range(128, maxLeft));
    Int("Top", random_.Chance(40) ? random_.Range(0, 127) : random_.Range(128, maxTop));
    Int("Width", random_.Chance(50) ? random_.Range(16, 127) : random_.Range(128, 900));
    Int("Height", random_.Chance(80) ? random_.Range(13, 127) : random_.Range(128, 700));
}

void FormGenerator::FontProperties()
{
    Ident("Font.Charset", "DEFAULT_CHARSET");
    Ident("Font.Color", random_.Pick(Colors));
    Int("Font.Height", -random_.Range(11, 24));
    Str("Font.Name", random_.Pick(FontNames));
    static const std::vector<std::vector<std::string>> styles = {
        {}, {"fsBold"}, {"fsItalic"}, {"fsBold", "fsItalic"}, {"fsUnderline"}, {"fsBold", "fsUnderline", "fsStrikeOut"},
    };
    SetOf("Font.Style", random_.Pick(styles));
    Bool("ParentFont", false);
}

void FormGenerator::Label()
{
    BeginObject("TLabel", NextName("Label"));
    Bounds(800, 600);
    if (random_.Chance(6))
        Wide("Caption", WideCaption());
    else
        Str("Caption", Caption());
    if (random_.Chance(30))
        FontProperties();
    if (random_.Chance(20))
        Ident("Alignment", "taRightJustify");
    if (random_.Chance(15))
        Bool("Transparent", true);
    if (random_.Chance(10))
        Bool("WordWrap", true);
    if (random_.Chance(8)) {
        Str("Hint", Hint());
        Bool("ShowHint", true);
    }
    EndProperties();
    EndObject();
}

void FormGenerator::Button(bool withGlyph)
{
    const std::string name = NextName(withGlyph ? "GlyphButton" : "Button");
    BeginObject(withGlyph ? "TGlyphButton" : "TButton", name);
    Bounds(800, 600);
    Str("Caption", Caption());
    if (random_.Chance(10))
        Bool("Default", true);
    if (random_.Chance(10)) {
        Bool("Cancel", true);
        Int("ModalResult", 2);
    }
    Int("TabOrder", random_.Range(0, 40));
    Ident("OnClick", name + "Click");
    if (random_.Chance(35)) {
        Str("Hint", Hint());
        Bool("ShowHint", true);
    }
    if (withGlyph) {
        // Glyph data: the bitmap's byte count, then the bitmap.
        std::string data = BitmapBytes(BlobSize());
        const auto size = static_cast<std::uint32_t>(data.size());
        data.insert(0, std::string{static_cast<char>(size), static_cast<char>(size >> 8),
                                   static_cast<char>(size >> 16), static_cast<char>(size >> 24)});
        Blob("Glyph.Data", data);
        Int("NumGlyphs", 2);
    }
    EndProperties();
    EndObject();
}

void FormGenerator::Edit()
{
    const std::string name = NextName("Edit");
    BeginObject("TEdit", name);
    Bounds(800, 600);
    Int("TabOrder", random_.Range(0, 40));
    Str("Text", random_.Chance(60) ? std::string() : Caption());
    if (random_.Chance(30))
        Int("MaxLength", random_.Chance(50) ? random_.Range(1, 127) : random_.Range(128, 4000));
    if (random_.Chance(15))
        Ident("CharCase", "ecUpperCase");
    if (random_.Chance(10))
        Int("Color", 0x00E0FFFF);
    if (random_.Chance(40))
        Ident("OnChange", name + "Change");
    if (random_.Chance(20)) {
        Str("Hint", Hint());
        Bool("ShowHint", true);
    }
    EndProperties();
    EndObject();
}

void FormGenerator::CheckBox()
{
    BeginObject("TCheckBox", NextName("CheckBox"));
    Bounds(800, 600);
    Str("Caption", Caption());
    Bool("Checked", random_.Chance(50));
    if (random_.Chance(20))
        Ident("State", "cbChecked");
    Int("TabOrder", random_.Range(0, 40));
    EndProperties();
    EndObject();
}

void FormGenerator::Memo()
{
    BeginObject("TMemo", NextName("Memo"));
    Bounds(800, 600);
    std::vector<std::string> lines;
    const int n = random_.Range(1, 12);
    for (int i = 0; i < n; ++i)
        lines.push_back(random_.Chance(2) ? LongText() : random_.Chance(20) ? Hint() : Caption());
    StringList("Lines.Strings", lines);
    Ident("ScrollBars", "ssVertical");
    Int("TabOrder", random_.Range(0, 40));
    EndProperties();
    EndObject();
}

void FormGenerator::ListBox()
{
    const bool combo = random_.Chance(50);
    BeginObject(combo ? "TComboBox" : "TListBox", NextName(combo ? "ComboBox" : "ListBox"));
    Bounds(800, 600);
    if (combo)
        Ident("Style", "csDropDownList");
    Int("ItemHeight", 13);
    std::vector<std::string> items;
    const int n = random_.Range(2, 15);
    for (int i = 0; i < n; ++i)
        items.push_back(Caption());
    StringList("Items.Strings", items);
    Int("TabOrder", random_.Range(0, 40));
    EndProperties();
    EndObject();
}

void FormGenerator::TextGrid()
{
    BeginObject("TTextGrid", NextName("TextGrid"));
    Bounds(800, 600);
    const int columns = random_.Range(2, 10);
    const int rows = random_.Range(2, 30);
    Int("ColCount", columns);
    Int("RowCount", rows);
    Int("DefaultRowHeight", 18);
    Int("FixedCols", 0);
    SetOf("Options", {"goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine", "goRangeSelect", "goEditing", "goTabs"});
    std::vector<std::int32_t> widths;
    for (int i = 0; i < columns; ++i)
        widths.push_back(random_.Chance(50) ? 64 : random_.Range(20, 300));
    IntList("ColWidths", widths);
    if (random_.Chance(30)) {
        std::vector<std::int32_t> heights(static_cast<std::size_t>(rows), 18);
        IntList("RowHeights", heights);
    }
    Int("TabOrder", random_.Range(0, 40));
    EndProperties();
    EndObject();
}

// A data grid with its column collection, written without order indexes.
void FormGenerator::DataGrid()
{
    const std::string name = NextName("DataGrid");
    BeginObject("TDataGrid", name);
    Bounds(800, 600);
    Ident("DataSource", NextName("DataSource"));
    SetOf("Options", {"dgTitles", "dgIndicator", "dgColumnResize", "dgColLines", "dgRowLines", "dgTabs"});
    Int("TabOrder", random_.Range(0, 40));
    Ident("TitleFont.Color", "clWindowText");
    Int("TitleFont.Height", -11);
    ++stats_.properties;
    w_.PutName("Columns");
    w_.PutTag(dfm::Collection);
    const int n = random_.Range(2, 9);
    for (int i = 0; i < n; ++i) {
        w_.PutListStart();
        Bool("Expanded", false);
        Str("FieldName", random_.Pick(FieldNames));
        Str("Title.Caption", Caption());
        if (random_.Chance(30))
            SetOf("Title.Font.Style", {"fsBold"});
        Int("Width", random_.Range(30, 250));
        if (random_.Chance(20))
            Ident("Alignment", "taRightJustify");
        if (random_.Chance(10))
            Bool("ReadOnly", true);
        Bool("Visible", true);
        w_.PutListEnd();
    }
    w_.PutListEnd();
    Count("collection");
    EndProperties();
    EndObject();
}

// Status panels, half of them with order indexes as inherited forms write them.
void FormGenerator::StatusBar()
{
    BeginObject("TStatusBar", NextName("StatusBar"));
    Int("Left", 0);
    Int("Top", random_.Range(300, 900));
    Int("Width", random_.Range(300, 1200));
    Int("Height", 19);
    ++stats_.properties;
    w_.PutName("Panels");
    w_.PutTag(dfm::Collection);
    const bool indexed = random_.Chance(50);
    const int n = random_.Range(1, 6);
    for (int i = 0; i < n; ++i) {
        if (indexed)
            w_.PutIntegerValue(i);
        w_.PutListStart();
        Str("Text", Caption());
        Int("Width", random_.Range(50, 300));
        if (random_.Chance(20))
            Ident("Alignment", "taCenter");
        w_.PutListEnd();
    }
    w_.PutListEnd();
    Count("collection");
    Bool("SimplePanel", false);
    EndProperties();
    EndObject();
}

void FormGenerator::Image()
{
    BeginObject("TImage", NextName("Image"));
    Bounds(800, 600);
    // Picture data: the graphic's class name, then its bytes.
    std::string data = "\x07TBitmap" + BitmapBytes(BlobSize());
    Blob("Picture.Data", data);
    if (random_.Chance(40))
        Bool("Stretch", true);
    if (random_.Chance(20))
        Bool("Proportional", true);
    EndProperties();
    EndObject();
}

void FormGenerator::ToolButton()
{
    const std::string name = NextName("ToolButton");
    BeginObject("TToolButton", name);
    Bounds(800, 600);
    if (random_.Chance(30))
        Str("Caption", Caption());
    Bool("Flat", true);
    if (random_.Chance(20))
        Int("GroupIndex", random_.Range(1, 5));
    std::string data = BitmapBytes(BlobSize());
    const auto size = static_cast<std::uint32_t>(data.size());
    data.insert(0, std::string{static_cast<char>(size), static_cast<char>(size >> 8),
                               static_cast<char>(size >> 16), static_cast<char>(size >> 24)});
    Blob("Glyph.Data", data);
    Ident("OnClick", name + "Click");
    EndProperties();
    EndObject();
}

// The rare float kinds: an extended value, a single, a currency amount.
void FormGenerator::NumberEdit()
{
    BeginObject("TNumberEdit", NextName("NumberEdit"));
    Bounds(800, 600);
    Ident("DisplayFormat", "dfCurrency");
    // Binary fractions, so that the text gives back the same bytes; never integral, since an
    // integral float reads back from the text as an integer.
    ++stats_.properties;
    w_.PutName("MaxValue");
    w_.PutExtendedValue(dfm::Extended80::FromDouble(random_.Range(1, 100000) / 4.0 + 0.125));
    Count("extended");
    ++stats_.properties;
    w_.PutName("Increment");
    w_.PutSingleValue(static_cast<float>(random_.Range(1, 16)) / 8.0f);
    Count("single");
    ++stats_.properties;
    w_.PutName("Value");
    w_.PutCurrencyValue(static_cast<std::int64_t>(random_.Range(0, 100000000)) * 100);
    Count("currency");
    Int("TabOrder", random_.Range(0, 40));
    EndProperties();
    EndObject();
}

void FormGenerator::DatePicker()
{
    BeginObject("TDatePicker", NextName("DatePicker"));
    Bounds(800, 600);
    // Whole days and 64ths of a day: binary fractions that the text gives back exactly.
    ++stats_.properties;
    w_.PutName("Date");
    w_.PutDateValue(static_cast<double>(random_.Range(36000, 47000)));
    Count("date");
    ++stats_.properties;
    w_.PutName("Time");
    w_.PutDateValue(static_cast<double>(random_.Range(0, 63)) / 64.0);
    Count("date");
    Int("TabOrder", random_.Range(0, 40));
    EndProperties();
    EndObject();
}

// An embedded frame whose children are inherited, some of them moved.
void FormGenerator::InlineFrame()
{
    BeginObject("TAddressFrame", NextName("AddressFrame"), dfm::ObjectFlag::Inline);
    Bounds(800, 600);
    Int("TabOrder", random_.Range(0, 40));
    EndProperties();
    const int n = random_.Range(2, 6);
    for (int i = 0; i < n; ++i) {
        const bool moved = random_.Chance(25);
        BeginObject(i % 2 ? "TEdit" : "TLabel", "Field" + std::to_string(i + 1),
                    dfm::ObjectFlag::Inherited | (moved ? dfm::ObjectFlag::HasPosition : 0u), n - 1 - i);
        Int("Width", random_.Range(50, 300));
        if (i % 2 == 0)
            Str("Caption", Caption());
        EndProperties();
        EndObject();
    }
    EndObject();
}

void FormGenerator::Control(int depth)
{
    if (WantBinary() && random_.Chance(30)) {
        switch (random_.Range(0, 2)) {
        case 0: Image(); break;
        case 1: ToolButton(); break;
        default: Button(true); break;
        }
        return;
    }
    const int r = random_.Range(0, 99);
    if (r < 30)
        Label();
    else if (r < 44)
        Edit();
    else if (r < 54)
        Button(false);
    else if (r < 61)
        CheckBox();
    else if (r < 66)
        ListBox();
    else if (r < 70)
        Memo();
    else if (r < 73)
        TextGrid();
    else if (r < 76)
        DataGrid();
    else if (r < 77)
        NumberEdit();
    else if (r < 78)
        DatePicker();
    else if (r < 79)
        InlineFrame();
    else if (depth < 3)
        Panel(depth + 1);
    else
        Label();
}

void FormGenerator::Panel(int depth)
{
    const bool group = random_.Chance(25);
    BeginObject(group ? "TGroupBox" : "TPanel", NextName(group ? "GroupBox" : "Panel"));
    Bounds(800, 600);
    if (random_.Chance(40))
        Ident("Align", random_.Chance(50) ? "alTop" : "alClient");
    if (group) {
        Str("Caption", Caption());
    } else {
        Ident("BevelOuter", "bvNone");
        Str("Caption", "");
        if (random_.Chance(30))
            Int("Color", 0x00F0F0F0 - random_.Range(0, 0x202020));
        Bool("ParentBackground", false);
    }
    if (random_.Chance(20))
        SetOf("Anchors", {"akLeft", "akTop", "akRight"});
    Int("TabOrder", random_.Range(0, 40));
    if (random_.Chance(3))
        Int("HelpContext", random_.Range(100000, 2000000));
    EndProperties();
    const int children = random_.Range(3, depth == 1 ? 18 : 8);
    for (int i = 0; i < children; ++i)
        Control(depth);
    if (depth == 1 && random_.Chance(10))
        StatusBar();
    EndObject();
}

void FormGenerator::MenuItem(int depth)
{
    const std::string name = NextName("MenuItem");
    BeginObject("TMenuItem", name);
    Str("Caption", Caption());
    if (random_.Chance(20))
        Int("ShortCut", 16384 + random_.Range(65, 90));
    if (random_.Chance(70))
        Ident("OnClick", name + "Click");
    EndProperties();
    if (depth < 3 && random_.Chance(depth == 1 ? 100 : 25)) {
        const int n = random_.Range(2, 10);
        for (int i = 0; i < n; ++i)
            MenuItem(depth + 1);
    }
    EndObject();
}

void FormGenerator::MainMenu()
{
    BeginObject("TMainMenu", "MainMenu1");
    Int("Left", 24);
    Int("Top", 8);
    EndProperties();
    for (int i = 0; i < 8; ++i)
        MenuItem(1);
    EndObject();
}

void FormGenerator::Timer()
{
    const std::string name = NextName("Timer");
    BeginObject("TTimer", name);
    Bool("Enabled", false);
    Int("Interval", random_.Chance(50) ? 100 : 60000);
    Ident("OnTimer", name + "Timer");
    Int("Left", random_.Range(0, 500));
    Int("Top", random_.Range(0, 500));
    EndProperties();
    EndObject();
}

void FormGenerator::WriteRoot()
{
    w_.PutSignature();
    BeginObject("TBenchForm", "BenchForm");
    Int("Left", 192);
    Int("Top", 114);
    Str("Caption", "Order entry and customer maintenance");
    Int("ClientHeight", 768);
    Int("ClientWidth", 1024);
    Ident("Color", "clBtnFace");
    FontProperties();
    Ident("Menu", "MainMenu1");
    Bool("OldCreateOrder", false);
    Ident("Position", "poScreenCenter");
    Ident("OnCreate", "FormCreate");
    Int("PixelsPerInch", 96);
    Int("TextHeight", 13);
    EndProperties();

    MainMenu();
    // Panels until the stream is big enough; the last one overshoots by a few KB at most.
    while (counter_.Count() < target_) {
        Panel(1);
        if (random_.Chance(2))
            Timer();
    }
    EndObject();
}

int Usage()
{
    std::fprintf(stderr, "usage: bench_generate OUT.dfm MEGABYTES [BINARY_PERCENT]\n"
                         "  writes a generated form of at least MEGABYTES MiB of binary stream, of which\n"
                         "  BINARY_PERCENT (default 66, as in the real forms of the shared corpus) is\n"
                         "  binary data such as pictures\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4)
        return Usage();
    const long binaryPercent = argc == 4 ? std::strtol(argv[3], nullptr, 10) : 66;
    if (binaryPercent < 0 || binaryPercent > 95)
        return Usage();
    char* end = nullptr;
    const long megabytes = std::strtol(argv[2], &end, 10);
    // The header's stream size is 32 bits.
    if (end == argv[2] || *end != '\0' || megabytes < 1 || megabytes > 4000)
        return Usage();
    const std::uint64_t target = static_cast<std::uint64_t>(megabytes) << 20;

    try {
        dfm::TFileStream file(argv[1], dfm::TFileStream::Mode::Create);
        // The size goes into the header, so write a placeholder of the same length and patch it.
        const std::string rootClass = "TBenchForm";
        const std::string placeholder = dfm::MakeResourceHeader(rootClass, 0);
        file.WriteBuffer(placeholder.data(), placeholder.size());

        CountingStream counter(file);
        Stats stats;
        {
            TWriter writer(counter);
            FormGenerator generator(writer, counter, target, static_cast<double>(binaryPercent) / 100.0);
            generator.WriteRoot();
            writer.Flush();
            stats = generator.Statistics();
        }
        const std::uint64_t streamSize = counter.Count();
        if (streamSize > 0xFFFFFFFFull)
            throw dfm::EWriteError("stream too large for the resource header");
        file.SetPosition(0);
        const std::string header = dfm::MakeResourceHeader(rootClass, static_cast<std::uint32_t>(streamSize));
        file.WriteBuffer(header.data(), header.size());

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
