#include "parents/familydialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <vector>

#include "assets/animals.h"
#include "parents/chart.h"
#include "parents/widgets.h"
#include "platform/songfont.h"

namespace history {

namespace {

const char* const kStyle = R"(
QDialog, QScrollArea, QWidget#page { background: #f3f9fc; }
QFrame#header { background: #8ecff5; border-bottom: 4px solid #7ec722; }
QLabel#title { color: #5e3a17; }
QLabel#name, QLabel#prompt { color: #4a3a2c; }
QLabel#note, QLabel#count { color: #6b5f55; }
QLabel#refusal { color: #b0304a; }
QLabel#problem { background: #fff6c4; color: #6b3f17; border: 1px solid #e5b300; border-radius: 5px;
                 padding: 8px 12px; }
QLabel#done { background: #eaf7dc; color: #35600e; border: 1px solid #8fc45a; border-radius: 5px;
              padding: 8px 12px; }
QFrame#childRow { background: #f7fbf2; border: 1px solid #e1efd2; border-radius: 10px; }
QPushButton { background: #ffffff; color: #4a3a2c; border: 1px solid #8fc45a; border-radius: 16px;
              padding: 6px 16px; min-height: 22px; }
QPushButton:hover { background: #f1fbe4; }
QPushButton:disabled { color: #a89f97; border-color: #cfd8cf; }
QPushButton#primary { background: #58a117; color: #ffffff; border-color: #3f7f12; }
QPushButton#primary:hover { background: #64b01d; }
QPushButton#primary:disabled { background: #b9d7a0; border-color: #a3c48a; }
QPushButton#remove { border-color: #e79aae; color: #a0324e; }
QPushButton#remove:hover { background: #fdeef2; }
QLineEdit { background: #ffffff; color: #4a3a2c; border: 1px solid #b4c4cc; border-radius: 6px;
            padding: 4px 8px; min-height: 26px; }
QLineEdit:focus { border-color: #58a117; }
QCheckBox, QRadioButton { color: #4a3a2c; spacing: 8px; min-height: 30px; }
QCheckBox::indicator, QRadioButton::indicator { width: 22px; height: 22px; }
)";

constexpr int kFont = 15;
constexpr int kRowPicture = 56;     // a child's portrait in their row
constexpr int kPickerPicture = 64;  // an animal in the picker
constexpr int kComboPicture = 24;   // a child's portrait in the list to give games to
constexpr int kFieldHeight = 36;    // the list and the date, big enough for a finger

// Draws animal `id`'s portrait into `target` from a picture of as many
// device pixels as it covers, so that it is sharp at any ratio.
void drawPortrait(QPainter& p, const QRectF& target, const QString& id, double ratio)
{
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, assets::animalPicture(id, static_cast<int>(std::ceil(target.width() * ratio))));
}

QIcon portraitIcon(const QString& id, int size, double ratio)
{
    QPixmap pixmap = QPixmap::fromImage(assets::animalPicture(id, static_cast<int>(std::ceil(size * ratio))));
    pixmap.setDevicePixelRatio(ratio);
    return QIcon(pixmap);
}

QString animalName(const QString& id)
{
    const assets::Animal* animal = assets::findAnimal(id);
    return animal ? animal->name : id;
}

// A child's portrait, as large as it is made.
class Portrait : public QWidget {
public:
    Portrait(const QString& animal, int size, QWidget* parent) : QWidget(parent), animal_(animal)
    {
        setFixedSize(size, size);
        setAccessibleName(animalName(animal));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        drawPortrait(p, rect(), animal_, devicePixelRatioF());
    }

private:
    const QString animal_;
};

// An animal of the picker: its portrait over its name, ringed in green
// when chosen.
class AnimalButton : public QAbstractButton {
public:
    AnimalButton(const assets::Animal& animal, QWidget* parent) : QAbstractButton(parent), id_(animal.id)
    {
        setText(animal.name);
        setAccessibleName(animal.name);
        setCheckable(true);
        setCursor(Qt::PointingHandCursor);
        setAttribute(Qt::WA_Hover);
        setFont(vb::songFont(14));
    }
    const QString& id() const { return id_; }
    QSize sizeHint() const override { return {kPickerPicture + 14, kPickerPicture + 16 + fontMetrics().height() + 6}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF frame = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
        if (isChecked()) {
            p.setPen(QPen(QColor(0x58, 0xa1, 0x17), 3));
            p.setBrush(QColor(0xf1, 0xfb, 0xe4));
            p.drawRoundedRect(frame, 12, 12);
        } else if (underMouse() || hasFocus()) {
            p.setPen(QPen(QColor(0xb8, 0xda, 0x94), 1.5, hasFocus() ? Qt::DashLine : Qt::SolidLine));
            p.setBrush(QColor(0xf7, 0xfb, 0xf2));
            p.drawRoundedRect(frame, 12, 12);
        }
        const double down = isDown() ? 1 : 0;
        drawPortrait(p, QRectF((width() - kPickerPicture) / 2.0, 8 + down, kPickerPicture, kPickerPicture), id_,
                     devicePixelRatioF());
        p.setPen(isChecked() ? QColor(0x35, 0x60, 0x0e) : QColor(0x4a, 0x3a, 0x2c));
        p.drawText(QRectF(0, 8 + kPickerPicture + 4, width(), fontMetrics().height() + 2), Qt::AlignCenter, text());
    }

private:
    const QString id_;
};

// A button of the dialog's kind, named for the style sheet and for a
// screen reader.
QPushButton* button(const QString& text, const char* name, QWidget* parent, const QString& accessible = {})
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setFont(vb::songFont(kFont));
    b->setCursor(Qt::PointingHandCursor);
    b->setAutoDefault(false);
    b->setAccessibleName(accessible.isEmpty() ? text : accessible);
    return b;
}

// 取消 and 确定 at the foot of a small dialog; 确定 is returned, 取消 rejects.
QPushButton* okCancel(QDialog* dialog, QVBoxLayout* column)
{
    auto* row = box<QHBoxLayout>(column, 10);
    row->addStretch(1);
    QPushButton* cancel = button(QStringLiteral("取消"), "", dialog);
    QPushButton* ok = button(QStringLiteral("确定"), "primary", dialog);
    ok->setDefault(true);
    row->addWidget(cancel);
    row->addWidget(ok);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return ok;
}

// Under a style sheet a widget's font does not reach its children: each
// one that names none is given the game's font.
void giveFonts(QWidget* top)
{
    for (QWidget* child : top->findChildren<QWidget*>()) {
        if (!child->testAttribute(Qt::WA_SetFont))
            child->setFont(vb::songFont(kFont));
    }
}

}  // namespace

