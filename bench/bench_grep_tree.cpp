// bench_grep_tree: writes the fixed tree of forms, units, notes and binary files the grep benchmark searches.
#include "Random.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Bump when the tree changes, so that an older tree on disk is made again.
constexpr const char* TreeVersion = "bench_grep_tree 1";
// Found exactly by 3 files, and with the case ignored by a 4th holding CaseVariant. No run of
// the generator's text has these letters in this order, and 12 random bytes match once in 2^96.
constexpr std::string_view Key = "QzxKeyW7plm9";
constexpr std::string_view CaseVariant = "qZXkeyw7PLM9";
constexpr std::uint64_t MinTotalBytes = 520'000'000;
constexpr std::size_t ScanBlock = 64512;


enum class Kind { BinaryForm, TextForm, Unit, Notes, Data };

const std::vector<std::string> PropertyNames = {
    "Left", "Top", "Width", "Height", "Caption", "Color", "Font.Charset", "Font.Name", "Font.Height",
    "TabOrder", "Visible", "Enabled", "Hint", "ShowHint", "Align", "Anchors", "Picture.Data", "Items.Strings",
    "OnClick", "OnChange", "Glyph.Data", "Lines.Strings", "ParentFont", "BorderStyle", "ClientHeight"};
const std::vector<std::string> ClassNames = {
    "TButton", "TLabel", "TEdit", "TPanel", "TMemo", "TImage", "TCheckBox", "TComboBox", "TListBox",
    "TSpeedButton", "TBitBtn", "TGroupBox", "TRadioButton", "TStringGrid", "TTimer", "TMainMenu"};
const std::vector<std::string> Words = {
    "the", "form", "button", "caption", "value", "list", "begin", "end", "procedure", "function", "result",
    "string", "integer", "record", "file", "stream", "reader", "writer", "property", "object", "inherited",
    "Sender", "TObject", "Self", "nil", "then", "else", "while", "repeat", "until", "case", "of", "var",
    "const", "type", "class", "private", "public", "published", "Application", "Screen", "Canvas", "Brush"};

void append(std::string& out, std::string_view text)
{
    out.append(text.data(), text.size());
}

void appendShortString(std::string& out, std::string_view text)
{
    out.push_back(static_cast<char>(text.size()));
    append(out, text);
}

std::string sentence(Random& random, int words)
{
    std::string text;
    for (int i = 0; i < words; ++i) {
        if (i > 0)
            text.push_back(' ');
        text += random.pick(Words);
    }
    return text;
}

// Bytes laid out like a binary form: the resource header, "TPF0", components with
// length-prefixed class and property names, values after their tags, NUL list ends, and
// binary data blocks of random bytes.
void binaryForm(Random& random, std::string& out, std::size_t size)
{
    append(out, std::string_view("\xFF\x0A\x00" "FORM1\x00\x30\x10\x00\x00\x00\x00TPF0", 19));
    appendShortString(out, "TForm1");
    appendShortString(out, "Form1");
    while (out.size() < size) {
        appendShortString(out, random.pick(ClassNames));
        appendShortString(out, "Control" + std::to_string(random.range(1, 999)));
        for (int p = static_cast<int>(random.range(2, 8)); p > 0; --p) {
            const std::string& name = random.pick(PropertyNames);
            appendShortString(out, name);
            switch (random.range(0, 4)) {
            case 0:  // int16
                out.push_back('\x03');
                random.hexBytes(out, 2);
                break;
            case 1:  // string
                out.push_back('\x06');
                appendShortString(out, sentence(random, static_cast<int>(random.range(1, 6))).substr(0, 255));
                break;
            case 2:  // identifier
                out.push_back('\x07');
                appendShortString(out, "cl" + random.pick(Words));
                break;
            default: {  // binary data
                out.push_back('\x0A');
                const auto length = static_cast<std::uint32_t>(random.range(16, 2048));
                char bytes[4];
                std::memcpy(bytes, &length, 4);
                out.append(bytes, 4);
                random.hexBytes(out, length);
                break;
            }
            }
        }
        out.append(2, '\0');  // end of properties, end of children
    }
    out.append(2, '\0');
}

