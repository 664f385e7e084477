// The embedded sounds (their WAVE headers, exact lengths, decodability and
// the balance of their loudness) and the sound call that plays them: observer order, bad images, a missing
// audio device, and - through SDL's "disk" driver, which writes every sample
// the device plays to a file - that whole sounds come out and that a new sound
// cuts off the old one.
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "assets/catalogue.h"
#include "assets/soundplayer.h"
#include "loudness.h"
#include "platform/sound.h"

namespace {

constexpr unsigned kGameFlags = platform::SND_ASYNC | platform::SND_MEMORY;

std::uint32_t le32(const QByteArray& b, int at)
{
    const auto* u = reinterpret_cast<const unsigned char*>(b.constData() + at);
    return u[0] | u[1] << 8 | u[2] << 16 | static_cast<std::uint32_t>(u[3]) << 24;
}
std::uint16_t le16(const QByteArray& b, int at)
{
    const auto* u = reinterpret_cast<const unsigned char*>(b.constData() + at);
    return static_cast<std::uint16_t>(u[0] | u[1] << 8);
}
void put32(QByteArray& b, int at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// What the chunks of a WAVE image say.
struct WaveInfo {
    int formatTag = 0, channels = 0, bitsPerSample = 0, blockAlign = 0;
    std::uint32_t rate = 0, byteRate = 0;
    int samplesPerBlock = 0;  // ADPCM only
    std::optional<std::uint32_t> factFrames;
    std::uint32_t dataBytes = 0;
    bool hasFmt = false, hasData = false;
};

// Walks the chunks of a whole image; fails the test on a broken layout.
WaveInfo parseWave(const QByteArray& img)
{
    WaveInfo w;
    if (img.size() < 12 || !img.startsWith("RIFF") || img.mid(8, 4) != "WAVE") {
        qWarning("not a RIFF WAVE image");
        return w;
    }
    int at = 12;
    while (at + 8 <= img.size()) {
        const QByteArray tag = img.mid(at, 4);
        const std::uint32_t size = le32(img, at + 4);
        const int body = at + 8;
        if (body + static_cast<qint64>(size) > img.size()) {
            qWarning("chunk %s overruns the image", tag.constData());
            return WaveInfo{};
        }
        if (tag == "fmt ") {
            w.hasFmt = true;
            w.formatTag = le16(img, body);
            w.channels = le16(img, body + 2);
            w.rate = le32(img, body + 4);
            w.byteRate = le32(img, body + 8);
            w.blockAlign = le16(img, body + 12);
            w.bitsPerSample = le16(img, body + 14);
            if (w.formatTag == 2 && size >= 22)
                w.samplesPerBlock = le16(img, body + 18);
        } else if (tag == "fact" && size >= 4) {
            w.factFrames = le32(img, body);
        } else if (tag == "data") {
            w.hasData = true;
            w.dataBytes = size;
        }
        at = body + static_cast<int>(size) + static_cast<int>(size & 1);
    }
    return w;
}

// A sound decoded by SDL's WAVE loader as the player does it, as mono-mixed
// floats per frame (channels kept separately).
struct Decoded {
    bool ok = false;
    SDL_AudioSpec spec{};
    std::vector<std::vector<float>> channels;
    std::size_t frames() const { return channels.empty() ? 0 : channels.front().size(); }
};

Decoded decode(const QByteArray& img)
{
    Decoded d;
    SDL_SetHint(SDL_HINT_WAVE_FACT_CHUNK, "truncate");
    Uint8* buf = nullptr;
    Uint32 len = 0;
    const bool loaded = SDL_LoadWAV_RW(SDL_RWFromConstMem(img.constData(), img.size()), 1, &d.spec, &buf, &len);
    // Leave the hint as it was, so the player is seen to set it itself.
    SDL_ResetHint(SDL_HINT_WAVE_FACT_CHUNK);
    if (!loaded)
        return d;
    const int ch = d.spec.channels;
    d.channels.assign(static_cast<std::size_t>(ch), {});
    if (d.spec.format == AUDIO_U8) {
        for (Uint32 i = 0; i < len; ++i)
            d.channels[i % ch].push_back((buf[i] - 128) / 128.0f);
        d.ok = true;
    } else if (d.spec.format == AUDIO_S16SYS) {
        const Uint32 n = len / 2;
        for (Uint32 i = 0; i < n; ++i) {
            Sint16 s;
            std::memcpy(&s, buf + 2 * i, 2);
            d.channels[i % ch].push_back(s / 32768.0f);
        }
        d.ok = true;
    }
    SDL_FreeWAV(buf);
    return d;
}

// Mono view of a decoded sound: the mean of its channels per frame.
std::vector<float> mono(const Decoded& d)
{
    std::vector<float> m(d.frames(), 0.0f);
    for (const auto& c : d.channels)
        for (std::size_t i = 0; i < m.size(); ++i)
            m[i] += c[i] / static_cast<float>(d.channels.size());
    return m;
}

float peak(const std::vector<float>& v)
{
    float p = 0.0f;
    for (float x : v)
        p = std::max(p, std::fabs(x));
    return p;
}

// The integrated loudness (LUFS) of a decoded sound.
double lufs(const Decoded& d)
{
    std::vector<std::vector<double>> channels;
    for (const auto& c : d.channels)
        channels.emplace_back(c.begin(), c.end());
    return loudness::integrated(channels, d.spec.freq);
}

// A sine of `hz` at amplitude 1 for `seconds`, then `silence` seconds of nothing.
std::vector<double> tone(double hz, double seconds, double silence = 0.0)
{
    std::vector<double> v(static_cast<std::size_t>((seconds + silence) * 22050), 0.0);
    for (std::size_t i = 0; i < static_cast<std::size_t>(seconds * 22050); ++i)
        v[i] = std::sin(2.0 * 3.14159265358979323846 * hz * static_cast<double>(i) / 22050.0);
    return v;
}

// Points SDL at another audio driver; the next sound opens a new device.
void useDriver(const char* driver, const QString& diskFile = {})
{
    platform::shutdownSound();
    qputenv("SDL_AUDIODRIVER", driver);
    if (!diskFile.isEmpty())
        qputenv("SDL_DISKAUDIOFILE", diskFile.toLocal8Bit());
}

// The disk driver's output, as written for the device the player asks for
// (16-bit stereo at 22050 Hz, which the disk driver grants as is).
struct Recording {
    std::vector<float> left, right;
};

Recording readRecording(const QString& path)
{
    Recording r;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return r;
    const QByteArray raw = f.readAll();
    const int frames = raw.size() / 4;
    for (int i = 0; i < frames; ++i) {
        Sint16 lr[2];
        std::memcpy(lr, raw.constData() + 4 * i, 4);
        r.left.push_back(lr[0] / 32768.0f);
        r.right.push_back(lr[1] / 32768.0f);
    }
    return r;
}

// A few steps of 16 bits: the device conversion goes through floats.
constexpr float kTolerance = 4.0f / 32768.0f;

bool matchesAt(const std::vector<float>& out, std::size_t at, const std::vector<float>& want, std::size_t count)
{
    if (at + count > out.size())
        return false;
    for (std::size_t i = 0; i < count; ++i)
        if (std::fabs(out[at + i] - want[i]) > kTolerance)
            return false;
    return true;
}

std::size_t firstAudible(const std::vector<float>& v, std::size_t from = 0)
{
    for (std::size_t i = from; i < v.size(); ++i)
        if (std::fabs(v[i]) > 0.02f)
            return i;
    return v.size();
}

bool silentRange(const std::vector<float>& v, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to && i < v.size(); ++i)
        if (std::fabs(v[i]) > kTolerance)
            return false;
    return true;
}

// Waits for the disk driver to have played `seconds` more audio.
void letPlay(double seconds)
{
    QThread::msleep(static_cast<unsigned long>(seconds * 1000.0));
}

// A minimal valid 8-bit PCM image with `frames` samples of a square wave.
QByteArray smallPcmImage(int frames)
{
    QByteArray img("RIFF\0\0\0\0WAVEfmt ", 16);
    QByteArray fmt(20, '\0');
    put32(fmt, 0, 16);
    fmt[4] = 1;          // PCM
    fmt[6] = 1;          // mono
    put32(fmt, 8, 22050);
    put32(fmt, 12, 22050);
    fmt[16] = 1;         // block align
    fmt[18] = 8;         // bits
    img += fmt;
    img += "data";
    QByteArray size(4, '\0');
    put32(size, 0, static_cast<std::uint32_t>(frames));
    img += size;
    for (int i = 0; i < frames; ++i)
        img += static_cast<char>((i / 20) % 2 ? 160 : 96);
    if (frames % 2)
        img += '\0';
    put32(img, 4, static_cast<std::uint32_t>(img.size() - 8));
    return img;
}

}  // namespace