// The animals as checkable pictures, one chosen at a time.
class AnimalPicker : public QWidget {
public:
    AnimalPicker(int columns, QWidget* parent) : QWidget(parent), group_(new QButtonGroup(this))
    {
        auto* grid = new QGridLayout(this);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setSpacing(6);
        const std::vector<assets::Animal>& all = assets::animals();
        for (std::size_t i = 0; i < all.size(); ++i) {
            auto* b = new AnimalButton(all[i], this);
            group_->addButton(b);
            grid->addWidget(b, static_cast<int>(i) / columns, static_cast<int>(i) % columns);
        }
        grid->setColumnStretch(columns, 1);
        setAccessibleName(QStringLiteral("图片"));
    }
    QButtonGroup* group() const { return group_; }
    QString chosen() const
    {
        const auto* b = static_cast<AnimalButton*>(group_->checkedButton());
        return b ? b->id() : QString();
    }
    void choose(const QString& id)
    {
        for (QAbstractButton* b : group_->buttons())
            b->setChecked(static_cast<AnimalButton*>(b)->id() == id);
    }

private:
    QButtonGroup* group_;
};

FamilyDialog::FamilyDialog(const QString& path, QWidget* parent) : QDialog(parent), path_(path), writer_(path)
{
    setWindowTitle(QStringLiteral("孩子和设置"));
    setStyleSheet(QString::fromUtf8(kStyle));
    setFont(vb::songFont(kFont));

    auto* outer = box<QVBoxLayout>(this, 0);
    auto* header = new QFrame(this);
    header->setObjectName(QStringLiteral("header"));
    box<QHBoxLayout>(header, 0, {18, 10, 18, 12})->addWidget(label(QStringLiteral("孩子和设置"), "title", 24, header, true));
    outer->addWidget(header);
    banner_ = label(QString(), "done", kFont, this, false, true, true);
    banner_->hide();
    box<QVBoxLayout>(outer, 0, {14, 10, 14, 0})->addWidget(banner_);

    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("page"));
    auto* column = box<QVBoxLayout>(page, 12, {14, 10, 14, 12});
    const auto inside = [](Card* card) {
        return box<QVBoxLayout>(card, 8, {12, static_cast<int>(std::ceil(card->top())) + 4, 12, 12});
    };

    // The children, a row each.
    auto* children = new Card(QStringLiteral("孩子们"), QStringLiteral("开始游戏时先选是谁在玩，每个孩子的记录分开看"), page);
    rowsLayout_ = inside(children);
    column->addWidget(children);

    // A new child: a name and a picture.
    auto* adding = new Card(QStringLiteral("添加孩子"), QStringLiteral("名字最多 %1 个字，再选一个孩子喜欢的图片").arg(kMaxNameLength), page);
    auto* addColumn = inside(adding);
    addColumn->addWidget(fullNote_ = label(QString(), "note", kFont, adding, false, true));
    addPanel_ = new QWidget(adding);
    auto* panelColumn = box<QVBoxLayout>(addPanel_, 8);
    auto* nameRow = box<QHBoxLayout>(panelColumn, 8);
    nameRow->addWidget(label(QStringLiteral("名字："), "prompt", kFont, addPanel_));
    newName_ = new QLineEdit(addPanel_);
    newName_->setFont(vb::songFont(17));
    newName_->setAccessibleName(QStringLiteral("新孩子的名字"));
    newName_->setPlaceholderText(QStringLiteral("例如：小明"));
    nameRow->addWidget(newName_, 1);
    QPushButton* addButton = button(QStringLiteral("添加"), "primary", addPanel_);
    nameRow->addWidget(addButton);
    panelColumn->addWidget(addRefusal_ = label(QString(), "refusal", kFont, addPanel_, false, true));
    addRefusal_->hide();
    panelColumn->addWidget(newAnimal_ = new AnimalPicker(8, addPanel_));
    addColumn->addWidget(addPanel_);
    column->addWidget(adding);
    connect(addButton, &QPushButton::clicked, this, &FamilyDialog::addChild);
    connect(newName_, &QLineEdit::returnPressed, this, &FamilyDialog::addChild);
    connect(newAnimal_->group(), &QButtonGroup::buttonClicked, this, [this] { animalChosen_ = true; });
    // A name too long is said while it is typed; the rest when it is added.
    connect(newName_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const bool tooLong = checkName(text, family_) == NameCheck::TooLong;
        addRefusal_->setText(tooLong ? refusal(Change::NameTooLong, text) : QString());
        addRefusal_->setVisible(tooLong);
    });

    // The games of no child, to be given to one.
    auto* others = new Card(QStringLiteral("其他孩子的记录"),
                            QStringLiteral("不属于哪个孩子的局：添加孩子以前玩的，或选了“其他孩子”玩的"), page);
    auto* othersColumn = inside(others);
    othersColumn->addWidget(othersCount_ = label(QString(), "count", kFont, others, false, true));
    othersColumn->addWidget(giveNote_ = label(QStringLiteral("添加孩子以后，可以把这些记录归给他们。"), "note", kFont, others,
                                              false, true));
    givePanel_ = new QWidget(others);
    auto* giveColumn = box<QVBoxLayout>(givePanel_, 6);
    auto* whichRow = box<QHBoxLayout>(giveColumn, 10);
    giveAll_ = new QRadioButton(QStringLiteral("全部"), givePanel_);
    giveAll_->setChecked(true);
    auto* fromDay = new QRadioButton(QStringLiteral("从这天起："), givePanel_);
    giveFrom_ = new QDateEdit(QDate::currentDate(), givePanel_);
    giveFrom_->setCalendarPopup(true);
    giveFrom_->setDisplayFormat(QStringLiteral("yyyy年M月d日"));
    giveFrom_->setAccessibleName(QStringLiteral("从哪天起"));
    giveFrom_->setEnabled(false);
    giveFrom_->setMinimumHeight(kFieldHeight);
    whichRow->addWidget(giveAll_);
    whichRow->addSpacing(8);
    whichRow->addWidget(fromDay);
    whichRow->addWidget(giveFrom_);
    whichRow->addStretch(1);
    auto* toRow = box<QHBoxLayout>(giveColumn, 8);
    toRow->addWidget(label(QStringLiteral("归给："), "prompt", kFont, givePanel_));
    giveTo_ = new QComboBox(givePanel_);
    giveTo_->setAccessibleName(QStringLiteral("归给哪个孩子"));
    giveTo_->setIconSize(QSize(kComboPicture, kComboPicture));
    giveTo_->setMinimumSize(160, kFieldHeight);
    toRow->addWidget(giveTo_);
    toRow->addWidget(giveButton_ = button(QStringLiteral("归给这个孩子"), "primary", givePanel_));
    toRow->addStretch(1);
    othersColumn->addWidget(givePanel_);
    column->addWidget(others);
    connect(fromDay, &QRadioButton::toggled, giveFrom_, &QWidget::setEnabled);
    connect(giveButton_, &QPushButton::clicked, this, &FamilyDialog::give);

    // The family's settings.
    auto* settings = new Card(QStringLiteral("设置"), QString(), page);
    auto* settingsColumn = inside(settings);
    const auto setting = [&](const QString& text, const QString& note) {
        auto* check = new QCheckBox(text, settings);
        check->setFont(vb::songFont(kFont));
        settingsColumn->addWidget(check);
        QLabel* l = label(note, "note", 13, settings, false, true);
        l->setContentsMargins(30, 0, 0, 4);
        settingsColumn->addWidget(l);
        return check;
    };
    othersPractice_ = setting(QStringLiteral("其他孩子也多练难题"),
                              QStringLiteral("选“其他孩子”玩的时候，小羊也多送这些局里难一点的题。"));
    keypadAlways_ = setting(QStringLiteral("总是显示数字键盘"),
                            QStringLiteral("游戏旁边总有十个大数字键，用鼠标或触屏就能答题。"));
    column->addWidget(settings);
    connect(othersPractice_, &QCheckBox::clicked, this, [this](bool on) {
        const Change change = writer_.setPractice(0, on);
        change == Change::Done ? done(on ? QStringLiteral("其他孩子玩的时候也会多练难题。")
                                         : QStringLiteral("其他孩子玩的时候不再多练难题。"))
                               : failed(refusal(change, QString()));
    });
    connect(keypadAlways_, &QCheckBox::clicked, this, [this](bool on) {
        const Change change = writer_.setKeypadAlways(on);
        change == Change::Done ? done(on ? QStringLiteral("游戏会总是显示数字键盘。")
                                         : QStringLiteral("游戏不再总是显示数字键盘。"))
                               : failed(refusal(change, QString()));
    });

    column->addStretch(1);
    scroll->setWidget(page);
    outer->addWidget(scroll, 1);
    auto* foot = box<QHBoxLayout>(outer, 0, {14, 8, 14, 12});
    foot->addStretch(1);
    QPushButton* close = button(QStringLiteral("关闭"), "primary", this);
    foot->addWidget(close);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    reload();
    // Tall enough for all of it where the screen allows.
    const int height = sizeHint().height() - scroll->sizeHint().height() + page->sizeHint().height() + 4;
    resize(760, screen() ? std::min(height, screen()->availableGeometry().height() * 9 / 10) : height);
}

