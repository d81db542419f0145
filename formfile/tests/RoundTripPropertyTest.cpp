// Random forms of every value kind: binary -> text -> binary gives the same bytes, wherever the
// text can carry the value kind.
#include "AsciiText.h"
#include "TWriter.h"
#include "TestSupport.h"

#include <bit>
#include <cmath>
#include <random>

namespace dfm {
namespace {

class RandomForm {
public:
    explicit RandomForm(std::uint32_t seed) : random_(seed) {}

    std::string Make()
    {
        TMemoryStream out;
        {
            TWriter writer(out);
            writer.PutSignature();
            PutObject(writer, 0);
            writer.Flush();
        }
        return std::string(out.View());
    }

private:
    int Below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
    bool OneIn(int n) { return Below(n) == 0; }

    std::string Identifier(int maxLength = 12)
    {
        static const char first[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";
        static const char rest[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_0123456789";
        for (;;) {
            std::string s(1, first[Below(sizeof first - 1)]);
            for (int n = Below(maxLength); n > 0; --n)
                s += rest[Below(sizeof rest - 1)];
            // These words open or close objects; they cannot name a property.
            if (!ascii::EqualsIgnoringCase(s, "end") && !ascii::EqualsIgnoringCase(s, "object")
                && !ascii::EqualsIgnoringCase(s, "inherited") && !ascii::EqualsIgnoringCase(s, "inline")
                && !ascii::EqualsIgnoringCase(s, "item"))
                return s;
        }
    }

    std::string DottedIdentifier()
    {
        std::string s = Identifier();
        for (int n = Below(3); n > 0; --n)
            s += "." + Identifier();
        return s;
    }

    // A decimal with at most 15 significant digits: exactly what the text keeps.
    std::string Decimal()
    {
        std::string s = Below(2) ? "-" : "";
        s += std::to_string(1 + random_() % 999999999999999ull);
        return s + "E" + std::to_string(Below(80) - 50);
    }

    void PutObject(TWriter& w, int depth)
    {
        static const unsigned flagChoices[] = {0, 0, 0, 1, 2, 3, 4, 6};
        const unsigned flags = flagChoices[Below(8)];
        w.PutObjectPrefix(flags, Below(3) == 0 ? Below(100000) : Below(100));
        w.PutName(Identifier(30));
        w.PutName(OneIn(4) ? "" : Identifier());
        for (int n = Below(8); n > 0; --n)
            PutProperty(w, depth);
        w.PutListEnd();
        if (depth < 4)
            for (int n = Below(4); n > 0; --n)
                PutObject(w, depth + 1);
        w.PutListEnd();
    }

    void PutProperty(TWriter& w, int depth)
    {
        w.PutName(DottedIdentifier());
        PutValue(w, depth);
    }

    void PutValue(TWriter& w, int depth)
    {
        switch (Below(depth < 3 ? 16 : 13)) {
        case 0: {
            const std::int64_t widths[] = {100, 30000, 2000000000};
            const std::int64_t limit = widths[Below(3)];
            w.PutIntegerValue(static_cast<std::int32_t>(static_cast<std::int64_t>(random_() % (2 * limit)) - limit));
            break;
        }
        case 1: {
            Extended80 x = *Extended80::Parse(Decimal());
            // An integral value within 32 bits reads back as an integer.
            if (const auto integral = x.ToInt64(); integral && *integral >= INT32_MIN && *integral <= INT32_MAX
                && Extended80::FromInt64(*integral) == x)
                x = *Extended80::Parse("0.5");
            w.PutExtendedValue(x);
            break;
        }
        case 2: {
            float f;
            do
                f = std::bit_cast<float>(static_cast<std::uint32_t>(random_()));
            while (!std::isfinite(f) || (std::signbit(f) && f == 0));
            w.PutSingleValue(f);
            break;
        }
        case 3:
            w.PutCurrencyValue(static_cast<std::int64_t>(random_() % 2000000000000000ull) - 1000000000000000);
            break;
        case 4:
            w.PutDateValue(Extended80::Parse(Decimal())->ToDouble());
            break;
        case 5: {
            std::string s(static_cast<std::size_t>(OneIn(5) ? Below(400) : Below(80)), '\0');
            for (auto& c : s)
                c = static_cast<char>(OneIn(3) ? Below(256) : 'a' + Below(26));
            w.PutStringValue(s);
            break;
        }
        case 6: {
            std::u16string s(static_cast<std::size_t>(1 + Below(150)), u'\0');
            for (auto& unit : s)
                unit = static_cast<char16_t>(OneIn(3) ? Below(65536) : Below(256));
            s[static_cast<std::size_t>(Below(static_cast<int>(s.size())))] = static_cast<char16_t>(256 + Below(65000));
            w.PutWideStringValue(s);
            break;
        }
        case 7:
            w.PutIdentValue(OneIn(4) ? (Below(2) ? "True" : "nil") : DottedIdentifier());
            break;
        case 8:
            w.PutTag(Set);
            for (int n = Below(4); n > 0; --n)
                w.PutName(Identifier());
            w.PutName("");
            break;
        case 9:
            w.PutBinaryValue([this](TStream& data) {
                for (int n = OneIn(3) ? Below(200) : Below(40); n > 0; --n) {
                    const auto byte = static_cast<unsigned char>(Below(256));
                    data.WriteBuffer(&byte, 1);
                }
            });
            break;
        case 10:
            w.PutTag(Below(2) ? False : True);
            break;
        case 11:
            w.PutIntegerValue(Below(256) - 128);
            break;
        case 12:
            w.PutStringValue(Identifier());
            break;
        case 13:
        case 14:
            w.PutListStart();
            for (int n = Below(5); n > 0; --n)
                PutValue(w, depth + 1);
            w.PutListEnd();
            break;
        case 15:
            w.PutTag(Collection);
            for (int n = Below(4); n > 0; --n) {
                if (Below(2))
                    w.PutIntegerValue(Below(3) == 0 ? -2 - Below(1000) : Below(70000));
                w.PutListStart();
                for (int p = Below(4); p > 0; --p)
                    PutProperty(w, depth + 1);
                w.PutListEnd();
            }
            w.PutListEnd();
            break;
        }
    }

    std::mt19937 random_;
};

TEST(RoundTrip, RandomFormsComeBackByteForByte)
{
    for (std::uint32_t seed = 1; seed <= 1500; ++seed) {
        SCOPED_TRACE(seed);
        const std::string binary = RandomForm(seed).Make();
        const std::string text = test::BinaryText(binary);
        ASSERT_EQ(test::TextBinary(text), binary) << text;
    }
}

}  // namespace
}  // namespace dfm
