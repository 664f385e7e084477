// The sound call, on top of SDL's audio.
//
// One output device is opened the first time a sound is started and stays
// open; each sound is decoded by SDL's WAVE loader (8/16-bit PCM and
// Microsoft ADPCM), converted in one piece to the device's format and put on
// the device's queue in place of whatever was still queued, so a new sound
// cuts off the old one at once. The converter used is SDL_AudioCVT, which
// converts the whole buffer; SDL_AudioStream would hold back the last frames
// of every sound.
//
// SDL is not linked into the program but loaded when sound is first needed
// (or ahead of that by preloadSound(), on a thread of its own): with the
// audio back-ends it pulls in, loading it costs more than the rest of the
// program's start-up. Without the library the program runs silently.
//
// When SDL has no working audio driver or no device can be opened, the
// program runs silently: the failure is remembered (until shutdownSound())
// so that later calls return at once without trying again.
#include "platform/sound.h"

#include <SDL.h>

#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace platform {

namespace {

// "RIFF" size "WAVE", a "fmt " chunk with its 16-byte body, and the header of
// a "data" chunk: no WAVE image can be shorter.
constexpr std::size_t kMinImageSize = 12 + 8 + 16 + 8;
// A sound of a few minutes is a few megabytes; a header claiming more than
// this is taken as damaged rather than trusted to bound the read.
constexpr std::size_t kMaxImageSize = 64u * 1024u * 1024u;

// The SDL functions the player calls, looked up in the library loaded at
// run time. Each member has the type of the function it stands for.
struct Sdl {
#define PELLARO_SDL_FUNCTIONS(X)                                                                  \
    X(SDL_SetHint) X(SDL_SetHintWithPriority) X(SDL_InitSubSystem) X(SDL_QuitSubSystem)          \
    X(SDL_OpenAudioDevice) X(SDL_CloseAudioDevice) X(SDL_ClearQueuedAudio) X(SDL_QueueAudio)     \
    X(SDL_LockAudioDevice) X(SDL_UnlockAudioDevice) X(SDL_PauseAudioDevice) X(SDL_RWFromConstMem) \
    X(SDL_LoadWAV_RW) X(SDL_FreeWAV) X(SDL_BuildAudioCVT) X(SDL_ConvertAudio)
#define PELLARO_SDL_MEMBER(name) decltype(&::name) name = nullptr;
    PELLARO_SDL_FUNCTIONS(PELLARO_SDL_MEMBER)
#undef PELLARO_SDL_MEMBER
};

// The library's name as its package installs it (SDL 2's stable ABI).
constexpr const char* kSdlLibrary = "libSDL2-2.0.so.0";

struct Loader {
    std::once_flag once;
    const Sdl* sdl = nullptr;  // null when the library or a function is missing
    std::thread preloading;