FamilyDialog::~FamilyDialog() = default;

void FamilyDialog::reload()
{
    family_ = writer_.family();
    const int othersGames = gamesOf(path_, 0);

    // The rows are made anew. The old ones go later, as the button that
    // brought this change may be one of them; meanwhile they are out of
    // the dialog.
    // The control that had the keyboard's focus in a row has it in the new one.
    QWidget* focused = rows_ && rows_->isAncestorOf(focusWidget()) ? focusWidget() : nullptr;
    const QString focusName = focused ? focused->accessibleName() : QString();
    if (rows_) {
        rows_->hide();
        rows_->setParent(nullptr);
        rows_->deleteLater();
    }
    rows_ = new QWidget;
    auto* list = box<QVBoxLayout>(rows_, 8);
    if (family_.children.empty()) {
        list->addWidget(label(QStringLiteral("还没有添加孩子。在下面添加以后，开始游戏时会先问是谁在玩。"), "note", kFont,
                              rows_, false, true));
    }
    for (const Child& child : family_.children)
        list->addWidget(childRow(child, rows_));
    rowsLayout_->addWidget(rows_);
    for (QWidget* w : rows_->findChildren<QWidget*>()) {
        if (!focusName.isEmpty() && w->accessibleName() == focusName)
            w->setFocus();
    }

    const bool full = static_cast<int>(family_.children.size()) >= kMaxChildren;
    addPanel_->setEnabled(!full);
    fullNote_->setText(QStringLiteral("已经有 %1 个孩子了，最多 %1 个，不能再添加。").arg(kMaxChildren));
    fullNote_->setVisible(full);
    std::vector<QString> taken;
    for (const Child& child : family_.children)
        taken.push_back(child.animal);
    if (!animalChosen_)
        newAnimal_->choose(assets::firstFreeAnimal(taken));

    othersCount_->setText(othersGames == 0 ? QStringLiteral("现在没有这样的记录。")
                                           : QStringLiteral("有 %1 局。").arg(othersGames));
    const QVariant wanted = giveTo_->currentData();
    giveTo_->clear();
    for (const Child& child : family_.children)
        giveTo_->addItem(portraitIcon(child.animal, kComboPicture, devicePixelRatioF()), child.name, qint64(child.id));
    giveTo_->setCurrentIndex(std::max(0, giveTo_->findData(wanted)));
    givePanel_->setVisible(!family_.children.empty());
    giveNote_->setVisible(family_.children.empty() && othersGames > 0);
    giveButton_->setEnabled(othersGames > 0);

    othersPractice_->setChecked(family_.practiceForOthers);
    keypadAlways_->setChecked(family_.keypadAlways);
    giveFonts(this);
}

