// The palette reads well: every text colour of the Theme against every ground it is drawn on has a
// WCAG contrast ratio of at least 4.5:1, and no text colour is left out of that table.
#include "Resources.h"

#include <QColor>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QtTest>
#include <cmath>

namespace {
// WCAG 2 relative luminance of an sRGB colour.
double luminance(const QColor& c) {
    const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
} // namespace

class TestTheme : public QObject {
    Q_OBJECT
    QQmlEngine m_engine;
    std::unique_ptr<QObject> m_holder;
    QObject* m_theme = nullptr; // the engine's singleton

    QColor colour(const QString& name) const { return m_theme->property(name.toUtf8()).value<QColor>(); }

private slots:
    void initTestCase() {
        Resources::initCoreResources();
        QQmlComponent component(&m_engine);
        component.setData("import QtQuick\nimport \"qrc:/cc/support/qml\"\nQtObject { property var theme: Theme }",
                          QUrl("qrc:/cc/tst_theme.qml"));
        m_holder.reset(component.create());
        QVERIFY2(m_holder, qPrintable(component.errorString()));
        m_theme = m_holder->property("theme").value<QObject*>();
        QVERIFY(m_theme);
    }

    void textReadsOnItsGround_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("ground");
        const QVariantList pairs = m_theme->property("contrastPairs").toList();
        QVERIFY(pairs.size() > 10);
        for (const QVariant& pair : pairs) {
            const QStringList names = pair.toStringList();
            QTest::addRow("%s on %s", qPrintable(names.value(0)), qPrintable(names.value(1)))
                << names.value(0) << names.value(1);
        }
    }
    void textReadsOnItsGround() {
        QFETCH(QString, text);
        QFETCH(QString, ground);
        QVERIFY2(colour(text).isValid() && colour(ground).isValid(), "not a colour of the Theme");
        QVERIFY2(colour(ground).alpha() == 255, "a ground must be opaque to be judged");
        const double ratio = contrast(colour(text), colour(ground));
        QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1:1").arg(ratio, 0, 'f', 2)));
    }

    // A text colour added to the Theme without its grounds would escape the check above.
    void everyTextColourIsJudged() {
        QSet<QString> judged;
        for (const QVariant& pair : m_theme->property("contrastPairs").toList())
            judged << pair.toStringList().value(0);
        for (const QString& text : m_theme->property("textColours").toStringList())
            QVERIFY2(judged.contains(text), qPrintable(text));
        // Every colour property whose name says it is ink is a text colour.
        const QMetaObject* meta = m_theme->metaObject();
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
            const QString name = QString::fromLatin1(meta->property(i).name());
            if (meta->property(i).metaType() == QMetaType::fromType<QColor>() && name.contains("ink", Qt::CaseInsensitive))
                QVERIFY2(judged.contains(name), qPrintable(name));
        }
    }

    // The ratio itself: the extremes and a known pair.
    void contrastFollowsWcag() {
        QCOMPARE(contrast(Qt::black, Qt::white), 21.0);
        QCOMPARE(contrast(Qt::white, Qt::white), 1.0);
        QVERIFY(std::abs(contrast(QColor("#777777"), Qt::white) - 4.48) < 0.01);
    }
};

QTEST_MAIN(TestTheme)
#include "tst_theme.moc"
