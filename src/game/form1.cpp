#include "game/form1.h"

#include "assets/catalogue.h"
#include "assets/layouts.h"
#include "assets/soundplayer.h"
#include "game/keypad.h"
#include "help/form3.h"
#include "leaderboard/boardfolder.h"
#include "leaderboard/form2.h"
#include "platform/stage.h"
#include "platform/system.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QCoreApplication>
#include <QIcon>
#include <QPixmap>

#include <algorithm>
#include <iterator>

namespace {

// The walk: the lamb starts each delivery at -10 and moves two half-steps of
// 10 pixels per tick; it has arrived once its left edge is past 120.
constexpr int kLambStartLeft = -10;
constexpr int kLambTop = 248;
constexpr int kHalfStep = 10;
constexpr int kArrivedAfter = 120;
constexpr int kWalkPauseMs = 50;

// The hop after a right answer: two steps of 20 right and 10 up.
constexpr int kHopRight = 20;
constexpr int kHopUp = 10;
constexpr int kHopPauseMs = 100;

// The scale's signal box on the scene's brown-grey band.
constexpr int kSignalX1 = 233, kSignalY1 = 385, kSignalX2 = 291, kSignalY2 = 395;
constexpr int kIdleColour = 1;     // dark blue
constexpr int kWaitingColour = 12; // light red

// The time bar: 447 rows, one per tick of the game clock.
constexpr int kLastDrawingTick = 446;

// Picture ids.
constexpr std::int16_t kLambFrameA = 101, kLambFrameB = 102;
constexpr std::int16_t kScene = 110;
constexpr std::int16_t kSmallHeap = 111, kTwoHeaps = 112, kLargeHeap = 113;
constexpr std::int16_t kStartButton = 201, kHelpButton = 202, kTryMarker = 204;
constexpr std::int16_t kLevel0Button = 205, kLevel1Button = 206;
constexpr std::int16_t kDigitZero = 300;

// Sound ids.
constexpr std::int16_t kWrongSound = 101, kRightSound = 102;
constexpr std::int16_t kSetOffSound = 103, kArrivalSound = 104;

constexpr int kTries = 3;

}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent)
{
    // The pictures Form_Load shows are read, and on a screen that scales
    // drawn, on a thread of their own meanwhile: the scene (the biggest)
    // first, then what stays hidden until a game starts, which the first
    // frame does without. At a ratio of 1 where the boxes stand does not
    // matter, so the reading starts before the boxes are made.
    if (vb::deviceRatio(this) == 1.0)
        assets::prepareStartupPictures({{kScene, {}}, {kSmallHeap, {}}, {kDigitZero, {}}, {kLevel0Button, {}},
                                        {kHelpButton, {}}, {kStartButton, {}}, {kTryMarker, {}},
                                        {kLambFrameA, {}}});
    const assets::Form1Layout c = assets::buildForm1Layout(this);
    assets::prepareStartupPictures({{kScene, c.PicBK->grid()}, {kLambFrameA, c.PicBoy->grid()},
                                    {kSmallHeap, c.Pictall->grid()}, {kTryMarker, c.Picball0->grid()},
                                    {kLambFrameB, c.PicBoy->grid()}, {kLevel0Button, c.Pictl->grid()},
                                    {kHelpButton, c.Picth->grid()}, {kStartButton, c.Pictb->grid()},
                                    {kDigitZero, c.Pic2->grid()}, {kDigitZero, c.Pic1->grid()}});
    PicBK = c.PicBK;
    PicBoy = c.PicBoy;
    Pic1 = c.Pic1;
    Pic2 = c.Pic2;
    Pictall = c.Pictall;
    LabAll = c.LabAll;
    LabRes = c.LabRes;
    LabFc = c.LabFc;
    Picball.setElement0(c.Picball0);
    PicLong = c.PicLong;
    Pictb = c.Pictb;
    Picth = c.Picth;
    Pictl = c.Pictl;
    Timer1 = c.Timer1;
    Timer2 = c.Timer2;
    Timer3 = c.Timer3;

    connect(Timer1, &vb::Timer::timer, this, &Form1::Timer1_Timer);
    connect(Timer2, &vb::Timer::timer, this, &Form1::Timer2_Timer);
    connect(Timer3, &vb::Timer::timer, this, &Form1::Timer3_Timer);
    connect(Pictb, &vb::PictureBox::clicked, this, &Form1::Pictb_Click);
    connect(Picth, &vb::PictureBox::clicked, this, &Form1::Picth_Click);
    connect(Pictl, &vb::PictureBox::clicked, this, &Form1::Pictl_Click);

    const QImage icon = assets::programIcon();
    if (!icon.isNull())
        setWindowIcon(QIcon(QPixmap::fromImage(icon)));

    keyPreview = new platform::KeyPreview(
        this, [this](std::int16_t& keyCode, std::int16_t shift) { Form_KeyDown(keyCode, shift); });
    gameSize_ = size();
}

