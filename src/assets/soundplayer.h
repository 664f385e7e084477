// Plays the numbered sounds the way every window does: the bytes go into a
// buffer owned by the window, and the player starts on that buffer.
#pragma once

#include <QByteArray>
#include <cstdint>

namespace assets {

// Loads sound `id` into `soundData` (replacing what it held) and starts it
// asynchronously from memory, cutting off the sound still playing. A sound
// that cannot be loaded plays nothing and leaves `soundData` as it was;
// returns whether the sound was found.
bool playSound(QByteArray& soundData, std::int16_t id);

}  // namespace assets
