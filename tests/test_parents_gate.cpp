// The parents' gate (a number in Chinese numerals typed in digits) and the
// family's settings dialog over a history file: what each change writes,
// what a refusal or an unwritable file leaves, and what the dialog then shows.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <vector>

#include "history/family.h"
#include "history/store.h"
#include "parents/familydialog.h"
#include "parents/gate.h"

using history::Change;

namespace {

// The widget of type W under `top` that a screen reader calls `name`.
template <class W>
W* named(const QWidget* top, const QString& name)
{
    for (W* w : top->findChildren<W*>()) {
        if (w->accessibleName() == name)
            return w;
    }
    return nullptr;
}

QAbstractButton* buttonWithText(const QWidget* top, const QString& text)
{
    for (QAbstractButton* b : top->findChildren<QAbstractButton*>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

// Runs `drive` on the modal dialog that opens next, once it is shown; the
// dialog is rejected after it if still open, so that a failed check cannot
// leave the test waiting on it.
void whenModal(const std::function<void(QDialog*)>& drive)
{
    QTimer::singleShot(0, qApp, [drive] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            whenModal(drive);
            return;
        }
        drive(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

// Draws of a random source, in turn.
std::function<double()> draws(std::vector<double> values)
{
    return [values, i = std::size_t(0)]() mutable { return values.at(std::min(i++, values.size() - 1)); };
}

history::Game gameOn(const QDate& day, std::int64_t child)
{
    history::Game g;
    g.started = QDateTime(day, QTime(10, 0), Qt::OffsetFromUTC, 8 * 3600);
    g.childId = child;
    g.score = 100;
    g.ending = history::Ending::Time;
    return g;
}

QLabel* banner(const QWidget* dialog, const char* kind)
{
    auto* l = dialog->findChild<QLabel*>(QLatin1String(kind));
    return l && l->isVisible() ? l : nullptr;
}

}  // namespace

class TestParentsGate : public QObject {
    Q_OBJECT
private slots:
    void numerals_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("text");
        QTest::newRow("1") << 1 << QStringLiteral("一");
        QTest::newRow("10") << 10 << QStringLiteral("十");
        QTest::newRow("12") << 12 << QStringLiteral("十二");
        QTest::newRow("20") << 20 << QStringLiteral("二十");
        QTest::newRow("105") << 105 << QStringLiteral("一百零五");
        QTest::newRow("110") << 110 << QStringLiteral("一百一十");
        QTest::newRow("222") << 222 << QStringLiteral("二百二十二");
        QTest::newRow("1000") << 1000 << QStringLiteral("一千");
        QTest::newRow("1001") << 1001 << QStringLiteral("一千零一");
        QTest::newRow("1010") << 1010 << QStringLiteral("一千零一十");
        QTest::newRow("1100") << 1100 << QStringLiteral("一千一百");
        QTest::newRow("2020") << 2020 << QStringLiteral("两千零二十");
        QTest::newRow("2222") << 2222 << QStringLiteral("两千二百二十二");
        QTest::newRow("3052") << 3052 << QStringLiteral("三千零五十二");
        QTest::newRow("4010") << 4010 << QStringLiteral("四千零一十");
        QTest::newRow("6100") << 6100 << QStringLiteral("六千一百");
        QTest::newRow("7009") << 7009 << QStringLiteral("七千零九");
        QTest::newRow("9999") << 9999 << QStringLiteral("九千九百九十九");
        QTest::newRow("0") << 0 << QString();
        QTest::newRow("10000") << 10000 << QString();
    }
    void numerals()
    {
        QFETCH(int, n);
        QFETCH(QString, text);
        QCOMPARE(history::chineseNumeral(n), text);
    }

    // Nothing typed keeps the number; a wrong answer says so and brings
    // another, never the same; only digits go in, full-width ones count;
    // the right one opens the gate, 取消 keeps it shut.
    void gate()
    {
        QStringList shown;
        whenModal([&](QDialog* gate) {
            auto* answer = named<QLineEdit>(gate, QStringLiteral("用数字输入上面的数"));
            auto* number = gate->findChild<QLabel*>(QStringLiteral("number"));
            auto* ok = named<QPushButton>(gate, QStringLiteral("确定"));
            QVERIFY(answer && number && ok);
            shown << number->text();
            ok->click();
            QCOMPARE(gate->findChild<QLabel*>(QStringLiteral("wrong"))->text(), QStringLiteral("请先输入数字"));
            QTest::keyClicks(answer, QStringLiteral("12ab345"));
            QCOMPARE(answer->text(), QStringLiteral("1234"));
            ok->click();
            QVERIFY(gate->isVisible());
            QCOMPARE(gate->findChild<QLabel*>(QStringLiteral("wrong"))->text(), QStringLiteral("不对，请再试一次"));
            QVERIFY(answer->text().isEmpty());
            shown << number->text();
            answer->setText(QStringLiteral("１００１"));
            ok->click();
        });
        // 0 and 0 again: 1000, then the next one up rather than 1000 twice.
        QVERIFY(history::askParents(nullptr, draws({0.0, 0.0})));
        QCOMPARE(shown, QStringList({QStringLiteral("一千"), QStringLiteral("一千零一")}));

        whenModal([&](QDialog* gate) {
            QCOMPARE(gate->findChild<QLabel*>(QStringLiteral("number"))->text(), QStringLiteral("五千五百"));
            gate->findChild<QLineEdit*>()->setText(QStringLiteral("5500"));
            named<QPushButton>(gate, QStringLiteral("取消"))->click();
        });
        QVERIFY(!history::askParents(nullptr, draws({0.5})));
    }

    // A taken name is refused in the dialog with nothing written and the
    // name kept to be mended; a new child gets the picture chosen.
    void addChild()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        QCOMPARE(history::FamilyWriter(path).add(QStringLiteral("小明"), QStringLiteral("lamb")), Change::Done);
        history::FamilyDialog dialog(path);
        dialog.show();
        auto* name = named<QLineEdit>(&dialog, QStringLiteral("新孩子的名字"));
        auto* add = buttonWithText(&dialog, QStringLiteral("添加"));
        QVERIFY(name && add);
        // The first free animal is offered.
        QVERIFY(named<QAbstractButton>(&dialog, QStringLiteral("小猫"))->isChecked());

        name->setText(QStringLiteral(" 小明 "));
        add->click();
        auto* refusal = dialog.findChild<QLabel*>(QStringLiteral("refusal"));
        QVERIFY(refusal->isVisible());
        QCOMPARE(refusal->text(), QStringLiteral("已经有叫 小明 的孩子了"));
        QCOMPARE(name->text(), QStringLiteral(" 小明 "));
        QCOMPARE(history::readFamily(path).children.size(), std::size_t(1));
        QVERIFY(!dialog.changed());

        // Typed through an input method, as Chinese is.
        QInputMethodEvent typed;
        typed.setCommitString(QStringLiteral("一二三四五六七八九十一二三四五六七"));
        QApplication::sendEvent(name, &typed);
        QCOMPARE(refusal->text(), QStringLiteral("名字最多 16 个字"));

        name->setText(QStringLiteral("小红"));
        named<QAbstractButton>(&dialog, QStringLiteral("熊猫"))->click();
        add->click();
        const history::Family family = history::readFamily(path);
        QCOMPARE(family.children.size(), std::size_t(2));
        QCOMPARE(family.children[1].name, QStringLiteral("小红"));
        QCOMPARE(family.children[1].animal, QStringLiteral("panda"));
        QVERIFY(dialog.changed());
        QVERIFY(name->text().isEmpty() && !refusal->isVisible());
        QVERIFY(named<QPushButton>(&dialog, QStringLiteral("删除 小红")));

        // A taken name is refused in the renaming dialog, which stays open.
        whenModal([](QDialog* ask) {
            auto* edit = named<QLineEdit>(ask, QStringLiteral("新名字"));
            auto* ok = named<QPushButton>(ask, QStringLiteral("确定"));
            edit->setText(QStringLiteral("小明"));
            ok->click();
            QVERIFY(ask->isVisible());
            QCOMPARE(ask->findChild<QLabel*>(QStringLiteral("refusal"))->text(), QStringLiteral("已经有叫 小明 的孩子了"));
            edit->setText(QStringLiteral("小兰"));
            ok->click();
        });
        named<QPushButton>(&dialog, QStringLiteral("给 小红 改名字"))->click();
        QCOMPARE(history::readFamily(path).children[1].name, QStringLiteral("小兰"));
        QVERIFY(named<QPushButton>(&dialog, QStringLiteral("删除 小兰")));
    }

    // Removing asks first and keeps the child's games, under no child; the
    // games of no child then go to another child from a chosen day on.
    void removeAndGive()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        std::int64_t ming = 0, hong = 0;
        {
            history::FamilyWriter writer(path);
            QCOMPARE(writer.add(QStringLiteral("小明"), QStringLiteral("lamb"), &ming), Change::Done);
            QCOMPARE(writer.add(QStringLiteral("小红"), QStringLiteral("cat"), &hong), Change::Done);
            history::Store store(path);
            QVERIFY(store.open());
            for (const QDate day : {QDate(2026, 3, 1), QDate(2026, 3, 5)})
                QVERIFY(store.addGame(gameOn(day, ming)));
            QVERIFY(store.addGame(gameOn(QDate(2026, 3, 3), 0)));
        }
        QCOMPARE(history::gamesOf(path, ming), 2);
        QCOMPARE(history::gamesOf(path, 0), 1);
        history::FamilyDialog dialog(path);
        dialog.show();
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("count"))->text(), QStringLiteral("有 1 局。"));