Form1::~Form1()
{
    delete form2_;
    delete form3_;
    delete keypad_.data();
}

void Form1::showPicture(vb::PictureBox* box, std::int16_t id)
{
    if (!box)
        return;
    const QImage picture = assets::LoadResPicture(id);
    if (!picture.isNull())
        box->setPicture(picture);
}

bool Form1::gameChangedSince(std::uint32_t serial) const
{
    return serial != gameSerial_;
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    if (form2_)
        form2_->Close();
    if (form3_)
        form3_->Close();
    recorder.end(history::Ending::Closed, fcount);
    QWidget::closeEvent(event);
}

void Form1::closeAllWindows()
{
    recorder.end(history::Ending::Stopped, fcount);
    // Closing the leaderboard or help window enables this one again.
    if (form2_)
        form2_->Close();
    if (form3_)
        form3_->Close();
    close();
}

Form2* Form1::form2()
{
    if (!form2_)
        form2_ = new Form2(this);
    return form2_;
}

Form3* Form1::form3()
{
    if (!form3_)
        form3_ = new Form3(this);
    return form3_;
}

game::Keypad* Form1::keypad()
{
    if (!keypad_) {
        keypad_ = new game::Keypad(this, [this](int digit) {
            std::int16_t keyCode = static_cast<std::int16_t>(platform::VK_0 + digit);
            Form_KeyDown(keyCode, 0);
        });
    }
    return keypad_;
}

void Form1::showKeypad(bool on)
{
    if (on == keypadShown())
        return;
    if (!on) {
        keypad_->hide();
        setFixedSize(gameSize_);
        return;
    }
    game::Keypad* k = keypad();
    k->setParent(this);
    k->setTrayOnly(false);
    k->setGeometry(gameSize_.width(), 0, game::Keypad::kColumnWidth, game::Keypad::kColumnHeight);
    setFixedSize(gameSize_.width() + game::Keypad::kColumnWidth, gameSize_.height());
    k->show();
}

bool Form1::keypadShown() const
{
    return keypad_ && keypad_->parentWidget() == this && !keypad_->isHidden();
}

void Form1::setChild(const history::Child& child)
{
    childName = child.name;
    childId = child.id;
    practiceOn = child.practice;
}

bool Form1::practicing() const
{
    return practiceOn && practice_.level == grade && !practice_.bySum.empty();
}

void Form1::preparePractice()
{
    // Worked out once a game, on the history's thread, from this child's
    // games at this level; until it comes (well before the first arrival)
    // the amounts are drawn as when practice is off.
    practice_ = practice::Priorities();
    asked_.clear();
    if (!practiceOn)
        return;
    const std::uint32_t game = gameSerial_;
    const int level = grade;
    const std::int64_t child = childId;
    recorder.readGames([this, game, level, child](const std::vector<history::Game>& games) {
        std::vector<history::Game> own;
        std::copy_if(games.begin(), games.end(), std::back_inserter(own),
                     [child](const history::Game& g) { return g.childId == child; });
        practice::Priorities ready = practice::priorities(own, level, QDateTime::currentDateTime());
        QMetaObject::invokeMethod(this, [this, game, ready = std::move(ready)] {
            if (game == gameSerial_)
                practice_ = ready;
        });
    });
}

// ------------------------------------------------------------------ start-up

void Form1::Form_Load()
{
    // Each step stands on its own: a picture that cannot be loaded leaves its
    // box as the layout made it, and start-up goes on.
    playing = false;
    grade = 0;

    sPath = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    boardFolder = leaderboard::chooseBoardFolder(sPath);

    showPicture(PicBoy, kLambFrameA);

    if (Picball.Load(1))
        Picball(1)->move(Picball(0)->x() + 25, Picball(1)->y());
    if (Picball.Load(2))
        Picball(2)->move(Picball(1)->x() + 25, Picball(2)->y());
    for (int index = 0; index <= 2; ++index)
        showPicture(Picball(index), kTryMarker);

    showPicture(Pictb, kStartButton);
    showPicture(Picth, kHelpButton);
    showPicture(Pictl, kLevel0Button);

    showPicture(Pic1, kDigitZero);
    showPicture(Pic2, kDigitZero);

    showPicture(Pictall, kSmallHeap);

    vb::moveWindowTwips(this, 1800, 1000);

    showPicture(PicBK, kScene);

    PicBK->fillBox(kSignalX1, kSignalY1, kSignalX2, kSignalY2, kIdleColour);
}