void textForm(Random& random, std::string& out, std::size_t size)
{
    append(out, "object Form1: TForm1\r\n  Left = 192\r\n  Top = 107\r\n  Caption = 'Form1'\r\n");
    while (out.size() < size) {
        out += "  object Control" + std::to_string(random.range(1, 999)) + ": " + random.pick(ClassNames) + "\r\n";
        for (int p = static_cast<int>(random.range(2, 7)); p > 0; --p)
            out += "    " + random.pick(PropertyNames) + " = " + std::to_string(random.range(0, 1000)) + "\r\n";
        out += "    Hint = '" + sentence(random, static_cast<int>(random.range(2, 8))) + "'\r\n";
        if (random.range(0, 3) == 0) {
            out += "    Picture.Data = {\r\n";
            static constexpr char Hex[] = "0123456789ABCDEF";
            for (int line = static_cast<int>(random.range(2, 40)); line > 0; --line) {
                out += "      ";
                for (int i = 0; i < 32; ++i) {
                    const std::uint64_t byte = random.next();
                    out.push_back(Hex[byte & 15]);
                    out.push_back(Hex[(byte >> 4) & 15]);
                }
                out += "\r\n";
            }
            out += "      }\r\n";
        }
        out += "  end\r\n";
    }
    out += "end\r\n";
}

void unit(Random& random, std::string& out, std::size_t size)
{
    out += "unit Unit" + std::to_string(random.range(1, 999)) + ";\r\n\r\ninterface\r\n\r\nuses\r\n"
        "  Windows, Messages, SysUtils, Classes, Graphics, Controls, Forms, Dialogs;\r\n\r\nimplementation\r\n\r\n";
    while (out.size() < size) {
        out += "procedure TForm1." + random.pick(ClassNames).substr(1) + std::to_string(random.range(1, 99))
            + "Click(Sender: TObject);\r\nvar\r\n  I: Integer;\r\nbegin\r\n";
        for (int s = static_cast<int>(random.range(1, 6)); s > 0; --s)
            out += "  { " + sentence(random, static_cast<int>(random.range(3, 10))) + " }\r\n  Label1.Caption := '"
                + sentence(random, 3) + "';\r\n";
        out += "end;\r\n\r\n";
    }
    out += "end.\r\n";
}

void notes(Random& random, std::string& out, std::size_t size)
{
    while (out.size() < size)
        out += sentence(random, static_cast<int>(random.range(4, 16))) + ".\n";
}

void data(Random& random, std::string& out, std::size_t size)
{
    random.hexBytes(out, size);
}

struct PlannedFile {
    std::string path;  // below the tree's root
    Kind kind;
    std::size_t size;
    std::string_view plant;  // the key or its variant, or nothing
};

const char* extension(Kind kind, Random& random)
{
    switch (kind) {
    case Kind::BinaryForm: return random.range(0, 3) == 0 ? ".DFM" : ".dfm";
    case Kind::TextForm: return ".dfm";
    case Kind::Unit: return random.range(0, 3) == 0 ? ".PAS" : ".pas";
    case Kind::Notes: return ".txt";
    case Kind::Data: return ".bin";
    }
    return "";
}

// Five areas of three modules of two parts each (50 folders), and one folder deeper still.
std::vector<std::string> folderNames()
{
    std::vector<std::string> folders;
    for (int a = 0; a < 5; ++a) {
        const std::string area = "Area" + std::to_string(a);
        folders.push_back(area);
        for (int m = 0; m < 3; ++m) {
            const std::string module = area + "/Module" + std::to_string(m);
            folders.push_back(module);
            for (int p = 0; p < 2; ++p)
                folders.push_back(module + "/Part" + std::to_string(p));
        }
    }
    folders.push_back("Area4/Module2/Part1/Archive");
    return folders;
}

