// The leaderboard window: shows the board of the level just played, finds the
// place of the finished game's score and takes the player's name.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>

#include "leaderboard/board.h"
#include "platform/controls.h"

class Form1;
class QLineEdit;
class QPushButton;
class QWidget;

class Form2 : public QObject {
    Q_OBJECT
public:
    explicit Form2(Form1* mainWindow);
    ~Form2() override;

    // ---- handed over by the main window before it shows this one
    std::int16_t grd = 0;        // the level played
    std::int32_t fcount = 0;     // the finished game's score
    QString childName;           // who played, when known: the name box starts with it

    // ---- the board in memory; kept from one showing to the next
    QString fBoard;              // full path of the board file
    leaderboard::Board board;    // names and scores, first place first
    std::int16_t iPlace = -1;    // where the new score enters, -1 for nowhere
    QByteArray soundData;        // bytes of the opening sound

    // ---- controls, while the window is open
    vb::Label* Labt = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    vb::ControlArray<vb::Label> Label1;
    vb::ControlArray<vb::Label> Label2;

    // Gives the window its controls from the layout, runs Form_Load and shows
    // it. A window already open is brought to the front.
    void Show();
    // Closes the window (as its close box does).
    void Close();
    bool isOpen() const { return !window_.isNull(); }
    QWidget* window() const { return window_; }

    void Form_Load();
    void Text1_KeyPress(int KeyAscii);
    void Command1_Click();
    void Form_Unload();

private:
    // The title, name box and button for `iPlace`: a congratulation and the
    // name box when the score makes the board, the plain title otherwise.
    void showPlace();
    // The ten rows of the list from the board in memory.
    void showList();

    Form1* mainWindow_;
    QPointer<QWidget> window_;
};
