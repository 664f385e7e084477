#include "leaderboard/form2.h"

#include "assets/layouts.h"
#include "assets/soundplayer.h"
#include "game/form1.h"
#include "platform/stage.h"

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace {

const char* const kCongratulation = "恭喜恭喜!您上榜了。您的大名:";
const char* const kBoardTitle = "排行榜";
// Shown in the title line when the board file could not be written: the
// score is still on screen and the player may try again or close.
const char* const kNotSaved = "成绩没能保存，请再点确认试一次。";

constexpr std::int16_t kFanfare = 105;
constexpr int kFirstRowTop = 80;
constexpr int kRowStep = 24;

}  // namespace

Form2::Form2(Form1* mainWindow) : mainWindow_(mainWindow) {}

Form2::~Form2()
{
    delete window_.data();
}

void Form2::Show()
{
    if (window_) {
        window_->raise();
        window_->activateWindow();
        return;
    }
    auto* window = new vb::FormWindow([this] { Form_Unload(); });
    window_ = window;
    const assets::Form2Layout c = assets::buildForm2Layout(window);
    Labt = c.Labt;
    Text1 = c.Text1;
    Command1 = c.Command1;
    Label1 = {};
    Label2 = {};
    Label1.setElement0(c.Label1);
    Label2.setElement0(c.Label2);
    // A name longer than the board keeps is not taken at all: the box stops
    // at the board's limit, so the name saved is the name shown.
    Text1->setMaxLength(leaderboard::kMaxNameLength);
    connect(Text1, &QLineEdit::returnPressed, this, [this] { Text1_KeyPress(13); });
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);

    Form_Load();
    // The child who played is named already, all of it selected: Enter
    // keeps it and typing replaces it.
    if (iPlace >= 0 && !childName.isEmpty()) {
        Text1->setText(leaderboard::boardName(childName));
        Text1->selectAll();
    }
    vb::showOver(window, mainWindow_);
    if (Text1->isVisible())
        Text1->setFocus();
}

void Form2::Close()
{
    if (window_)
        window_->close();
}

void Form2::Form_Load()
{
    if (mainWindow_)
        mainWindow_->setEnabled(false);

    fBoard = leaderboard::boardFileName(mainWindow_ ? mainWindow_->boardFolder : QString(), grd);

    if (!leaderboard::ReadBoard(fBoard, board)) {
        // No board yet for this level (or none that can be read): a fresh one
        // is shown (and written, where no file stands) and the score takes
        // first place.
        leaderboard::CreateBoard(fBoard, board);
        iPlace = 0;
    } else {
        iPlace = static_cast<std::int16_t>(leaderboard::findPlace(board, fcount));
        showPlace();
    }

    for (int k = 1; k < leaderboard::kEntries; ++k) {
        if (Label1.Load(k))
            Label1(k)->setVisible(true);
        if (Label2.Load(k))
            Label2(k)->setVisible(true);
    }
    showList();

    // A little fanfare for a score that made the board; silence otherwise.
    if (iPlace >= 0)
        assets::playSound(soundData, kFanfare);
}

void Form2::Text1_KeyPress(int KeyAscii)
{
    if (KeyAscii == 13)
        Command1_Click();
}

void Form2::Command1_Click()
{
    if (!Text1 || Text1->text().isEmpty())
        return;
    if (iPlace < 0 || iPlace >= leaderboard::kEntries)
        return;
    switch (leaderboard::SaveBoard(fBoard, board, iPlace, Text1->text(), fcount)) {
    case leaderboard::SaveResult::Saved:
        Close();
        return;
    case leaderboard::SaveResult::NoPlace:
        // Another copy of the game saved better scores meanwhile and this
        // one no longer makes the board: the board as it is now is shown,
        // without the name box, as for any score that does not make it.
        leaderboard::ReadBoard(fBoard, board);
        iPlace = -1;
        showPlace();
        showList();
        return;
    case leaderboard::SaveResult::Failed:
        // The old board is still on disk; say so and stay open.
        Labt->setCaption(QString::fromUtf8(kNotSaved));
        return;
    }
}

void Form2::showPlace()
{
    if (iPlace == -1) {
        Text1->setVisible(false);
        Command1->setVisible(false);
        Labt->setCaption(QString::fromUtf8(kBoardTitle));
    } else {
        Text1->setVisible(true);
        Labt->setCaption(QString::fromUtf8(kCongratulation));
    }
}

void Form2::showList()
{
    for (int k = 0; k < leaderboard::kEntries; ++k) {
        const auto entry = static_cast<std::size_t>(k);
        const int top = kFirstRowTop + kRowStep * k;
        if (vb::Label* name = Label1(k)) {
            name->setCaption(board.sName[entry]);
            name->move(name->x(), top);
        }
        if (vb::Label* score = Label2(k)) {
            score->setCaption(QString::number(board.iScore[entry]));
            score->move(score->x(), top);
        }
    }
}

void Form2::Form_Unload()
{
    // The window deletes itself once closed; from now on it is gone for us.
    window_.clear();
    Labt = nullptr;
    Text1 = nullptr;
    Command1 = nullptr;
    Label1 = {};
    Label2 = {};
    if (mainWindow_)
        mainWindow_->setEnabled(true);
}
