#include "history/progresswindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QFrame>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "assets/palette.h"
#include "history/chart.h"
#include "history/csvexport.h"
#include "history/store.h"
#include "platform/firstpaint.h"
#include "platform/songfont.h"

namespace history {

namespace {

// The minutes a day where each shade of green ends: a game lasts a few
// minutes, and a quarter of an hour a day is a good deal of practice.
constexpr double kShadeLimits[4] = {3, 6, 10, 20};

constexpr int kCalendarWeeks = 26;
constexpr double kCardPad = 10;

const char* const kWeekdays[] = {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日"};

QString levelName(int level)
{
    return level == 0 ? QStringLiteral("第一关") : QStringLiteral("第二关");
}

QString minutesText(double minutes)
{
    if (minutes < 1)
        return QStringLiteral("不到 1 分钟");
    return QStringLiteral("%1 分钟").arg(std::lround(minutes));
}

const char* const kStyle = R"(
QFrame#header { background: #8ecff5; border-bottom: 4px solid #7ec722; }
QLabel#title { color: #5e3a17; }
QLabel#chooserName { color: #4a3a2c; }
QPushButton#choice { background: #ffffff; color: #4a3a2c; border: 1px solid #8fc45a;
                     border-radius: 13px; padding: 4px 12px; min-height: 18px; }
QPushButton#choice:hover { background: #f1fbe4; }
QPushButton#choice:checked { background: #58a117; color: #ffffff; border-color: #3f7f12; }
QPushButton#export { background: #c4863f; color: #ffffff; border: 1px solid #8b5a2b;
                     border-radius: 5px; padding: 6px 16px; }
QPushButton#export:hover { background: #d0944f; }
QPushButton#export:pressed { background: #a96f2f; }
QPushButton#export:disabled { background: #e3d3bf; border-color: #c9b49a; }
QLabel#problem { background: #fff6c4; color: #6b3f17; border: 1px solid #e5b300;
                 border-radius: 5px; padding: 8px 12px; }
QLabel#summary { color: #5e3a17; }
QLabel#empty { background: #ffffff; color: #5e3a17; border: 1px solid #d3e3ec; border-radius: 6px;
               padding: 24px; }
QFrame#card { background: #ffffff; border: 1px solid #d3e3ec; border-radius: 6px; }
QLabel#cardTitle { color: #5e3a17; }
QLabel#note, QLabel#storage { color: #6b5f55; }
QScrollArea, QWidget#page { background: #f3f9fc; }
)";

}  // namespace

// ------------------------------------------------------------------ calendar

