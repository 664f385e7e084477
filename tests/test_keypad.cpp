// Playing by touch: the on-screen keypad in the window and full screen, a
// finger on the game's other buttons and in the leaderboard, and the
// controls' accessible names and press actions.
#include "gametest.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPointingDevice>
#include <QPushButton>
#include <QSignalSpy>

#include <numeric>

#include "game/fullscreen.h"
#include "game/keypad.h"
#include "platform/stage.h"

using namespace gametest;

namespace {

QPointingDevice* touchScreen()
{
    static QPointingDevice* device = QTest::createTouchDevice();
    return device;
}

// The accessible object named `name` with role `role` under `root`, or nullptr.
QAccessibleInterface* findAccessible(QAccessibleInterface* root, const QString& name, QAccessible::Role role)
{
    for (int i = 0; root && i < root->childCount(); ++i) {
        QAccessibleInterface* child = root->child(i);
        if (child && child->text(QAccessible::Name) == name && child->role() == role)
            return child;
        if (QAccessibleInterface* found = findAccessible(child, name, role))
            return found;
    }
    return nullptr;
}

bool pressAccessible(QWidget* window, const QString& name)
{
    QAccessibleInterface* button =
        findAccessible(QAccessible::queryAccessibleInterface(window), name, QAccessible::Button);
    if (!button || !button->actionInterface())
        return false;
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    return true;
}

QPoint middle(const QWidget* w) { return w->rect().center(); }

// The mouse on the keypad over the key of `digit`.
void press(game::Keypad* k, int digit) { QTest::mousePress(k, Qt::LeftButton, {}, k->keyRect(digit).center()); }
void release(game::Keypad* k, int digit) { QTest::mouseRelease(k, Qt::LeftButton, {}, k->keyRect(digit).center()); }
void click(game::Keypad* k, int digit)
{
    press(k, digit);
    release(k, digit);
}

}  // namespace