// ------------------------------------------------------------ delivery cycle

void Form1::Timer1_Timer()
{
    const std::uint32_t delivery = deliverySerial_;

    if (startSound) {
        assets::playSound(soundData, kSetOffSound);
        startSound = false;
    }

    showPicture(PicBoy, kLambFrameB);
    PicBoy->move(PicBoy->x() + kHalfStep, PicBoy->y());

    platform::DoEvents();
    // Whatever ran meanwhile may have ended, stopped or restarted the game,
    // or started a new delivery; this step then belongs to nobody.
    if (delivery != deliverySerial_)
        return;

    platform::Sleep(kWalkPauseMs);

    PicBoy->move(PicBoy->x() + kHalfStep, PicBoy->y());
    showPicture(PicBoy, kLambFrameA);

    if (PicBoy->x() > kArrivedAfter) {
        Timer1->setEnabled(false);
        assets::playSound(soundData, kArrivalSound);
        showPicture(PicBoy, kLambFrameB);
        PicBK->fillBox(kSignalX1, kSignalY1, kSignalX2, kSignalY2, kWaitingColour);

        platform::Randomize();
        int tens = 0;
        int units = 0;
        if (practicing()) {
            // Practice: the amount comes from this child's hard sums; the
            // scale shows it as it shows any other.
            const int signUnits = LabAll->caption().toInt() % 10;
            const int chosen = practice::chooseAmount(practice_, signUnits, asked_, platform::Rnd);
            asked_.push_back({chosen, practice::sumOf(grade, signUnits, chosen)});
            tens = chosen / 10;
            units = chosen % 10;
            if (grade == 1)
                showPicture(Pic1, static_cast<std::int16_t>(kDigitZero + tens));
        } else {
            if (grade == 1) {
                tens = static_cast<int>(platform::Rnd() * 3);
                showPicture(Pic1, static_cast<std::int16_t>(kDigitZero + tens));
            }
            units = static_cast<int>(platform::Rnd() * 10);
            while (tens == 0 && units == 0)
                units = static_cast<int>(platform::Rnd() * 10);
        }
        showPicture(Pic2, static_cast<std::int16_t>(kDigitZero + units));

        amount = static_cast<std::int16_t>(units + 10 * tens);
        priorTotal = static_cast<std::int16_t>(LabAll->caption().toInt());
        expectedTotal = static_cast<std::int16_t>(priorTotal + amount);
        answerTicks = 0;
        Timer3->setEnabled(true);
        recorder.arrived(amount, priorTotal, expectedTotal);
    }
}

void Form1::Timer3_Timer()
{
    ++answerTicks;
}

// ----------------------------------------------------------- answer entry

void Form1::Form_KeyDown(std::int16_t& KeyCode, std::int16_t /*Shift*/)
{
    if (!playing)
        return;

    // Only the two rows of digit keys answer; every other key is ignored, so
    // a stray Enter or Backspace costs the child nothing.
    int digit;
    if (KeyCode >= platform::VK_0 && KeyCode <= platform::VK_0 + 9)
        digit = KeyCode - platform::VK_0;
    else if (KeyCode >= platform::VK_NUMPAD0 && KeyCode <= platform::VK_NUMPAD0 + 9)
        digit = KeyCode - platform::VK_NUMPAD0;
    else
        return;

    const QString entry = LabRes->caption() + QString::number(digit);
    LabRes->setCaption(entry);

    const QString expected = QString::number(expectedTotal);
    if (entry == expected)
        rightAnswer();
    else if (expected.startsWith(entry))
        return;  // a beginning of the answer: wait for more digits
    else
        wrongEntry();
}