class TestSounds : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void cleanupTestCase();

    void headersAndExactLengths_data();
    void headersAndExactLengths();
    void decodesToTheStatedLength_data();
    void decodesToTheStatedLength();
    void fanfareLength();
    void loudnessMeasure();
    void loudnessIsBalanced();

    void playsEverySoundInOrder();
    void rejectsMalformedImages_data();
    void rejectsMalformedImages();
    void nullAndFileNameCalls();
    void noAudioDevice();

    void diskDriverGetsTheWholeSound_data();
    void diskDriverGetsTheWholeSound();
    void newSoundCutsOffTheOld();
    void badImageStopsTheSoundPlaying();

private:
    QTemporaryDir tmp_;
};

void TestSounds::cleanup()
{
    platform::setSoundObserver({});
    useDriver("dummy");
}

void TestSounds::cleanupTestCase()
{
    platform::shutdownSound();
}

// ---------------------------------------------------------------- resources

void TestSounds::headersAndExactLengths_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("formatTag");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("frames");  // -1: not fixed
    QTest::newRow("101 wrong entry") << 101 << 1 << 1 << 8 << 9952;
    QTest::newRow("102 right total") << 102 << 2 << 1 << 4 << 46806;
    QTest::newRow("103 setting off") << 103 << 1 << 1 << 8 << 34245;
    QTest::newRow("104 arrival") << 104 << 2 << 2 << 4 << 679;
    QTest::newRow("105 leaderboard") << 105 << 1 << 1 << -1 << -1;
}

