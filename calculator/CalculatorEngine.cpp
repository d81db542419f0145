// The keypad's arithmetic, applied strictly from left to right.
#include "CalculatorEngine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace dfm {

namespace {

// The keyboard's characters, in the order of the buttons they press; '.' stands for the
// decimal separator, the last two are backspace and "C".
const QString KeyButtons = QStringLiteral("0123456789_./*-+Q%R=\bC");

// "." and "," always mean the decimal separator, besides the locale's own.
bool IsDecimalKey(QChar key, QChar decimalSeparator)
{
    return key == u'.' || key == u',' || key == decimalSeparator;
}

bool IsOperator(QChar key)
{
    return key == u'+' || key == u'-' || key == u'*' || key == u'/' || key == u'=' || key == u'%' ||
           key == CalculatorEngine::Enter;
}

}  // namespace

CalculatorEngine::CalculatorEngine(CalculatorHost& host, QChar decimalSeparator, const QString& currencySymbol,
                                   int precision, bool beepOnError)
    : host_(host),
      separator_(decimalSeparator),
      currencySymbol_(currencySymbol),
      precision_(std::max(2, precision)),
      beepOnError_(beepOnError)
{
}

std::optional<CalcButtonKind> CalculatorEngine::ButtonForKey(QChar key, QChar decimalSeparator)
{
    if (IsDecimalKey(key, decimalSeparator))
        key = u'.';
    else if (key == Enter)
        key = u'=';
    else if (key == Escape)
        key = u'C';
    const qsizetype at = KeyButtons.indexOf(key.toUpper());
    if (at < 0)
        return std::nullopt;
    return static_cast<CalcButtonKind>(at);
}

std::optional<QChar> CalculatorEngine::KeyForButton(CalcButtonKind kind, QChar decimalSeparator)
{
    if (kind == CalcButtonKind::Decimal)
        return decimalSeparator;
    const auto at = static_cast<qsizetype>(kind);
    if (at >= KeyButtons.size())
        return std::nullopt;
    return KeyButtons[at];
}

QString CalculatorEngine::Format(double value, int precision, QChar decimalSeparator)
{
    if (value == 0)
        return QStringLiteral("0");  // never "-0"
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    std::string text(buffer, result.ptr);
    // "1.5e+20" becomes "1.5E20", "1e-07" becomes "1E-7".
    if (const auto e = text.find('e'); e != std::string::npos) {
        std::string exponent = text.substr(e + 1);
        const bool negative = exponent[0] == '-';
        exponent.erase(0, exponent.find_first_not_of("+-0"));
        text = text.substr(0, e) + 'E' + (negative ? "-" : "") + exponent;
    }
    QString shown = QString::fromLatin1(text);
    shown.replace(u'.', decimalSeparator);
    return shown;
}

