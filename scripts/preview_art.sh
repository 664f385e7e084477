#!/bin/sh
# Renders the animal portraits and the on-screen keypad's pictures with Qt Svg,
# the renderer the game uses, into PNG contact sheets for looking at:
#
#   scripts/preview_art.sh [OUT-DIR]        (default /tmp/pellaro-art-preview)
#
# It writes animals.png (every animal at 32, 64 and 120 px on white and on the
# game's navy, and at 400 px), animals-32x4.png (the 32 px portraits blown up
# four times, pixel for pixel), keypad.png (the key and the pressed key with
# each digit at 40, 100 and 400 px, and the keypad's backdrop with keys laid on
# its tray, as in a window and three times as large) and contact.png (all of
# them on one sheet). Needs g++, pkg-config and the Qt 6 Svg development files.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-/tmp/pellaro-art-preview}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/preview.cpp" <<'EOF'
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

static const QColor kWhite(255, 255, 255), kNavy(0, 0, 128);
static QString dir;

static QSvgRenderer* svg(const QString& file)
{
    auto* r = new QSvgRenderer(dir + file);
    if (!r->isValid())
        std::fprintf(stderr, "preview: %s does not load\n", qPrintable(file));
    return r;
}

// The backdrop of one tile: white on the left half of a sheet, navy on the right.
static void tile(QPainter& p, const QRectF& r, const QColor& back) { p.fillRect(r, back); }

static const char* kAnimals[] = {"lamb", "cat", "dog", "rabbit", "panda", "duck", "pig", "bear"};

static QImage animals()
{
    const int small[] = {32, 64, 120};
    QImage img(2 * (8 * 130) + 20, 200 + 2 * 810, QImage::Format_ARGB32_Premultiplied);
    img.fill(kWhite);
    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    for (int half = 0; half < 2; ++half) {
        const QColor back = half ? kNavy : kWhite;
        const int x0 = half * (8 * 130 + 20);
        tile(p, QRectF(x0, 0, 8 * 130, 200), back);
        for (int a = 0; a < 8; ++a) {
            QSvgRenderer* r = svg(QStringLiteral("animals/%1.svg").arg(kAnimals[a]));
            int x = x0 + a * 130 + 5, y = 5;
            for (int s : small) {
                r->render(&p, QRectF(x, y, s, s));
                x += s + 4;
                if (s == 64) { x = x0 + a * 130 + 5; y += 70; }
            }
        }
    }
    // At 400 px: four a row, the first two rows on white, the next two on navy.
    for (int half = 0; half < 2; ++half) {
        tile(p, QRectF(0, 200 + half * 810, img.width(), 810), half ? kNavy : kWhite);
        for (int a = 0; a < 8; ++a)
            svg(QStringLiteral("animals/%1.svg").arg(kAnimals[a]))
                ->render(&p, QRectF(5 + (a % 4) * 405, 205 + half * 810 + (a / 4) * 405, 400, 400));
    }
    return img;
}

static QImage animalsBlownUp()
{
    QImage small(8 * 36, 2 * 36, QImage::Format_ARGB32_Premultiplied);
    small.fill(kWhite);
    QPainter p(&small);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    p.fillRect(QRectF(0, 36, small.width(), 36), kNavy);
    for (int a = 0; a < 8; ++a)
        for (int row = 0; row < 2; ++row)
            svg(QStringLiteral("animals/%1.svg").arg(kAnimals[a]))->render(&p, QRectF(a * 36 + 2, row * 36 + 2, 32, 32));
    p.end();
    return small.scaled(small.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// One key with the digit d drawn over its face, pressed or not, in `box`.
static void key(QPainter& p, QSvgRenderer* face, QSvgRenderer* digits, int d, const QRectF& box, bool pressed)
{
    face->render(&p, box);
    const QRectF at = box.translated(0, pressed ? box.height() * 0.03 : 0);
    digits->render(&p, QStringLiteral("d%1").arg(d), at);
}

static QImage keypad()
{
    QSvgRenderer* up = svg(QStringLiteral("keypad/key.svg"));
    QSvgRenderer* down = svg(QStringLiteral("keypad/key-pressed.svg"));
    QSvgRenderer* digits = svg(QStringLiteral("keypad/digits.svg"));
    QSvgRenderer* panel = svg(QStringLiteral("keypad/panel.svg"));
    QImage img(1700, 1800, QImage::Format_ARGB32_Premultiplied);
    img.fill(kWhite);
    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    p.fillRect(QRectF(0, 110, 1700, 110), kNavy);
    for (int d = 0; d < 10; ++d) {
        for (int pressed = 0; pressed < 2; ++pressed) {
            QSvgRenderer* face = pressed ? down : up;
            for (int row = 0; row < 2; ++row) {
                const double x = 5 + d * 168 + pressed * 58, y = 5 + row * 110;
                key(p, face, digits, d, QRectF(x, y, 40, 40), pressed);
                key(p, face, digits, d, QRectF(x, y + 50, 50, 50), pressed);
            }
        }
        key(p, up, digits, d, QRectF(5 + d * 168, 225, 100, 100), false);
        key(p, down, digits, d, QRectF(5 + d * 168 + 50, 330, 100, 100), true);
    }
    key(p, up, digits, 7, QRectF(5, 440, 400, 400), false);
    key(p, down, digits, 7, QRectF(410, 440, 400, 400), true);
    key(p, up, digits, 4, QRectF(5, 845, 400, 400), false);
    key(p, up, digits, 1, QRectF(410, 845, 400, 400), false);

    // The backdrop with the keys on its tray: 40 px keys, 6 px apart, the
    // first at (9, 136); 0 under 8. Once as in a window, once three times.
    for (int scale : {1, 3}) {
        const QPointF at(scale == 1 ? 820 : 980, 440);
        panel->render(&p, QRectF(at, QSizeF(150, 449) * scale));
        const int order[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0};
        for (int i = 0; i < 10; ++i) {
            const int col = i == 9 ? 1 : i % 3, row = i / 3;
            const QRectF k(at.x() + (9 + col * 46) * scale, at.y() + (136 + row * 46) * scale, 40 * scale, 40 * scale);
            key(p, i == 4 ? down : up, digits, order[i], k, i == 4);
        }
    }
    return img;
}

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    dir = QString::fromLocal8Bit(argv[1]) + "/src/assets/";
    const QString out = QString::fromLocal8Bit(argv[2]) + "/";
    const QImage a = animals(), b = animalsBlownUp(), k = keypad();
    QImage sheet(qMax(a.width(), k.width()), a.height() + b.height() + k.height() + 20, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(230, 230, 230));
    QPainter p(&sheet);
    p.drawImage(0, 0, a);
    p.drawImage(0, a.height() + 10, b);
    p.drawImage(0, a.height() + b.height() + 20, k);
    p.end();
    bool ok = a.save(out + "animals.png") && b.save(out + "animals-32x4.png") && k.save(out + "keypad.png") &&
              sheet.save(out + "contact.png");
    return ok ? 0 : 1;
}
EOF

g++ -std=c++17 -O1 -fPIC -o "$work/preview" "$work/preview.cpp" $(pkg-config --cflags --libs Qt6Svg Qt6Gui)
QT_QPA_PLATFORM=offscreen "$work/preview" "$root" "$out"
echo "$out/contact.png"
