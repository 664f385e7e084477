#include "parents/gate.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

#include "parents/widgets.h"
#include "platform/songfont.h"

namespace history {

namespace {

const char* const kStyle = R"(
QDialog { background: #f3f9fc; }
QLabel#title { color: #5e3a17; }
QLabel#prompt { color: #4a3a2c; }
QLabel#number { background: #ffffff; color: #5e3a17; border: 1px solid #d3e3ec; border-radius: 8px;
                padding: 12px 18px; }
QLabel#wrong { color: #b0304a; }
QLineEdit { background: #ffffff; color: #4a3a2c; border: 2px solid #8fc45a; border-radius: 8px;
            padding: 4px 10px; }
QPushButton { background: #ffffff; color: #4a3a2c; border: 1px solid #8fc45a; border-radius: 14px;
              padding: 6px 22px; min-height: 24px; }
QPushButton:hover { background: #f1fbe4; }
QPushButton#ok { background: #58a117; color: #ffffff; border-color: #3f7f12; }
QPushButton#ok:hover { background: #64b01d; }
)";

// The number a draw of `random` stands for, from 1000 to 9999.
int numberFrom(double r)
{
    return 1000 + std::clamp(static_cast<int>(r * 9000), 0, 8999);
}

// The digits typed, full-width ones (from a Chinese input method) as well.
int typedNumber(const QString& text)
{
    if (text.isEmpty())
        return -1;
    int n = 0;
    for (const QChar c : text)
        n = n * 10 + c.digitValue();
    return n;
}

}  // namespace

QString chineseNumeral(int n)
{
    if (n < 1 || n > 9999)
        return QString();
    static const QString digits = QStringLiteral("零一二三四五六七八九");
    static const QString units[4] = {QStringLiteral("千"), QStringLiteral("百"), QStringLiteral("十"), QString()};
    const int places[4] = {n / 1000, n / 100 % 10, n / 10 % 10, n % 10};
    QString text;
    bool zero = false;  // a zero since the last digit written, said once before the next
    for (int i = 0; i < 4; ++i) {
        const int d = places[i];
        if (d == 0) {
            zero = !text.isEmpty();
            continue;
        }
        if (zero)
            text += QStringLiteral("零");
        zero = false;
        // A number begins with 十, not 一十 (十二); two thousand is 两千, as
        // it is read aloud and as the primary-school books write it, while
        // 二 stays before 百 and 十 and as the last digit (二百二十二).
        if (i == 0 && d == 2)
            text += QStringLiteral("两");
        else if (!(i == 2 && d == 1 && text.isEmpty()))
            text += digits.at(d);
        text += units[i];
    }
    return text;
}

bool askParents(QWidget* parent, const std::function<double()>& random)
{
    const std::function<double()> draw =
        random ? random : [] { return QRandomGenerator::global()->generateDouble(); };

    QDialog gate(parent);
    gate.setWindowTitle(QStringLiteral("家长确认"));
    gate.setStyleSheet(QString::fromUtf8(kStyle));
    gate.setFont(vb::songFont(16));
    gate.setMinimumWidth(380);
    auto* column = box<QVBoxLayout>(&gate, 10, {24, 18, 24, 18});
    column->addWidget(label(QStringLiteral("家长确认"), "title", 22, &gate, true));
    column->addWidget(label(QStringLiteral("请用数字输入下面这个数："), "prompt", 16, &gate));
    QLabel* number = label(QString(), "number", 34, &gate, true);
    number->setAlignment(Qt::AlignCenter);
    column->addWidget(number);

    auto* answer = new QLineEdit(&gate);
    answer->setFont(vb::songFont(26));
    answer->setAlignment(Qt::AlignCenter);
    answer->setMaxLength(4);
    answer->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9０-９]{0,4}")), answer));
    answer->setInputMethodHints(Qt::ImhDigitsOnly);
    answer->setAccessibleName(QStringLiteral("用数字输入上面的数"));
    column->addWidget(answer);
    QLabel* wrong = label(QString(), "wrong", 15, &gate);
    column->addWidget(wrong);

    auto* buttons = box<QHBoxLayout>(column, 10);
    buttons->addStretch(1);
    auto* cancel = new QPushButton(QStringLiteral("取消"), &gate);
    auto* ok = new QPushButton(QStringLiteral("确定"), &gate);
    for (QPushButton* b : {cancel, ok}) {
        b->setFont(vb::songFont(16));
        b->setAccessibleName(b->text());
        b->setCursor(Qt::PointingHandCursor);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);

    int shown = 0;
    const auto showNew = [&] {
        // Never the same number twice running, so that a wrong answer is
        // seen to bring another.
        int next = numberFrom(draw());
        if (next == shown)
            next = next == 9999 ? 1000 : next + 1;
        shown = next;
        number->setText(chineseNumeral(shown));
        number->setAccessibleName(number->text());
    };
    showNew();
    QObject::connect(cancel, &QPushButton::clicked, &gate, &QDialog::reject);
    QObject::connect(ok, &QPushButton::clicked, &gate, [&] {
        const int typed = typedNumber(answer->text());
        if (typed == shown) {
            gate.accept();
            return;
        }
        if (typed < 0) {
            wrong->setText(QStringLiteral("请先输入数字"));
        } else {
            wrong->setText(QStringLiteral("不对，请再试一次"));
            showNew();
            answer->clear();
        }
        answer->setFocus();
    });
    answer->setFocus();
    return gate.exec() == QDialog::Accepted;
}

}  // namespace history