CalendarView::CalendarView(const std::vector<CalendarDay>& days, const QDate& today, int weeks, QWidget* parent)
    : QWidget(parent), days_(days), today_(today), weeks_(std::max(1, weeks))
{
    std::sort(days_.begin(), days_.end(), [](const CalendarDay& a, const CalendarDay& b) { return a.day < b.day; });
    first_ = today_.addDays(1 - today_.dayOfWeek()).addDays(-7 * (weeks_ - 1));
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

int CalendarView::shadeOf(double minutes)
{
    if (minutes <= 0)
        return 0;
    for (int shade = 1; shade < 5; ++shade) {
        if (minutes < kShadeLimits[shade - 1])
            return shade;
    }
    return 5;
}

namespace {

struct CalendarFonts {
    QFont title = vb::songFont(15, true);
    QFont small = vb::songFont(12);
    QFontMetricsF titleMetrics{title};
    QFontMetricsF smallMetrics{small};
    double headerHeight() const { return kCardPad - 2 + titleMetrics.height() + 2 + smallMetrics.height() + 6; }
    double weekdayWidth() const { return smallMetrics.horizontalAdvance(QStringLiteral("周一")) + 6; }
};

}  // namespace

double CalendarView::pitch() const
{
    const CalendarFonts f;
    const double room = width() - 2 * kCardPad - f.weekdayWidth();
    return std::clamp(std::floor(room / weeks_), 12.0, 20.0);
}

QPointF CalendarView::gridOrigin() const
{
    const CalendarFonts f;
    return QPointF(kCardPad + f.weekdayWidth(), f.headerHeight() + f.smallMetrics.height() + 2);
}

QRectF CalendarView::cellRect(const QDate& day) const
{
    if (!day.isValid() || day < first_ || day > today_)
        return QRectF();
    const qint64 offset = first_.daysTo(day);
    const double step = pitch();
    const QPointF origin = gridOrigin();
    return QRectF(origin.x() + static_cast<double>(offset / 7) * step, origin.y() + static_cast<double>(offset % 7) * step,
                  step - 3, step - 3);
}

QDate CalendarView::dayAt(const QPointF& pos) const
{
    const double step = pitch();
    const QPointF origin = gridOrigin();
    const double cx = (pos.x() - origin.x()) / step;
    const double cy = (pos.y() - origin.y()) / step;
    if (cx < 0 || cy < 0 || cx >= weeks_ || cy >= 7)
        return QDate();
    // The gap between two squares belongs to neither.
    if (cx - std::floor(cx) > (step - 3) / step || cy - std::floor(cy) > (step - 3) / step)
        return QDate();
    const QDate day = first_.addDays(static_cast<qint64>(cx) * 7 + static_cast<qint64>(cy));
    return day <= today_ ? day : QDate();
}

QString CalendarView::toolTipFor(const QDate& day) const
{
    if (!day.isValid())
        return QString();
    const QString date = QStringLiteral("%1年%2月%3日 %4")
                             .arg(day.year())
                             .arg(day.month())
                             .arg(day.day())
                             .arg(QString::fromUtf8(kWeekdays[day.dayOfWeek() - 1]));
    const auto it = std::lower_bound(days_.begin(), days_.end(), day,
                                     [](const CalendarDay& d, const QDate& wanted) { return d.day < wanted; });
    if (it == days_.end() || it->day != day || it->games == 0)
        return date + QStringLiteral("\n没有玩");
    return date + QStringLiteral("\n玩了 %1 局，共 %2\n最高 %3 分")
                      .arg(it->games)
                      .arg(minutesText(it->minutes))
                      .arg(it->bestScore);
}

QRectF CalendarView::legendRect(int shade) const
{
    const CalendarFonts f;
    const double step = pitch();
    const QPointF origin = gridOrigin();
    const double box = step - 3;
    const double rowHeight = std::max(box, f.smallMetrics.height());
    const double gridRight = origin.x() + weeks_ * step - 3;
    const double left = gridRight - f.smallMetrics.horizontalAdvance(QStringLiteral("多")) - 4 - 6 * step;
    return QRectF(left + shade * step, origin.y() + 7 * step + 2 + (rowHeight - box) / 2, box, box);
}

QString CalendarView::shadeText(int shade)
{
    if (shade <= 0)
        return QStringLiteral("没有玩");
    if (shade == 1)
        return QStringLiteral("不到 %1 分钟").arg(kShadeLimits[0]);
    if (shade >= 5)
        return QStringLiteral("%1 分钟以上").arg(kShadeLimits[3]);
    return QStringLiteral("%1~%2 分钟").arg(kShadeLimits[shade - 2]).arg(kShadeLimits[shade - 1]);
}

QSize CalendarView::sizeHint() const
{
    const CalendarFonts f;
    const double w = 2 * kCardPad + f.weekdayWidth() + weeks_ * 16.0;
    const double h = gridOrigin().y() + 7 * 16.0 + 4 + f.smallMetrics.height() + kCardPad;
    return QSize(static_cast<int>(std::ceil(w)), static_cast<int>(std::ceil(h)));
}

QSize CalendarView::minimumSizeHint() const
{
    const CalendarFonts f;
    return QSize(static_cast<int>(std::ceil(2 * kCardPad + f.weekdayWidth() + weeks_ * 12.0)), sizeHint().height());
}

bool CalendarView::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QDate day = dayAt(help->pos());
        int shade = 0;
        while (shade < 6 && !legendRect(shade).contains(help->pos()))
            ++shade;
        if (day.isValid())
            QToolTip::showText(help->globalPos(), toolTipFor(day), this, cellRect(day).toAlignedRect());
        else if (shade < 6)
            QToolTip::showText(help->globalPos(), shadeText(shade), this, legendRect(shade).toAlignedRect());
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}