class TestKeypad : public QObject {
    Q_OBJECT
private slots:
    void fullScreenLayout_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QRect>("game");
        QTest::addColumn<QRect>("keypad");
        QTest::addColumn<int>("key");
        // Keys of a seventh of the shorter side: on landscape screens the
        // game keeps its scale where the keypad fits into the room it
        // leaves (1920 x 1080, 4K) and gives way elsewhere; on a portrait
        // one the keypad goes below it.
        QTest::newRow("1024x768") << QSize(1024, 768) << 1.1 << QRect(2, 137, 617, 494) << QRect(630, 123, 391, 522)
                                  << 110;
        QTest::newRow("1366x768") << QSize(1366, 768) << 1.7 << QRect(5, 2, 954, 763) << QRect(970, 123, 391, 522)
                                  << 110;
        QTest::newRow("1920x1080") << QSize(1920, 1080) << 2.4 << QRect(3, 1, 1346, 1078)
                                   << QRect(1365, 172, 551, 735) << 155;
        QTest::newRow("3840x2160") << QSize(3840, 2160) << 4.8 << QRect(9, 2, 2693, 2155)
                                   << QRect(2733, 348, 1097, 1464) << 309;
        QTest::newRow("1080x1920 portrait") << QSize(1080, 1920) << 1.9 << QRect(7, 158, 1066, 853)
                                            << QRect(264, 1027, 551, 735) << 155;
    }
    void fullScreenLayout()
    {
        QFETCH(QSize, screen);
        QFETCH(double, scale);
        QFETCH(QRect, game);
        QFETCH(QRect, keypad);
        QFETCH(int, key);
        const game::KeypadLayout l = game::fullScreenLayout(screen, QSize(561, 449));
        QCOMPARE(l.scale, scale);
        QCOMPARE(l.game, game);
        QCOMPARE(l.keypad, keypad);
        QCOMPARE(l.key, key);
        QVERIFY(7 * l.key >= std::min(screen.width(), screen.height()));
    }

    void keysTypeAsTheMainRowDoes()
    {
        Game g;
        SoundLog sounds;
        Form1& f = *g.form;
        f.showKeypad(true);
        game::Keypad* k = f.keypad();
        QCOMPARE(f.size(), QSize(711, 449));
        QCOMPARE(k->geometry(), QRect(561, 0, 150, 449));
        // 1 2 3 on top, 0 alone in the middle of the bottom row.
        QCOMPARE(k->key(1)->geometry(), QRect(9, 136, 40, 40));
        QCOMPARE(k->key(9)->geometry(), QRect(101, 228, 40, 40));
        QCOMPARE(k->key(0)->geometry(), QRect(55, 274, 40, 40));

        // No game yet: nothing happens.
        click(k, 5);
        QVERIFY(f.LabRes->caption().isEmpty());
        QVERIFY(sounds.ids.empty());

        g.startStill();
        g.arrive(12, Game::unitsDraw(7));
        // A key counts as it goes down, and shows it until it comes up.
        press(k, 1);
        QCOMPARE(f.LabRes->caption(), QStringLiteral("1"));
        QVERIFY(k->key(1)->isDown());
        release(k, 1);
        QVERIFY(!k->key(1)->isDown());
        QCOMPARE(f.LabRes->caption(), QStringLiteral("1"));
        click(k, 9);
        QCOMPARE(f.LabAll->caption(), QStringLiteral("19"));
        QCOMPARE(sounds.count(102), 1);

        // While the help window is open the keys take nothing (a game
        // started by code meanwhile), and none stays down.
        g.arrive(19, Game::unitsDraw(3));
        press(k, 2);
        f.Picth_Click();
        QVERIFY(!k->key(2)->isDown());
        f.Pictb_Click();
        g.stopTimers();
        click(k, 0);
        QCOMPARE(f.tries, std::int16_t(3));
        f.form3()->Close();
        QVERIFY(k->isEnabled());

        f.showKeypad(false);
        QCOMPARE(f.size(), QSize(561, 449));
        QVERIFY(k->isHidden());
    }

    void aPalmOrASlidingFingerEntersOneDigit()
    {
        Game g;
        Form1& f = *g.form;
        f.showKeypad(true);
        game::Keypad* k = f.keypad();
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (int d = 0; d <= 9; ++d)
            spies.push_back(std::make_unique<QSignalSpy>(k->key(d), &QAbstractButton::pressed));
        auto presses = [&] {
            return std::accumulate(spies.begin(), spies.end(), 0, [](int n, const auto& spy) { return n + spy->count(); });
        };
        QPointingDevice* screen = touchScreen();
        // A palm: three fingers at once.
        QTest::touchEvent(&f, screen)
            .press(0, middle(k->key(4)), k->key(4))
            .press(1, middle(k->key(5)), k->key(5))
            .press(2, middle(k->key(8)), k->key(8));
        QCOMPARE(presses(), 1);
        // One finger slides over the other keys, one lifts, a new one comes.
        QTest::touchEvent(&f, screen).move(0, middle(k->key(6)), k->key(6)).stationary(1).stationary(2);
        QTest::touchEvent(&f, screen).move(0, middle(k->key(9)), k->key(9)).stationary(1).stationary(2);
        QTest::touchEvent(&f, screen).release(1, middle(k->key(5)), k->key(5)).stationary(0).stationary(2);
        QTest::touchEvent(&f, screen).press(3, middle(k->key(7)), k->key(7)).stationary(0).stationary(2);
        // The mouse the system may make of a finger enters nothing either.
        click(k, 1);
        QCOMPARE(presses(), 1);
        QTest::touchEvent(&f, screen)
            .release(0, middle(k->key(9)), k->key(9))
            .release(2, middle(k->key(8)), k->key(8))
            .release(3, middle(k->key(7)), k->key(7));
        for (int d = 0; d <= 9; ++d)
            QVERIFY(!k->key(d)->isDown());
        // All lifted: the next tap counts, and is shown until it lifts.
        QTest::touchEvent(&f, screen).press(0, middle(k->key(2)), k->key(2));
        QVERIFY(spies[2]->count() == 1 && k->key(2)->isDown());
        QTest::touchEvent(&f, screen).release(0, middle(k->key(2)), k->key(2));
        QVERIFY(!k->key(2)->isDown());
    }

    void aTapIsAClick()
    {
        // The game's buttons and the leaderboard's get the mouse events Qt
        // makes of a finger; the name box still takes an input method's
        // text (a desktop's on-screen keyboard).
        Game g;
        Form1& f = *g.form;
        QPointingDevice* screen = touchScreen();
        auto tap = [screen](QWidget* window, QWidget* on, QPoint at) {
            QTest::touchEvent(window, screen).press(0, at, on);
            QTest::touchEvent(window, screen).release(0, at, on);
        };
        tap(&f, f.Pictb, middle(f.Pictb));
        QVERIFY(f.playing);
        tap(&f, f.Pictl, middle(f.Pictl));
        QCOMPARE(f.grade, std::int16_t(1));
        g.stopTimers();

        Form2* board = f.form2();
        board->Show();
        QInputMethodEvent typed;
        typed.setCommitString(QStringLiteral("小明"));
        QCoreApplication::sendEvent(board->Text1, &typed);
        QCOMPARE(board->Text1->text(), QStringLiteral("小明"));
        tap(board->window(), board->Command1, middle(board->Command1));
        QVERIFY(!board->isOpen());

        // Full screen: on the stage, a finger on the scaled start button.
        game::FullScreen full(&f);
        full.enter();
        vb::Stage* stage = vb::Stage::of(&f);
        QVERIFY(stage);
        f.playing = false;
        const QPoint start =
            stage->mapFromScene(f.graphicsProxyWidget()->mapToScene(QRectF(f.Pictb->geometry()).center()));
        tap(stage, stage->viewport(), start);
        QVERIFY(f.playing);
        g.stopTimers();
    }

    void fullScreenTakesTheKeypadAlongAndBack()
    {
        Game g;
        Form1& f = *g.form;
        // Shown full screen only because of the touch screen: F11 keeps it.
        game::KeypadRule rule;
        rule.touchScreen = true;
        game::FullScreen full(&f, rule);
        full.enter();
        vb::Stage* stage = vb::Stage::of(&f);
        QVERIFY(stage);
        game::Keypad* k = f.keypad();
        QCOMPARE(stage->beside(), k);
        QVERIFY(k->isVisible() && k->trayOnly());
        // The game as the layout puts it, and the keypad beside it.
        const double dpr = stage->devicePixelRatioF();
        const QSize device = (QSizeF(stage->size()) * dpr).toSize();
        const game::KeypadLayout l = game::fullScreenLayout(device, QSize(561, 449));
        QCOMPARE(f.size(), QSize(561, 449));
        QCOMPARE(stage->scale(), l.scale);
        QCOMPARE(QRectF(QPointF(k->geometry().topLeft()) * dpr, QSizeF(k->size()) * dpr).toRect(), l.keypad);

        // A finger on the keypad types through the game's own handler.
        g.startStill();
        g.arrive(40, Game::unitsDraw(5));
        QTest::touchEvent(stage, touchScreen()).press(0, middle(k->key(4)), k->key(4));
        QTest::touchEvent(stage, touchScreen()).release(0, middle(k->key(4)), k->key(4));
        QCOMPARE(f.LabRes->caption(), QStringLiteral("4"));
        // While a window is open over the game, the keypad beside it waits too.
        f.Picth_Click();
        QVERIFY(!k->isEnabled());
        f.form3()->Close();
        QVERIFY(k->isEnabled());

        full.toggle();
        QVERIFY(f.keypadShown() && !k->trayOnly());
        QCOMPARE(f.size(), QSize(711, 449));
        full.toggle();
        QCOMPARE(stage->beside(), k);
        full.leave();

        // --no-keypad: never, not even after the family's setting.
        rule.keypadAlways = rule.refused = true;
        QVERIFY(!rule.shows(true, true));
    }

    void controlsAreNamedAndPressable()
    {
        Game g;
        Form1& f = *g.form;
        f.showKeypad(true);
        QVERIFY(pressAccessible(&f, QStringLiteral("难度")));
        QCOMPARE(f.grade, std::int16_t(1));
        QVERIFY(pressAccessible(&f, QStringLiteral("开始")));
        QVERIFY(f.playing);
        g.stopTimers();
        g.arrive(30, Game::unitsDraw(2));
        QVERIFY(pressAccessible(&f, QStringLiteral("3")));
        QVERIFY(pressAccessible(&f, QStringLiteral("2")));
        QCOMPARE(f.LabAll->caption(), QStringLiteral("32"));
        // Boxes no one listens to are pictures, not buttons.
        QCOMPARE(QAccessible::queryAccessibleInterface(f.PicBK)->role(), QAccessible::Graphic);
        QVERIFY(pressAccessible(&f, QStringLiteral("帮助")));
        QVERIFY(f.form3()->isOpen() && !f.isEnabled());
        // Pressing a disabled button does nothing.
        QVERIFY(pressAccessible(&f, QStringLiteral("开始")));
        QVERIFY(!f.playing);
        f.form3()->Close();

        f.form2()->Show();
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(f.form2()->window());
        QVERIFY(findAccessible(root, QStringLiteral("您的大名"), QAccessible::EditableText));
        QVERIFY(findAccessible(root, QStringLiteral("确认"), QAccessible::Button));
    }
};

QTEST_MAIN(TestKeypad)
#include "test_keypad.moc"
