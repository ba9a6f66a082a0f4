#include "OnScreenKeyboard.h"

#include "Translations.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputDevice>
#include <QMouseEvent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QStyleHints>
#include <QTimer>
#include <QTouchEvent>

namespace {
const QByteArray kInputMethod = QByteArrayLiteral("qtvirtualkeyboard");

// Keyboards that are no keyboard to type on. X lists a virtual core keyboard and a test keyboard on
// every machine, and the kernel reports many buttons as keyboards; Qt's own fallback when nothing is
// listed (offscreen) is the "core keyboard".
bool isTypingKeyboard(const QInputDevice& device) {
    if (device.type() != QInputDevice::DeviceType::Keyboard)
        return false;
    const QString name = device.name().toLower();
    if (name == QLatin1String("core keyboard"))
        return false;
    static const char* const notTyping[] = {
        "virtual core", "xtest", "power button", "sleep button", "lid switch", "video bus",
        "hid events", "hotkeys", "wmi", "gpio-keys", "gpio keys", "soc_button_array", "volume",
        "consumer control", "system control", "camera", "headset", "headphone", "button",
    };
    for (const char* part : notTyping)
        if (name.contains(QLatin1String(part)))
            return false;
    return true;
}
} // namespace

const QString OnScreenKeyboard::kSettingKey = QStringLiteral("cc_onscreenKeyboard");

OnScreenKeyboard::Mode OnScreenKeyboard::modeFromText(const QString& text) {
    const QString mode = text.trimmed().toLower();
    if (mode == QLatin1String("on"))
        return Mode::On;
    if (mode == QLatin1String("off"))
        return Mode::Off;
    return Mode::Auto;
}

QString OnScreenKeyboard::modeFromArguments(const QStringList& arguments) {
    const qsizetype at = arguments.indexOf(QStringLiteral("--keyboard"));
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : QString();
}

void OnScreenKeyboard::chooseInputMethod(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("QT_IM_MODULE"))
        return;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QString mode = modeFromArguments(arguments);
    if (mode.isNull()) {
        const qsizetype at = arguments.indexOf(QStringLiteral("--settings"));
        const QString file = at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : QSettings().fileName();
        mode = QSettings(file, QSettings::IniFormat).value(kSettingKey).toString();
    }
    if (modeFromText(mode) != Mode::Off)
        qputenv("QT_IM_MODULE", kInputMethod);
}

bool OnScreenKeyboard::hasTypingKeyboard(const QList<const QInputDevice*>& devices) {
    return std::any_of(devices.begin(), devices.end(),
                       [](const QInputDevice* device) { return device && isTypingKeyboard(*device); });
}

OnScreenKeyboard::OnScreenKeyboard(const QString& overrideMode, QObject* parent)
    : QObject(parent)
    , m_override(overrideMode) {}

bool OnScreenKeyboard::available() {
    return qgetenv("QT_IM_MODULE") == kInputMethod;
}

OnScreenKeyboard::Mode OnScreenKeyboard::mode() const {
    return modeFromText(m_override.isNull() ? UserDefaults::standard().stringForKey(kSettingKey) : m_override);
}

bool OnScreenKeyboard::wanted() const {
    switch (mode()) {
    case Mode::On:
        return true;
    case Mode::Off:
        return false;
    case Mode::Auto:
        break;
    }
    return !hasTypingKeyboard(QInputDevice::devices());
}

QString OnScreenKeyboard::locale() {
    const QLocale texts = Translations::locale();
    if (texts.language() != QLocale::English)
        return QStringLiteral("nl_NL");
    return texts.territory() == QLocale::UnitedStates ? QStringLiteral("en_US") : QStringLiteral("en_GB");
}

void OnScreenKeyboard::setPanelRect(const QRectF& rect) {
    if (rect == m_panelRect)
        return;
    m_panelRect = rect;
    emit panelRectChanged();
}

void OnScreenKeyboard::watch(QQuickWindow* window) {
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = window;
    if (window)
        window->installEventFilter(this);
}

bool OnScreenKeyboard::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        pressed(static_cast<QMouseEvent*>(event)->scenePosition());
        break;
    case QEvent::MouseButtonRelease:
        released(static_cast<QMouseEvent*>(event)->scenePosition());
        break;
    case QEvent::TouchBegin: {
        const auto* touch = static_cast<QTouchEvent*>(event);
        if (touch->pointCount() == 1)
            pressed(touch->points().first().scenePosition());
        break;
    }
    case QEvent::TouchEnd: {
        const auto* touch = static_cast<QTouchEvent*>(event);
        if (touch->pointCount() == 1)
            released(touch->points().first().scenePosition());
        break;
    }
    default:
        break;
    }
    return false;
}

void OnScreenKeyboard::pressed(const QPointF& at) {
    m_typing = nullptr;
    emit fingerDown(m_panelRect.contains(at));
    auto* window = qobject_cast<QQuickWindow*>(m_window.data());
    QQuickItem* focused = window ? window->activeFocusItem() : nullptr;
    if (m_panelRect.isEmpty() || !focused || !(focused->flags() & QQuickItem::ItemAcceptsInputMethod))
        return;
    if (m_panelRect.contains(at) || focused->mapRectToScene(focused->boundingRect()).contains(at))
        return;
    m_typing = focused;
    m_pressedAt = at;
}

void OnScreenKeyboard::released(const QPointF& at) {
    QPointer<QQuickItem> typing = m_typing;
    m_typing = nullptr;
    // A drag scrolls the form; only a tap means "done typing".
    if (!typing || (at - m_pressedAt).manhattanLength() > QGuiApplication::styleHints()->startDragDistance())
        return;
    // After the tap has been delivered: a tap that gave another field the focus keeps the keyboard.
    QTimer::singleShot(0, this, [this, typing] {
        auto* window = qobject_cast<QQuickWindow*>(m_window.data());
        if (typing && window && window->activeFocusItem() == typing)
            typing->setFocus(false);
    });
}
