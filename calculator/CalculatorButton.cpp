// The keypad's keys; the six pictures are drawn here rather than shipped as images.
#include "CalculatorButton.h"

#include <QPainter>
#include <QPainterPath>

#include <iterator>

namespace dfm {

namespace {

const QColor Purple(0x80, 0x00, 0x80);
const QColor Maroon(0x80, 0x00, 0x00);
const QColor Navy(0x00, 0x00, 0x80);

// Each key's object name, in the order of CalcButtonKind.
constexpr const char* KeyNames[] = {
    "Digit0Key", "Digit1Key", "Digit2Key", "Digit3Key", "Digit4Key", "Digit5Key", "Digit6Key",
    "Digit7Key", "Digit8Key", "Digit9Key", "SignKey", "DecimalKey", "DivideKey", "MultiplyKey",
    "MinusKey", "PlusKey", "SqrtKey", "PercentKey", "ReciprocalKey", "EqualsKey", "BackspaceKey",
    "ClearKey", "MemoryClearKey", "MemoryRecallKey", "MemoryStoreKey", "MemoryPlusKey", "OkKey",
    "CancelKey",
};
static_assert(std::size(KeyNames) == static_cast<std::size_t>(CalcButtonKind::Cancel) + 1);

bool isDigit(CalcButtonKind kind)
{
    return kind <= CalcButtonKind::Digit9;
}

}  // namespace

CalculatorButton::CalculatorButton(CalcButtonKind kind, QChar decimalSeparator, QWidget* parent)
    : QPushButton(parent), kind_(kind)
{
    setObjectName(QString::fromLatin1(KeyNames[static_cast<std::size_t>(kind)]));
    // The keyboard reaches every key through the dialog; a focused key would take Enter and space.
    setFocusPolicy(Qt::NoFocus);
    setAutoDefault(false);
    const QPixmap picture = pictureFor(kind);
    if (picture.isNull()) {
        setText(caption(kind, decimalSeparator));
    } else {
        setIcon(picture);
        setIconSize(picture.size());
    }
    const QColor color = captionColor(kind);
    if (color.isValid()) {
        QPalette colors = palette();
        colors.setColor(QPalette::ButtonText, color);
        setPalette(colors);
    }
}

QString CalculatorButton::caption(CalcButtonKind kind, QChar decimalSeparator)
{
    if (isDigit(kind))
        return QString(QChar(u'0' + static_cast<int>(kind)));
    switch (kind) {
    case CalcButtonKind::Decimal: return QString(decimalSeparator);
    case CalcButtonKind::Divide: return QStringLiteral("/");
    case CalcButtonKind::Sqrt: return QStringLiteral("sqrt");
    case CalcButtonKind::Percent: return QStringLiteral("%");
    case CalcButtonKind::Reciprocal: return QStringLiteral("1/x");
    case CalcButtonKind::Equals: return QStringLiteral("=");
    case CalcButtonKind::Backspace: return QStringLiteral("<-");
    case CalcButtonKind::Clear: return QStringLiteral("C");
    case CalcButtonKind::MemoryClear: return QStringLiteral("MC");
    case CalcButtonKind::MemoryRecall: return QStringLiteral("MR");
    case CalcButtonKind::MemoryStore: return QStringLiteral("MS");
    case CalcButtonKind::MemoryPlus: return QStringLiteral("MP");
    default: return QString();
    }
}

QColor CalculatorButton::captionColor(CalcButtonKind kind)
{
    switch (kind) {
    case CalcButtonKind::Divide:
    case CalcButtonKind::Multiply:
    case CalcButtonKind::Minus:
    case CalcButtonKind::Plus:
    case CalcButtonKind::Equals: return Purple;
    case CalcButtonKind::Backspace:
    case CalcButtonKind::Clear: return Maroon;
    case CalcButtonKind::Sqrt:
    case CalcButtonKind::Percent:
    case CalcButtonKind::Reciprocal:
    case CalcButtonKind::MemoryClear:
    case CalcButtonKind::MemoryRecall:
    case CalcButtonKind::MemoryStore:
    case CalcButtonKind::MemoryPlus: return Navy;
    default: return QColor();  // the button text colour
    }
}

QPixmap CalculatorButton::pictureFor(CalcButtonKind kind)
{
    const bool drawn = kind == CalcButtonKind::Cancel || kind == CalcButtonKind::Ok ||
                       kind == CalcButtonKind::Sign || kind == CalcButtonKind::Multiply ||
                       kind == CalcButtonKind::Minus || kind == CalcButtonKind::Plus;
    if (!drawn)
        return QPixmap();
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor operatorColor = captionColor(kind).isValid() ? captionColor(kind) : QColor(Qt::black);
    painter.setPen(QPen(operatorColor, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    switch (kind) {
    case CalcButtonKind::Cancel:
        painter.setPen(QPen(QColor(0xC0, 0x00, 0x00), 2.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(4, 4), QPointF(12, 12));
        painter.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case CalcButtonKind::Ok: {
        painter.setPen(QPen(QColor(0x00, 0x80, 0x00), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick;
        tick.moveTo(3, 8.5);
        tick.lineTo(6.5, 12);
        tick.lineTo(13, 4);
        painter.drawPath(tick);
        break;
    }
    case CalcButtonKind::Sign:
        painter.drawLine(QPointF(4, 5.5), QPointF(12, 5.5));
        painter.drawLine(QPointF(8, 1.5), QPointF(8, 9.5));
        painter.drawLine(QPointF(4, 13), QPointF(12, 13));
        break;
    case CalcButtonKind::Multiply:
        painter.drawLine(QPointF(5, 5), QPointF(11, 11));
        painter.drawLine(QPointF(11, 5), QPointF(5, 11));
        break;
    case CalcButtonKind::Minus:
        painter.drawLine(QPointF(4, 8), QPointF(12, 8));
        break;
    default:  // Plus
        painter.drawLine(QPointF(4, 8), QPointF(12, 8));
        painter.drawLine(QPointF(8, 4), QPointF(8, 12));
        break;
    }
    return picture;
}

}  // namespace dfm