    ~Loader()
    {
        if (preloading.joinable())
            preloading.join();
    }
};

Loader& loader()
{
    static Loader l;
    return l;
}

// Loads SDL once, on whichever thread asks first; the others wait for it.
// The library stays loaded for the rest of the run.
const Sdl* loadSdl()
{
    Loader& l = loader();
    std::call_once(l.once, [&l] {
        void* library = dlopen(kSdlLibrary, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return;
        static Sdl table;
        bool complete = true;
#define PELLARO_SDL_LOOKUP(name)                                                  \
    table.name = reinterpret_cast<decltype(table.name)>(dlsym(library, #name)); \
    complete = complete && table.name != nullptr;
        PELLARO_SDL_FUNCTIONS(PELLARO_SDL_LOOKUP)
#undef PELLARO_SDL_LOOKUP
        if (complete)
            l.sdl = &table;
    });
    return l.sdl;
}

// The loaded functions; only called once the device is open, so loaded.
const Sdl& api()
{
    return *loader().sdl;
}

struct Player {
    bool subsystemUp = false;
    bool unavailable = false;  // init or open failed; not retried until shutdown
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec have{};
    SoundObserver observer;
};

Player& player()
{
    static Player p;
    return p;
}

// Compares the bytes at `p` with the four characters of `tag`, stopping at
// the first difference so that nothing past a mismatch is read.
bool hasTag(const char* p, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        if (p[i] != tag[i])
            return false;
    return true;
}

// The full length of the RIFF WAVE image at `data` (the RIFF chunk's size
// plus its 8-byte header), or 0 if the bytes do not begin a WAVE image.
// Only the caller's pointer is known, so the header is read with early exits:
// a buffer that does not start with "RIFF" is read no further than its first
// differing byte.
std::size_t imageSize(const char* data)
{
    if (!hasTag(data, "RIFF"))
        return 0;
    const auto* u = reinterpret_cast<const unsigned char*>(data);
    const std::uint32_t riffSize = static_cast<std::uint32_t>(u[4]) | static_cast<std::uint32_t>(u[5]) << 8 |
                                   static_cast<std::uint32_t>(u[6]) << 16 | static_cast<std::uint32_t>(u[7]) << 24;
    const std::size_t size = static_cast<std::size_t>(riffSize) + 8;
    if (size < kMinImageSize || size > kMaxImageSize)
        return 0;
    if (!hasTag(data + 8, "WAVE"))
        return 0;
    return size;
}

// Opens the device on first use. Returns false (quickly, after the first
// failure) when there is no sound.
bool ensureDevice()
{
    Player& p = player();
    if (p.device != 0)
        return true;
    if (p.unavailable)
        return false;
    const Sdl* sdl = loadSdl();
    if (!sdl) {
        p.unavailable = true;
        return false;
    }
    // SDL would otherwise take over SIGINT and SIGTERM and turn them into
    // events that nobody reads; the program handles them itself.
    sdl->SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (sdl->SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        p.unavailable = true;
        return false;
    }
    p.subsystemUp = true;

    SDL_AudioSpec want{};
    want.freq = 22050;  // the usual rate of short effect sounds
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 512;  // about 23 ms: short enough for clicks to land on time
    p.device = sdl->SDL_OpenAudioDevice(nullptr, 0, &want, &p.have,
                                   SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (p.device == 0) {
        sdl->SDL_QuitSubSystem(SDL_INIT_AUDIO);
        p.subsystemUp = false;
        p.unavailable = true;
        return false;
    }
    return true;
}

// Drops whatever is still queued, so the sound playing stops.
void stopPlaying()
{
    Player& p = player();
    if (p.device != 0)
        api().SDL_ClearQueuedAudio(p.device);
}

// Decodes the WAVE image and converts it to the device's format. Returns an
// empty buffer when the image cannot be decoded or converted.
std::vector<Uint8> decodeForDevice(const char* data, std::size_t size)
{
    // ADPCM data ends with a partly used block; the "fact" chunk gives the true
    // sample count, and SDL only honours it when told to.
    api().SDL_SetHintWithPriority(SDL_HINT_WAVE_FACT_CHUNK, "truncate", SDL_HINT_OVERRIDE);
    SDL_RWops* rw = api().SDL_RWFromConstMem(data, static_cast<int>(size));
    if (!rw)
        return {};
    SDL_AudioSpec spec{};
    Uint8* pcm = nullptr;
    Uint32 pcmLen = 0;
    if (!api().SDL_LoadWAV_RW(rw, 1, &spec, &pcm, &pcmLen))
        return {};

    const SDL_AudioSpec& have = player().have;
    SDL_AudioCVT cvt;
    const int built = api().SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, have.format, have.channels,
                                        have.freq);
    std::vector<Uint8> out;
    if (built < 0 || pcmLen == 0) {
        api().SDL_FreeWAV(pcm);
        return out;
    }
    if (built == 0) {
        out.assign(pcm, pcm + pcmLen);
        api().SDL_FreeWAV(pcm);
        return out;
    }
    out.resize(static_cast<std::size_t>(pcmLen) * static_cast<std::size_t>(cvt.len_mult));
    std::memcpy(out.data(), pcm, pcmLen);
    api().SDL_FreeWAV(pcm);
    cvt.buf = out.data();
    cvt.len = static_cast<int>(pcmLen);
    if (api().SDL_ConvertAudio(&cvt) != 0)
        return {};
    out.resize(static_cast<std::size_t>(cvt.len_cvt));
    return out;
}

}  // namespace

// Flags: SND_MEMORY must be set; a call without it would name a file, which
// this player does not read, so it only stops the current sound and returns
// 0. The call always returns at once. Every call stops the sound that plays,
// also when its own image turns out to be unplayable.
int sndPlaySoundA(const char* data, unsigned flags)
{
    Player& p = player();
    if (!data || !(flags & SND_MEMORY)) {
        stopPlaying();
        return 0;
    }
    const std::size_t size = imageSize(data);
    if (size == 0) {
        stopPlaying();
        return 0;
    }
    if (p.observer)
        p.observer(data, size);
    if (!ensureDevice())
        return 0;

    const std::vector<Uint8> samples = decodeForDevice(data, size);

    // Holding the device lock across clearing and queueing means the audio
    // thread never sees the emptied queue in between, so the new sound follows
    // the cut-off one without a gap.
    api().SDL_LockAudioDevice(p.device);
    api().SDL_ClearQueuedAudio(p.device);
    const int queued =
        samples.empty() ? -1 : api().SDL_QueueAudio(p.device, samples.data(), static_cast<Uint32>(samples.size()));
    api().SDL_UnlockAudioDevice(p.device);
    if (queued != 0)
        return 0;
    api().SDL_PauseAudioDevice(p.device, 0);
    return 1;
}

void nameSoundClient(const char* appName, const char* iconName)
{
    // Read when the device opens, by the PulseAudio and PipeWire drivers. SDL
    // reads every hint from the environment variable of its name; set here
    // only where the user has not set it, so SDL_AUDIO_DEVICE_* variables of
    // the user's still win, and before SDL is loaded. (The stream's role keeps
    // SDL's default, "Game".)
    setenv(SDL_HINT_AUDIO_DEVICE_APP_NAME, appName, 0);
    setenv(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Game sounds", 0);
    // SDL 2 has no hint for the icon. PulseAudio's client library (which SDL
    // tries first, and which also speaks to PipeWire's PulseAudio server) adds
    // every PULSE_PROP_<key> variable to the client's properties, and the
    // server passes them on to the stream; PipeWire's own library reads
    // PIPEWIRE_PROPS. The last argument 0 keeps a value the user has set.
    setenv("PULSE_PROP_application.icon_name", iconName, 0);
    setenv("PIPEWIRE_PROPS", ("{ application.icon-name = \"" + std::string(iconName) + "\" }").c_str(), 0);
}

void preloadSound()
{
    Loader& l = loader();
    if (!l.preloading.joinable())
        l.preloading = std::thread([] { loadSdl(); });
}

void setSoundObserver(SoundObserver observer)
{
    player().observer = std::move(observer);
}

bool soundDeviceOpen()
{
    return player().device != 0;
}

void shutdownSound()
{
    Player& p = player();
    if (p.device != 0) {
        api().SDL_CloseAudioDevice(p.device);
        p.device = 0;
    }
    if (p.subsystemUp) {
        api().SDL_QuitSubSystem(SDL_INIT_AUDIO);
        p.subsystemUp = false;
    }
    p.unavailable = false;
    p.have = SDL_AudioSpec{};
}

}  // namespace platform