void TestSounds::headersAndExactLengths()
{
    QFETCH(int, id);
    QFETCH(int, formatTag);
    QFETCH(int, channels);
    QFETCH(int, bits);
    QFETCH(int, frames);

    const QByteArray img = assets::LoadResData(static_cast<std::int16_t>(id), "WAV");
    QVERIFY(img.size() > 44);
    QCOMPARE(img.left(4), QByteArray("RIFF"));
    QCOMPARE(img.mid(8, 4), QByteArray("WAVE"));
    // The player takes the image's length from the RIFF header alone.
    QCOMPARE(static_cast<qint64>(le32(img, 4)) + 8, static_cast<qint64>(img.size()));

    const WaveInfo w = parseWave(img);
    QVERIFY(w.hasFmt);
    QVERIFY(w.hasData);
    QCOMPARE(w.formatTag, formatTag);
    QCOMPARE(w.channels, channels);
    QCOMPARE(w.rate, 22050u);
    if (bits > 0)
        QCOMPARE(w.bitsPerSample, bits);

    if (w.formatTag == 1) {
        QVERIFY(w.bitsPerSample == 8 || w.bitsPerSample == 16);
        QCOMPARE(w.blockAlign, w.channels * w.bitsPerSample / 8);
        QCOMPARE(w.byteRate, w.rate * static_cast<std::uint32_t>(w.blockAlign));
        QCOMPARE(w.dataBytes % static_cast<std::uint32_t>(w.blockAlign), 0u);
        if (frames >= 0)
            QCOMPARE(w.dataBytes / static_cast<std::uint32_t>(w.blockAlign), static_cast<std::uint32_t>(frames));
    } else {
        // Microsoft ADPCM: whole blocks, each holding two header samples per
        // channel and two 4-bit samples per byte after the 7-byte headers.
        QVERIFY(w.blockAlign >= 256 && w.blockAlign <= 2048);
        QCOMPARE(w.samplesPerBlock, (w.blockAlign - 7 * w.channels) * 2 / w.channels + 2);
        QCOMPARE(w.dataBytes % static_cast<std::uint32_t>(w.blockAlign), 0u);
        QVERIFY(w.factFrames.has_value());
        QCOMPARE(*w.factFrames, static_cast<std::uint32_t>(frames));
        const std::uint32_t blocks = w.dataBytes / static_cast<std::uint32_t>(w.blockAlign);
        const std::uint32_t perBlock = static_cast<std::uint32_t>(w.samplesPerBlock);
        QCOMPARE(blocks, (*w.factFrames + perBlock - 1) / perBlock);
    }
    if (id == 102)
        QCOMPARE(w.blockAlign, 512);
}

