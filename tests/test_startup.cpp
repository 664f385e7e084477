// The main window after start-up, and the layouts of the other two windows.
#include "gametest.h"

#include "assets/catalogue.h"
#include "assets/layouts.h"

#include <QLineEdit>
#include <QPushButton>

using namespace gametest;

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void windowAndMembers()
    {
        Game g;
        Form1& f = *g.form;
        QCOMPARE(f.windowTitle(), QStringLiteral("Pellaro"));
        QCOMPARE(f.size(), QSize(561, 449));
        QCOMPARE(f.minimumSize(), f.maximumSize());
        QVERIFY(!(f.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(f.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!f.windowIcon().isNull());
        // 1800 and 1000 twips from the screen's left and top edges.
        QCOMPARE(f.pos(), QPoint(120, 67));

        QVERIFY(!f.playing);
        QCOMPARE(f.grade, std::int16_t(0));
        QCOMPARE(f.fcount, 0);
        QCOMPARE(f.sPath, QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    }

    // The window's icon, given once the window is up: the program icon
    // itself at 32, and at each larger or smaller size a picture drawn for
    // it, not a blown-up 32.
    void windowIconAtEverySize()
    {
        const QIcon icon = assets::windowIcon();
        const QImage small = assets::programIcon().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32), small);
        for (const int side : {16, 22, 24, 48, 64, 128, 256}) {
            QVERIFY2(icon.availableSizes().contains(QSize(side, side)), qPrintable(QString::number(side)));
            const QImage drawn = icon.pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(drawn.size(), QSize(side, side));
            // A drawing at its own size has soft edges; a 1-bit mask scaled
            // up would have none.
            int soft = 0;
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x)
                    soft += qAlpha(drawn.pixel(x, y)) > 0 && qAlpha(drawn.pixel(x, y)) < 255;
            QVERIFY2(soft >= side / 4, qPrintable(QStringLiteral("%1: %2 soft pixels").arg(side).arg(soft)));
        }
    }

    void scene()
    {
        Game g;
        Form1& f = *g.form;
        QCOMPARE(f.PicBK->size(), QSize(450, 450));
        QVERIFY(showsPicture(f.PicBK, 110));
        QVERIFY(f.PicBK->isVisible());
        // The signal box: columns 233..290, rows 385..394, dark blue; the
        // pixels just outside keep the scene's colours.
        QVERIFY(allPixels(f.PicBK, 233, 385, 290, 394, vb::QBColor(1)));
        const QImage scene = assets::LoadResPicture(110);
        QCOMPARE(pixel(f.PicBK, 291, 390), scene.pixelColor(291, 390));
        QCOMPARE(pixel(f.PicBK, 232, 390), scene.pixelColor(232, 390));
        QCOMPARE(pixel(f.PicBK, 250, 395), scene.pixelColor(250, 395));
        QCOMPARE(pixel(f.PicBK, 250, 384), scene.pixelColor(250, 384));

        QCOMPARE(f.LabAll->caption(), QStringLiteral("0"));
        QCOMPARE(f.LabFc->caption(), QStringLiteral("0"));
        QVERIFY(f.LabRes->caption().isEmpty());
        QVERIFY(showsPicture(f.Pic1, 300));
        QVERIFY(showsPicture(f.Pic2, 300));
        QCOMPARE(f.Pic1->geometry(), QRect(232, 399, 30, 50));
        QCOMPARE(f.Pic2->geometry(), QRect(264, 399, 30, 50));
    }

    void labels()
    {
        // The sign and the typed answer lie on the scene, the score on the panel.
        Game g;
        Form1& f = *g.form;
        struct Expected {
            vb::Label* label;
            QWidget* parent;
            QRect place;
            int pixels;
            Qt::Alignment align;
            QColor text;
            bool opaque;
        };
        const QColor buttonText = QApplication::palette().color(QPalette::ButtonText);
        const Expected labels[] = {
            {f.LabAll, f.PicBK, QRect(240, 180, 49, 33), 21, Qt::AlignRight, buttonText, false},
            {f.LabRes, f.PicBK, QRect(368, 408, 73, 33), 21, Qt::AlignLeft, QColor(255, 0, 0), false},
            {f.LabFc, &f, QRect(472, 352, 73, 33), 20, Qt::AlignRight, QColor(255, 255, 0), true},
        };
        for (const Expected& e : labels) {
            const vb::Label* label = e.label;
            QCOMPARE(label->parentWidget(), e.parent);
            QCOMPARE(label->geometry(), e.place);
            QCOMPARE(label->font().pixelSize(), e.pixels);
            QVERIFY(label->font().bold());
            // "宋体" is asked for, behind the stand-in installed here.
            QVERIFY(label->font().families().contains(QStringLiteral("宋体")));
            QCOMPARE(QFontInfo(label->font()).family(), label->font().families().value(0));
            QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, e.align);
            QCOMPARE(label->palette().color(QPalette::WindowText), e.text);
            QCOMPARE(label->autoFillBackground(), e.opaque);
            QVERIFY(label->isVisible());
        }
        QCOMPARE(f.LabFc->palette().color(QPalette::Window), QColor(0, 0, 128));
    }

    void hiddenUntilAGameStarts()
    {
        Game g;
        Form1& f = *g.form;
        QVERIFY(f.PicBoy->isHidden());
        QVERIFY(showsPicture(f.PicBoy, 101));
        QCOMPARE(f.PicBoy->geometry(), QRect(-24, 248, 203, 137));
        QVERIFY(f.Pictall->isHidden());
        QVERIFY(showsPicture(f.Pictall, 111));
        QCOMPARE(f.Pictall->geometry(), QRect(304, 152, 150, 98));
        QVERIFY(f.PicLong->isHidden());
        QCOMPARE(f.PicLong->geometry(), QRect(450, 0, 9, 450));

        QCOMPARE(f.Picball.count(), 3);
        const int lefts[3] = {472, 497, 522};
        for (int i = 0; i < 3; ++i) {
            vb::PictureBox* marker = f.Picball(i);
            QVERIFY(marker);
            QVERIFY(marker->isHidden());
            QCOMPARE(marker->geometry(), QRect(lefts[i], 8, 16, 16));
            QVERIFY(showsPicture(marker, 204));
        }
        QVERIFY(!f.Timer1->enabled());
        QVERIFY(!f.Timer2->enabled());
        QVERIFY(!f.Timer3->enabled());
    }

    void buttons()
    {
        Game g;
        Form1& f = *g.form;
        QCOMPARE(f.Pictb->geometry(), QRect(480, 144, 50, 35));
        QCOMPARE(f.Pictl->geometry(), QRect(480, 192, 50, 35));
        QCOMPARE(f.Picth->geometry(), QRect(480, 240, 50, 35));
        QVERIFY(showsPicture(f.Pictb, 201));
        QVERIFY(showsPicture(f.Picth, 202));
        QVERIFY(showsPicture(f.Pictl, 205));
        QCOMPARE(f.Pictb->toolTip(), QStringLiteral("开始"));
        QCOMPARE(f.Picth->toolTip(), QStringLiteral("帮助"));
        QCOMPARE(f.Pictl->toolTip(), QStringLiteral("难度"));
        QVERIFY(f.Pictb->isVisible() && f.Picth->isVisible() && f.Pictl->isVisible());
    }

    void keysBeforeAGameDoNothing()
    {
        Game g;
        SoundLog sounds;
        QVERIFY(QTest::qWaitForWindowExposed(g.form.get()));
        for (Qt::Key k : {Qt::Key_0, Qt::Key_1, Qt::Key_9, Qt::Key_Return})
            QTest::keyClick(g.form->windowHandle(), k);
        QTest::keyClick(g.form->windowHandle(), Qt::Key_5, Qt::KeypadModifier);
        g.key('7');
        QVERIFY(g.form->LabRes->caption().isEmpty());
        QCOMPARE(g.form->tries, std::int16_t(0));
        QVERIFY(sounds.ids.empty());
    }

    void missingPicturesStillShowTheWindow()
    {
        assets::setMissingForTest({110, 201, 204});
        Game g;
        Form1& f = *g.form;
        QVERIFY(f.isVisible());
        // Those boxes keep their layout size; everything else loaded.
        QCOMPARE(f.PicBK->size(), QSize(449, 449));
        QCOMPARE(f.Pictb->size(), QSize(41, 41));
        QVERIFY(f.Pictb->picture().isNull());
        QCOMPARE(f.Picball.count(), 3);
        QCOMPARE(f.Picball(2)->x(), 522);
        QVERIFY(showsPicture(f.Picth, 202));
        QVERIFY(showsPicture(f.Pic1, 300));
        QCOMPARE(f.pos(), QPoint(120, 67));
    }

    void leaderboardLayout()
    {
        QWidget w;
        const assets::Form2Layout c = assets::buildForm2Layout(&w);
        QCOMPARE(w.windowTitle(), QStringLiteral("排行榜"));
        QCOMPARE(w.size(), QSize(307, 372));
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(c.Command1->text(), QStringLiteral("确认"));
        QCOMPARE(c.Command1->geometry(), QRect(248, 40, 41, 25));
        QCOMPARE(c.Text1->geometry(), QRect(24, 40, 209, 25));
        QVERIFY(c.Text1->text().isEmpty());
        QCOMPARE(c.Labt->geometry(), QRect(24, 16, 217, 25));
        QCOMPARE(c.Labt->caption(), QStringLiteral("恭喜恭喜!您上榜了。您的大名:"));
        QCOMPARE(c.Labt->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(c.Labt->font().pixelSize(), 12);
        QVERIFY(c.Labt->font().bold());
        QCOMPARE(c.Label1->geometry(), QRect(24, 80, 81, 25));
        QCOMPARE(c.Label2->geometry(), QRect(152, 80, 89, 25));
        QCOMPARE(c.Label1->caption(), QStringLiteral("Label1"));
        QCOMPARE(c.Label1->focusPolicy(), Qt::NoFocus);
        // Tab goes from the name box to the button; the labels never take it.
        QWidget* next = c.Text1->nextInFocusChain();
        while (next != c.Text1 && !(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        QCOMPARE(next, static_cast<QWidget*>(c.Command1));
    }

    void helpLayout()
    {
        QWidget w;
        const assets::Form3Layout c = assets::buildForm3Layout(&w);
        QCOMPARE(w.windowTitle(), QStringLiteral("帮助"));
        QCOMPARE(w.size(), QSize(348, 252));
        QCOMPARE(c.Label1->geometry(), QRect(16, 8, 313, 225));
        QVERIFY(c.Label1->wordWrap());
    }

    void chineseCaptionsHaveAFont()
    {
        // The sign's font must hold the CJK characters the windows show.
        Game g;
        const QFontMetrics metrics(g.form->LabAll->font());
        for (QChar c : QStringLiteral("排行榜恭喜您的大名确认帮助"))
            QVERIFY2(metrics.inFont(c), qPrintable(QString(c)));
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