QWidget* FamilyDialog::childRow(const Child& child, QWidget* parent)
{
    auto* row = new QFrame(parent);
    row->setObjectName(QStringLiteral("childRow"));
    auto* line = box<QHBoxLayout>(row, 10, {8, 6, 10, 6});
    line->addWidget(new Portrait(child.animal, kRowPicture, row));
    line->addWidget(label(child.name, "name", 18, row, true), 1);
    auto* practice = new QCheckBox(QStringLiteral("多练难题"), row);
    practice->setFont(vb::songFont(kFont));
    practice->setChecked(child.practice);
    practice->setAccessibleName(QStringLiteral("%1 多练难题").arg(child.name));
    practice->setToolTip(QStringLiteral("小羊多送%1觉得难的题").arg(child.name));
    line->addWidget(practice);
    line->addSpacing(6);
    QPushButton* renameButton = button(QStringLiteral("改名字"), "", row, QStringLiteral("给 %1 改名字").arg(child.name));
    QPushButton* pictureButton = button(QStringLiteral("换图片"), "", row, QStringLiteral("给 %1 换图片").arg(child.name));
    QPushButton* removeButton = button(QStringLiteral("删除"), "remove", row, QStringLiteral("删除 %1").arg(child.name));
    for (QPushButton* b : {renameButton, pictureButton, removeButton})
        line->addWidget(b);

    connect(practice, &QCheckBox::clicked, this, [this, child](bool on) {
        const Change change = writer_.setPractice(child.id, on);
        change == Change::Done ? done((on ? QStringLiteral("%1 会多练难题。") : QStringLiteral("%1 不再多练难题。"))
                                          .arg(child.name))
                               : failed(refusal(change, child.name));
    });
    connect(renameButton, &QPushButton::clicked, this, [this, child] { rename(child); });
    connect(pictureButton, &QPushButton::clicked, this, [this, child] { changePicture(child); });
    connect(removeButton, &QPushButton::clicked, this, [this, child] { remove(child); });
    return row;
}

