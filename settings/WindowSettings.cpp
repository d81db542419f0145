// Saving and restoring one window's placement, stored properties and recent-file list.
#include "WindowSettings.h"

#include "StoredFont.h"
#include "StoredValue.h"
#include "UserPrompts.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>

namespace dfm {

namespace {

const QString Flags = QStringLiteral("Flags");
const QString ShowCmd = QStringLiteral("ShowCmd");
const QString PixelsPerInchName = QStringLiteral("PixelsPerInch");
const QString MinMaxPos = QStringLiteral("MinMaxPos");
const QString NormPos = QStringLiteral("NormPos");
const QString Visible = QStringLiteral("Visible");
// Qt keeps no minimized or maximized position of its own.
const QString NoMinMaxPos = QStringLiteral("-1,-1,-1,-1");

enum ShowCommand { ShowNormal = 1, ShowMinimized = 2, ShowMaximized = 3 };

// A stored side below this is taken for damage: the window keeps its own.
constexpr int MinimumSide = 100;
// A window showing less than this much of itself on any screen could not be grabbed.
constexpr int MinimumVisiblePart = 50;

int readNumber(const QSettings& settings, const QString& key, int fallback)
{
    bool number = false;
    const int value = StoredValue::read(settings, key).value_or(QString()).toInt(&number);
    return number ? value : fallback;
}

QSize screenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

// "(1024x768)": the position values are kept per screen size besides under their plain names.
QString screenSuffix()
{
    const QSize size = screenSize();
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

QRect normalRect(const QWidget& window)
{
    const QRect normal = window.normalGeometry();
    return normal.isValid() && !normal.isEmpty() ? normal : window.geometry();
}

bool showsEnough(const QRect& rect, const QRect& area)
{
    const QRect part = rect.intersected(area);
    return part.width() >= std::min(MinimumVisiblePart, rect.width())
        && part.height() >= std::min(MinimumVisiblePart, rect.height());
}

// A stored rectangle from another set of screens may lie off all of today's, or be larger than
// them: bring it back where the user can reach it, title bar included.
QRect onScreen(const QRect& clientRect, const QMargins& frame)
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return clientRect;
    const QRect rect = clientRect.marginsAdded(frame);
    const QScreen* target = nullptr;
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (showsEnough(rect, screen->availableGeometry())) {
            target = screen;
            break;
        }
    }
    const QRect area = (target ? target : primary)->availableGeometry();
    QRect result(rect.topLeft(), rect.size().boundedTo(area.size()));
    // A window left partly beyond a screen's edge stays so: the user put it there.
    if (!target || result.size() != rect.size()) {
        result.moveLeft(std::clamp(result.left(), area.left(), area.right() + 1 - result.width()));
        result.moveTop(std::clamp(result.top(), area.top(), area.bottom() + 1 - result.height()));
    }
    return result.marginsRemoved(frame);
}

}  // namespace

WindowSettings::WindowSettings(QWidget& window, const StoreFile& store, const QString& section, UserPrompts& prompts,
                               bool mainWindow)
    : window_(window), store_(store), section_(section), prompts_(prompts), mainWindow_(mainWindow)
{
}

WindowSettings::~WindowSettings() = default;

void WindowSettings::addText(const QString& valueName, std::function<QString()> get,
                           std::function<void(const QString&)> set)
{
    const QString key = storedKey(valueName);
    properties_.push_back({[key, get](QSettings& settings) { StoredValue::write(settings, key, get()); },
                           [key, set](const QSettings& settings) {
                               if (const std::optional<QString> text = StoredValue::read(settings, key))
                                   set(*text);
                           }});
}

void WindowSettings::addColor(const QString& valueName, std::function<std::int32_t()> get,
                            std::function<void(std::int32_t)> set)
{
    const QString key = storedKey(valueName);
    properties_.push_back(
        {[key, get](QSettings& settings) { StoredValue::write(settings, key, ColorValue::toText(get())); },
         [key, set](const QSettings& settings) {
             if (const std::optional<QString> text = StoredValue::read(settings, key))
                 set(ColorValue::fromText(*text));
         }});
}