void TestSounds::decodesToTheStatedLength_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("frames");
    QTest::newRow("101") << 101 << 1 << 9952;
    QTest::newRow("102") << 102 << 1 << 46806;
    QTest::newRow("103") << 103 << 1 << 34245;
    QTest::newRow("104") << 104 << 2 << 679;
    QTest::newRow("105") << 105 << 1 << -1;
}

void TestSounds::decodesToTheStatedLength()
{
    QFETCH(int, id);
    QFETCH(int, channels);
    QFETCH(int, frames);
    const Decoded d = decode(assets::LoadResData(static_cast<std::int16_t>(id), "WAV"));
    QVERIFY2(d.ok, SDL_GetError());
    QCOMPARE(d.spec.freq, 22050);
    QCOMPARE(int(d.spec.channels), channels);
    if (frames >= 0)
        QCOMPARE(d.frames(), static_cast<std::size_t>(frames));

    // Every channel is audible but well clear of full scale, and the sound
    // starts and ends near rest so that starting or cutting it does not click.
    // (How loud each sound is, is loudnessIsBalanced's business.)
    for (const auto& c : d.channels) {
        QVERIFY2(peak(c) > 0.1f, qPrintable(QString::number(peak(c))));
        QVERIFY2(peak(c) < 0.9f, qPrintable(QString::number(peak(c))));
        QVERIFY(std::fabs(c.front()) < 0.02f);
        QVERIFY(std::fabs(c.back()) < 0.02f);
    }
}

void TestSounds::fanfareLength()
{
    const Decoded d = decode(assets::LoadResData(105, "WAV"));
    QVERIFY(d.ok);
    const double seconds = static_cast<double>(d.frames()) / d.spec.freq;
    QVERIFY2(seconds >= 1.5 && seconds <= 2.5, qPrintable(QString::number(seconds)));
    // Not a short sound padded with silence: it still sounds in its last tenth.
    const std::vector<float> m = mono(d);
    const std::size_t tail = m.size() - m.size() / 10;
    QVERIFY(firstAudible(m, tail) < m.size());
}

void TestSounds::loudnessMeasure()
{
    // A full-scale 997 Hz sine in one channel measures -3.01 LUFS (the
    // standard's own check; a hundredths of a LU off at 22050 Hz).
    QVERIFY(std::fabs(loudness::integrated({tone(997, 3)}, 22050) + 3.01) < 0.05);
    // The same in both channels adds their powers: 3 LU more.
    QVERIFY(std::fabs(loudness::integrated({tone(997, 3), tone(997, 3)}, 22050) - 0.0) < 0.05);
    // Silence after a sound is gated out instead of pulling it down, and so
    // is a quiet tail 20 dB down (the relative gate): only the blocks that
    // overlap the tone's end count, just below it (-3.7); averaged over the
    // whole four seconds it would be about -9.
    const auto nearTone = [](double lufs) { return lufs > -4.0 && lufs < -3.0; };
    QVERIFY(nearTone(loudness::integrated({tone(997, 1, 3)}, 22050)));
    std::vector<double> tail = tone(997, 4);
    std::transform(tail.begin() + 22050, tail.end(), tail.begin() + 22050, [](double v) { return v / 10; });
    QVERIFY(nearTone(loudness::integrated({tail}, 22050)));
    // A sound shorter than one 400 ms block is measured over itself.
    QVERIFY(std::fabs(loudness::integrated({tone(997, 0.05)}, 22050) + 3.01) < 0.2);
    // K-weighting: a low hum counts for less than a tone of the same power
    // in the ear's most sensitive range.
    QVERIFY(loudness::integrated({tone(60, 3)}, 22050) < loudness::integrated({tone(3000, 3)}, 22050) - 3.0);
    QVERIFY(std::isinf(loudness::integrated({std::vector<double>(22050, 0.0)}, 22050)));
}