QString FamilyDialog::refusal(Change change, const QString& name) const
{
    switch (change) {
    case Change::Done: break;
    case Change::NameEmpty: return QStringLiteral("名字不能是空的");
    case Change::NameTooLong: return QStringLiteral("名字最多 %1 个字").arg(kMaxNameLength);
    case Change::NameTaken: return QStringLiteral("已经有叫 %1 的孩子了").arg(cleanName(name));
    case Change::NoSuchChild: return QStringLiteral("没有找到%1：可能刚在别处删除了").arg(name);
    case Change::NoSuchAnimal: return QStringLiteral("请选一个图片");
    case Change::TooMany: return QStringLiteral("最多只能有 %1 个孩子").arg(kMaxChildren);
    case Change::NotWritten: return QStringLiteral("没有保存：%1").arg(writer_.problem());
    }
    return QString();
}

void FamilyDialog::done(const QString& message)
{
    changed_ = true;
    banner_->setObjectName(QStringLiteral("done"));
    banner_->setText(message);
    banner_->style()->unpolish(banner_);
    banner_->style()->polish(banner_);
    banner_->show();
    reload();
}

void FamilyDialog::failed(const QString& why)
{
    banner_->setObjectName(QStringLiteral("problem"));
    banner_->setText(why);
    banner_->style()->unpolish(banner_);
    banner_->style()->polish(banner_);
    banner_->show();
    reload();
}

