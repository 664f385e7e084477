// The numbered pictures and sounds embedded in the program.
//
// Pictures live at ":/pictures/<id>.bmp" (24-bit, opaque), sounds at
// ":/sounds/<id>.wav" (complete RIFF WAVE images), the window icon at
// ":/pictures/icon.png". Every load reads the resource again; nothing is cached.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>
#include <set>

namespace assets {

// Loads picture `id`. Returns a null image when there is no such picture.
QImage LoadResPicture(std::int16_t id);

// Loads all bytes of sound `id` of resource type "WAV". Returns an empty array
// when there is no such sound.
QByteArray LoadResData(std::int16_t id, const char* type = "WAV");

// The program icon (32 x 32 with a 1-bit mask).
QImage programIcon();

// Test seam: ids listed here load as if they were missing.
void setMissingForTest(std::set<int> ids);

}  // namespace assets
