// Draws the app's icons and pictures as PNG files (1x and @2x) into the folder given as argument.
// Every picture is drawn on a 60-unit grid (or its own size) so both scales come from one drawing.
// Build and run: cmake --build build --target drawicons
// With --hicolor FOLDER SIZE... it draws only the app icon, as FOLDER/<size>x<size>/apps/kinderopvang.png
// (the desktop's icon theme layout; the packages are built with it).
#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLineF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <QtMath>
#include <cmath>
#include <functional>

namespace {

const QColor kInk(0x3d, 0x4f, 0x5c);
constexpr qreal kLine = 3.5;

using Drawing = std::function<void(QPainter&)>;

QPen inkPen(qreal width = kLine, QColor color = kInk) {
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// Writes file at scale pixels per unit.
bool save(const QString& folder, const QString& file, QSizeF units, int scale, const Drawing& draw) {
    QImage image((units * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        draw(p);
    }
    const bool ok = image.save(QDir(folder).filePath(file));
    QTextStream(stdout) << (ok ? "wrote " : "FAILED ") << file << '\n';
    return ok;
}

bool both(const QString& folder, const QString& name, QSizeF units, const Drawing& draw) {
    QString retina = name;
    retina.replace(QLatin1String(".png"), QLatin1String("@2x.png"));
    return save(folder, name, units, 1, draw) & save(folder, retina, units, 2, draw);
}

// A person: head and rounded shoulders, centred on x, standing on baseline.
void person(QPainter& p, qreal x, qreal baseline, qreal size) {
    const qreal head = size * 0.36;
    p.drawEllipse(QPointF(x, baseline - size + head / 2), head / 2, head / 2);
    QPainterPath shoulders;
    const qreal w = size * 0.8;
    const qreal top = baseline - size * 0.5;
    shoulders.moveTo(x - w / 2, baseline);
    shoulders.lineTo(x - w / 2, top + w / 3);
    shoulders.cubicTo(x - w / 2, top - w / 12, x + w / 2, top - w / 12, x + w / 2, top + w / 3);
    shoulders.lineTo(x + w / 2, baseline);
    p.drawPath(shoulders);
}

void magnify(QPainter& p) {
    p.setPen(inkPen());
    p.drawEllipse(QPointF(26, 26), 14, 14);
    p.setPen(inkPen(6.5));
    p.drawLine(QPointF(37, 37), QPointF(49, 49));
}

void clockFace(QPainter& p) {
    p.setPen(inkPen());
    p.drawEllipse(QPointF(30, 30), 21, 21);
    p.drawLine(QPointF(30, 30), QPointF(30, 17));
    p.drawLine(QPointF(30, 30), QPointF(39, 35));
    p.setPen(inkPen(4.5));
    for (const QPointF tick : {QPointF(30, 13.5), QPointF(46.5, 30), QPointF(30, 46.5), QPointF(13.5, 30)})
        p.drawPoint(tick);
}

void baby(QPainter& p) {
    p.setPen(inkPen());
    p.drawEllipse(QPointF(30, 33), 18, 18);
    QPainterPath curl; // the tuft of hair
    curl.moveTo(30, 15);
    curl.cubicTo(26, 9, 34, 5, 36, 10);
    p.drawPath(curl);
    p.setPen(inkPen(4.5));
    p.drawPoint(QPointF(24, 31));
    p.drawPoint(QPointF(36, 31));
    p.setPen(inkPen(3));
    p.drawArc(QRectF(24, 32, 12, 10), 200 * 16, 140 * 16);
}

void building(QPainter& p) {
    p.setPen(inkPen());
    p.drawRect(QRectF(16, 10, 28, 41));
    p.drawLine(QPointF(9, 51), QPointF(51, 51));
    p.setPen(inkPen(2.5));
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 2; ++col)
            p.drawRect(QRectF(22 + col * 11, 16 + row * 8.5, 5, 4));
    p.drawRect(QRectF(26.5, 42, 7, 9));
}

void group(QPainter& p) {
    p.setPen(inkPen());
    person(p, 38, 48, 28); // behind
    // The front person hides the other's shoulder: fill with nothing but clear underneath.
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(inkPen(kLine + 4));
    p.setBrush(Qt::black);
    person(p, 23, 52, 34);
    p.restore();
    person(p, 23, 52, 34);
}

void user(QPainter& p) {
    p.setPen(inkPen());
    person(p, 30, 52, 40);
}

void indexCards(QPainter& p) {
    p.setPen(inkPen());
    p.drawRoundedRect(QRectF(16, 12, 34, 24), 3, 3);
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(10, 22, 34, 26), 3, 3);
    p.restore();
    p.drawRoundedRect(QRectF(10, 22, 34, 26), 3, 3);
    p.setPen(inkPen(3));
    p.drawLine(QPointF(16, 31), QPointF(38, 31));
    p.drawLine(QPointF(16, 39), QPointF(32, 39));
}

void download(QPainter& p) {
    p.setPen(inkPen());
    p.drawLine(QPointF(30, 9), QPointF(30, 37));
    QPainterPath head;
    head.moveTo(20, 28);
    head.lineTo(30, 38);
    head.lineTo(40, 28);
    p.drawPath(head);
    QPainterPath tray;
    tray.moveTo(11, 38);
    tray.lineTo(11, 50);
    tray.lineTo(49, 50);
    tray.lineTo(49, 38);
    p.drawPath(tray);
}

void cloud(QPainter& p) {
    QPainterPath shape;
    shape.addEllipse(QRectF(8, 26, 20, 20));
    shape.addEllipse(QRectF(18, 14, 24, 24));
    shape.addEllipse(QRectF(33, 23, 20, 20));
    shape.addRoundedRect(QRectF(18, 30, 24, 16), 2, 2);
    shape.setFillRule(Qt::WindingFill); // the outline of the union, not of the overlaps
    p.setPen(inkPen());
    p.drawPath(shape.simplified());
}

// The end of the day: a crescent moon over a closed door.
void dayEnd(QPainter& p) {
    QPainterPath moon;
    moon.addEllipse(QRectF(8, 6, 26, 26));
    QPainterPath bite;
    bite.addEllipse(QRectF(17, 2, 24, 24));
    p.setPen(inkPen());
    p.drawPath(moon.subtracted(bite));
    p.drawRect(QRectF(30, 24, 20, 28));
    p.drawLine(QPointF(24, 52), QPointF(56, 52));
    p.setPen(inkPen(4.5));
    p.drawPoint(QPointF(45, 39));
}

// An arc turning clockwise over the top, its arrowhead pointing on: do it again.
void redo(QPainter& p) {
    p.setPen(inkPen());
    const QRectF circle(10, 12, 40, 40);
    QPainterPath arc;
    arc.arcMoveTo(circle, 210);
    arc.arcTo(circle, 210, -200);
    p.drawPath(arc);
    const QPointF tip = arc.currentPosition();
    const qreal end = qDegreesToRadians(10.0);
    const QLineF back(tip, tip - QPointF(std::sin(end), std::cos(end))); // against the turning direction
    QLineF wing = back;
    wing.setLength(12);
    QPainterPath head;
    wing.setAngle(back.angle() + 35);
    head.moveTo(wing.p2());
    head.lineTo(tip);
    wing.setAngle(back.angle() - 35);
    head.lineTo(wing.p2());
    p.drawPath(head);
}

void placeholderPortrait(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe3, 0xe7, 0xea));
    p.drawRoundedRect(QRectF(0, 0, 60, 60), 6, 6);
    p.setBrush(QColor(0xa9, 0xb4, 0xbc));
    p.drawEllipse(QPointF(30, 23), 11, 11);
    QPainterPath body;
    body.moveTo(10, 60);
    body.cubicTo(10, 34, 50, 34, 50, 60);
    body.closeSubpath();
    p.drawPath(body);
}