void FamilyDialog::addChild()
{
    const QString name = newName_->text();
    const Change change = writer_.add(name, newAnimal_->chosen());
    if (change == Change::Done) {
        newName_->clear();
        addRefusal_->hide();
        animalChosen_ = false;
        done(QStringLiteral("已经添加了 %1。").arg(cleanName(name)));
    } else if (change == Change::NotWritten || change == Change::TooMany) {
        failed(refusal(change, name));
    } else {
        // The name stays in its box, to be mended.
        addRefusal_->setText(refusal(change, name));
        addRefusal_->show();
        newName_->setFocus();
        reload();
    }
}

void FamilyDialog::rename(const Child& child)
{
    QDialog ask(this);
    ask.setWindowTitle(QStringLiteral("改名字"));
    ask.setStyleSheet(QString::fromUtf8(kStyle));
    auto* column = box<QVBoxLayout>(&ask, 10, {20, 16, 20, 16});
    column->addWidget(label(QStringLiteral("给 %1 换一个名字：").arg(child.name), "prompt", 16, &ask));
    auto* edit = new QLineEdit(child.name, &ask);
    edit->setFont(vb::songFont(18));
    edit->setAccessibleName(QStringLiteral("新名字"));
    edit->selectAll();
    column->addWidget(edit);
    QLabel* why = label(QString(), "refusal", kFont, &ask, false, true);
    why->hide();
    column->addWidget(why);
    QPushButton* ok = okCancel(&ask, column);
    giveFonts(&ask);
    ask.resize(380, ask.sizeHint().height());

    Change result = Change::Done;
    connect(ok, &QPushButton::clicked, &ask, [&] {
        if (cleanName(edit->text()) == child.name) {
            ask.reject();  // nothing to change
            return;
        }
        result = writer_.rename(child.id, edit->text());
        if (result == Change::Done || result == Change::NotWritten || result == Change::NoSuchChild) {
            ask.accept();
        } else {
            why->setText(refusal(result, edit->text()));
            why->show();
        }
    });
    if (ask.exec() != QDialog::Accepted)
        return;
    if (result == Change::Done)
        done(QStringLiteral("%1 改名为 %2。").arg(child.name, cleanName(edit->text())));
    else
        failed(refusal(result, child.name));
}