void TestSounds::loudnessIsBalanced()
{
    // Measured on the embedded sounds as the player decodes them.
    std::map<int, double> level;
    for (int id : {101, 102, 103, 104, 105}) {
        const Decoded d = decode(assets::LoadResData(static_cast<std::int16_t>(id), "WAV"));
        QVERIFY(d.ok);
        level[id] = lufs(d);
        QVERIFY2(level[id] > -26.0, "too quiet to hear over a room");
        // Clear of full scale after decoding (about -1 dBFS), and faded in
        // and out over a few milliseconds: the first and last millisecond
        // stay below half the sound's peak.
        const std::size_t ms = static_cast<std::size_t>(d.spec.freq / 1000);
        for (const auto& c : d.channels) {
            const float top = peak(c);
            QVERIFY2(top < 0.89f, qPrintable(QStringLiteral("%1 peaks at %2").arg(id).arg(top)));
            const std::vector<float> head(c.begin(), c.begin() + ms), tail(c.end() - ms, c.end());
            QVERIFY2(peak(head) < top / 2 && peak(tail) < top / 2, qPrintable(QString::number(id)));
        }
    }
    // The sounds of play lie within 3 LU of each other (the 30 ms arrival
    // click apart), and a mistake never sounds louder than a success.
    const auto [quietest, loudest] = std::minmax({level[101], level[102], level[103], level[105]});
    QVERIFY2(loudest - quietest <= 3.0, qPrintable(QString::number(loudest - quietest)));
    QVERIFY(level[101] <= level[102]);
    QVERIFY(level[104] <= loudest);
}

// ---------------------------------------------------------------- playing

void TestSounds::playsEverySoundInOrder()
{
    // The observer sees the bytes of each image, read in place from the
    // caller's buffer, with the length its RIFF header gives.
    QByteArray soundData;
    QList<QByteArray> seen;
    int foreign = 0;
    platform::setSoundObserver([&](const char* data, std::size_t size) {
        if (data != soundData.constData())
            ++foreign;
        seen.append(QByteArray(data, static_cast<qsizetype>(size)));
    });

    const int order[] = {103, 104, 102, 101, 105, 101};
    for (int id : order) {
        QVERIFY(assets::playSound(soundData, static_cast<std::int16_t>(id)));
        QVERIFY(platform::soundDeviceOpen());
    }
    QCOMPARE(foreign, 0);
    QCOMPARE(seen.size(), qsizetype(std::size(order)));
    for (std::size_t i = 0; i < std::size(order); ++i)
        QVERIFY2(seen[static_cast<qsizetype>(i)] == assets::LoadResData(static_cast<std::int16_t>(order[i]), "WAV"),
                 qPrintable(QString::number(order[i])));

    // Each call hands the sound to the device.
    for (int id : order) {
        const QByteArray img = assets::LoadResData(static_cast<std::int16_t>(id), "WAV");
        QCOMPARE(platform::sndPlaySoundA(img.constData(), kGameFlags), 1);
    }

    // The observer can be removed.
    platform::setSoundObserver({});
    const qsizetype before = seen.size();
    const QByteArray img = assets::LoadResData(101, "WAV");
    QCOMPARE(platform::sndPlaySoundA(img.constData(), kGameFlags), 1);
    QCOMPARE(seen.size(), before);
}