std::optional<double> CalculatorEngine::Parse(const QString& text, QChar decimalSeparator)
{
    const QString trimmed = text.trimmed();
    // Sign, digits with at most one separator (at least one digit), then an optional exponent.
    std::string plain;
    qsizetype i = 0;
    const qsizetype n = trimmed.size();
    if (i < n && (trimmed[i] == u'-' || trimmed[i] == u'+')) {
        if (trimmed[i] == u'-')
            plain += '-';
        ++i;
    }
    int digits = 0;
    bool separator = false;
    for (; i < n; ++i) {
        const QChar c = trimmed[i];
        if (c >= u'0' && c <= u'9') {
            plain += static_cast<char>(c.unicode());
            ++digits;
        } else if (c == decimalSeparator && !separator) {
            plain += '.';
            separator = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (trimmed[i] == u'E' || trimmed[i] == u'e')) {
        plain += 'e';
        ++i;
        if (i < n && (trimmed[i] == u'-' || trimmed[i] == u'+'))
            plain += static_cast<char>(trimmed[i++].unicode());
        int exponentDigits = 0;
        for (; i < n && trimmed[i] >= u'0' && trimmed[i] <= u'9'; ++i, ++exponentDigits)
            plain += static_cast<char>(trimmed[i].unicode());
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double CalculatorEngine::DisplayValue() const
{
    if (status_ == CalculatorStatus::Error)
        return 0;
    return Parse(text_, separator_).value_or(0);
}

void CalculatorEngine::StartEntry()
{
    if (status_ == CalculatorStatus::First) {
        status_ = CalculatorStatus::Valid;
        text_ = QStringLiteral("0");
    }
}

void CalculatorEngine::Show(double value)
{
    // An overflow is no number to show or compute on; so is a value that rounds up past the
    // largest double when shown.
    const QString shown = std::isfinite(value) ? Format(value, precision_, separator_) : QString();
    if (!Parse(shown, separator_)) {
        Fail();
        return;
    }
    text_ = shown;
}

void CalculatorEngine::Fail()
{
    status_ = CalculatorStatus::Error;
    text_ = QStringLiteral("Error");
    Refuse();
}

void CalculatorEngine::Refuse()
{
    if (beepOnError_)
        host_.Beep();
}

void CalculatorEngine::Key(QChar key)
{
    const QChar k = key.toUpper();
    if (status_ == CalculatorStatus::Error && k != u'C' && k != Escape)
        return;
    if (IsDecimalKey(k, separator_)) {
        StartEntry();
        // Nothing follows an exponent: "1E20." would be no number.
        if (!text_.contains(separator_) && !text_.contains(u'E'))
            text_ += separator_;
    } else if (k == u'R' || k == u'Q') {
        status_ = CalculatorStatus::First;
        const double value = DisplayValue();
        if (k == u'R') {
            if (value == 0)
                Fail();
            else
                Show(1 / value);
        } else {
            if (value < 0)
                Fail();
            else
                Show(std::sqrt(value));
        }
    } else if (k == u'_') {
        Show(-DisplayValue());
    } else if (k >= u'0' && k <= u'9') {
        Digit(k);
    } else if (k == Backspace) {
        Erase();
    } else if (IsOperator(k)) {
        Operator(k);
    } else if (k == u'C' || k == Escape) {
        Clear();
    } else if (k == CtrlC) {
        Copy();
    } else if (k == CtrlV) {
        Paste();
    }
}

void CalculatorEngine::Digit(QChar digit)
{
    StartEntry();
    if (text_ == u'0')
        text_.clear();
    else if (text_ == QStringLiteral("-0"))
        text_ = QStringLiteral("-");
    if (text_.contains(u'E'))
        return;
    const qsizetype limit = precision_ + (text_.contains(u'-') ? 1 : 0);
    if (text_.size() < limit)
        text_ += digit;
    else
        Refuse();
}

void CalculatorEngine::Erase()
{
    StartEntry();
    if (text_.size() == 1 || (text_.size() == 2 && text_[0] == u'-'))
        text_ = QStringLiteral("0");
    else
        text_.chop(1);
}

void CalculatorEngine::Operator(QChar key)
{
    if (status_ == CalculatorStatus::Valid) {
        status_ = CalculatorStatus::First;
        double r = DisplayValue();
        if (key == u'%') {
            if (operator_ == u'+' || operator_ == u'-')
                r = operand_ * r / 100;
            else if (operator_ == u'*' || operator_ == u'/')
                r = r / 100;
        }
        if (operator_ == u'+')
            Show(operand_ + r);
        else if (operator_ == u'-')
            Show(operand_ - r);
        else if (operator_ == u'*')
            Show(operand_ * r);
        else if (operator_ == u'/') {
            if (r == 0)
                Fail();
            else
                Show(operand_ / r);
        }
    }
    operator_ = key;
    operand_ = DisplayValue();
}

void CalculatorEngine::Clear()
{
    status_ = CalculatorStatus::First;
    Show(0);
    operator_ = u'=';
}

void CalculatorEngine::Copy()
{
    host_.CopyText(text_);
}

void CalculatorEngine::Paste()
{
    std::optional<QString> pasted = host_.PastedText();
    if (!pasted)
        return;
    if (!currencySymbol_.isEmpty())
        pasted->remove(currencySymbol_);
    if (const std::optional<double> value = Parse(*pasted, separator_))
        Show(*value);
    else
        text_ = QStringLiteral("0");
}

void CalculatorEngine::MemoryClear()
{
    memory_ = 0;
}

void CalculatorEngine::MemoryRecall()
{
    if (status_ == CalculatorStatus::Error)
        return;
    Show(memory_);
    status_ = CalculatorStatus::Valid;
}

void CalculatorEngine::MemoryStore()
{
    if (status_ == CalculatorStatus::Error)
        return;
    status_ = CalculatorStatus::First;
    memory_ = DisplayValue();
}

void CalculatorEngine::MemoryPlus()
{
    if (status_ == CalculatorStatus::Error)
        return;
    status_ = CalculatorStatus::First;
    const double sum = memory_ + DisplayValue();
    // A memory that overflowed could never be shown again.
    if (std::isfinite(sum))
        memory_ = sum;
    else
        Fail();
}

bool CalculatorEngine::Accept()
{
    if (status_ == CalculatorStatus::Error) {
        Refuse();
        return false;
    }
    Show(DisplayValue());
    return true;
}

void CalculatorEngine::Preset(double value)
{
    Show(value);
    status_ = CalculatorStatus::First;
    operator_ = u'=';
}

}  // namespace dfm