void FamilyDialog::changePicture(const Child& child)
{
    QDialog ask(this);
    ask.setWindowTitle(QStringLiteral("换图片"));
    ask.setStyleSheet(QString::fromUtf8(kStyle));
    auto* column = box<QVBoxLayout>(&ask, 10, {20, 16, 20, 16});
    column->addWidget(label(QStringLiteral("给 %1 选一个图片：").arg(child.name), "prompt", 16, &ask));
    auto* picker = new AnimalPicker(4, &ask);
    picker->choose(child.animal);
    column->addWidget(picker);
    QPushButton* ok = okCancel(&ask, column);
    connect(ok, &QPushButton::clicked, &ask, &QDialog::accept);
    giveFonts(&ask);
    if (ask.exec() != QDialog::Accepted || picker->chosen() == child.animal)
        return;
    const Change change = writer_.setAnimal(child.id, picker->chosen());
    change == Change::Done
        ? done(QStringLiteral("%1 的图片换成了%2。").arg(child.name, animalName(picker->chosen())))
        : failed(refusal(change, child.name));
}

void FamilyDialog::remove(const Child& child)
{
    const int games = gamesOf(path_, child.id);
    const QString text = QStringLiteral("删除 %1？\n").arg(child.name) +
                         (games > 0 ? QStringLiteral("%1的 %2 局记录不会删除，会归到“其他孩子”。").arg(child.name).arg(games)
                                    : QStringLiteral("%1还没有记录。").arg(child.name));
    QMessageBox ask(QMessageBox::NoIcon, QStringLiteral("删除孩子"), text, QMessageBox::NoButton, this);
    QPushButton* yes = ask.addButton(QStringLiteral("删除"), QMessageBox::DestructiveRole);
    yes->setObjectName(QStringLiteral("remove"));
    QPushButton* no = ask.addButton(QStringLiteral("不删"), QMessageBox::RejectRole);
    ask.setDefaultButton(no);
    ask.setEscapeButton(no);
    giveFonts(&ask);
    ask.exec();
    if (ask.clickedButton() != yes)
        return;
    const Change change = writer_.remove(child.id);
    change == Change::Done
        ? done(games > 0 ? QStringLiteral("已经删除 %1，%1的记录归到了“其他孩子”。").arg(child.name)
                         : QStringLiteral("已经删除 %1。").arg(child.name))
        : failed(refusal(change, child.name));
}

void FamilyDialog::give()
{
    const std::int64_t child = giveTo_->currentData().toLongLong();
    const QString name = giveTo_->currentText();
    const QDate from = giveAll_->isChecked() ? QDate() : giveFrom_->date();
    int moved = 0;
    const Change change = writer_.give(child, from, &moved);
    if (change != Change::Done)
        failed(refusal(change, name));
    else if (moved == 0)
        failed(from.isValid() ? QStringLiteral("%1以后没有其他孩子的记录，没有归给%2。")
                                    .arg(from.toString(QStringLiteral("yyyy年M月d日")), name)
                              : QStringLiteral("没有其他孩子的记录，没有归给%1。").arg(name));
    else
        done(QStringLiteral("已经把 %1 局归给%2。").arg(moved).arg(name));
}

}  // namespace history
