// The keypad's arithmetic fed key by key, as the keypad passes them on.
#include "CalculatorEngine.h"

#include <gtest/gtest.h>

#include <limits>


namespace dfm {
namespace {

class RecordingHost : public CalculatorHost {
public:
    void beep() override { ++beeps; }
    void copyText(const QString& text) override { copied = text; }
    std::optional<QString> pastedText() override { return clipboard; }

    int beeps = 0;
    QString copied;
    std::optional<QString> clipboard;
};

// Keys as typed: '\b' backspace, '\r' Enter, '\x1b' Escape, '_' change sign, Q root, R reciprocal.
void type(CalculatorEngine& engine, const QString& keys)
{
    for (QChar key : keys)
        engine.key(key);
}

struct Sequence {
    const char* keys;
    const char* shown;
    CalculatorStatus status;
    int beeps;
};

TEST(CalculatorEngine, KeySequences)
{
    using S = CalculatorStatus;
    const Sequence cases[] = {
        // Left to right, no precedence; a second operator replaces the first; "=" again does nothing.
        {"2+3*4=", "20", S::First, 0},
        {"2+*3=", "6", S::First, 0},
        {"2+3==", "5", S::First, 0},
        {"10-4-3=", "3", S::First, 0},
        {"7-=", "7", S::First, 0},
        {"7-=3+", "3", S::First, 0},
        {"9/4=", "2.25", S::First, 0},
        {"2+3\r", "5", S::First, 0},
        {"1.5.2", "1.52", S::Valid, 0},
        {".5*2=", "1", S::First, 0},
        {"0.1+0.2=", "0.3", S::First, 0},
        {"1/3=", "0.333333333333333", S::First, 0},
        // Percent with each pending operator, and with none.
        {"50+10%", "55", S::First, 0},
        {"50-10%", "45", S::First, 0},
        {"50*10%", "5", S::First, 0},
        {"50/10%", "500", S::First, 0},
        {"50%", "50", S::First, 0},
        // Root, reciprocal, sign.
        {"4Q", "2", S::First, 0},
        {"4q", "2", S::First, 0},
        {"4R", "0.25", S::First, 0},
        {"5_", "-5", S::Valid, 0},
        {"5__", "5", S::Valid, 0},
        {"2+3=_", "-5", S::First, 0},
        {"0_", "0", S::Valid, 0},
        // Errors, and only C or Escape leaves them.
        {"1/0=", "Error", S::Error, 1},
        {"0R", "Error", S::Error, 1},
        {"2_Q", "Error", S::Error, 1},
        {"1/0=5+6=Q_.\b", "Error", S::Error, 1},
        {"1/0=C", "0", S::First, 1},
        {"1/0=c2+3=", "5", S::First, 1},
        {"1/0=\x1b" "4*2=", "8", S::First, 1},
        {"1/0=+3=", "Error", S::Error, 1},
        // Escape clears and leaves "=" pending.
        {"2+3\x1b", "0", S::First, 0},
        {"2+3\x1b" "4=", "4", S::First, 0},
        // Entry length: fifteen characters, one more with a minus sign, the separator counts.
        {"123456789012345", "123456789012345", S::Valid, 0},
        {"1234567890123456", "123456789012345", S::Valid, 1},
        {"1_23456789012345", "-123456789012345", S::Valid, 0},
        {"1_234567890123456", "-123456789012345", S::Valid, 1},
        {"0.1234567890123", "0.1234567890123", S::Valid, 0},
        {"0.12345678901234", "0.1234567890123", S::Valid, 1},
        {"00007", "7", S::Valid, 0},
        // Backspace.
        {"12\b", "1", S::Valid, 0},
        {"5_\b", "0", S::Valid, 0},
        {"\b", "0", S::Valid, 0},
        {"2+3=\b", "0", S::Valid, 0},
        {"1.\b\b", "0", S::Valid, 0},
        // Characters with no meaning change nothing.
        {"12a 3", "123", S::Valid, 0},
    };
    for (const Sequence& sequence : cases) {
        SCOPED_TRACE(sequence.keys);
        RecordingHost host;
        CalculatorEngine engine(host, u'.', QStringLiteral("$"), 15, true);
        type(engine, QString::fromLatin1(sequence.keys));
        EXPECT_EQ(engine.text(), QString::fromLatin1(sequence.shown));
        EXPECT_EQ(engine.Status(), sequence.status);
        EXPECT_EQ(host.beeps, sequence.beeps);
    }
}

TEST(CalculatorEngine, ErrorsAndRefusalsAreSilentWhenBeepingIsOff)
{
    RecordingHost host;
    CalculatorEngine engine(host, u'.', QString(), 15, false);
    type(engine, QStringLiteral("1/0="));
    EXPECT_FALSE(engine.accept());
    type(engine, QStringLiteral("C1234567890123456"));
    EXPECT_EQ(host.beeps, 0);
}

TEST(CalculatorEngine, OverflowIsAnErrorNotInfinity)
{
    RecordingHost host;
    CalculatorEngine engine(host, u'.', QString(), 15, true);
    engine.preset(1e308);
    type(engine, QStringLiteral("*10="));
    EXPECT_EQ(engine.text(), "Error");
    EXPECT_EQ(engine.displayValue(), 0);

    engine.key(u'C');
    engine.preset(1e308);
    engine.memoryStore();
    engine.memoryPlus();
    EXPECT_EQ(engine.Status(), CalculatorStatus::Error);
    EXPECT_EQ(engine.memory(), 1e308);

    engine.key(u'C');
    engine.preset(std::numeric_limits<double>::max());
    EXPECT_EQ(engine.text(), "Error");
}

TEST(CalculatorEngine, PresetValueIsAResultWithEqualsPending)
{
    RecordingHost host;
    CalculatorEngine engine(host, u'.', QString(), 15, true);
    engine.preset(42);
    EXPECT_EQ(engine.text(), "42");
    type(engine, QStringLiteral("7+1="));
    EXPECT_EQ(engine.text(), "8");
}

TEST(CalculatorEngine, MemoryButtons)
{
    RecordingHost host;
    CalculatorEngine engine(host, u'.', QString(), 15, true);
    type(engine, QStringLiteral("12"));
    engine.memoryStore();
    EXPECT_EQ(engine.memory(), 12);
    EXPECT_EQ(engine.Status(), CalculatorStatus::First);
    type(engine, QStringLiteral("C"));
    engine.memoryRecall();
    EXPECT_EQ(engine.text(), "12");
    type(engine, QStringLiteral("3"));
    EXPECT_EQ(engine.text(), "123");
    engine.memoryPlus();
    EXPECT_EQ(engine.memory(), 135);
    type(engine, QStringLiteral("4"));
    EXPECT_EQ(engine.text(), "4");

    // In error only MC acts.
    type(engine, QStringLiteral("/0="));
    engine.memoryStore();
    engine.memoryPlus();
    engine.memoryRecall();
    EXPECT_EQ(engine.memory(), 135);
    EXPECT_EQ(engine.text(), "Error");
    engine.memoryClear();
    EXPECT_EQ(engine.memory(), 0);
    EXPECT_EQ(engine.text(), "Error");
}

TEST(CalculatorEngine, AcceptReformatsAndRefusesAnError)
{
    RecordingHost host;
    CalculatorEngine engine(host, u'.', QString(), 15, true);
    type(engine, QStringLiteral("2.50"));
    EXPECT_TRUE(engine.accept());
    EXPECT_EQ(engine.text(), "2.5");
    EXPECT_EQ(engine.displayValue(), 2.5);
    type(engine, QStringLiteral("R0R"));
    EXPECT_FALSE(engine.accept());
    EXPECT_EQ(host.beeps, 2);
}

TEST(CalculatorEngine, ClipboardCopyAndPaste)
{
    struct Paste {
        std::optional<QString> clipboard;
        const char* shown;
    };
    const Paste cases[] = {
        {QStringLiteral("$1234.5"), "1234.5"},
        {QStringLiteral(" 12 $ "), "12"},
        {QStringLiteral("-0.25"), "-0.25"},
        {QStringLiteral("1e3"), "1000"},
        {QStringLiteral("twelve"), "0"},
        {QStringLiteral("1,234.5"), "0"},
        {QStringLiteral("inf"), "0"},
        {QStringLiteral("1e999"), "0"},
        {QString(), "0"},
        {std::nullopt, "77"},
    };
    for (const Paste& paste : cases) {
        SCOPED_TRACE(paste.shown);
        RecordingHost host;
        host.clipboard = paste.clipboard;
        CalculatorEngine engine(host, u'.', QStringLiteral("$"), 15, true);
        type(engine, QStringLiteral("77"));
        engine.key(CalculatorEngine::CtrlV);
        EXPECT_EQ(engine.text(), QString::fromLatin1(paste.shown));
        EXPECT_EQ(engine.Status(), CalculatorStatus::Valid);
        engine.key(CalculatorEngine::CtrlC);
        EXPECT_EQ(host.copied, QString::fromLatin1(paste.shown));
    }
}

TEST(CalculatorEngine, ClipboardKeysAreIgnoredInErrorButTheDisplayMenuActs)
{
    RecordingHost host;
    host.clipboard = QStringLiteral("5");
    CalculatorEngine engine(host, u'.', QString(), 15, true);
    type(engine, QStringLiteral("0R"));
    engine.key(CalculatorEngine::CtrlV);
    engine.key(CalculatorEngine::CtrlC);
    EXPECT_EQ(engine.text(), "Error");
    EXPECT_TRUE(host.copied.isEmpty());
    engine.copy();
    EXPECT_EQ(host.copied, "Error");
    engine.Paste();
    EXPECT_EQ(engine.text(), "5");
    EXPECT_EQ(engine.Status(), CalculatorStatus::Error);
    EXPECT_EQ(engine.displayValue(), 0);
}

TEST(CalculatorEngine, LocaleSeparatorAndCurrency)
{
    RecordingHost host;
    host.clipboard = QStringLiteral("12,5 €");
    CalculatorEngine engine(host, u',', QStringLiteral("€"), 15, true);
    type(engine, QStringLiteral("1.5+1,25="));
    EXPECT_EQ(engine.text(), "2,75");
    engine.Paste();
    EXPECT_EQ(engine.text(), "12,5");
    EXPECT_EQ(engine.displayValue(), 12.5);
}

TEST(CalculatorEngine, DisplayFormat)
{
    const struct {
        double value;
        const char* shown;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {1e20, "1E20"},
        {1e-7, "1E-7"},
        {-2.5e-12, "-2.5E-12"},
        {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1.23456789012346E15"},
        {0.0001, "0.0001"},
        {2.0 / 3.0, "0.666666666666667"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        EXPECT_EQ(CalculatorEngine::format(c.value, 15, u'.'), QString::fromLatin1(c.shown));
        const std::optional<double> back = CalculatorEngine::parse(QString::fromLatin1(c.shown), u'.');
        ASSERT_TRUE(back.has_value());
    }
    EXPECT_EQ(CalculatorEngine::format(1.5, 15, u','), "1,5");
}

TEST(CalculatorEngine, DigitsAfterAnExponentAreIgnored)
{
    RecordingHost host;
    CalculatorEngine engine(host, u'.', QString(), 15, true);
    engine.preset(1e20);
    engine.memoryStore();
    engine.memoryRecall();
    type(engine, QStringLiteral("5."));
    EXPECT_EQ(engine.text(), "1E20");
    EXPECT_EQ(host.beeps, 0);
}

TEST(CalculatorEngine, KeyboardToButtons)
{
    using K = CalcButtonKind;
    const struct {
        QChar key;
        std::optional<K> button;
    } cases[] = {
        {u'0', K::Digit0},       {u'9', K::Digit9},   {u'_', K::Sign},        {u'.', K::Decimal},
        {u',', K::Decimal},      {u'/', K::Divide},   {u'*', K::Multiply},    {u'-', K::Minus},
        {u'+', K::Plus},         {u'q', K::Sqrt},     {u'%', K::Percent},     {u'r', K::Reciprocal},
        {u'=', K::Equals},       {CalculatorEngine::Enter, K::Equals},        {CalculatorEngine::Backspace, K::Backspace},
        {u'c', K::Clear},        {CalculatorEngine::Escape, K::Clear},        {u'x', std::nullopt},
        {CalculatorEngine::CtrlC, std::nullopt},      {CalculatorEngine::CtrlV, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.key.unicode()));
        EXPECT_EQ(CalculatorEngine::buttonForKey(c.key, u'.'), c.button);
    }
    EXPECT_EQ(CalculatorEngine::buttonForKey(QChar(0x066B), QChar(0x066B)), K::Decimal);
    EXPECT_EQ(CalculatorEngine::keyForButton(K::Decimal, u','), QChar(u','));
    EXPECT_EQ(CalculatorEngine::keyForButton(K::Sqrt, u'.'), QChar(u'Q'));
    EXPECT_EQ(CalculatorEngine::keyForButton(K::MemoryPlus, u'.'), std::nullopt);
    EXPECT_EQ(CalculatorEngine::keyForButton(K::Ok, u'.'), std::nullopt);
}

TEST(CalculatorEngine, PrecisionBelowTwoIsTwo)
{
    RecordingHost host;
    CalculatorEngine engine(host, u'.', QString(), 0, true);
    EXPECT_EQ(engine.precision(), 2);
    type(engine, QStringLiteral("123"));
    EXPECT_EQ(engine.text(), "12");
}

}  // namespace
}  // namespace dfm