void WindowSettings::addBoolean(const QString& valueName, std::function<bool()> get, std::function<void(bool)> set)
{
    const QString key = storedKey(valueName);
    properties_.push_back(
        {[key, get](QSettings& settings) {
             StoredValue::write(settings, key, get() ? QStringLiteral("True") : QStringLiteral("False"));
         },
         [key, set](const QSettings& settings) {
             const QString text = StoredValue::read(settings, key).value_or(QString());
             if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
                 set(true);
             else if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
                 set(false);
         }});
}

void WindowSettings::addFont(const QString& valueNamePrefix, std::function<QFont()> getFont,
                           std::function<std::int32_t()> getColor, std::function<void(const QFont&, std::int32_t)> set)
{
    const QString prefix = storedKey(valueNamePrefix);
    const auto kept = std::make_shared<StoredFont>();
    const auto current = [kept, getFont, getColor] {
        StoredFont font = *kept;
        font.font = getFont();
        font.color = getColor();
        return font;
    };
    properties_.push_back({[prefix, current](QSettings& settings) {
                               const StoredFont font = current();
                               for (const QString& name : StoredFont::valueNames())
                                   StoredValue::write(settings, prefix + name, font.valueText(name, screenPixelsPerInch()));
                           },
                           [prefix, current, kept, set](const QSettings& settings) {
                               // One after the other onto the current font, so a stored Size
                               // overrides a stored Height.
                               StoredFont font = current();
                               bool found = false;
                               for (const QString& name : StoredFont::valueNames()) {
                                   if (const std::optional<QString> text = StoredValue::read(settings, prefix + name)) {
                                       font.setValueText(name, *text, screenPixelsPerInch());
                                       found = true;
                                   }
                               }
                               if (!found)
                                   return;
                               *kept = font;
                               set(font.font, font.color);
                           }});
}

void WindowSettings::setRecentFiles(RecentFiles* recentFiles, const QString& section)
{
    recentFiles_ = recentFiles;
    recentFilesSection_ = section;
}

void WindowSettings::restore()
{
    restored_ = true;
    savedSinceRestore_ = false;
    // Without a store the window keeps its defaults.
    const std::unique_ptr<QSettings> settings = store_.open();
    if (!settings)
        return;
    restorePlacement(*settings);
    if (recentFiles_)
        recentFiles_->load(*settings, recentFilesSection_);
    for (const Property& property : properties_) {
        // One property that cannot be restored must not keep the others from it.
        try {
            property.restore(*settings);
        } catch (const std::exception&) {
        }
    }
}

void WindowSettings::save()
{
    saveAll(false);
}

void WindowSettings::saveAtDestruction()
{
    if (!savedSinceRestore_)
        saveAll(true);
}

int WindowSettings::readInteger(const QString& name, int fallback) const
{
    const std::unique_ptr<QSettings> settings = store_.open();
    if (!settings)
        return fallback;
    // Like every stored number: a text that is none reads as 0.
    const std::optional<QString> text = StoredValue::read(*settings, storedKey(name));
    return text ? text->toInt() : fallback;
}

bool WindowSettings::writeInteger(const QString& name, int value)
{
    const std::unique_ptr<QSettings> settings = store_.open();
    if (!settings)
        return false;
    StoredValue::write(*settings, storedKey(name), QString::number(value));
    return StoredValue::flush(*settings);
}

int WindowSettings::screenPixelsPerInch()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

QString WindowSettings::storedKey(const QString& valueName) const
{
    return section_ + u'/' + valueName;
}

void WindowSettings::saveAll(bool visible)
{
    // A window never shown in this run keeps what an earlier run stored.
    if (!restored_)
        return;
    const std::unique_ptr<QSettings> settings = store_.open();
    // Without a store nothing is kept; the editor says so once, at the start.
    if (!settings)
        return;
    savePlacement(*settings, visible);
    if (recentFiles_)
        recentFiles_->save(*settings, recentFilesSection_);
    for (const Property& property : properties_)
        property.save(*settings);
    savedSinceRestore_ = true;
    if (!StoredValue::flush(*settings)) {
        prompts_.errorBox(
            UserPrompts::errorBoxText(QStringLiteral("Impossible d'écrire dans %1").arg(settings->fileName())));
    }
}