void CalendarView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const CalendarFonts f;

    p.setPen(QPen(assets::kCardBorder, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);

    double top = kCardPad - 2;
    p.setFont(f.title);
    p.setPen(assets::kTitleText);
    p.drawText(QRectF(kCardPad, top, width() - 2 * kCardPad, f.titleMetrics.height()),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("练习日历"));
    top += f.titleMetrics.height() + 2;
    p.setFont(f.small);
    p.setPen(assets::kText);
    p.drawText(QRectF(kCardPad, top, width() - 2 * kCardPad, f.smallMetrics.height()),
               Qt::AlignLeft | Qt::AlignVCenter,
               f.smallMetrics.elidedText(QStringLiteral("最近半年，每格一天，两关都算；颜色越深，玩得越久"),
                                         Qt::ElideRight, width() - 2 * kCardPad));

    const double step = pitch();
    const QPointF origin = gridOrigin();
    const double line = f.smallMetrics.height();

    // Month names over the first column that holds the month's first day.
    double lastLabelEnd = -1e9;
    for (int week = 0; week < weeks_; ++week) {
        const QDate monday = first_.addDays(7 * week);
        const QDate sunday = monday.addDays(6);
        QDate firstOfMonth;
        if (week == 0)
            firstOfMonth = monday;
        else if (sunday.day() <= 7)
            firstOfMonth = sunday;
        if (!firstOfMonth.isValid())
            continue;
        const QString label = QStringLiteral("%1月").arg(firstOfMonth.month());
        const double x = origin.x() + week * step;
        // The first column's month is left out when the next one follows too soon.
        if (week == 0 && sunday.day() > 7 && monday.addDays(21).month() != monday.month())
            continue;
        if (x < lastLabelEnd + 4)
            continue;
        p.drawText(QRectF(x, origin.y() - line - 2, f.smallMetrics.horizontalAdvance(label) + 2, line),
                   Qt::AlignLeft | Qt::AlignVCenter, label);
        lastLabelEnd = x + f.smallMetrics.horizontalAdvance(label);
    }
    // Monday, Wednesday and Friday named on the left.
    for (int row : {0, 2, 4}) {
        const QString label = QStringLiteral("周") + QString::fromUtf8(kWeekdays[row]).right(1);
        p.drawText(QRectF(kCardPad, origin.y() + row * step, f.weekdayWidth() - 6, step - 3),
                   Qt::AlignLeft | Qt::AlignVCenter, label);
    }

    // The squares.
    p.setPen(Qt::NoPen);
    auto played = days_.begin();
    for (QDate day = first_; day <= today_; day = day.addDays(1)) {
        while (played != days_.end() && played->day < day)
            ++played;
        int shade = 0;
        if (played != days_.end() && played->day == day && played->games > 0)
            shade = std::max(1, shadeOf(played->minutes));
        p.setBrush(assets::kShades[shade]);
        p.drawRoundedRect(cellRect(day), 2, 2);
    }
    // Today ringed in wood, so the parent finds it.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(assets::kWood, 1.4));
    p.drawRoundedRect(cellRect(today_).adjusted(-1, -1, 1, 1), 2.5, 2.5);

    // The legend, under the grid's right end: 少 ▢▢▢▢▢▢ 多.
    p.setPen(Qt::NoPen);
    for (int shade = 0; shade < 6; ++shade) {
        p.setBrush(assets::kShades[shade]);
        p.drawRoundedRect(legendRect(shade), 2, 2);
    }
    const QRectF lowest = legendRect(0);
    const QRectF highest = legendRect(5);
    const QString less = QStringLiteral("少");
    const QString more = QStringLiteral("多");
    const double lessWidth = f.smallMetrics.horizontalAdvance(less) + 2;
    p.setPen(assets::kText);
    p.drawText(QRectF(lowest.left() - 4 - lessWidth, lowest.center().y() - line / 2, lessWidth, line),
               Qt::AlignRight | Qt::AlignVCenter, less);
    p.drawText(QRectF(highest.right() + 4, highest.center().y() - line / 2, f.smallMetrics.horizontalAdvance(more) + 2,
                      line),
               Qt::AlignLeft | Qt::AlignVCenter, more);
}