// The abstract mark of the app: a large and a small figure under one sheltering arc.
void mark(QPainter& p, QRectF box, QColor color) {
    const qreal u = box.width() / 100;
    auto at = [&](qreal x, qreal y) { return box.topLeft() + QPointF(x * u, y * u); };
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(at(40, 46), 10 * u, 10 * u);
    p.drawEllipse(at(64, 58), 7 * u, 7 * u);
    p.drawRoundedRect(QRectF(at(29, 60), QSizeF(22 * u, 24 * u)), 9 * u, 9 * u);
    p.drawRoundedRect(QRectF(at(56, 68), QSizeF(16 * u, 16 * u)), 7 * u, 7 * u);
    QPen arc(color, 7 * u);
    arc.setCapStyle(Qt::RoundCap);
    p.setPen(arc);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(at(16, 18), QSizeF(68 * u, 68 * u)), 25 * 16, 130 * 16);
}

void appIcon(QPainter& p) {
    QLinearGradient fill(0, 0, 0, 100);
    fill.setColorAt(0, QColor(0x4c, 0xa8, 0x8f));
    fill.setColorAt(1, QColor(0x2e, 0x7d, 0x6b));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0, 0, 100, 100), 22, 22);
    mark(p, QRectF(0, 0, 100, 100), Qt::white);
}

