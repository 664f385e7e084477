#include "parents/progresswindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "assets/animals.h"
#include "assets/palette.h"
#include "history/csvexport.h"
#include "history/store.h"
#include "parents/familydialog.h"
#include "parents/gate.h"
#include "parents/widgets.h"
#include "platform/songfont.h"
#include "practice/practice.h"

namespace history {

namespace {

// The child a game is shown under: its own, or 0 (the games of no child)
// when that child is not in the family (any more).
std::int64_t shownUnder(const Game& game, const Family& family)
{
    const auto known = std::any_of(family.children.begin(), family.children.end(),
                                   [&game](const Child& c) { return c.id == game.childId; });
    return known ? game.childId : 0;
}

// A child's portrait for a button, `size` logical pixels, sharp on a plain
// screen, a screen scaling by 2 and the screen's own `ratio`.
QIcon portrait(const QString& animal, int size, double ratio)
{
    QIcon icon;
    for (double r : {1.0, 2.0, ratio}) {
        QPixmap pixmap = QPixmap::fromImage(assets::animalPicture(animal, static_cast<int>(std::ceil(size * r))));
        pixmap.setDevicePixelRatio(r);
        icon.addPixmap(pixmap);
    }
    return icon;
}

const char* const kStyle = R"(
QFrame#header { background: #8ecff5; border-bottom: 4px solid #7ec722; }
QLabel#title, QLabel#summary { color: #5e3a17; }
QLabel#chooserName { color: #4a3a2c; }
QPushButton#choice { background: #ffffff; color: #4a3a2c; border: 1px solid #8fc45a;
                     border-radius: 13px; padding: 4px 12px; min-height: 18px; }
QPushButton#choice:hover { background: #f1fbe4; }
QPushButton#choice:checked { background: #58a117; color: #ffffff; border-color: #3f7f12; }
QPushButton#childChoice { background: #ffffff; color: #4a3a2c; border: 3px solid #d3e3ec;
                          border-radius: 24px; padding: 2px 14px 2px 3px; }
QPushButton#childChoice:hover { background: #f1fbe4; }
QPushButton#childChoice:checked { background: #fffbe8; border: 3px solid #58a117; font-weight: bold; }
QPushButton#settings { background: #ffffff; color: #5e3a17; border: 1px solid #c4863f;
                       border-radius: 13px; padding: 4px 12px; min-height: 18px; }
QPushButton#settings:hover { background: #fff6e8; }
QLabel#practiceState { color: #4a3a2c; }
QPushButton#export { background: #c4863f; color: #ffffff; border: 1px solid #8b5a2b;
                     border-radius: 5px; padding: 6px 16px; }
QPushButton#export:hover { background: #d0944f; }
QPushButton#export:pressed { background: #a96f2f; }
QLabel#problem { background: #fff6c4; color: #6b3f17; border: 1px solid #e5b300;
                 border-radius: 5px; padding: 8px 12px; }
QLabel#empty { background: #ffffff; color: #5e3a17; border: 1px solid #d3e3ec; border-radius: 6px;
               padding: 24px; }
QLabel#note, QLabel#storage { color: #6b5f55; }
QScrollArea, QWidget#page { background: #f3f9fc; }
)";

}  // namespace

// ------------------------------------------------------------------- window