// ------------------------------------------------------------------- window

ProgressWindow::ProgressWindow(std::vector<Game> games, QString problem, QDate today, QString storePath,
                               QWidget* parent)
    : QWidget(parent), games_(std::move(games)), today_(today)
{
    setWindowTitle(QStringLiteral("家长：学习进度"));
    setFont(vb::songFont(14));
    setStyleSheet(QString::fromUtf8(kStyle));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, assets::kPaper);
    setPalette(palette);
    resize(960, 700);

    // The level of the latest game, over the last 30 days if it was
    // played then, else over all of them.
    const Game* latest = nullptr;
    for (const Game& g : games_) {
        if (!latest || g.started > latest->started)
            latest = &g;
    }
    if (latest) {
        level_ = latest->level == 1 ? 1 : 0;
        period_ = selectGames(games_, level_, Period::Month, today_).empty() ? Period::All : Period::Month;
    }

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    // The sky-blue band with the title and the two choosers.
    auto* header = new QFrame(this);
    header->setObjectName(QStringLiteral("header"));
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(18, 10, 18, 12);
    headerRow->setSpacing(6);
    auto* title = new QLabel(QStringLiteral("学习进度"), header);
    title->setObjectName(QStringLiteral("title"));
    title->setFont(vb::songFont(24, true));
    headerRow->addWidget(title);
    headerRow->addStretch(1);
    auto addChooser = [&](const QString& name, const QStringList& choices, int checked) {
        auto* label = new QLabel(name, header);
        label->setObjectName(QStringLiteral("chooserName"));
        headerRow->addSpacing(14);
        headerRow->addWidget(label);
        auto* group = new QButtonGroup(this);
        group->setExclusive(true);
        for (int i = 0; i < choices.size(); ++i) {
            auto* button = new QPushButton(choices.at(i), header);
            button->setObjectName(QStringLiteral("choice"));
            button->setCheckable(true);
            button->setChecked(i == checked);
            button->setCursor(Qt::PointingHandCursor);
            group->addButton(button, i);
            headerRow->addWidget(button);
            // Nothing to choose from yet.
            button->setVisible(!games_.empty());
        }
        label->setVisible(!games_.empty());
        return group;
    };
    levelButtons_ = addChooser(QStringLiteral("关卡："), {QStringLiteral("第一关 1~9"), QStringLiteral("第二关 1~29")},
                               level_);
    periodButtons_ = addChooser(QStringLiteral("时间："),
                                {QStringLiteral("最近 7 天"), QStringLiteral("最近 30 天"), QStringLiteral("全部")},
                                static_cast<int>(period_));
    connect(levelButtons_, &QButtonGroup::idClicked, this, [this](int id) { setLevel(id); });
    connect(periodButtons_, &QButtonGroup::idClicked, this, [this](int id) { setPeriod(static_cast<Period>(id)); });
    outer->addWidget(header);

    // Everything else scrolls when the window is small.
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("page"));
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(14, 12, 14, 12);
    column->setSpacing(10);

    if (!problem.isEmpty()) {
        auto* banner = new QLabel(problem, page);
        banner->setObjectName(QStringLiteral("problem"));
        banner->setWordWrap(true);
        banner->setFont(vb::songFont(15));
        banner->setTextInteractionFlags(Qt::TextSelectableByMouse);
        column->addWidget(banner);
    }

    summary_ = new QLabel(page);
    summary_->setObjectName(QStringLiteral("summary"));
    summary_->setFont(vb::songFont(16, true));
    column->addWidget(summary_);

    empty_ = new QLabel(page);
    empty_->setObjectName(QStringLiteral("empty"));
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setWordWrap(true);
    empty_->setTextFormat(Qt::RichText);
    empty_->setFont(vb::songFont(17));
    empty_->setMinimumHeight(200);
    column->addWidget(empty_);

    // The three charts of the chosen games.
    figures_ = new QWidget(page);
    auto* charts = new QHBoxLayout(figures_);
    charts->setContentsMargins(0, 0, 0, 0);
    charts->setSpacing(10);
    scoreChart_ = new Chart(figures_);
    scoreChart_->setTitle(QStringLiteral("每局得分"), QStringLiteral("圆点是玩完的每一局，曲线是大致的走势"));
    scoreChart_->setUnit(QStringLiteral("分"));
    speedChart_ = new Chart(figures_);
    speedChart_->setTitle(QStringLiteral("答题速度"), QStringLiteral("每天答对一题用的时间（中位数），越低越快"));
    speedChart_->setUnit(QStringLiteral("秒"));
    accuracyChart_ = new Chart(figures_);
    accuracyChart_->setTitle(QStringLiteral("正确率"), QStringLiteral("每天答对的占全部作答的多少"));
    accuracyChart_->setUnit(QStringLiteral("%"));
    accuracyChart_->setYRange(0, 100);
    for (Chart* chart : {scoreChart_, speedChart_, accuracyChart_}) {
        chart->setMinimumHeight(220);
        charts->addWidget(chart, 1);
    }
    column->addWidget(figures_);

    // The hard sums on the left, the calendar and the export on the right.
    auto* lower = new QHBoxLayout;
    lower->setSpacing(10);
    hardSumsPanel_ = new QWidget(page);
    auto* hardColumn = new QVBoxLayout(hardSumsPanel_);
    hardColumn->setContentsMargins(0, 0, 0, 0);
    hardColumn->setSpacing(10);
    auto* card = new QFrame(hardSumsPanel_);
    card->setObjectName(QStringLiteral("card"));
    auto* cardColumn = new QVBoxLayout(card);
    cardColumn->setContentsMargins(12, 8, 12, 10);
    cardColumn->setSpacing(4);
    auto* cardTitle = new QLabel(QStringLiteral("难一点的题"), card);
    cardTitle->setObjectName(QStringLiteral("cardTitle"));
    cardTitle->setFont(vb::songFont(15, true));
    cardColumn->addWidget(cardTitle);
    hardSums_ = new QLabel(card);
    hardSums_->setWordWrap(true);
    hardSums_->setTextFormat(Qt::RichText);
    cardColumn->addWidget(hardSums_);
    hardColumn->addWidget(card);
    sumKindsChart_ = new Chart(hardSumsPanel_);
    sumKindsChart_->setTitle(QStringLiteral("每种题的用时"),
                             QStringLiteral("按秤上的数分开：要进位的（如 7+5）和不进位的（如 3+5）"));
    sumKindsChart_->setUnit(QStringLiteral("秒"));
    sumKindsChart_->setEmptyText(QStringLiteral("还没有答对的题。"));
    sumKindsChart_->setMinimumHeight(190);
    hardColumn->addWidget(sumKindsChart_, 1);
    lower->addWidget(hardSumsPanel_, 1);

    auto* right = new QVBoxLayout;
    right->setSpacing(8);
    calendar_ = new CalendarView(
        calendarDays(games_, today_.addDays(1 - today_.dayOfWeek()).addDays(-7 * (kCalendarWeeks - 1)), today_),
        today_, kCalendarWeeks, page);
    right->addWidget(calendar_);
    auto* exportRow = new QHBoxLayout;
    exportButton_ = new QPushButton(QStringLiteral("导出为表格…"), page);
    exportButton_->setObjectName(QStringLiteral("export"));
    exportButton_->setCursor(Qt::PointingHandCursor);
    exportButton_->setVisible(!games_.empty());
    connect(exportButton_, &QPushButton::clicked, this, &ProgressWindow::chooseExportFolder);
    exportRow->addWidget(exportButton_, 0, Qt::AlignTop);
    auto* exportNote =
        new QLabel(QStringLiteral("全部记录存成两份表格：每局一行、每题一行，WPS 表格、Excel、LibreOffice 都能打开。"),
                   page);
    exportNote->setObjectName(QStringLiteral("note"));
    exportNote->setWordWrap(true);
    exportNote->setFont(vb::songFont(13));
    exportNote->setVisible(!games_.empty());
    exportRow->addWidget(exportNote, 1);
    right->addLayout(exportRow);
    right->addStretch(1);
    lower->addLayout(right);
    column->addLayout(lower);

    if (!storePath.isEmpty()) {
        auto* storage = new QLabel(QStringLiteral("记录保存在本机：") + QDir::toNativeSeparators(storePath), page);
        storage->setObjectName(QStringLiteral("storage"));
        storage->setFont(vb::songFont(13));
        storage->setTextInteractionFlags(Qt::TextSelectableByMouse);
        storage->setWordWrap(true);
        column->addWidget(storage);
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

void ProgressWindow::setLevel(int level)
{
    level = level == 1 ? 1 : 0;
    if (QAbstractButton* button = levelButtons_->button(level))
        button->setChecked(true);
    if (level == level_)
        return;
    level_ = level;
    refresh();
}

void ProgressWindow::setPeriod(Period period)
{
    if (QAbstractButton* button = periodButtons_->button(static_cast<int>(period)))
        button->setChecked(true);
    if (period == period_)
        return;
    period_ = period;
    refresh();
}

QString ProgressWindow::emptyText() const
{
    return empty_->isHidden() ? QString() : emptyMessage_;
}

QString ProgressWindow::summaryLine() const
{
    return summary_->isHidden() ? QString() : summary_->text();
}

void ProgressWindow::showEmpty(const QString& headline, const QString& line)
{
    emptyMessage_ = headline + QLatin1Char('\n') + line;
    empty_->setText(QStringLiteral("<p style=\"font-size:20px; font-weight:bold\">%1</p><p>%2</p>")
                        .arg(headline.toHtmlEscaped(), line.toHtmlEscaped()));
    empty_->show();
}

void ProgressWindow::refresh()
{
    if (games_.empty()) {
        showEmpty(QStringLiteral("还没有记录。"),
                  QStringLiteral("孩子每玩完一局，这里就会多一点内容：得分、速度、练习日历……"));
        summary_->hide();
        figures_->hide();
        hardSumsPanel_->hide();
        calendar_->hide();
        return;
    }
    const std::vector<const Game*> selected = selectGames(games_, level_, period_, today_);
    if (selected.empty()) {
        const QString what = period_ == Period::All ? QStringLiteral("还没有玩过%1。").arg(levelName(level_))
                                                    : QStringLiteral("这段时间没有玩%1。").arg(levelName(level_));
        showEmpty(what, QStringLiteral("换一个关卡或时间段看看吧。"));
        summary_->hide();
        figures_->hide();
        hardSumsPanel_->hide();
        return;
    }
    empty_->hide();
    summary_->setText(summaryText(summary(selected, games_, today_)));
    summary_->show();
    figures_->show();
    hardSumsPanel_->show();

    QDate first = today_;
    switch (period_) {
    case Period::Week:
        first = today_.addDays(-6);
        break;
    case Period::Month:
        first = today_.addDays(-29);
        break;
    case Period::All:
        first = std::min(today_, selected.front()->started.toLocalTime().date());
        break;
    }
    for (Chart* chart : {scoreChart_, speedChart_, accuracyChart_})
        chart->setDays(first, today_);

    // Each game's score, and the trend through them. Only games played to
    // their end count: one broken off by the help or level button, a new
    // start or closing the window stopped at whatever it had, often nothing,
    // and would pull the trend down for no fault of the child's.
    std::vector<const Game*> playedOut;
    for (const Game* game : selected)
        if (game->ending == Ending::Wrong || game->ending == Ending::Time)
            playedOut.push_back(game);
    Chart::Series scores{QStringLiteral("每局"), Chart::Style::Points, assets::kBallPink, {}};
    Chart::Series trend{QStringLiteral("走势"), Chart::Style::Line, assets::kWood, {}};
    for (const ScorePoint& point : scorePoints(playedOut)) {
        const double x = Chart::xOf(point.started);
        scores.points.emplace_back(x, point.score);
        trend.points.emplace_back(x, point.trend);
    }
    scoreChart_->setSeries({scores, trend});

    Chart::Series speedLine{QString(), Chart::Style::Line, assets::kSkyDeep, {}};
    Chart::Series speedDots{QString(), Chart::Style::Points, assets::kSkyDeep, {}};
    for (const DayValue& v : medianSecondsPerDay(selected)) {
        speedLine.points.emplace_back(Chart::xOf(v.day) + 0.5, v.value);
        speedDots.points.emplace_back(Chart::xOf(v.day) + 0.5, v.value);
    }
    speedChart_->setEmptyText(QStringLiteral("这段时间还没有答对的题。"));
    speedChart_->setSeries({speedLine, speedDots});

    // A bar a day while the bars can be told apart. Over a longer span each
    // day is a dot, and a line joins the weeks (each week's right answers
    // out of all its answers), which shows the course where a line through
    // the days would be a thicket.
    const bool bars = first.daysTo(today_) < 62;
    const std::vector<DayValue> days = accuracyPerDay(selected);
    std::vector<Chart::Series> accuracySeries;
    if (bars) {
        accuracySeries.push_back({QString(), Chart::Style::Bars, assets::kGrass.darker(108), {}});
        for (const DayValue& v : days)
            accuracySeries.back().points.emplace_back(Chart::xOf(v.day) + 0.5, v.value * 100);
    } else {
        Chart::Series weeks{QStringLiteral("每周"), Chart::Style::Line, assets::kGrass.darker(125), {}};
        Chart::Series dots{QStringLiteral("每天"), Chart::Style::Points, assets::kGrass, {}};
        double right = 0;
        int answers = 0;
        for (std::size_t i = 0; i < days.size(); ++i) {
            const DayValue& v = days[i];
            dots.points.emplace_back(Chart::xOf(v.day) + 0.5, v.value * 100);
            right += v.value * v.count;
            answers += v.count;
            const QDate monday = v.day.addDays(1 - v.day.dayOfWeek());
            const bool weekEnds = i + 1 == days.size() || days[i + 1].day >= monday.addDays(7);
            if (weekEnds && answers > 0) {
                weeks.points.emplace_back(Chart::xOf(monday) + 3.5, 100 * right / answers);
                right = 0;
                answers = 0;
            }
        }
        accuracySeries = {dots, weeks};
    }
    accuracyChart_->setEmptyText(QStringLiteral("这段时间还没有作答。"));
    accuracyChart_->setSeries(std::move(accuracySeries));

    // The hard sums in words, and the time of each kind in bars.
    QString rows;
    for (const QString& s : hardSumSentences(selected)) {
        // A pink dot before each, the sentence's further lines kept clear of it.
        rows += QStringLiteral("<tr><td style=\"color:#f76aa8; padding-right:6px\">●</td><td>%1</td></tr>")
                    .arg(s.toHtmlEscaped());
    }
    // Without a sentence, either too few sums were answered to tell, or
    // enough were and none of them stands out.
    int answered = 0;
    for (const HardSum& group : hardSums(selected))
        answered += group.answered;
    const QString nothingHard = answered >= kSentenceMinAnswers
                                    ? QStringLiteral("各种题都差不多：没有哪一种明显更慢，也没有哪一种更容易错。")
                                    : QStringLiteral("题目还不够多，再玩几局，就能看出哪种题难一点。");
    const QString sentences =
        rows.isEmpty()
            ? QStringLiteral("<p style=\"margin:3px 0; color:#6b5f55\">%1</p>").arg(nothingHard)
            : QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">%1</table>").arg(rows);
    hardSums_->setText(sentences);

    const int amounts = level_ == 0 ? 9 : 29;
    QStringList names;
    for (int a = 1; a <= amounts; ++a)
        names << QString::number(a);
    sumKindsChart_->setCategories(names);
    Chart::Series plain{QStringLiteral("不进位"), Chart::Style::Bars, assets::kSky.darker(112), {}};
    Chart::Series crossing{QStringLiteral("进位"), Chart::Style::Bars, assets::kBallPink, {}};
    for (const SumKind& kind : sumKinds(selected)) {
        if (kind.answered == 0 || kind.amount < 1 || kind.amount > amounts)
            continue;
        (kind.crossesTen ? crossing : plain).points.emplace_back(kind.amount - 1, kind.medianSeconds);
    }
    sumKindsChart_->setSeries({plain, crossing});
}

