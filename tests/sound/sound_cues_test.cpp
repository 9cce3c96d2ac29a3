#include "drill/drill_fixture.h"

#include "sound/sound_cues.h"
#include "sound/wave_file.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace baisuu {

namespace {

class SoundCuesTest : public ::testing::Test, public DrillFixture {
  protected:
    void writeList(const QString& text) {
        writeFile(dir, QStringLiteral("音フォルダ/新音ファイル.txt"), sjis(text));
        ASSERT_FALSE(LoadSoundList(ctx->sounds, ctx->hensuu1.paths.soundFolder));
    }
    QString cue(SoundCue c, double r) const {
        return QFileInfo(CueFile(ctx->sounds, {}, c, r)).fileName();
    }
};

} // namespace

TEST_F(SoundCuesTest, TheListFillsTheCueTable) {
    writeList(QStringLiteral("正解音2,ピンポン,せいかい,*\r\n"
                             "なにか\r\n"
                             "間違い音2,\"ブー\",*\r\n"
                             "自己最高音2,*\r\n"
                             "不合格音1,がんばろう"));
    const SoundCueTable& t = ctx->sounds;
    EXPECT_EQ(t.soundTable[0][1], QStringLiteral("正解音1"));
    EXPECT_EQ(t.soundTable[0][10], QStringLiteral("不合格音1"));
    EXPECT_EQ(t.cell(21, SoundCue::Correct2), QStringLiteral("2"));
    EXPECT_EQ(cue(SoundCue::Correct2, 0.0), QStringLiteral("ピンポン.wav"));
    EXPECT_EQ(cue(SoundCue::Correct2, 0.49), QStringLiteral("ピンポン.wav"));
    EXPECT_EQ(cue(SoundCue::Correct2, 0.5), QStringLiteral("せいかい.wav"));
    EXPECT_EQ(cue(SoundCue::Correct2, 0.999), QStringLiteral("せいかい.wav"));
    EXPECT_EQ(cue(SoundCue::Wrong2, 0.7), QStringLiteral("ブー.wav"));
    // No files listed: row 1, which is empty, so the play fails like a missing file.
    EXPECT_EQ(t.cell(21, SoundCue::PersonalBest2), QStringLiteral("0"));
    EXPECT_EQ(cue(SoundCue::PersonalBest2, 0.7), QStringLiteral(".wav"));
    EXPECT_EQ(cue(SoundCue::Best1, 0.7), QStringLiteral(".wav"));
    // The last group may end with the file.
    EXPECT_EQ(t.cell(21, SoundCue::PassTime1), QStringLiteral("1"));
    EXPECT_EQ(cue(SoundCue::PassTime1, 0.3), QStringLiteral("がんばろう.wav"));
}