void TestSounds::rejectsMalformedImages_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<bool>("observed");  // the RIFF header gives a length

    const QByteArray good = smallPcmImage(301);
    const QByteArray adpcm = assets::LoadResData(102, "WAV");

    QTest::newRow("zero bytes") << QByteArray() << false;
    QTest::newRow("text") << QByteArray("this is not a sound at all, just some text") << false;
    QByteArray noise(4000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919 + 13) & 0xFF);
    QTest::newRow("garbage") << noise << false;

    QByteArray rifx = good;
    rifx[3] = 'X';
    QTest::newRow("RIFX") << rifx << false;
    QByteArray avi = good;
    avi.replace(8, 4, "AVI ");
    QTest::newRow("RIFF but not WAVE") << avi << false;
    QByteArray tiny = good;
    put32(tiny, 4, 4);
    QTest::newRow("RIFF size too small") << tiny << false;

    // The header is sound and gives the length, but the content is bad.
    QByteArray noFmt("RIFF\0\0\0\0WAVEjunk\x20\0\0\0", 20);
    noFmt += QByteArray(32, 'j');
    noFmt += "data";
    noFmt += QByteArray("\x10\0\0\0", 4);
    noFmt += QByteArray(16, '\x80');
    put32(noFmt, 4, static_cast<std::uint32_t>(noFmt.size() - 8));
    QTest::newRow("no fmt chunk") << noFmt << true;

    QByteArray mp3 = good;
    mp3[20] = 0x55;  // MPEG layer 3, not decodable here
    QTest::newRow("unsupported format") << mp3 << true;

    QByteArray noChannels = good;
    noChannels[22] = 0;
    QTest::newRow("zero channels") << noChannels << true;

    QByteArray noRate = good;
    put32(noRate, 24, 0);
    QTest::newRow("zero sample rate") << noRate << true;

    QByteArray odd = good;
    odd[34] = 12;  // 12-bit PCM
    QTest::newRow("odd bit depth") << odd << true;

    QByteArray fmtOverrun = good;
    put32(fmtOverrun, 16, 5000);
    QTest::newRow("fmt chunk runs past the end") << fmtOverrun << true;

    QByteArray noDataChunk = good.left(36);
    noDataChunk += QByteArray("LIST\x08\0\0\0INFOjunk", 16);
    put32(noDataChunk, 4, static_cast<std::uint32_t>(noDataChunk.size() - 8));
    QTest::newRow("no data chunk") << noDataChunk << true;

    // An ADPCM image cut inside its coefficient table, the RIFF size made to
    // agree with the cut.
    QByteArray cutAdpcm = adpcm.left(50);
    put32(cutAdpcm, 4, static_cast<std::uint32_t>(cutAdpcm.size() - 8));
    QTest::newRow("ADPCM cut in fmt") << cutAdpcm << true;

    // ADPCM whose block header names a predictor outside the table.
    QByteArray badPredictor = adpcm;
    const int dataAt = badPredictor.indexOf("data") + 8;
    badPredictor[dataAt] = static_cast<char>(0x7F);
    QTest::newRow("ADPCM bad predictor") << badPredictor << true;

    QByteArray zeroBlock = adpcm;
    const int fmtAt = zeroBlock.indexOf("fmt ") + 8;
    zeroBlock[fmtAt + 12] = 0;
    zeroBlock[fmtAt + 13] = 0;
    QTest::newRow("ADPCM zero block align") << zeroBlock << true;
}

void TestSounds::rejectsMalformedImages()
{
    QFETCH(QByteArray, image);
    QFETCH(bool, observed);

    std::size_t calls = 0, observedSize = 0;
    platform::setSoundObserver([&](const char*, std::size_t size) {
        ++calls;
        observedSize = size;
    });
    // The player only ever gets the pointer; QByteArray keeps a terminating
    // NUL, so even the empty image can be read up to its first byte.
    QCOMPARE(platform::sndPlaySoundA(image.constData(), kGameFlags), 0);
    QCOMPARE(calls, observed ? std::size_t{1} : std::size_t{0});
    if (observed)
        QCOMPARE(observedSize, static_cast<std::size_t>(image.size()));

    // The player still works afterwards.
    const QByteArray good = smallPcmImage(300);
    QCOMPARE(platform::sndPlaySoundA(good.constData(), kGameFlags), 1);
}

