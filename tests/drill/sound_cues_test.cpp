#include "drill_fixture.h"

#include "drill/qt_sound_player.h"
#include "drill/sound_cues.h"

#include "test_support.h"

#include <gtest/gtest.h>

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
    PlayCorrectCue(*ctx, [&] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_EQ(sound.played, QStringList{QStringLiteral(".wav")});

    // The real player reports a missing file as a failure with its name.
    QtSoundPlayer player;
    bool ok = true;
    QString error;
    player.play(ctx->hensuu1.paths.soundFolder + QStringLiteral(".wav"),
                [&](bool played, const QString& text) {
                    ok = played;
                    error = text;
                });
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.contains(QStringLiteral("音声ファイルがありません"))) << error.toStdString();
}

TEST(QtSoundPlayer, WaveDurationFromTheHeader) {
    QTemporaryDir dir;
    // 8000 samples a second, 8 bits mono: 4000 bytes of data play for half a second.
    QByteArray wave("RIFF");
    auto u32 = [&](quint32 v) {
        for (int i = 0; i < 4; ++i)
            wave.append(char(v >> (8 * i)));
    };
    auto u16 = [&](quint16 v) {
        wave.append(char(v));
        wave.append(char(v >> 8));
    };
    u32(36 + 4000);
    wave.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(8000);
    u16(1);
    u16(8);
    wave.append("data");
    u32(4000);
    wave.append(QByteArray(4000, char(128)));
    EXPECT_EQ(waveDurationMs(writeFile(dir, QStringLiteral("a.wav"), wave)), 500);
    EXPECT_EQ(waveDurationMs(writeFile(dir, QStringLiteral("b.wav"), "not a wave")), 0);
    EXPECT_EQ(waveDurationMs(dir.path() + QStringLiteral("/none.wav")), 0);
}

TEST_F(SoundCuesTest, FailuresInARowCountAndASuccessStartsAgain) {
    writeList(QStringLiteral("正解音2,ok,*\r\n間違い音2,bad,*\r\n"));
    sound.failing = QStringList{QStringLiteral("bad.wav")};
    int done = 0;
    for (int i = 0; i < 3; ++i)
        PlayWrongCue(*ctx, [&] { ++done; });
    EXPECT_EQ(ctx->sounds.soundFailures, 3);
    PlayCorrectCue(*ctx, [&] { ++done; });
    EXPECT_EQ(ctx->sounds.soundFailures, 0);
    for (int i = 0; i < 3; ++i)
        PlayWrongCue(*ctx, [&] { ++done; });
    EXPECT_EQ(done, 7);
    EXPECT_TRUE(navigator.titles.isEmpty());
    EXPECT_TRUE(navigator.quits.isEmpty());

    PlayWrongCue(*ctx, [&] { ++done; });
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
        PlayPersonalBestCue(*ctx, [&] { ++done; });
        PlayPassTimeCue(*ctx, [&] { ++done; });
        PlaySchoolBestCue(*ctx, [&] { ++done; });
        PlayGoalClearedCue(*ctx, [&] { ++done; });
    }
    EXPECT_EQ(done, 20);
    EXPECT_TRUE(navigator.titles.isEmpty());
    EXPECT_EQ(ctx->sounds.soundFailures, 0);
    EXPECT_EQ(sound.played.mid(0, 4),
              (QStringList{"yatta.wav", "mouchoi.wav", "最高1.wav", "合格.wav"}));
}