std::vector<PlannedFile> plan(Random& random)
{
    const std::vector<std::string> folders = folderNames();
    const std::vector<Kind> mix = {Kind::BinaryForm, Kind::BinaryForm, Kind::BinaryForm, Kind::TextForm,
                                   Kind::TextForm, Kind::Unit, Kind::Unit, Kind::Notes, Kind::Data};
    const std::vector<Kind> bigMix = {Kind::BinaryForm, Kind::BinaryForm, Kind::Data, Kind::Data, Kind::TextForm,
                                      Kind::Notes};
    std::vector<PlannedFile> files;
    const auto add = [&](const std::vector<Kind>& kinds, std::size_t low, std::size_t high) {
        const Kind kind = random.pick(kinds);
        const std::string name = std::string(kind == Kind::Unit ? "Unit" : kind == Kind::Notes ? "Notes"
                                             : kind == Kind::Data ? "Data" : "Form")
            + std::to_string(files.size()) + extension(kind, random);
        // The root holds a few files too.
        const std::string folder = random.range(0, 50) == 0 ? "" : random.pick(folders) + "/";
        files.push_back({folder + name, kind, static_cast<std::size_t>(random.range(low, high)), {}});
    };
    for (int i = 0; i < 5200; ++i)
        add(mix, 1'000, 20'000);
    for (int i = 0; i < 320; ++i)
        add(mix, 100'000, 1'000'000);
    for (int i = 0; i < 24; ++i)
        add(bigMix, 5'000'000, 20'000'000);

    std::uint64_t total = 0;
    for (const PlannedFile& file : files)
        total += file.size;
    // The last big file makes up for a short draw, so that the total never falls below the floor.
    if (total < MinTotalBytes)
        files.back().size += static_cast<std::size_t>(MinTotalBytes - total);

    // The plants: a big binary form (across a scan block's end), a unit, a text file in the
    // deepest folder, and the case variant in a text form.
    const auto first = [&](Kind kind, std::size_t minSize) -> PlannedFile& {
        for (PlannedFile& file : files) {
            if (file.kind == kind && file.size >= minSize && file.plant.empty())
                return file;
        }
        std::cerr << "bench_grep_tree: the plan has no file to plant the key in\n";
        std::exit(1);
    };
    first(Kind::BinaryForm, 5'000'000).plant = Key;
    first(Kind::Unit, 10'000).plant = Key;
    first(Kind::TextForm, 10'000).plant = CaseVariant;
    files.push_back({folderNames().back() + "/ReadMe.txt", Kind::Notes, 15'000, Key});
    return files;
}

std::string fileContent(Random& random, const PlannedFile& file)
{
    std::string out;
    out.reserve(file.size + 4096);
    switch (file.kind) {
    case Kind::BinaryForm: binaryForm(random, out, file.size); break;
    case Kind::TextForm: textForm(random, out, file.size); break;
    case Kind::Unit: unit(random, out, file.size); break;
    case Kind::Notes: notes(random, out, file.size); break;
    case Kind::Data: data(random, out, file.size); break;
    }
    out.resize(file.size);
    if (!file.plant.empty()) {
        // Across the end of a scan block when the file is long enough, else in its middle.
        const std::size_t at = file.size > 40 * ScanBlock ? 37 * ScanBlock - 5 : file.size / 2;
        out.replace(at, file.plant.size(), file.plant);
    }
    return out;
}

std::string readMarker(const fs::path& path)
{
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

bool writeMarker(const fs::path& path, const std::string& line)
{
    std::ofstream file(path, std::ios::trunc);
    file << line << "\n";
    file.close();
    return static_cast<bool>(file);
}

int fail(const std::string& message)
{
    std::cerr << "bench_grep_tree: " << message << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "Usage: bench_grep_tree DIR\n"
                     "Writes the grep benchmark's tree into DIR (through DIR.part), once: DIR.generated\n"
                     "records a complete tree, and a later run with the same generator leaves it.\n";
        return 2;
    }
    fs::path tree = fs::path(argv[1]).lexically_normal();
    if (!tree.has_filename())
        tree = tree.parent_path();
    const fs::path part = tree.string() + ".part";
    const fs::path marker = tree.string() + ".generated";
    std::error_code error;

    const std::string state = readMarker(marker);
    if (state.rfind(std::string(TreeVersion) + " complete", 0) == 0 && fs::is_directory(tree, error)) {
        std::cout << tree.string() << ": " << state << "\n";
        return 0;
    }
    // Without our marker these folders may be someone's own: never delete them.
    if (state.empty() && (fs::exists(tree, error) || fs::exists(part, error)))
        return fail(tree.string() + " or " + part.string() + " exists and was not made by this generator");
    fs::remove_all(tree, error);
    fs::remove_all(part, error);
    if (!writeMarker(marker, "incomplete"))
        return fail("cannot write " + marker.string());

    Random random(20240611);
    const std::vector<PlannedFile> files = plan(random);
    for (const std::string& folder : folderNames())
        fs::create_directories(part / folder, error);
    std::uint64_t total = 0;
    for (const PlannedFile& file : files) {
        const std::string content = fileContent(random, file);
        std::ofstream stream(part / file.path, std::ios::binary | std::ios::trunc);
        stream.write(content.data(), static_cast<std::streamsize>(content.size()));
        stream.close();
        if (!stream)
            return fail("cannot write " + (part / file.path).string());
        total += content.size();
    }
    fs::rename(part, tree, error);
    if (error)
        return fail("cannot rename " + part.string() + ": " + error.message());
    std::ostringstream done;
    done << TreeVersion << " complete: " << files.size() << " files, " << total << " bytes, key " << Key;
    if (!writeMarker(marker, done.str()))
        return fail("cannot write " + marker.string());
    std::cout << tree.string() << ": " << done.str() << "\n";
    return 0;
}