void TestSounds::nullAndFileNameCalls()
{
    std::size_t calls = 0;
    platform::setSoundObserver([&](const char*, std::size_t) { ++calls; });
    const QByteArray img = assets::LoadResData(103, "WAV");
    QCOMPARE(platform::sndPlaySoundA(img.constData(), kGameFlags), 1);
    // A null image stops the sound.
    QCOMPARE(platform::sndPlaySoundA(nullptr, kGameFlags), 0);
    // Without SND_MEMORY the argument would be a file name: not played.
    QCOMPARE(platform::sndPlaySoundA("101.wav", platform::SND_ASYNC), 0);
    QCOMPARE(platform::sndPlaySoundA(img.constData(), platform::SND_ASYNC), 0);
    QCOMPARE(calls, std::size_t{1});
}

void TestSounds::noAudioDevice()
{
    useDriver("no_such_audio_driver");
    std::vector<std::size_t> seen;
    platform::setSoundObserver([&](const char*, std::size_t size) { seen.push_back(size); });

    QByteArray soundData;
    const int order[] = {101, 102, 103, 104, 105};
    std::vector<std::size_t> expected;
    for (int round = 0; round < 20; ++round)
        for (int id : order) {
            QVERIFY(assets::playSound(soundData, static_cast<std::int16_t>(id)));
            expected.push_back(static_cast<std::size_t>(soundData.size()));
            QCOMPARE(platform::sndPlaySoundA(soundData.constData(), kGameFlags), 0);
            expected.push_back(static_cast<std::size_t>(soundData.size()));
        }
    QVERIFY(!platform::soundDeviceOpen());
    QCOMPARE(SDL_WasInit(SDL_INIT_AUDIO), Uint32{0});
    // The game still learns which sounds were started.
    QCOMPARE(seen, expected);

    // The failure is remembered: a driver that appears later is not tried
    // until the player is shut down.
    qputenv("SDL_AUDIODRIVER", "dummy");
    QCOMPARE(platform::sndPlaySoundA(soundData.constData(), kGameFlags), 0);
    QVERIFY(!platform::soundDeviceOpen());
    platform::shutdownSound();
    QCOMPARE(platform::sndPlaySoundA(soundData.constData(), kGameFlags), 1);
    QVERIFY(platform::soundDeviceOpen());
    platform::shutdownSound();
    QVERIFY(!platform::soundDeviceOpen());
    QCOMPARE(SDL_WasInit(SDL_INIT_AUDIO), Uint32{0});
}

// ---------------------------------------------------------------- real output

void TestSounds::diskDriverGetsTheWholeSound_data()
{
    QTest::addColumn<int>("id");
    QTest::newRow("101 (8-bit PCM)") << 101;
    QTest::newRow("102 (ADPCM, ends inside a block)") << 102;
    QTest::newRow("104 (stereo ADPCM)") << 104;
}

void TestSounds::diskDriverGetsTheWholeSound()
{
    QFETCH(int, id);
    QVERIFY(tmp_.isValid());
    const QString file = tmp_.filePath(QStringLiteral("whole-%1.raw").arg(id));
    useDriver("disk", file);

    const QByteArray img = assets::LoadResData(static_cast<std::int16_t>(id), "WAV");
    const Decoded d = decode(img);
    QVERIFY(d.ok);
    QCOMPARE(platform::sndPlaySoundA(img.constData(), kGameFlags), 1);
    QVERIFY(platform::soundDeviceOpen());
    letPlay(static_cast<double>(d.frames()) / d.spec.freq + 0.4);
    platform::shutdownSound();

    const Recording r = readRecording(file);
    const std::vector<float>& wantL = d.channels.front();
    const std::vector<float>& wantR = d.channels.back();
    // Align on the first clearly audible sample, then every frame must match.
    const std::size_t lead = firstAudible(wantL);
    const std::size_t start = firstAudible(r.left);
    QVERIFY(start < r.left.size());
    QVERIFY(start >= lead);
    const std::size_t at = start - lead;
    QVERIFY2(matchesAt(r.left, at, wantL, wantL.size()), "left channel differs");
    QVERIFY2(matchesAt(r.right, at, wantR, wantR.size()), "right channel differs");
    // Before and after it the device played silence.
    QVERIFY(silentRange(r.left, 0, at));
    QVERIFY(silentRange(r.left, at + wantL.size(), r.left.size()));
    QVERIFY(silentRange(r.right, at + wantR.size(), r.right.size()));
    // The recording ran on after the end, so the last frames were not lost
    // in a buffer that was never played.
    QVERIFY(r.left.size() > at + wantL.size() + 1000);
}