ProgressWindow::ProgressWindow(std::vector<Game> games, QString problem, QDate today, QString storePath,
                               Family family, QWidget* parent)
    : QWidget(parent), family_(std::move(family)), storePath_(std::move(storePath)), today_(today)
{
    setWindowTitle(QStringLiteral("家长：学习进度"));
    setFont(vb::songFont(14));
    setStyleSheet(QString::fromUtf8(kStyle));
    resize(960, 700);

    // The child of the latest game shows first.
    const auto latest = std::max_element(games.begin(), games.end(),
                                         [](const Game& a, const Game& b) { return a.started < b.started; });
    if (!family_.children.empty())
        child_ = latest != games.end() ? shownUnder(*latest, family_) : family_.children.front().id;
    takeGames(std::move(games));
    choosePeriodOfLatest();

    // The sky-blue band with the title, the two choosers (nothing to
    // choose from before the first game) and the way to the settings, and
    // under them the children's pictures.
    auto* outer = box<QVBoxLayout>(this, 0);
    auto* header = new QFrame(this);
    header->setObjectName(QStringLiteral("header"));
    auto* headerColumn = box<QVBoxLayout>(header, 8, {18, 10, 18, 12});
    auto* headerRow = box<QHBoxLayout>(headerColumn, 6);
    headerRow->addWidget(label(QStringLiteral("学习进度"), "title", 24, header, true));
    headerRow->addStretch(1);
    auto chooser = [&](const char* name, const QStringList& choices, int checked) {
        headerRow->addSpacing(14);
        choosers_.push_back(label(QString::fromUtf8(name), "chooserName", 14, header));
        headerRow->addWidget(choosers_.back());
        auto* group = new QButtonGroup(this);
        for (int i = 0; i < choices.size(); ++i) {
            auto* button = new QPushButton(choices.at(i), header);
            button->setObjectName(QStringLiteral("choice"));
            button->setCheckable(true);
            button->setChecked(i == checked);
            button->setCursor(Qt::PointingHandCursor);
            group->addButton(button, i);
            headerRow->addWidget(button);
            choosers_.push_back(button);
        }
        return group;
    };
    levelButtons_ = chooser("关卡：", {QStringLiteral("第一关 1~9"), QStringLiteral("第二关 1~29")}, level_);
    periodButtons_ = chooser("时间：", {QStringLiteral("最近 7 天"), QStringLiteral("最近 30 天"), QStringLiteral("全部")},
                             static_cast<int>(period_));
    connect(levelButtons_, &QButtonGroup::idClicked, this, [this](int id) { choose(id, period_); });
    connect(periodButtons_, &QButtonGroup::idClicked, this, [this](int id) { choose(level_, Period(id)); });
    if (!storePath_.isEmpty()) {
        headerRow->addSpacing(18);
        auto* settings = new QPushButton(QStringLiteral("孩子和设置…"), header);
        settings->setObjectName(QStringLiteral("settings"));
        settings->setCursor(Qt::PointingHandCursor);
        settings->setToolTip(QStringLiteral("添加孩子、改名字、换图片、多练难题……（先回答一道家长题）"));
        connect(settings, &QPushButton::clicked, this, &ProgressWindow::changeFamily);
        headerRow->addWidget(settings);
    }
    childrenRow_ = new QWidget(header);
    headerColumn->addWidget(childrenRow_);
    childButtons_ = new QButtonGroup(this);
    connect(childButtons_, &QButtonGroup::idClicked, this, [this](int index) {
        chooseChild(index < static_cast<int>(family_.children.size()) ? family_.children[index].id : 0);
    });
    box<QHBoxLayout>(childrenRow_, 8);
    fillChildrenRow();
    outer->addWidget(header);

    // Everything else scrolls when the window is small.
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("page"));
    auto* column = box<QVBoxLayout>(page, 10, {14, 12, 14, 12});
    if (!problem.isEmpty())
        column->addWidget(label(problem, "problem", 15, page, false, true, true));
    column->addWidget(summary_ = label(QString(), "summary", 16, page, true));
    column->addWidget(empty_ = label(QString(), "empty", 17, page, false, true));
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setTextFormat(Qt::RichText);
    empty_->setMinimumHeight(200);

    // The three charts of the chosen games.
    figures_ = new QWidget(page);
    auto* charts = box<QHBoxLayout>(figures_, 10);
    scoreChart_ = new Chart(QStringLiteral("每局得分"), QStringLiteral("圆点是玩完的每一局，曲线是大致的走势"),
                            QStringLiteral("分"), QString(), figures_);
    speedChart_ = new Chart(QStringLiteral("答题速度"), QStringLiteral("每天答对一题用的时间（中位数），越低越快"),
                            QStringLiteral("秒"), QStringLiteral("这段时间还没有答对的题。"), figures_);
    accuracyChart_ = new Chart(QStringLiteral("正确率"), QStringLiteral("每天答对的占全部作答的多少"),
                               QStringLiteral("%"), QStringLiteral("这段时间还没有作答。"), figures_);
    accuracyChart_->setYMax(100);
    for (Chart* chart : {scoreChart_, speedChart_, accuracyChart_}) {
        chart->setMinimumHeight(220);
        charts->addWidget(chart, 1);
    }
    column->addWidget(figures_);

    // The hard sums on the left, in words on a card and the time of each
    // kind in bars; the calendar and the export on the right.
    auto* lower = box<QHBoxLayout>(column, 10);
    hardSumsPanel_ = new QWidget(page);
    auto* hardColumn = box<QVBoxLayout>(hardSumsPanel_, 10);
    auto* card = new Card(QStringLiteral("难一点的题"), QString(), hardSumsPanel_);
    hardSums_ = new QLabel(card);
    hardSums_->setWordWrap(true);
    hardSums_->setTextFormat(Qt::RichText);
    box<QVBoxLayout>(card, 0, {12, static_cast<int>(std::ceil(card->top())), 12, 10})->addWidget(hardSums_);
    hardColumn->addWidget(card);
    sumKindsChart_ = new Chart(QStringLiteral("每种题的用时"),
                               QStringLiteral("按秤上的数分开：要进位的（如 7+5）和不进位的（如 3+5）"),
                               QStringLiteral("秒"), QStringLiteral("还没有答对的题。"), hardSumsPanel_);
    sumKindsChart_->setMinimumHeight(190);
    hardColumn->addWidget(sumKindsChart_, 1);
    lower->addWidget(hardSumsPanel_, 1);

    auto* right = box<QVBoxLayout>(lower, 8);
    right->addWidget(calendar_ = new CalendarView(games_, today_, page));
    auto* exportRow = box<QHBoxLayout>(right, 8);
    auto* exportButton = new QPushButton(QStringLiteral("导出为表格…"), page);
    exportButton->setObjectName(QStringLiteral("export"));
    exportButton->setCursor(Qt::PointingHandCursor);
    connect(exportButton, &QPushButton::clicked, this, [this] {
        const QString folder =
            QFileDialog::getExistingDirectory(this, QStringLiteral("把表格存到哪个文件夹"), QDir::homePath());
        QString message;
        if (!folder.isEmpty()) {
            const QMessageBox::Icon icon = exportTo(folder, &message) ? QMessageBox::Information : QMessageBox::Warning;
            QMessageBox(icon, QStringLiteral("导出为表格"), message, QMessageBox::Ok, this).exec();
        }
    });
    exportRow->addWidget(exportButton, 0, Qt::AlignTop);
    exportRow->addWidget(label(QStringLiteral("全部记录存成两份表格：每局一行、每题一行，WPS 表格、Excel、LibreOffice 都能打开。"),
                               "note", 13, page, false, true),
                         1);
    for (int i = 0; i < exportRow->count(); ++i)
        exportRow_.push_back(exportRow->itemAt(i)->widget());
    right->addStretch(1);

    // Every sum of the level, a square each, in a row of its own.
    column->addWidget(sumGrid_ = new SumGrid(page));

    if (!storePath_.isEmpty()) {
        column->addWidget(label(QStringLiteral("记录保存在本机：") + QDir::toNativeSeparators(storePath_), "storage", 13,
                                page, false, true, true));
    }
    column->addStretch(1);
    scroll->setWidget(page);
    outer->addWidget(scroll, 1);

    // Under a style sheet the window's font does not reach its children:
    // each one that names none is given the game's font here.
    for (QWidget* child : findChildren<QWidget*>()) {
        if (!child->testAttribute(Qt::WA_SetFont))
            child->setFont(vb::songFont(14));
    }
    refresh();
}