void productLogo(QPainter& p) {
    // Three overlapping rounded leaves in a row: a wordless product mark, 160 x 48.
    const QColor colors[] = {QColor(0x2e, 0x7d, 0x6b, 230), QColor(0x3f, 0x7f, 0xbf, 210),
                             QColor(0xe0, 0x8a, 0x2c, 220)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(46 + i * 34, 24);
        p.rotate(-30 + i * 30);
        p.setBrush(colors[i]);
        p.drawRoundedRect(QRectF(-24, -15, 48, 30), 15, 15);
        p.restore();
    }
}

// A contact logo: a coloured disc with a white symbol.
void contactLogo(QPainter& p, QColor color, const std::function<void(QPainter&)>& symbol) {
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QRectF(2, 2, 56, 56));
    p.setPen(inkPen(3.5, Qt::white));
    p.setBrush(Qt::NoBrush);
    symbol(p);
}

void envelope(QPainter& p) {
    p.drawRoundedRect(QRectF(15, 19, 30, 22), 2, 2);
    QPainterPath flap;
    flap.moveTo(16, 21);
    flap.lineTo(30, 32);
    flap.lineTo(44, 21);
    p.drawPath(flap);
}

void invoice(QPainter& p) {
    p.drawRoundedRect(QRectF(19, 13, 22, 32), 2, 2);
    p.drawLine(QPointF(24, 21), QPointF(36, 21));
    p.drawLine(QPointF(24, 28), QPointF(36, 28));
    p.drawLine(QPointF(24, 35), QPointF(31, 35));
}

void sprout(QPainter& p) {
    p.drawLine(QPointF(30, 46), QPointF(30, 28));
    QPainterPath left;
    left.moveTo(30, 32);
    left.cubicTo(22, 32, 17, 26, 17, 18);
    left.cubicTo(25, 18, 30, 23, 30, 32);
    QPainterPath right;
    right.moveTo(30, 28);
    right.cubicTo(30, 20, 35, 14, 43, 14);
    right.cubicTo(43, 22, 38, 28, 30, 28);
    p.drawPath(left);
    p.drawPath(right);
}

void speechBubble(QPainter& p) {
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(14, 15, 32, 23), 8, 8);
    QPainterPath tail;
    tail.moveTo(20, 36);
    tail.lineTo(18, 46);
    tail.lineTo(29, 37);
    bubble.addPath(tail);
    bubble.setFillRule(Qt::WindingFill);
    p.drawPath(bubble.simplified());
    p.setPen(inkPen(4.5, Qt::white));
    for (const qreal x : {22.0, 30.0, 38.0})
        p.drawPoint(QPointF(x, 26.5));
}

void shield(QPainter& p) {
    QPainterPath outline;
    outline.moveTo(30, 13);
    outline.lineTo(44, 18);
    outline.cubicTo(44, 32, 39, 41, 30, 47);
    outline.cubicTo(21, 41, 16, 32, 16, 18);
    outline.closeSubpath();
    p.drawPath(outline);
    QPainterPath check;
    check.moveTo(24, 30);
    check.lineTo(29, 35);
    check.lineTo(37, 25);
    p.drawPath(check);
}

// The save button's ground: a rounded bar in the accent colour, lighter at the top.
void saveBar(QPainter& p) {
    QLinearGradient ground(0, 0, 0, 44);
    ground.setColorAt(0, QColor(0x3a, 0x95, 0x80));
    ground.setColorAt(1, QColor(0x24, 0x61, 0x4f));
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    p.drawRoundedRect(QRectF(0, 0, 200, 44), 8, 8);
}