bool ProgressWindow::exportTo(const QString& folder, QString* message) const
{
    QString error;
    const bool ok = exportCsv(games_, folder, &error);
    if (message) {
        if (ok) {
            const QDir dir(folder);
            *message = QStringLiteral("已导出两份表格：\n%1（每局一行）\n%2（每题一行）")
                           .arg(QDir::toNativeSeparators(dir.filePath(QString::fromLatin1(kGamesCsvName))),
                                QDir::toNativeSeparators(dir.filePath(QString::fromLatin1(kAnswersCsvName))));
        } else {
            *message = QStringLiteral("没能导出表格。\n") + error;
        }
    }
    return ok;
}

void ProgressWindow::chooseExportFolder()
{
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("把表格存到哪个文件夹"), QDir::homePath());
    if (folder.isEmpty())
        return;
    QString message;
    if (exportTo(folder, &message))
        QMessageBox::information(this, QStringLiteral("导出为表格"), message);
    else
        QMessageBox::warning(this, QStringLiteral("导出为表格"), message);
}

// -------------------------------------------------------------------- opening

int showProgressWindow(const QDate& today)
{
    QElapsedTimer clock;
    clock.start();
    Store store;
    std::vector<Game> games;
    if (store.open())
        games = store.loadAll();
    ProgressWindow window(std::move(games), store.problemText(), today, store.path());
    if (qEnvironmentVariableIsSet("PELLARO_MEASURE_PROGRESS")) {
        // The time once the window's first drawing is through, then one
        // switch of the period, drawn at once.
        platform::afterNextPaint(&window, [&window, clock] {
            const double openDraw = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            QElapsedTimer switching;
            switching.start();
            window.setPeriod(window.period() == Period::All ? Period::Month : Period::All);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            window.repaint();
            const double switchMs = static_cast<double>(switching.nsecsElapsed()) / 1e6;
            std::printf("progress: open+draw %.1f ms, period switch %.1f ms\n", openDraw, switchMs);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    }
    window.show();
    return QApplication::exec();
}

}  // namespace history
