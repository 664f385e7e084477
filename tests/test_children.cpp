// The first window of a family with children: who is playing.
#include <QAccessible>
#include <QKeyEvent>
#include <QPointingDevice>
#include <QSignalSpy>
#include <QtTest>

#include "assets/animals.h"
#include "children/whoisplaying.h"

using children::WhoIsPlaying;

class TestChildren : public QObject {
    Q_OBJECT
private slots:
    void animalsByIdOrName();
    void cardsChooseByClickAndDigit();
    void cardsFitTheWindow();
};

void TestChildren::animalsByIdOrName()
{
    QCOMPARE(assets::animals().size(), std::size_t(8));
    QCOMPARE(assets::findAnimal(QStringLiteral("Panda"))->id, QStringLiteral("panda"));
    QCOMPARE(assets::findAnimal(QStringLiteral(" 小猫 "))->id, QStringLiteral("cat"));
    QVERIFY(!assets::findAnimal(QStringLiteral("dragon")));
    // Each portrait is drawn, round: opaque in the middle, clear in the corners.
    for (const assets::Animal& a : assets::animals()) {
        const QImage picture = assets::animalPicture(a.id, 64);
        QCOMPARE(picture.size(), QSize(64, 64));
        QCOMPARE(qAlpha(picture.pixel(32, 32)), 255);
        QCOMPARE(qAlpha(picture.pixel(1, 1)), 0);
    }
    QVERIFY(assets::animalPicture(QStringLiteral("lamb"), 64) != assets::animalPicture(QStringLiteral("cat"), 64));
}

void TestChildren::cardsChooseByClickAndDigit()
{
    WhoIsPlaying window({{QStringLiteral("小明"), QStringLiteral("panda")},
                         {QStringLiteral("Lily"), QStringLiteral("duck")},
                         {QStringLiteral("阿宝"), QStringLiteral("bear")}});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy chosen(&window, &WhoIsPlaying::chosen);
    QCOMPARE(window.card(1)->text(), QStringLiteral("Lily"));
    QCOMPARE(window.card(1)->accessibleName(), QStringLiteral("Lily"));

    // Each choice is made once: the window takes nothing more until it is
    // enabled again.
    QWindow* keys = window.windowHandle();
    QTest::mouseClick(window.card(2), Qt::LeftButton);
    QTest::keyClick(keys, Qt::Key_1);
    window.setEnabled(true);
    QTest::keyClick(keys, Qt::Key_2);
    window.setEnabled(true);
    QTest::keyClick(keys, Qt::Key_1, Qt::KeypadModifier);
    window.setEnabled(true);
    QTest::keyClick(keys, Qt::Key_4);  // no fourth child
    QTest::keyClick(keys, Qt::Key_A);
    QTest::keyClick(keys, Qt::Key_0);
    window.setEnabled(true);
    QTest::mouseClick(window.card(-1), Qt::LeftButton);
    window.setEnabled(true);
    // A finger's tap, as the mouse events Qt makes of it.
    static QPointingDevice* touchScreen = QTest::createTouchDevice();
    const QPoint middle = window.card(0)->rect().center();
    QTest::touchEvent(&window, touchScreen).press(0, middle, window.card(0));
    QTest::touchEvent(&window, touchScreen).release(0, middle, window.card(0));
    QList<int> got;
    for (const QList<QVariant>& args : chosen)
        got.append(args.at(0).toInt());
    QCOMPARE(got, QList<int>({2, 1, 0, -1, -1, 0}));
    // A screen reader finds each picture as a button with the child's name.
    QAccessibleInterface* card = QAccessible::queryAccessibleInterface(window.card(2));
    QCOMPARE(card->role(), QAccessible::Button);
    QCOMPARE(card->text(QAccessible::Name), QStringLiteral("阿宝"));
    if (qEnvironmentVariableIsSet("PELLARO_TEST_PICTURES"))
        window.grab().save(qEnvironmentVariable("PELLARO_TEST_PICTURES") + QStringLiteral("/whoisplaying.png"));
}

void TestChildren::cardsFitTheWindow()
{
    // From one child to the most the digit keys reach: every card inside the
    // window and clear of the others.
    for (int n = 1; n <= WhoIsPlaying::kMaxChildren + 1; ++n) {
        std::vector<WhoIsPlaying::Child> kids;
        for (int i = 0; i < n; ++i)
            kids.push_back({QStringLiteral("孩子%1").arg(i + 1), assets::animals()[std::size_t(i) % 8].id});
        WhoIsPlaying window(kids);
        QCOMPARE(window.childCount(), std::min(n, WhoIsPlaying::kMaxChildren));
        std::vector<QRect> places;
        for (int i = -1; i < window.childCount(); ++i) {
            const QRect r = window.card(i)->geometry();
            QVERIFY2(window.rect().contains(r), qPrintable(QStringLiteral("%1 children").arg(n)));
            for (const QRect& other : places)
                QVERIFY(!other.intersects(r));
            places.push_back(r);
        }
    }
}

QTEST_MAIN(TestChildren)
#include "test_children.moc"