void WindowSettings::savePlacement(QSettings& settings, bool visible) const
{
    int showCmd = ShowNormal;
    if (window_.isMinimized() || (mainWindow_ && QGuiApplication::applicationState() == Qt::ApplicationHidden))
        showCmd = ShowMinimized;
    else if (window_.isMaximized() || window_.isFullScreen())
        showCmd = ShowMaximized;
    const QRect normal = normalRect(window_);
    const QString normPos = QStringLiteral("%1,%2,%3,%4")
                                .arg(normal.left())
                                .arg(normal.top())
                                .arg(normal.left() + normal.width())
                                .arg(normal.top() + normal.height());
    const QString suffix = screenSuffix();
    StoredValue::write(settings, storedKey(Flags), QStringLiteral("0"));
    StoredValue::write(settings, storedKey(ShowCmd), QString::number(showCmd));
    StoredValue::write(settings, storedKey(PixelsPerInchName), QString::number(screenPixelsPerInch()));
    StoredValue::write(settings, storedKey(MinMaxPos + suffix), NoMinMaxPos);
    StoredValue::write(settings, storedKey(MinMaxPos), NoMinMaxPos);
    StoredValue::write(settings, storedKey(NormPos + suffix), normPos);
    StoredValue::write(settings, storedKey(NormPos), normPos);
    StoredValue::write(settings, storedKey(Visible), visible ? QStringLiteral("1") : QStringLiteral("0"));
}

void WindowSettings::restorePlacement(const QSettings& settings)
{
    // The position read is the normal rectangle: leave any other state before applying it.
    window_.setWindowState(window_.windowState()
                           & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    const QString suffix = screenSuffix();
    const auto readPosition = [&](const QString& name) {
        const QString text = StoredValue::read(settings, storedKey(name + suffix)).value_or(QString());
        return text.isEmpty() ? StoredValue::read(settings, storedKey(name)).value_or(QString()) : text;
    };
    const bool minMaxFound = !readPosition(MinMaxPos).isEmpty();
    const QString normPos = readPosition(NormPos);
    const int pixelsPerInch = screenPixelsPerInch();
    // A position stored at other dots per inch would give the window the wrong size.
    if ((minMaxFound || !normPos.isEmpty())
        && readNumber(settings, storedKey(PixelsPerInchName), pixelsPerInch) == pixelsPerInch)
        applyNormalRect(normPos);
    restoreState(readNumber(settings, storedKey(ShowCmd), 0));
}

void WindowSettings::applyNormalRect(const QString& normPos)
{
    const QRect current = normalRect(window_);
    int edges[4] = {current.left(), current.top(), current.left() + current.width(), current.top() + current.height()};
    static const QRegularExpression separators(QStringLiteral("[ ,]+"));
    const QStringList words = normPos.split(separators, Qt::SkipEmptyParts);
    for (int i = 0; i < 4 && i < words.size(); ++i) {
        bool number = false;
        const int value = words[i].toInt(&number);
        if (number)
            edges[i] = value;
    }
    if (edges[0] >= edges[2])
        return;
    QSize size(edges[2] - edges[0], edges[3] - edges[1]);
    if (window_.minimumSize() == window_.maximumSize())
        size = current.size();
    if (size.width() < MinimumSide)
        size.setWidth(current.width());
    if (size.height() < MinimumSide)
        size.setHeight(current.height());
    const QRect frame = window_.frameGeometry();
    const QRect client = window_.geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                           frame.bottom() - client.bottom());
    window_.setGeometry(onScreen(QRect(QPoint(edges[0], edges[1]), size), margins));
}

void WindowSettings::restoreState(int showCmd)
{
    // 6 and 7 are the other two ways of asking for a minimized window; 5 and 9 mean normal.
    switch (showCmd) {
    case ShowMinimized:
    case 6:
    case 7:
        if (mainWindow_) {
            // Minimizing from inside the show event would be undone by the rest of the show:
            // ask for it once the window is up.
            QTimer::singleShot(0, &window_, [window = &window_] {
                if (window->isVisible())
                    window->showMinimized();
            });
        } else {
            window_.setWindowState(Qt::WindowMinimized);
        }
        break;
    case ShowMaximized:
        window_.setWindowState(Qt::WindowMaximized);
        break;
    default:
        break;
    }
    window_.update();
}

}  // namespace dfm
