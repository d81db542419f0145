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
bool isDecimalKey(QChar key, QChar decimalSeparator)
{
    return key == u'.' || key == u',' || key == decimalSeparator;
}

bool isOperator(QChar key)
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

std::optional<CalcButtonKind> CalculatorEngine::buttonForKey(QChar key, QChar decimalSeparator)
{
    if (isDecimalKey(key, decimalSeparator))
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

std::optional<QChar> CalculatorEngine::keyForButton(CalcButtonKind kind, QChar decimalSeparator)
{
    if (kind == CalcButtonKind::Decimal)
        return decimalSeparator;
    const auto at = static_cast<qsizetype>(kind);
    if (at >= KeyButtons.size())
        return std::nullopt;
    return KeyButtons[at];
}

QString CalculatorEngine::format(double value, int precision, QChar decimalSeparator)
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

std::optional<double> CalculatorEngine::parse(const QString& text, QChar decimalSeparator)
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

double CalculatorEngine::displayValue() const
{
    if (status_ == CalculatorStatus::Error)
        return 0;
    return parse(text_, separator_).value_or(0);
}

void CalculatorEngine::startEntry()
{
    if (status_ == CalculatorStatus::First) {
        status_ = CalculatorStatus::Valid;
        text_ = QStringLiteral("0");
    }
}

void CalculatorEngine::show(double value)
{
    // An overflow is no number to show or compute on; so is a value that rounds up past the
    // largest double when shown.
    const QString shown = std::isfinite(value) ? format(value, precision_, separator_) : QString();
    if (!parse(shown, separator_)) {
        fail();
        return;
    }
    text_ = shown;
}

void CalculatorEngine::fail()
{
    status_ = CalculatorStatus::Error;
    text_ = QStringLiteral("Error");
    refuse();
}

void CalculatorEngine::refuse()
{
    if (beepOnError_)
        host_.beep();
}

void CalculatorEngine::key(QChar key)
{
    const QChar k = key.toUpper();
    if (status_ == CalculatorStatus::Error && k != u'C' && k != Escape)
        return;
    if (isDecimalKey(k, separator_)) {
        startEntry();
        // Nothing follows an exponent: "1E20." would be no number.
        if (!text_.contains(separator_) && !text_.contains(u'E'))
            text_ += separator_;
    } else if (k == u'R' || k == u'Q') {
        status_ = CalculatorStatus::First;
        const double value = displayValue();
        if (k == u'R') {
            if (value == 0)
                fail();
            else
                show(1 / value);
        } else {
            if (value < 0)
                fail();
            else
                show(std::sqrt(value));
        }
    } else if (k == u'_') {
        show(-displayValue());
    } else if (k >= u'0' && k <= u'9') {
        digit(k);
    } else if (k == Backspace) {
        erase();
    } else if (isOperator(k)) {
        applyOperator(k);
    } else if (k == u'C' || k == Escape) {
        clear();
    } else if (k == CtrlC) {
        copy();
    } else if (k == CtrlV) {
        paste();
    }
}

void CalculatorEngine::digit(QChar digit)
{
    startEntry();
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
        refuse();
}

void CalculatorEngine::erase()
{
    startEntry();
    if (text_.size() == 1 || (text_.size() == 2 && text_[0] == u'-'))
        text_ = QStringLiteral("0");
    else
        text_.chop(1);
}

void CalculatorEngine::applyOperator(QChar key)
{
    if (status_ == CalculatorStatus::Valid) {
        status_ = CalculatorStatus::First;
        double r = displayValue();
        if (key == u'%') {
            if (operator_ == u'+' || operator_ == u'-')
                r = operand_ * r / 100;
            else if (operator_ == u'*' || operator_ == u'/')
                r = r / 100;
        }
        if (operator_ == u'+')
            show(operand_ + r);
        else if (operator_ == u'-')
            show(operand_ - r);
        else if (operator_ == u'*')
            show(operand_ * r);
        else if (operator_ == u'/') {
            if (r == 0)
                fail();
            else
                show(operand_ / r);
        }
    }
    operator_ = key;
    operand_ = displayValue();
}

void CalculatorEngine::clear()
{
    status_ = CalculatorStatus::First;
    show(0);
    operator_ = u'=';
}

void CalculatorEngine::copy()
{
    host_.copyText(text_);
}

void CalculatorEngine::paste()
{
    std::optional<QString> pasted = host_.pastedText();
    if (!pasted)
        return;
    if (!currencySymbol_.isEmpty())
        pasted->remove(currencySymbol_);
    if (const std::optional<double> value = parse(*pasted, separator_))
        show(*value);
    else
        text_ = QStringLiteral("0");
}

void CalculatorEngine::memoryClear()
{
    memory_ = 0;
}

void CalculatorEngine::memoryRecall()
{
    if (status_ == CalculatorStatus::Error)
        return;
    show(memory_);
    status_ = CalculatorStatus::Valid;
}

void CalculatorEngine::memoryStore()
{
    if (status_ == CalculatorStatus::Error)
        return;
    status_ = CalculatorStatus::First;
    memory_ = displayValue();
}

void CalculatorEngine::memoryPlus()
{
    if (status_ == CalculatorStatus::Error)
        return;
    status_ = CalculatorStatus::First;
    const double sum = memory_ + displayValue();
    // A memory that overflowed could never be shown again.
    if (std::isfinite(sum))
        memory_ = sum;
    else
        fail();
}

bool CalculatorEngine::accept()
{
    if (status_ == CalculatorStatus::Error) {
        refuse();
        return false;
    }
    show(displayValue());
    return true;
}

void CalculatorEngine::preset(double value)
{
    show(value);
    status_ = CalculatorStatus::First;
    operator_ = u'=';
}

}  // namespace dfm