void ProgressWindow::choosePeriodOfLatest()
{
    const auto latest = std::max_element(games_.begin(), games_.end(),
                                         [](const Game& a, const Game& b) { return a.started < b.started; });
    if (latest != games_.end()) {
        level_ = latest->level == 1 ? 1 : 0;
        period_ = selectGames(games_, level_, Period::Month, today_).empty() ? Period::All : Period::Month;
    }
}

void ProgressWindow::fillChildrenRow()
{
    QLayout* row = childrenRow_->layout();
    while (QLayoutItem* item = row->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    practiceState_ = nullptr;
    childrenRow_->setVisible(!family_.children.empty());
    if (family_.children.empty())
        return;
    // Each child by their picture and name, then "其他孩子" when any game
    // is of no child, or when one of them is shown.
    const bool others = child_ == 0 || others_.valid() || !byChild_[0].empty();
    const int count = static_cast<int>(family_.children.size());
    for (int i = 0; i <= count; ++i) {
        if (i == count && !others)
            break;
        const bool visitor = i == count;
        const QString name = visitor ? QStringLiteral("其他孩子") : family_.children[i].name;
        auto* button = new QPushButton(name, childrenRow_);
        button->setObjectName(QStringLiteral("childChoice"));
        button->setAccessibleName(name);
        button->setIcon(portrait(visitor ? assets::kVisitorPicture : family_.children[i].animal, 40,
                                 devicePixelRatioF()));
        button->setIconSize(QSize(40, 40));
        button->setFont(vb::songFont(16));
        button->setCheckable(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setChecked((visitor ? 0 : family_.children[i].id) == child_);
        if (visitor)
            button->setToolTip(QStringLiteral("来玩的客人，和选了“别的小朋友”时玩的局"));
        childButtons_->addButton(button, i);
        row->addWidget(button);
    }
    static_cast<QHBoxLayout*>(row)->addStretch(1);
    row->addWidget(practiceState_ = label(QString(), "practiceState", 14, childrenRow_));
}

void ProgressWindow::chooseChild(std::int64_t child)
{
    if (QAbstractButton* button = childButtons_->button([&] {
            for (int i = 0; i < static_cast<int>(family_.children.size()); ++i) {
                if (family_.children[i].id == child)
                    return i;
            }
            return static_cast<int>(family_.children.size());
        }()))
        button->setChecked(true);
    if (child == child_ || family_.children.empty())
        return;
    takeOtherGames();
    byChild_[child_] = std::move(games_);
    child_ = child;
    games_ = std::move(byChild_[child_]);
    calendar_->setGames(games_);
    refresh();
}

void ProgressWindow::setHistory(std::vector<Game> games, Family family)
{
    others_ = {};
    family_ = std::move(family);
    const bool stillHere = std::any_of(family_.children.begin(), family_.children.end(),
                                       [this](const Child& c) { return c.id == child_; });
    if (!stillHere)
        child_ = family_.children.empty() ? 0 : family_.children.front().id;
    takeGames(std::move(games));
    if (selectGames(games_, level_, period_, today_).empty())
        choosePeriodOfLatest();
    levelButtons_->button(level_)->setChecked(true);
    periodButtons_->button(static_cast<int>(period_))->setChecked(true);
    fillChildrenRow();
    calendar_->setGames(games_);
    refresh();
}

void ProgressWindow::takeGames(std::vector<Game> games)
{
    games_.clear();
    byChild_.clear();
    for (Game& g : games) {
        const std::int64_t under = family_.children.empty() ? 0 : shownUnder(g, family_);
        (under == child_ ? games_ : byChild_[under]).push_back(std::move(g));
    }
}

std::vector<Game> ProgressWindow::allGames() const
{
    std::vector<Game> all = games_;
    for (const auto& [child, games] : byChild_)
        all.insert(all.end(), games.begin(), games.end());
    // The store's order: by the moment each started, then by number.
    std::stable_sort(all.begin(), all.end(), [](const Game& a, const Game& b) {
        return a.started.isValid() != b.started.isValid() ? !a.started.isValid()
               : a.started != b.started                   ? a.started < b.started
                                                          : a.id < b.id;
    });
    return all;
}

void ProgressWindow::setOtherGames(std::future<std::vector<Game>> others)
{
    others_ = std::move(others);
    fillChildrenRow();
    refresh();
}

void ProgressWindow::takeOtherGames()
{
    if (!others_.valid())
        return;
    for (Game& g : others_.get())
        byChild_[shownUnder(g, family_)].push_back(std::move(g));
}

void ProgressWindow::changeFamily()
{
    // Looking is free; changing asks the parents' question first.
    if (!askParents(this))
        return;
    FamilyDialog dialog(storePath_, this);
    dialog.exec();
    if (!dialog.changed())
        return;
    Store store(storePath_);
    setHistory(store.open() ? store.loadAll() : std::vector<Game>(), readFamily(storePath_));
}

void ProgressWindow::choose(int level, Period period)
{
    level = level == 1 ? 1 : 0;
    levelButtons_->button(level)->setChecked(true);
    periodButtons_->button(static_cast<int>(period))->setChecked(true);
    if (level != level_ || period != period_) {
        level_ = level;
        period_ = period;
        refresh();
    }
}

void ProgressWindow::refresh()
{
    const std::vector<const Game*> selected = selectGames(games_, level_, period_, today_);
    for (QWidget* w : choosers_)
        w->setVisible(!games_.empty());
    const bool anyGames = !games_.empty() || others_.valid() || std::any_of(byChild_.begin(), byChild_.end(), [](const auto& bucket) {
        return !bucket.second.empty();
    });
    for (QWidget* w : exportRow_)
        w->setVisible(anyGames);
    calendar_->setVisible(!games_.empty());
    if (practiceState_) {
        const auto shown = std::find_if(family_.children.begin(), family_.children.end(),
                                        [this](const Child& c) { return c.id == child_; });
        const bool on = shown != family_.children.end() ? shown->practice : family_.practiceForOthers;
        practiceState_->setText(on ? QStringLiteral("多练难题：开着") : QStringLiteral("多练难题：没开"));
        practiceState_->setToolTip(on ? QStringLiteral("小羊会多送这个孩子觉得难的题")
                                      : QStringLiteral("秤上的数随机出现，和平常一样"));
    }
    // Nothing to show: a friendly text in place of the figures.
    const QString who = family_.children.empty() ? QString() : [this] {
        const auto shown = std::find_if(family_.children.begin(), family_.children.end(),
                                        [this](const Child& c) { return c.id == child_; });
        return shown != family_.children.end() ? shown->name : QStringLiteral("其他孩子");
    }();
    const QString headline =
        games_.empty() ? who + QStringLiteral("还没有记录。")
                       : QString::fromUtf8(period_ == Period::All ? "还没有玩过%1。" : "这段时间没有玩%1。")
                             .arg(QString::fromUtf8(level_ == 0 ? "第一关" : "第二关"));
    const QString line = games_.empty() ? QStringLiteral("孩子每玩完一局，这里就会多一点内容：得分、速度、练习日历……")
                                        : QStringLiteral("换一个关卡或时间段看看吧。");
    empty_->setText(QStringLiteral("<p style=\"font-size:20px; font-weight:bold\">%1</p><p>%2</p>")
                        .arg(headline.toHtmlEscaped(), line.toHtmlEscaped()));
    empty_->setVisible(selected.empty());
    for (QWidget* w : {static_cast<QWidget*>(summary_), figures_, hardSumsPanel_})
        w->setVisible(!selected.empty());
    // The grid of sums, fast or slow by the mastery time practice judges
    // the child by: from the newest right answers at the level, whatever
    // the period.
    sumGrid_->setVisible(!selected.empty());
    sumGrid_->setGames(selected, level_,
                       practice::priorities(games_, level_, today_.startOfDay().addDays(1)).masteryTicks);

    if (selected.empty())
        return;
    summary_->setText(summaryText(selected, games_, today_));

    // All of it: from the day of the first game.
    QDate first = firstDayOf(period_, today_);
    for (const Game* game : selected)
        first = std::min(first.isValid() ? first : today_, dayOf(*game).isValid() ? dayOf(*game) : today_);
    for (Chart* chart : {scoreChart_, speedChart_, accuracyChart_})
        chart->setDays(first, today_);

    // Each game's score, and the trend through them. Only games played to
    // their end count: one broken off by the help or level button, a new
    // start or closing the window stopped at whatever it had, often nothing,
    // and would pull the trend down for no fault of the child's.
    std::vector<const Game*> playedOut;
    std::copy_if(selected.begin(), selected.end(), std::back_inserter(playedOut),
                 [](const Game* g) { return g->ending == Ending::Wrong || g->ending == Ending::Time; });
    // Games with practice on are rings of their own, under the one trend
    // of all games; without any, the chart is as it always was.
    Chart::Series scores{QStringLiteral("每局"), Chart::Style::Points, assets::kBallPink, {}};
    Chart::Series practised{QStringLiteral("开着练习"), Chart::Style::Rings, assets::kSkyDeep, {}};
    Chart::Series trend{QStringLiteral("走势"), Chart::Style::Line, assets::kWood, {}};
    const std::vector<ScorePoint> points = scorePoints(playedOut);
    for (std::size_t i = 0; i < points.size(); ++i) {
        (playedOut[i]->practice ? practised : scores).points.emplace_back(Chart::xOf(points[i].started), points[i].score);
        trend.points.emplace_back(Chart::xOf(points[i].started), points[i].trend);
    }
    if (practised.points.empty())
        scoreChart_->setSeries({scores, trend});
    else if (scores.points.empty())
        scoreChart_->setSeries({practised, trend});
    else
        scoreChart_->setSeries({scores, practised, trend});

    Chart::Series speed{QString(), Chart::Style::LinePoints, assets::kSkyDeep, {}};
    for (const DayValue& v : medianSecondsPerDay(selected))
        speed.points.emplace_back(Chart::xOf(v.day) + 0.5, v.value);
    speedChart_->setSeries({speed});

    // A bar a day while the bars can be told apart. Over a longer span each
    // day is a dot, and a line joins the weeks, which shows the course where
    // a line through the days would be a thicket.
    const bool bars = first.daysTo(today_) < 62;
    Chart::Series daily{bars ? QString() : QStringLiteral("每天"), bars ? Chart::Style::Bars : Chart::Style::Points,
                        bars ? assets::kGrass.darker(108) : assets::kGrass, {}};
    Chart::Series weekly{QStringLiteral("每周"), Chart::Style::Line, assets::kGrass.darker(125), {}};
    for (const DayValue& v : accuracyPerDay(selected))
        daily.points.emplace_back(Chart::xOf(v.day) + 0.5, v.value * 100);
    for (const DayValue& v : accuracyPerDay(selected, true))
        weekly.points.emplace_back(Chart::xOf(v.day) + 3.5, v.value * 100);
    accuracyChart_->setSeries(bars ? std::vector<Chart::Series>{daily} : std::vector<Chart::Series>{daily, weekly});

    // The hard sums in words, each after a pink dot that keeps the
    // sentence's further lines clear of it. Without a sentence, either too
    // few sums were answered to tell, or enough were and none stands out.
    // Games with practice on and off are not mixed (hardSumGames): the
    // words, and the time of each kind under them, say which were taken.
    const HardSumGames hard = hardSumGames(selected);
    QString rows;
    for (const QString& s : hardSumSentences(hard.games)) {
        rows += QStringLiteral("<tr><td style=\"color:%1; padding-right:6px\">●</td><td>%2</td></tr>")
                    .arg(assets::kBallPink.name(), s.toHtmlEscaped());
    }
    int answered = 0;
    for (const HardSum& group : hardSums(hard.games))
        answered += group.answered;
    const QString nothingHard = answered >= kSentenceMinAnswers
                                    ? QStringLiteral("各种题都差不多：没有哪一种明显更慢，也没有哪一种更容易错。")
                                    : QStringLiteral("题目还不够多，再玩几局，就能看出哪种题难一点。");
    const QString kind = hard.kind == HardSumGames::Kind::Both ? QString()
                         : QStringLiteral("<p style=\"margin:0 0 4px 0; color:%1\">%2</p>")
                               .arg(assets::kText.name(),
                                    hard.kind == HardSumGames::Kind::Practice
                                        ? QStringLiteral("只比较开着练习的局（下面的用时也是）")
                                        : QStringLiteral("只比较没开练习的局（下面的用时也是）"));
    hardSums_->setText(kind + (rows.isEmpty() ? QStringLiteral("<p style=\"margin:3px 0; color:%1\">%2</p>")
                                                    .arg(assets::kText.name(), nothingHard)
                                              : QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">%1</table>")
                                                    .arg(rows)));

    const int amounts = level_ == 0 ? 9 : 29;
    sumKindsChart_->setCategories(amounts);
    Chart::Series plain{QStringLiteral("不进位"), Chart::Style::Bars, assets::kSky.darker(112), {}};
    Chart::Series crossing{QStringLiteral("进位"), Chart::Style::Bars, assets::kBallPink, {}};
    for (const SumKind& k : sumKinds(hard.games)) {
        if (k.answered > 0 && k.amount >= 1 && k.amount <= amounts)
            (k.crossesTen ? crossing : plain).points.emplace_back(k.amount - 1, k.medianSeconds);
    }
    sumKindsChart_->setSeries({plain, crossing});
}

bool ProgressWindow::exportTo(const QString& folder, QString* message)
{
    takeOtherGames();
    QString error;
    const bool ok = exportCsv(allGames(), family_, folder, &error);
    const QDir dir(folder);
    *message = ok ? QStringLiteral("已导出两份表格：\n%1（每局一行）\n%2（每题一行）")
                        .arg(QDir::toNativeSeparators(dir.filePath(QString::fromLatin1(kGamesCsvName))),
                             QDir::toNativeSeparators(dir.filePath(QString::fromLatin1(kAnswersCsvName))))
                  : QStringLiteral("没能导出表格。\n") + error;
    return ok;
}

// -------------------------------------------------------------------- opening

std::unique_ptr<ProgressWindow> openProgressWindow(const QDate& today)
{
    // With children, the window shows one child's games at first: the
    // child of the latest game. Those are read here, the others' meanwhile
    // on a thread of their own, with a store of their own.
    Store store;
    Family family = readFamily(store.path());
    std::vector<Game> games;
    const bool opened = store.open();
    const std::int64_t shown = family.children.empty() || !opened ? -1 : store.latestChild();
    if (opened)
        games = store.loadAll(shown);
    auto window = std::make_unique<ProgressWindow>(std::move(games), store.problemText(), today, store.path(),
                                                   std::move(family));
    if (shown >= 0) {
        window->setOtherGames(std::async(std::launch::async, [path = store.path(), shown] {
            Store others(path);
            return others.open() ? others.loadAll(shown, true) : std::vector<Game>();
        }));
    }
    return window;
}

int showProgressWindow()
{
    const std::unique_ptr<ProgressWindow> window = openProgressWindow();
    window->show();
    return QApplication::exec();
}

}  // namespace history