TEST_F(SoundCuesTest, AMissingListLeavesEveryCueEmpty) {
    EXPECT_TRUE(LoadSoundList(ctx->sounds, ctx->hensuu1.paths.soundFolder).has_value());
    EXPECT_EQ(ctx->sounds.soundTable[0][2], QStringLiteral("正解音2"));
    bool done = false;
    PlayCorrectCue(ctx->cues(), [&] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_EQ(sound.played, QStringList{QStringLiteral(".wav")});

}

namespace {

// A wave file from its parts: the format chunk's fields, then the data.
QByteArray wave(quint16 tag, quint16 channels, quint32 rate, quint16 bits, const QByteArray& data,
                const QByteArray& before = {}, const QByteArray& extension = {}) {
    QByteArray out;
    auto u16 = [&](quint16 v) { out.append(char(v)).append(char(v >> 8)); };
    auto u32 = [&](quint32 v) { u16(quint16(v)), u16(quint16(v >> 16)); };
    out.append("RIFF");
    u32(0); // not read
    out.append("WAVE");
    out.append(before);
    out.append("fmt ");
    u32(16 + extension.size());
    u16(tag);
    u16(channels);
    u32(rate);
    u32(rate * channels * bits / 8);
    u16(quint16(channels * bits / 8));
    u16(bits);
    out.append(extension);
    out.append("data");
    u32(quint32(data.size()));
    out.append(data);
    return out;
}

} // namespace

TEST(WaveFile, WhatIsPlayedAndForHowLong) {
    // The extensible header names the plain format in its sub-format's first two bytes.
    QByteArray floatExtension("\x16\x00\x20\x00\x03\x00\x00\x00\x03\x00", 10);
    floatExtension.append(QByteArray(14, '\0'));
    const QByteArray listChunk("LIST\x03\x00\x00\x00" "abc\x00", 12); // odd size, padded
    const struct {
        const char* what;
        QByteArray bytes;
        WaveSound::Sample sample;
        int channels;
        qint64 ms;
    } cases[] = {
        {"8 bits mono", wave(1, 1, 8000, 8, QByteArray(4000, '\x80')), WaveSound::Sample::UInt8, 1, 500},
        {"16 bits stereo", wave(1, 2, 22050, 16, QByteArray(88200, 0)), WaveSound::Sample::Int16, 2, 1000},
        {"24 bits", wave(1, 1, 48000, 24, QByteArray(14400, 0)), WaveSound::Sample::Int24, 1, 100},
        {"32-bit float, extensible", wave(0xFFFE, 2, 48000, 32, QByteArray(38400, 0), {}, floatExtension),
         WaveSound::Sample::Float32, 2, 100},
        {"a chunk before the format", wave(1, 1, 8000, 16, QByteArray(1600, 0), listChunk),
         WaveSound::Sample::Int16, 1, 100},
        // Cut short: what is there plays, to the last whole frame.
        {"data cut short", wave(1, 2, 8000, 16, QByteArray(6403, 0)).left(44 + 3203),
         WaveSound::Sample::Int16, 2, 100},
    };
    for (const auto& c : cases) {
        const std::optional<WaveSound> sound = DecodeWave(c.bytes);
        ASSERT_TRUE(sound.has_value()) << c.what;
        EXPECT_EQ(sound->sample, c.sample) << c.what;
        EXPECT_EQ(sound->channels, c.channels) << c.what;
        EXPECT_EQ(sound->durationUs() / 1000, c.ms) << c.what;
        EXPECT_EQ(sound->data.size() % sound->bytesPerFrame(), 0) << c.what;
    }
    // The demo's tones are ones the player reads back.
    EXPECT_EQ(DecodeWave(ToneWave({440, 880}, 0.09))->durationUs() / 1000, 179); // 1984 frames
}

TEST(WaveFile, WhatCannotBePlayedIsNothing) {
    const QByteArray good = wave(1, 1, 8000, 16, QByteArray(1600, 0));
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"empty", {}},
        {"twenty bytes", good.left(20)},
        {"header only", good.left(44)},
        {"not RIFF", "not a wave file at all, just text"},
        {"compressed", wave(2, 1, 8000, 4, QByteArray(800, 0))},
        {"12 bits", wave(1, 1, 8000, 12, QByteArray(800, 0))},
        {"no channels", wave(1, 0, 8000, 16, QByteArray(800, 0))},
        {"rate of 0", wave(1, 1, 0, 16, QByteArray(800, 0))},
        {"data before the format", QByteArray("RIFF\0\0\0\0WAVEdata\x04\0\0\0abcd", 24) + good.mid(12)},
        {"a chunk claiming 4 GB", good.left(12) + QByteArray("junk\xff\xff\xff\xff", 8) + good.mid(12)},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(DecodeWave(c.bytes).has_value()) << c.what;
}

TEST_F(SoundCuesTest, FailuresInARowCountAndASuccessStartsAgain) {
    writeList(QStringLiteral("正解音2,ok,*\r\n間違い音2,bad,*\r\n"));
    sound.failing = QStringList{QStringLiteral("bad.wav")};
    int done = 0;
    for (int i = 0; i < 3; ++i)
        PlayWrongCue(ctx->cues(), [&] { ++done; });
    EXPECT_EQ(ctx->sounds.soundFailures, 3);
    PlayCorrectCue(ctx->cues(), [&] { ++done; });
    EXPECT_EQ(ctx->sounds.soundFailures, 0);
    for (int i = 0; i < 3; ++i)
        PlayWrongCue(ctx->cues(), [&] { ++done; });
    EXPECT_EQ(done, 7);
    EXPECT_TRUE(navigator.titles.isEmpty());
    EXPECT_TRUE(navigator.quits.isEmpty());

    PlayWrongCue(ctx->cues(), [&] { ++done; });
    EXPECT_EQ(done, 7);
    EXPECT_EQ(navigator.titles, QStringList{QStringLiteral("音声エラー")});
    EXPECT_EQ(navigator.texts.value(0),
              QStringLiteral("音声がでません。先生を呼びなさい。\r\nデバイスがありません"));
    EXPECT_EQ(navigator.quits, QList<int>{1});
}

TEST_F(SoundCuesTest, OutcomeCuesIgnoreFailuresAndFixedCuesPlayTheirFiles) {
    writeList(QStringLiteral("自己最高音2,yatta,*\r\n不合格音1,mouchoi,*\r\n"));
    sound.failAll = true;
    int done = 0;
    for (int i = 0; i < 5; ++i) {
        PlayPersonalBestCue(ctx->cues(), [&] { ++done; });
        PlayPassTimeCue(ctx->cues(), [&] { ++done; });
        PlaySchoolBestCue(ctx->cues(), [&] { ++done; });
        PlayGoalClearedCue(ctx->cues(), [&] { ++done; });
    }
    EXPECT_EQ(done, 20);
    EXPECT_TRUE(navigator.titles.isEmpty());
    EXPECT_EQ(ctx->sounds.soundFailures, 0);
    EXPECT_EQ(sound.played.mid(0, 4),
              (QStringList{"yatta.wav", "mouchoi.wav", "最高1.wav", "合格.wav"}));
}

} // namespace baisuu
