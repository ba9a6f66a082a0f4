// When the on-screen keyboard is wanted: the setting and the command line's mode, and which of the
// keyboards a system lists are ones someone types on (X on a tablet lists several that are not).
#include "OnScreenKeyboard.h"
#include "Translations.h"
#include "UserDefaults.h"

#include <QInputDevice>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using Mode = OnScreenKeyboard::Mode;

class TestOnScreenKeyboard : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void init() {
        UserDefaults::setStandard(std::make_shared<UserDefaults>(m_dir.filePath("settings.ini")));
        UserDefaults::standard().removeObjectForKey(OnScreenKeyboard::kSettingKey);
    }

    void modeOfTheSettingAndTheCommandLine_data() {
        QTest::addColumn<QString>("setting"); // null: absent
        QTest::addColumn<QString>("override");
        QTest::addColumn<int>("mode");
        QTest::newRow("absent") << QString() << QString() << int(Mode::Auto);
        QTest::newRow("on") << "on" << QString() << int(Mode::On);
        QTest::newRow("off, any case and spaces") << " OFF " << QString() << int(Mode::Off);
        QTest::newRow("unknown text") << "ja" << QString() << int(Mode::Auto);
        QTest::newRow("empty") << "" << QString() << int(Mode::Auto);
        QTest::newRow("command line over the setting") << "off" << "on" << int(Mode::On);
        QTest::newRow("command line auto over off") << "off" << "auto" << int(Mode::Auto);
    }
    void modeOfTheSettingAndTheCommandLine() {
        QFETCH(QString, setting);
        QFETCH(QString, override);
        QFETCH(int, mode);
        if (!setting.isNull())
            UserDefaults::standard().setString(OnScreenKeyboard::kSettingKey, setting);
        const OnScreenKeyboard keyboard(override);
        QCOMPARE(int(keyboard.mode()), mode);
        if (mode != int(Mode::Auto))
            QCOMPARE(keyboard.wanted(), mode == int(Mode::On));
    }

    void theSettingIsReadWhenAFieldAsks() {
        const OnScreenKeyboard keyboard;
        UserDefaults::standard().setString(OnScreenKeyboard::kSettingKey, "on");
        QVERIFY(keyboard.wanted());
        UserDefaults::standard().setString(OnScreenKeyboard::kSettingKey, "off");
        QVERIFY(!keyboard.wanted());
    }

    void modeFromTheArguments() {
        QCOMPARE(OnScreenKeyboard::modeFromArguments({"app", "--store", "x", "--keyboard", "on"}), "on");
        QVERIFY(OnScreenKeyboard::modeFromArguments({"app", "--keyboard"}).isNull());
        QVERIFY(OnScreenKeyboard::modeFromArguments({"app"}).isNull());
    }

    // main() picks the input method from the command line or the settings file, before Qt is up.
    void inputMethodChosenBeforeTheApplication_data() {
        QTest::addColumn<QString>("setting"); // null: absent
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QByteArray>("environment");
        QTest::addColumn<QByteArray>("chosen");
        const QByteArray ours("qtvirtualkeyboard");
        QTest::newRow("nothing said: auto") << QString() << QString() << QByteArray() << ours;
        QTest::newRow("setting off") << "off" << QString() << QByteArray() << QByteArray();
        QTest::newRow("setting on") << "on" << QString() << QByteArray() << ours;
        QTest::newRow("command line on over setting off") << "off" << "on" << QByteArray() << ours;
        QTest::newRow("command line off") << "on" << "off" << QByteArray() << QByteArray();
        QTest::newRow("the environment's own stays") << "on" << QString() << QByteArray("ibus") << QByteArray("ibus");
    }
    void inputMethodChosenBeforeTheApplication() {
        QFETCH(QString, setting);
        QFETCH(QString, argument);
        QFETCH(QByteArray, environment);
        QFETCH(QByteArray, chosen);
        const QString file = m_dir.filePath(QStringLiteral("early-%1.ini").arg(QTest::currentDataTag()));
        if (!setting.isNull())
            QSettings(file, QSettings::IniFormat).setValue(OnScreenKeyboard::kSettingKey, setting);
        QList<QByteArray> args{"app", "--settings", file.toLocal8Bit()};
        if (!argument.isNull())
            args << "--keyboard" << argument.toLocal8Bit();
        std::vector<char*> argv;
        for (QByteArray& a : args)
            argv.push_back(a.data());
        const QByteArray before = qgetenv("QT_IM_MODULE");
        if (environment.isNull())
            qunsetenv("QT_IM_MODULE");
        else
            qputenv("QT_IM_MODULE", environment);
        OnScreenKeyboard::chooseInputMethod(int(argv.size()), argv.data());
        const QByteArray after = qgetenv("QT_IM_MODULE");
        qputenv("QT_IM_MODULE", before);
        QCOMPARE(after, chosen);
    }

    void keyboardsSomeoneTypesOn_data() {
        QTest::addColumn<QStringList>("keyboards");
        QTest::addColumn<bool>("typing");
        QTest::newRow("none listed (offscreen)") << QStringList() << false;
        QTest::newRow("Qt's fallback") << QStringList{"core keyboard"} << false;
        QTest::newRow("X on a bare tablet")
            << QStringList{"Virtual core keyboard", "Virtual core XTEST keyboard", "Power Button",
                           "Video Bus", "Sleep Button", "Intel HID events", "soc_button_array",
                           "gpio-keys", "Asus WMI hotkeys", "Integrated Camera: Integrated C"}
            << false;
        QTest::newRow("Xvfb's keyboard") << QStringList{"Virtual core keyboard", "Xvfb keyboard"} << true;
        QTest::newRow("a USB keyboard plugged in")
            << QStringList{"Virtual core keyboard", "Power Button", "Logitech USB Keyboard"} << true;
        QTest::newRow("a laptop's own") << QStringList{"AT Translated Set 2 keyboard"} << true;
    }
    void keyboardsSomeoneTypesOn() {
        QFETCH(QStringList, keyboards);
        QFETCH(bool, typing);
        std::vector<std::unique_ptr<QInputDevice>> owned;
        QList<const QInputDevice*> devices;
        // A mouse never counts, whatever its name.
        owned.push_back(std::make_unique<QInputDevice>("Logitech USB Keyboard", 1, QInputDevice::DeviceType::Mouse));
        for (const QString& name : keyboards)
            owned.push_back(std::make_unique<QInputDevice>(name, qint64(owned.size() + 1),
                                                           QInputDevice::DeviceType::Keyboard));
        for (const auto& device : owned)
            devices << device.get();
        QCOMPARE(OnScreenKeyboard::hasTypingKeyboard(devices), typing);
    }

    void layoutFollowsTheTexts() {
        QCOMPARE(OnScreenKeyboard::locale(), "nl_NL");
        QVERIFY(Translations::install(QLocale(QLocale::English, QLocale::UnitedKingdom)));
        QCOMPARE(OnScreenKeyboard::locale(), "en_GB");
        Translations::install(QLocale(QLocale::Dutch, QLocale::Belgium));
        QCOMPARE(OnScreenKeyboard::locale(), "nl_NL");
    }
};

QTEST_MAIN(TestOnScreenKeyboard)
#include "tst_onscreenkeyboard.moc"