void Form1::rightAnswer()
{
    const std::uint32_t game = gameSerial_;
    recorder.right(answerTicks);

    assets::playSound(soundData, kRightSound);

    priorTotal = expectedTotal;
    LabAll->setCaption(QString::number(priorTotal));
    expectedTotal = 0;

    const int total = priorTotal;
    if (total > 0 && total < 50) {
        Pictall->setVisible(true);
        showPicture(Pictall, kSmallHeap);
    }
    if (total > 49 && total < 100) {
        Pictall->setVisible(true);
        showPicture(Pictall, kTwoHeaps);
    }
    if (total > 99) {
        Pictall->setVisible(true);
        showPicture(Pictall, kLargeHeap);
    }

    // The hop. Each step lets pending events run; if they ended, stopped or
    // restarted the game, this answer brings no further load, no sound and
    // no points: the lamb comes back down to the ground where the
    // interrupting handler left it, and the scale is put back to rest.
    for (int step = 0; step < 2; ++step) {
        PicBoy->move(PicBoy->x() + kHopRight, PicBoy->y() - kHopUp);
        platform::DoEvents();
        if (gameChangedSince(game)) {
            PicBoy->move(PicBoy->x(), kLambTop);
            LabRes->setCaption(QString());
            resetScale();
            Timer3->setEnabled(false);
            return;
        }
        platform::Sleep(kHopPauseMs);
        if (step == 0)
            LabRes->setCaption(QString());
    }

    PicBoy->move(kLambStartLeft, kLambTop);

    resetScale();

    startSound = true;
    ++deliverySerial_;
    Timer1->setEnabled(true);

    LabRes->setCaption(QString());

    if (100 - answerTicks <= 0)
        answerTicks = 98;
    fcount += 10 * (100 - answerTicks);
    LabFc->setCaption(QString::number(fcount));

    answerTicks = 1;
    Timer3->setEnabled(false);
}

void Form1::resetScale()
{
    showPicture(Pic1, kDigitZero);
    showPicture(Pic2, kDigitZero);
    PicBK->fillBox(kSignalX1, kSignalY1, kSignalX2, kSignalY2, kIdleColour);
}

void Form1::wrongEntry()
{
    recorder.wrong(LabRes->caption());
    LabRes->setCaption(QString());

    --tries;
    if (vb::PictureBox* marker = Picball(tries))
        marker->setVisible(false);

    assets::playSound(soundData, kWrongSound);

    if (tries <= 0)
        endGame();
}

// ---------------------------------------------------------------- buttons

void Form1::Pictb_Click()
{
    ++gameSerial_;
    ++deliverySerial_;

    // A game under way gives way to the new one.
    recorder.end(history::Ending::Restart, fcount);
    recorder.start(grade, childId, practiceOn);
    preparePractice();

    fcount = 0;
    LabFc->setCaption(QStringLiteral("0"));

    playing = true;
    tries = kTries;

    for (int index = 0; index <= 2; ++index) {
        if (vb::PictureBox* marker = Picball(index))
            marker->setVisible(true);
    }

    amount = 0;
    priorTotal = 0;
    expectedTotal = 0;

    LabAll->setCaption(QStringLiteral("0"));

    showPicture(Pic1, kDigitZero);
    showPicture(Pic2, kDigitZero);

    PicLong->setVisible(true);
    PicLong->fillBox(1, 1, 7, 447, kIdleColour);

    timeUsed = 0;

    PicBoy->move(kLambStartLeft, PicBoy->y());
    PicBoy->setVisible(true);

    startSound = true;
    Timer1->setEnabled(true);
    Timer2->setEnabled(true);

    keyPreview->setEnabled(true);
}

void Form1::Picth_Click()
{
    ++gameSerial_;
    ++deliverySerial_;

    setEnabled(false);
    recorder.end(history::Ending::Help, fcount);

    Timer1->setEnabled(false);
    Timer2->setEnabled(false);
    Timer3->setEnabled(false);

    playing = false;

    form3()->Show();
}

void Form1::Pictl_Click()
{
    if (grade == 0) {
        grade = 1;
        showPicture(Pictl, kLevel1Button);
    } else {
        grade = 0;
        showPicture(Pictl, kLevel0Button);
    }
    if (playing) {
        recorder.end(history::Ending::Level, fcount);
        Pictb_Click();
    }
}

// ----------------------------------------------------- time limit, game end

void Form1::Timer2_Timer()
{
    if (timeUsed <= kLastDrawingTick)
        PicLong->fillBox(1, timeUsed + 1, 7, timeUsed + 2, kWaitingColour);
    else
        endGame();
    ++timeUsed;
}

void Form1::endGame()
{
    ++gameSerial_;
    ++deliverySerial_;
    recorder.end(tries <= 0 ? history::Ending::Wrong : history::Ending::Time, fcount);

    Timer1->setEnabled(false);
    Timer2->setEnabled(false);

    playing = false;

    PicBoy->setVisible(false);

    showPicture(Pic1, kDigitZero);
    showPicture(Pic2, kDigitZero);

    form2()->grd = grade;
    form2()->fcount = fcount;
    form2()->childName = childName;

    form2()->Show();
}
