// The classic sound call: start a WAVE image held in memory and return at once.
#pragma once

#include <cstddef>
#include <functional>

namespace platform {

// Flag bits of sndPlaySoundA: from memory, asynchronously, the one way it
// plays (SND_ASYNC | SND_MEMORY, 5).
constexpr unsigned SND_ASYNC = 0x0001;
constexpr unsigned SND_MEMORY = 0x0004;

// Starts the RIFF WAVE image that `data` points to (8/16-bit PCM or Microsoft
// ADPCM, mono or stereo) and returns at once; a sound still playing is cut off.
// `data` must stay alive until the next call: the player copies what it needs
// before returning, so a caller may replace its buffer right after the next
// call. A null `data` stops the sound that plays. Returns 1 when the sound was
// handed to the device, 0 otherwise (bad image, no audio device). With no audio
// device the program runs silently: nothing hangs and nothing is reported.
int sndPlaySoundA(const char* data, unsigned flags);

// Test seam: called with the WAVE image (its full length, read from the RIFF
// header) of every sound started, in order, before it is decoded. Pass an
// empty function to stop observing.
using SoundObserver = std::function<void(const char* data, std::size_t size)>;
void setSoundObserver(SoundObserver observer);

// True once the audio device has been opened successfully.
bool soundDeviceOpen();

// Tells the desktop's sound mixer whose sound this is: the application's name
// (`appName`), a name for its sound stream and the icon named `iconName` from
// the icon theme. Call it at start-up, before any other thread runs: the icon
// travels to PulseAudio and PipeWire through environment variables. Names the
// user has set in the environment are kept.
void nameSoundClient(const char* appName, const char* iconName);

// Loads the sound library on a thread of its own, so that the first sound
// finds it loaded; sounds started meanwhile wait for it. Call it once the
// window is up: loading it takes longer than the rest of start-up.
void preloadSound();

// Closes the audio device (the next sound opens it again). Used at exit.
void shutdownSound();

}  // namespace platform