        QString asked;
        const auto answer = [&](const QString& button) {
            whenModal([&asked, button](QDialog* box) {
                asked = static_cast<QMessageBox*>(box)->text();
                buttonWithText(box, button)->click();
            });
            named<QPushButton>(&dialog, QStringLiteral("删除 小明"))->click();
        };
        answer(QStringLiteral("不删"));
        QCOMPARE(asked, QStringLiteral("删除 小明？\n小明的 2 局记录不会删除，会归到“其他孩子”。"));
        QCOMPARE(history::readFamily(path).children.size(), std::size_t(2));
        QVERIFY(!dialog.changed());
        answer(QStringLiteral("删除"));
        QCOMPARE(history::readFamily(path).children.size(), std::size_t(1));
        QCOMPARE(history::gamesOf(path, 0), 3);
        QVERIFY(!named<QPushButton>(&dialog, QStringLiteral("删除 小明")));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("count"))->text(), QStringLiteral("有 3 局。"));

        // From 3 March on: two of the three.
        auto* giveTo = named<QComboBox>(&dialog, QStringLiteral("归给哪个孩子"));
        QCOMPARE(giveTo->currentText(), QStringLiteral("小红"));
        buttonWithText(&dialog, QStringLiteral("从这天起："))->click();
        named<QDateEdit>(&dialog, QStringLiteral("从哪天起"))->setDate(QDate(2026, 3, 3));
        buttonWithText(&dialog, QStringLiteral("归给这个孩子"))->click();
        QVERIFY(banner(&dialog, "done"));
        QCOMPARE(banner(&dialog, "done")->text(), QStringLiteral("已经把 2 局归给小红。"));
        QCOMPARE(history::gamesOf(path, hong), 2);
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("count"))->text(), QStringLiteral("有 1 局。"));
    }

    // Each checkbox writes its setting and shows it as read back.
    void settings()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        QCOMPARE(history::FamilyWriter(path).add(QStringLiteral("小明"), QStringLiteral("lamb")), Change::Done);
        history::FamilyDialog dialog(path);
        dialog.show();
        auto* practice = named<QCheckBox>(&dialog, QStringLiteral("小明 多练难题"));
        QVERIFY(practice && !practice->isChecked());
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        practice->setFocus();
        practice->click();
        QVERIFY(history::readFamily(path).children.at(0).practice);
        // The row is made anew from the file, showing what it holds, the
        // keyboard still on its checkbox.
        practice = named<QCheckBox>(&dialog, QStringLiteral("小明 多练难题"));
        QVERIFY(practice->isChecked());
        QTRY_VERIFY(practice->hasFocus());
        buttonWithText(&dialog, QStringLiteral("其他孩子也多练难题"))->click();
        buttonWithText(&dialog, QStringLiteral("总是显示数字键盘"))->click();
        const history::Family family = history::readFamily(path);
        QVERIFY(family.practiceForOthers && family.keypadAlways);
        QVERIFY(dialog.changed());
    }

    // A history that cannot be written: each change shows the problem,
    // and what the dialog shows stays as it was.
    void notWritten()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        // Its folder is a file: it can be neither made nor written.
        history::FamilyDialog dialog(dir.filePath(QStringLiteral("file/history.sqlite")));
        dialog.show();
        auto* keypad = qobject_cast<QCheckBox*>(buttonWithText(&dialog, QStringLiteral("总是显示数字键盘")));
        keypad->click();
        QVERIFY(banner(&dialog, "problem"));
        QVERIFY(banner(&dialog, "problem")->text().startsWith(QStringLiteral("没有保存：")));
        QVERIFY(!keypad->isChecked());
        named<QLineEdit>(&dialog, QStringLiteral("新孩子的名字"))->setText(QStringLiteral("小明"));
        buttonWithText(&dialog, QStringLiteral("添加"))->click();
        QVERIFY(banner(&dialog, "problem"));
        QCOMPARE(named<QLineEdit>(&dialog, QStringLiteral("新孩子的名字"))->text(), QStringLiteral("小明"));
        QVERIFY(!named<QPushButton>(&dialog, QStringLiteral("删除 小明")));
        QVERIFY(!dialog.changed());
    }
};

QTEST_MAIN(TestParentsGate)
#include "test_parents_gate.moc"
