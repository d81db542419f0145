// Random binary forms of every value kind, for round-trip tests of the converters and the model.
#pragma once

#include "AsciiText.h"
#include "FormWriter.h"
#include "MemoryStream.h"

#include <bit>
#include <cmath>
#include <random>
#include <string>

namespace dfm::test {

class RandomForm {
public:
    // binaryKinds: also the values that only the binary form holds (Int64, Double, UTF-8 strings,
    // integers and strings in a wider kind than needed), which the text cannot carry back.
    explicit RandomForm(std::uint32_t seed, bool binaryKinds = false) : random_(seed), binaryKinds_(binaryKinds) {}

    // extraChildren more objects in the root make a form long enough for the converters'
    // paths that need a few hundred bytes ahead.
    std::string make(int extraChildren = 0)
    {
        MemoryStream out;
        {
            FormWriter writer(out);
            writer.putSignature();
            putObject(writer, 0, extraChildren);
            writer.flush();
        }
        return std::string(out.view());
    }

private:
    int below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
    bool oneIn(int n) { return below(n) == 0; }

    std::string identifier(int maxLength = 12)
    {
        static const char first[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";
        static const char rest[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_0123456789";
        for (;;) {
            std::string s(1, first[below(sizeof first - 1)]);
            for (int n = below(maxLength); n > 0; --n)
                s += rest[below(sizeof rest - 1)];
            // These words open or close objects; they cannot name a property.
            if (!ascii::equalsIgnoringCase(s, "end") && !ascii::equalsIgnoringCase(s, "object")
                && !ascii::equalsIgnoringCase(s, "inherited") && !ascii::equalsIgnoringCase(s, "inline")
                && !ascii::equalsIgnoringCase(s, "item"))
                return s;
        }
    }

    std::string dottedIdentifier()
    {
        std::string s = identifier();
        for (int n = below(3); n > 0; --n)
            s += "." + identifier();
        return s;
    }

    // A decimal with at most 15 significant digits: exactly what the text keeps.
    std::string decimal()
    {
        std::string s = below(2) ? "-" : "";
        s += std::to_string(1 + random_() % 999999999999999ull);
        return s + "E" + std::to_string(below(80) - 50);
    }

    void putObject(FormWriter& w, int depth, int extraChildren = 0)
    {
        static const unsigned flagChoices[] = {0, 0, 0, 1, 2, 3, 4, 6};
        const unsigned flags = flagChoices[below(8)];
        w.putObjectPrefix(flags, below(3) == 0 ? below(100000) : below(100));
        w.putName(identifier(30));
        w.putName(oneIn(4) ? "" : identifier());
        for (int n = below(8); n > 0; --n)
            putProperty(w, depth);
        w.putListEnd();
        if (depth < 4)
            for (int n = below(4) + extraChildren; n > 0; --n)
                putObject(w, depth + 1);
        w.putListEnd();
    }

    void putProperty(FormWriter& w, int depth)
    {
        w.putName(dottedIdentifier());
        putValue(w, depth);
    }

    void putValue(FormWriter& w, int depth)
    {
        if (binaryKinds_ && oneIn(4)) {
            putBinaryOnlyValue(w);
            return;
        }
        switch (below(depth < 3 ? 16 : 13)) {
        case 0: {
            const std::int64_t widths[] = {100, 30000, 2000000000};
            const std::int64_t limit = widths[below(3)];
            w.putIntegerValue(static_cast<std::int32_t>(static_cast<std::int64_t>(random_() % (2 * limit)) - limit));
            break;
        }
        case 1: {
            Extended80 x = *Extended80::parse(decimal());
            // An integral value within 32 bits reads back as an integer.
            if (const auto integral = x.toInt64(); integral && *integral >= INT32_MIN && *integral <= INT32_MAX
                && Extended80::fromInt64(*integral) == x)
                x = *Extended80::parse("0.5");
            w.putExtendedValue(x);
            break;
        }
        case 2: {
            float f;
            do
                f = std::bit_cast<float>(static_cast<std::uint32_t>(random_()));
            while (!std::isfinite(f) || (std::signbit(f) && f == 0));
            w.putSingleValue(f);
            break;
        }
        case 3:
            w.putCurrencyValue(static_cast<std::int64_t>(random_() % 2000000000000000ull) - 1000000000000000);
            break;
        case 4:
            w.putDateValue(Extended80::parse(decimal())->toDouble());
            break;
        case 5: {
            std::string s(static_cast<std::size_t>(oneIn(5) ? below(400) : below(80)), '\0');
            for (auto& c : s)
                c = static_cast<char>(oneIn(3) ? below(256) : 'a' + below(26));
            w.putStringValue(s);
            break;
        }
        case 6: {
            std::u16string s(static_cast<std::size_t>(1 + below(150)), u'\0');
            for (auto& unit : s)
                unit = static_cast<char16_t>(oneIn(3) ? below(65536) : below(256));
            s[static_cast<std::size_t>(below(static_cast<int>(s.size())))] = static_cast<char16_t>(256 + below(65000));
            w.putWideStringValue(s);
            break;
        }
        case 7:
            w.putIdentValue(oneIn(4) ? (below(2) ? "True" : "nil") : dottedIdentifier());
            break;
        case 8:
            w.putTag(Set);
            for (int n = below(4); n > 0; --n)
                w.putName(identifier());
            w.putName("");
            break;
        case 9:
            w.putBinaryValue([this](ByteStream& data) {
                for (int n = oneIn(3) ? below(200) : below(40); n > 0; --n) {
                    const auto byte = static_cast<unsigned char>(below(256));
                    data.writeBuffer(&byte, 1);
                }
            });
            break;
        case 10:
            w.putTag(below(2) ? False : True);
            break;
        case 11:
            w.putIntegerValue(below(256) - 128);
            break;
        case 12:
            w.putStringValue(identifier());
            break;
        case 13:
        case 14:
            w.putListStart();
            for (int n = below(5); n > 0; --n)
                putValue(w, depth + 1);
            w.putListEnd();
            break;
        case 15:
            w.putTag(Collection);
            for (int n = below(4); n > 0; --n) {
                if (below(2))
                    w.putIntegerValue(below(3) == 0 ? -2 - below(1000) : below(70000));
                w.putListStart();
                for (int p = below(4); p > 0; --p)
                    putProperty(w, depth + 1);
                w.putListEnd();
            }
            w.putListEnd();
            break;
        }
    }

    void putLittleEndian(FormWriter& w, std::uint64_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            w.putTag(static_cast<std::uint8_t>(value >> (8 * i)));
    }

    void putBinaryOnlyValue(FormWriter& w)
    {
        switch (below(5)) {
        case 0:
            w.putTag(Int64);
            putLittleEndian(w, (static_cast<std::uint64_t>(random_()) << 32) | random_(), 8);
            break;
        case 1:
            w.putTag(Double);
            putLittleEndian(w, std::bit_cast<std::uint64_t>(Extended80::parse(decimal())->toDouble()), 8);
            break;
        case 2: {
            const std::string text = identifier() + "\xC3\xA9\xE2\x82\xAC";
            w.putTag(Utf8String);
            putLittleEndian(w, text.size(), 4);
            w.putText(text);
            break;
        }
        case 3: {
            const bool wider = below(2) == 0;
            w.putTag(wider ? Int32 : Int16);
            putLittleEndian(w, static_cast<std::uint64_t>(below(200) - 100), wider ? 4 : 2);
            break;
        }
        case 4: {
            const std::string text = identifier();
            w.putTag(LongString);
            putLittleEndian(w, text.size(), 4);
            w.putText(text);
            break;
        }
        }
    }

    std::mt19937 random_;
    bool binaryKinds_;
};

}  // namespace dfm::test
