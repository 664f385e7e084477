// The fixed layouts of the three windows: every control with its container,
// place, size, colours and fonts. The windows' load handlers complete them at
// run time (pictures, further array elements, captions, window position).
#pragma once

#include "assets/palette.h"
#include "platform/controls.h"

class QLineEdit;
class QPushButton;

namespace assets {

// Main window: 561 x 449, navy, caption "Pellaro".
struct Form1Layout {
    vb::Timer* Timer3 = nullptr;
    vb::PictureBox* Pictl = nullptr;
    vb::Timer* Timer2 = nullptr;
    vb::PictureBox* PicLong = nullptr;
    vb::PictureBox* Picball0 = nullptr;
    vb::PictureBox* Picth = nullptr;
    vb::PictureBox* Pictb = nullptr;
    vb::PictureBox* PicBK = nullptr;
    vb::PictureBox* Pictall = nullptr;
    vb::PictureBox* Pic2 = nullptr;
    vb::PictureBox* Pic1 = nullptr;
    vb::PictureBox* PicBoy = nullptr;
    vb::Label* LabAll = nullptr;
    vb::Label* LabRes = nullptr;
    vb::Timer* Timer1 = nullptr;
    vb::Label* LabFc = nullptr;
};
Form1Layout buildForm1Layout(QWidget* form);

// Leaderboard window: 307 x 372, white, caption "排行榜".
struct Form2Layout {
    QPushButton* Command1 = nullptr;
    QLineEdit* Text1 = nullptr;
    vb::Label* Labt = nullptr;
    vb::Label* Label1 = nullptr;  // element 0 of the names column
    vb::Label* Label2 = nullptr;  // element 0 of the scores column
};
Form2Layout buildForm2Layout(QWidget* form);

// Help window: 348 x 252, white, caption "帮助".
struct Form3Layout {
    vb::Label* Label1 = nullptr;
};
Form3Layout buildForm3Layout(QWidget* form);

}  // namespace assets