// Three bars: the menu of an upright screen.
void menuBars(QPainter& p) {
    p.setPen(inkPen(5));
    for (const qreal y : {16.0, 30.0, 44.0})
        p.drawLine(QPointF(12, y), QPointF(48, y));
}

// A chevron pointing left (back) or right (forward).
void chevron(QPainter& p, bool left) {
    p.setPen(inkPen(5));
    const qreal tip = left ? 20 : 40;
    const qreal tail = left ? 38 : 22;
    p.drawPolyline(QPolygonF({QPointF(tail, 12), QPointF(tip, 30), QPointF(tail, 48)}));
}

// The app icon at size x size pixels into the icon theme's folder layout under folder.
bool themeIcon(const QString& folder, int size) {
    const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
    QDir().mkpath(dir);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 100.0, size / 100.0);
        appIcon(p);
    }
    const bool ok = image.save(dir + QStringLiteral("/kinderopvang.png"));
    if (!ok)
        QTextStream(stderr) << "FAILED " << dir << '\n';
    return ok;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc >= 4 && QLatin1String(argv[1]) == QLatin1String("--hicolor")) {
        bool ok = true;
        for (int i = 3; i < argc; ++i)
            ok &= themeIcon(QString::fromLocal8Bit(argv[2]), QByteArray(argv[i]).toInt());
        return ok ? 0 : 1;
    }
    if (argc < 2) {
        QTextStream(stderr) << "usage: drawicons <assets folder>\n";
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(QDir(folder).filePath(QStringLiteral("info")));
    const QSizeF icon(60, 60);
    bool ok = true;
    ok &= both(folder, QStringLiteral("06-magnify.png"), icon, magnify);
    ok &= both(folder, QStringLiteral("11-clock.png"), icon, clockFace);
    ok &= both(folder, QStringLiteral("76-baby.png"), icon, baby);
    ok &= both(folder, QStringLiteral("177-building.png"), icon, building);
    ok &= both(folder, QStringLiteral("112-group.png"), icon, group);
    ok &= both(folder, QStringLiteral("111-user.png"), icon, user);
    ok &= both(folder, QStringLiteral("104-index-cards.png"), icon, indexCards);
    ok &= both(folder, QStringLiteral("57-download.png"), icon, download);
    ok &= both(folder, QStringLiteral("56-cloud.png"), icon, cloud);
    ok &= both(folder, QStringLiteral("02-redo.png"), icon, redo);
    ok &= both(folder, QStringLiteral("dag-afsluiten.png"), icon, dayEnd);
    ok &= both(folder, QStringLiteral("menu.png"), icon, menuBars);
    ok &= both(folder, QStringLiteral("back.png"), icon, [](QPainter& p) { chevron(p, true); });
    ok &= both(folder, QStringLiteral("forward.png"), icon, [](QPainter& p) { chevron(p, false); });
    // The placeholder stands in for photos, so it is drawn larger: 120 px, 240 px at 2x.
    ok &= save(folder, QStringLiteral("user.png"), icon, 2, placeholderPortrait) &
          save(folder, QStringLiteral("user@2x.png"), icon, 4, placeholderPortrait);
    ok &= both(folder, QStringLiteral("Icon-100.png"), QSizeF(100, 100), appIcon);
    ok &= both(folder, QStringLiteral("marlevo.png"), QSizeF(160, 48), productLogo);
    ok &= both(folder, QStringLiteral("bar.png"), QSizeF(200, 44), saveBar);

    struct Logo {
        const char* name;
        QColor color;
        void (*symbol)(QPainter&);
    };
    const Logo logos[] = {{"secretariaat.png", QColor(0x2e, 0x7d, 0x6b), envelope},
                          {"facturatie.png", QColor(0x3f, 0x6f, 0xb5), invoice},
                          {"pedagogie.png", QColor(0x7c, 0xa3, 0x3a), sprout},
                          {"helpdesk.png", QColor(0x6d, 0x5b, 0xa8), speechBubble},
                          {"veiligheid.png", QColor(0xd0, 0x6a, 0x2a), shield}};
    for (const Logo& logo : logos)
        ok &= both(folder, QStringLiteral("info/") + QLatin1String(logo.name), icon,
                   [&](QPainter& p) { contactLogo(p, logo.color, logo.symbol); });
    return ok ? 0 : 1;
}
