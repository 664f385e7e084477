// Shared helpers of the window tests: a main window ready to play, a record
// of the sounds started, and ways to bring the lamb to the scale at will.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <memory>
#include <vector>

#include "assets/catalogue.h"
#include "game/form1.h"
#include "help/form3.h"
#include "leaderboard/form2.h"
#include "platform/sound.h"
#include "platform/system.h"

namespace gametest {

// Which numbered sound a WAVE image is, found by comparing bytes; -1 if none.
inline int soundIdOf(const char* data, std::size_t size)
{
    for (int id = 101; id <= 105; ++id) {
        const QByteArray bytes = assets::LoadResData(static_cast<std::int16_t>(id), "WAV");
        if (!bytes.isEmpty() && static_cast<std::size_t>(bytes.size()) == size &&
            std::memcmp(bytes.constData(), data, size) == 0)
            return id;
    }
    return -1;
}

// Records the id of every sound started while it lives.
class SoundLog {
public:
    SoundLog()
    {
        platform::setSoundObserver([this](const char* data, std::size_t size) {
            ids.push_back(soundIdOf(data, size));
            if (onSound)
                onSound(ids.back());
        });
    }
    ~SoundLog() { platform::setSoundObserver({}); }
    int count(int id) const
    {
        int n = 0;
        for (int i : ids)
            n += i == id;
        return n;
    }
    std::vector<int> ids;
    std::function<void(int)> onSound;  // called as each sound starts
};

// A loaded, shown main window whose boards live in a fresh temporary folder.
struct Game {
    Game()
    {
        form = std::make_unique<Form1>();
        form->Form_Load();
        form->boardFolder = boards.path() + QLatin1Char('/');
        form->show();
    }
    ~Game()
    {
        platform::setRandomSequence({});
        assets::setMissingForTest({});
    }

    // Starts a game and stops its timers, so that the test drives the ticks.
    void startStill()
    {
        form->Pictb_Click();
        stopTimers();
    }
    void stopTimers()
    {
        form->Timer1->setEnabled(false);
        form->Timer2->setEnabled(false);
        form->Timer3->setEnabled(false);
    }

    // Brings the lamb to the scale with one walk tick, with the sign at
    // `total` and the random draws `draws`. The answer clock is stopped so
    // that the test decides the answer time.
    void arrive(int total, std::vector<double> draws)
    {
        form->LabAll->setCaption(QString::number(total));
        platform::setRandomSequence(std::move(draws));
        form->PicBoy->move(110, form->PicBoy->y());
        form->Timer1->setEnabled(true);
        form->Timer1_Timer();
        form->Timer3->setEnabled(false);
    }

    // Draws that make a grade-0 delivery of `amount` goods (1..9).
    static std::vector<double> unitsDraw(int amount) { return {(amount + 0.5) / 10.0}; }

    void key(int code)
    {
        std::int16_t k = static_cast<std::int16_t>(code);
        form->Form_KeyDown(k, 0);
    }
    void type(const QString& digits)
    {
        for (QChar c : digits)
            key('0' + c.digitValue());
    }

    QTemporaryDir boards;
    std::unique_ptr<Form1> form;
};

// The colour of pixel (x, y) of what a picture box shows.
inline QColor pixel(const vb::PictureBox* box, int x, int y)
{
    return box->canvas().pixelColor(x, y);
}

// True when every pixel of the box's canvas in columns x1..x2 and rows y1..y2
// has colour `c`.
inline bool allPixels(const vb::PictureBox* box, int x1, int y1, int x2, int y2, const QColor& c)
{
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x)
            if (box->canvas().pixelColor(x, y) != c)
                return false;
    return true;
}

inline bool showsPicture(const vb::PictureBox* box, int id)
{
    const QImage expected = assets::LoadResPicture(static_cast<std::int16_t>(id));
    return !expected.isNull() &&
           box->picture().convertToFormat(QImage::Format_RGB32) ==
               expected.convertToFormat(QImage::Format_RGB32);
}

}  // namespace gametest