void TestSounds::newSoundCutsOffTheOld()
{
    QVERIFY(tmp_.isValid());
    const QString file = tmp_.filePath(QStringLiteral("replace.raw"));
    useDriver("disk", file);

    QByteArray soundData;
    QVERIFY(assets::playSound(soundData, 103));
    QVERIFY(platform::soundDeviceOpen());
    letPlay(0.35);
    QVERIFY(assets::playSound(soundData, 101));
    letPlay(0.45 + 0.4);
    platform::shutdownSound();

    const Recording r = readRecording(file);
    const std::vector<float> first = mono(decode(assets::LoadResData(103, "WAV")));
    const std::vector<float> second = mono(decode(assets::LoadResData(101, "WAV")));
    QVERIFY(!first.empty() && !second.empty());

    const std::size_t a = firstAudible(r.left) - firstAudible(first);
    // The first sound plays from its start until it is cut off...
    std::size_t played = 0;
    while (a + played < r.left.size() && played < first.size() &&
           std::fabs(r.left[a + played] - first[played]) <= kTolerance)
        ++played;
    QVERIFY2(played > first.size() / 10, qPrintable(QString::number(played)));
    QVERIFY2(played < first.size() / 2, qPrintable(QString::number(played)));
    // ...and the second follows at once, whole, then silence.
    bool found = false;
    std::size_t b = a + played >= 8 ? a + played - 8 : 0;
    for (; b <= a + played + 1; ++b)
        if (matchesAt(r.left, b, second, second.size())) {
            found = true;
            break;
        }
    QVERIFY2(found, "the second sound is not in the output right after the cut");
    QVERIFY(silentRange(r.left, b + second.size(), r.left.size()));
    QVERIFY(r.left.size() > b + second.size() + 1000);
}

void TestSounds::badImageStopsTheSoundPlaying()
{
    QVERIFY(tmp_.isValid());
    const QString file = tmp_.filePath(QStringLiteral("stop.raw"));
    useDriver("disk", file);

    const QByteArray img = assets::LoadResData(102, "WAV");
    QCOMPARE(platform::sndPlaySoundA(img.constData(), kGameFlags), 1);
    letPlay(0.3);
    QByteArray bad = smallPcmImage(100);
    bad[22] = 0;  // no channels
    QCOMPARE(platform::sndPlaySoundA(bad.constData(), kGameFlags), 0);
    letPlay(0.3);
    QCOMPARE(platform::sndPlaySoundA(nullptr, kGameFlags), 0);
    platform::shutdownSound();

    const Recording r = readRecording(file);
    const std::vector<float> want = mono(decode(img));
    const std::size_t start = firstAudible(r.left);
    QVERIFY(start < r.left.size());
    // Only a stretch shorter than the whole sound was played, then silence.
    std::size_t lastSound = start;
    for (std::size_t i = start; i < r.left.size(); ++i)
        if (std::fabs(r.left[i]) > kTolerance)
            lastSound = i;
    QVERIFY2(lastSound - start < want.size() / 2, qPrintable(QString::number(lastSound - start)));
    QVERIFY(r.left.size() > lastSound + 2000);
}

QTEST_GUILESS_MAIN(TestSounds)
#include "test_sounds.moc"
