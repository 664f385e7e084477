#include "assets/soundplayer.h"

#include "assets/catalogue.h"
#include "platform/sound.h"

namespace assets {

bool playSound(QByteArray& soundData, std::int16_t id)
{
    QByteArray bytes = LoadResData(id, "WAV");
    if (bytes.isEmpty())
        return false;
    soundData = std::move(bytes);
    platform::sndPlaySoundA(soundData.constData(), platform::SND_ASYNC | platform::SND_MEMORY);
    return true;
}

}  // namespace assets
