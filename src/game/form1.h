// The main game window: the scene, the lamb's deliveries, the answer entry,
// the buttons, the time limit and the end of a game. It owns every value of
// a game; its handlers share them directly.
#pragma once

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "history/family.h"
#include "history/recorder.h"
#include "practice/practice.h"
#include "platform/controls.h"
#include "platform/keys.h"

class Form2;
class Form3;

namespace game {
class Keypad;
}

class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // ---- members read by the other windows
    QString sPath;             // the program's folder followed by a separator
    QString boardFolder;       // where the board files live (decided at load)
    std::int32_t fcount = 0;   // score of the current game
    // Who plays, when the family has added children: that child's name
    // starts the leaderboard's name box, and the games go to that child's
    // history. Empty (and 0) for a family without children, or another child.
    QString childName;
    std::int64_t childId = 0;
    // `child` plays from the next game on.
    void setChild(const history::Child& child);
    // The lamb brings more of the sums this child finds hard (from the
    // next game on); off, the amounts are drawn evenly.
    bool practiceOn = false;
    // The sums' priorities of the game under way once worked out (empty
    // before, and while practice is off).
    const practice::Priorities& practicePriorities() const { return practice_; }

    // ---- play state
    bool playing = false;             // a game is under way; keys are ignored while false
    std::int16_t grade = 0;           // level 0 (1 to 9 goods) or 1 (1 to 29 goods)
    std::int16_t amount = 0;          // goods on the scale
    std::int16_t priorTotal = 0;      // the sign's total when the cart arrived
    std::int16_t expectedTotal = 0;   // the right answer of the current delivery
    std::int16_t tries = 0;           // wrong answers still allowed in this game
    std::int16_t timeUsed = 0;        // ticks of the time bar in this game
    std::int32_t answerTicks = 0;     // ticks of the answer clock since the amount showed
    bool startSound = false;          // the next walk tick is the first of a delivery
    QByteArray soundData;             // bytes of the sound last started

    // Keeps each game in the play history for the parents' window.
    history::Recorder recorder;

    // ---- controls (places and looks in the layout)
    vb::PictureBox* PicBK = nullptr;
    vb::PictureBox* PicBoy = nullptr;
    vb::PictureBox* Pic1 = nullptr;
    vb::PictureBox* Pic2 = nullptr;
    vb::PictureBox* Pictall = nullptr;
    vb::Label* LabAll = nullptr;
    vb::Label* LabRes = nullptr;
    vb::Label* LabFc = nullptr;
    vb::ControlArray<vb::PictureBox> Picball;
    vb::PictureBox* PicLong = nullptr;
    vb::PictureBox* Pictb = nullptr;
    vb::PictureBox* Picth = nullptr;
    vb::PictureBox* Pictl = nullptr;
    vb::Timer* Timer1 = nullptr;
    vb::Timer* Timer2 = nullptr;
    vb::Timer* Timer3 = nullptr;
    platform::KeyPreview* keyPreview = nullptr;

    // ---- event handlers
    void Form_Load();
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void Form_KeyDown(std::int16_t& KeyCode, std::int16_t Shift);
    void Pictb_Click();
    void Picth_Click();
    void Pictl_Click();

    // The leaderboard and help windows, created at their first use.
    Form2* form2();
    Form3* form3();

    // The on-screen keypad, made at its first use: each key pressed is
    // Form_KeyDown with that digit's main-row key code, and it takes input
    // only while this window does.
    game::Keypad* keypad();
    // Shows the keypad as a column beside the game, the window growing by
    // its width, or takes it away (the window is then as it always was).
    void showKeypad(bool on);
    bool keypadShown() const;

    // Ends the program at a request from outside (logout, a signal, the
    // window destroyed): the leaderboard and help windows close as from
    // their close boxes, so a name not yet confirmed is not saved, and then
    // this window closes.
    void closeAllWindows();

protected:
    // The program ends when the main window closes: the other windows go too.
    // While the leaderboard or help window is open this window is disabled
    // and refuses to close, so the close box cannot lose a score that waits
    // for its name.
    void closeEvent(QCloseEvent* event) override;

private:
    void endGame();
    void rightAnswer();
    void wrongEntry();
    // The scale at rest: it reads 0 0 and its signal box is dark blue.
    void resetScale();
    // Shows picture `id` in `box`; a picture that cannot be loaded is skipped.
    static void showPicture(vb::PictureBox* box, std::int16_t id);
    // True when the game this handler started in was ended, stopped or
    // restarted while it yielded to the event loop.
    bool gameChangedSince(std::uint32_t serial) const;

    // Practice: the sums' priorities for this game, once worked out, and
    // the loads of this game so far.
    bool practicing() const;
    void preparePractice();
    practice::Priorities practice_;
    std::vector<practice::Asked> asked_;

    std::uint32_t gameSerial_ = 0;      // counts starts, stops and ends of games
    std::uint32_t deliverySerial_ = 0;  // counts deliveries set off, and game changes
    Form2* form2_ = nullptr;
    Form3* form3_ = nullptr;
    QPointer<game::Keypad> keypad_;
    QSize gameSize_;  // the window without the keypad
};
