// Every text of every screen fits its label or button on the 1024 x 768 stage,
// with the longest texts each can be given.

#include "drill/drill_fixture.h"
#include "drill/drill_screen.h"
#include "drill/finish_screen.h"
#include "hub/hub_screen.h"
#include "text_fit.h"
#include "ui/screen_parts.h"
#include "ui/stage.h"
#include "ui/startup_screens.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPushButton>
#include <gtest/gtest.h>

#include <stdexcept>

namespace baisuu {

namespace {

// As long as the roster lets a name be (20 characters).
const QString kLongName = QStringLiteral("アレクサンドロフスカヤ・エカテリーナ・イ");
const QString kLongSite = QStringLiteral("ブラムウェル塾　駅前教室");

class ScreenTexts : public ::testing::Test, public DrillFixture {
  protected:
    ScreenTexts() {
        ctx->hensuu1.pupilName = kLongName + QStringLiteral("　");
        ctx->hensuu1.siteName = kLongSite;
    }

    // Puts a screen on a stage, as the program does, and gives it back laid out.
    QWidget* onStage(std::function<QWidget*()> make) {
        stage_ = std::make_unique<Stage>([make](Screen) { return make(); });
        stage_->show();
        stage_->show(Screen::Wait);
        return stage_->current();
    }

    template <typename T = QLabel> T& child(QWidget* screen, const char* name) {
        T* w = screen->findChild<T*>(QLatin1String(name));
        if (!w) throw std::runtime_error(std::string("no control ") + name);
        return *w;
    }

    // Pictures of the screens with their longest texts, for a person to look at, when asked for.
    static void snapshot(QWidget& screen, const QString& name) {
        const QString folder = qEnvironmentVariable("SCREEN_PNG_DIR");
        if (!folder.isEmpty())
            screen.grab().save(folder + QStringLiteral("/") + name + QStringLiteral(".png"));
    }

    // Each text fits the label; the last stays on it, shown, for the picture.
    void showEach(QWidget* screen, const char* name, const QStringList& texts) {
        QLabel& label = child(screen, name);
        expectTextsFit(label, texts);
        label.setText(texts.last());
        label.show();
    }

    QStringList levelNames() const {
        QStringList names;
        for (int level = 1; level < kLevelSlots; ++level)
            if (!ctx->hensuu1.catalog.levelNames[level].isEmpty())
                names << ctx->hensuu1.catalog.levelNames[level];
        return names;
    }

    std::unique_ptr<Stage> stage_;
};

} // namespace

TEST_F(ScreenTexts, MeasuredInAJapaneseFont) {
    // The screens name no font: Japanese glyphs come from whichever Japanese
    // font is installed, and without one every text below would be measured
    // as boxes.
    EXPECT_FALSE(QFontDatabase::families(QFontDatabase::Japanese).isEmpty())
        << "scripts/install-deps installs fonts-ipafont-gothic";
}

TEST_F(ScreenTexts, StartUpScreens) {
    for (const QDate day : {QDate(2026, 12, 8), QDate(2036, 12, 31)}) {
        QWidget* splash = onStage([day] { return new Firstfrm(day, {}); });
        expectTextsFit(*splash);
    }
    expectTextsFit(*onStage([] { return new BASEFRM; }));
    frmver box(QStringLiteral("倍数判定"));
    box.show();
    expectTextsFit(box);
}

TEST_F(ScreenTexts, DrillScreenAtEveryLevel) {
    for (int level = 1; level <= ctx->hensuu1.catalog.levelCount; ++level) {
        SCOPED_TRACE(level);
        ctx->hensuu1.currentLevel = qint16(level);
        ASSERT_TRUE(StartRun(*ctx));
        QWidget* drill = onStage([this] { return new MainFrm(*ctx, nullptr, defer()); });
        expectTextsFit(*drill);
        if (level != ctx->hensuu1.catalog.levelCount) continue;
        for (const char* name : {"Command2_1", "Command2_2"})
            expectTextsFit(child<QPushButton>(drill, name),
                           {QStringLiteral("奇数(1をおせ)"), QStringLiteral("偶数(3をおせ)"),
                            QStringLiteral("違う(1をおせ)"), QStringLiteral("10の倍数(3をおせ)")});
        showEach(drill, "sLabel8", levelNames());
        showEach(drill, "Label1", {QStringLiteral("0"), QStringLiteral("110")});
        showEach(drill, "Label2", {QStringLiteral("10の倍数か")});
        showEach(drill, "sLabel9", {QStringLiteral("20")});
        for (const char* counter : {"sLabel10", "sLabel11", "sLabel12", "sLabel13"})
            showEach(drill, counter, {QStringLiteral("999")});
        // The overlay's word with the note shown while another machine holds the log.
        const QString note = QStringLiteral("<br><span style=\"font-size:16pt\">ほかの機械が成績を"
                                            "書いています。終わるまで待っています。</span>");
        expectTextsFit(child(drill, "lblsss1"), {QStringLiteral("成績記録中") + note});
        expectTextsFit(child(drill, "lblsss2"), {QStringLiteral("時間切れ") + note});
        snapshot(*drill, QStringLiteral("long_drill"));
    }
}

TEST_F(ScreenTexts, FinishScreenWithEveryTextItCanShow) {
    ctx->hensuu1.currentLevel = 11;
    ctx->drill.recordedTime = 30;
    QWidget* finish = onStage([this] { return new FrmSyuuryou(*ctx); });
    expectTextsFit(*finish); // among them the goal banner and the buttons
    LevelCriteria fast;
    fast.targetTime = 30;
    fast.pointFactor = 1.5f;
    ASSERT_EQ(PointsLine(fast, 0), QStringLiteral("獲得ポイント：55点×1.5→82点"));
    showEach(finish, "Label16", levelNames());
    showEach(finish, "Label18", {QStringLiteral("記録なし"), QStringLiteral("今の成績：99999秒")});
    showEach(finish, "Label19", {PointsLine(fast, 0)});
    showEach(finish, "Label13", {QStringLiteral(" (このレベル　999回目)")});
    showEach(finish, "Label14", {QStringLiteral("（9999回目)")});
    showEach(finish, "Label20",
             {QStringLiteral("時間切れ"), QStringLiteral("新記録おめでとう"),
              QStringLiteral("！！！最高新記録！！！")});
    showEach(finish, "Label2", {QStringLiteral("このレベルクリア"), MoveOnText()});
    snapshot(*finish, QStringLiteral("long_finish"));
}

TEST_F(ScreenTexts, PlaceholderHub) {
    ctx->hensuu1.seasonColor = 0xC0FFC0;
    QWidget* hub = onStage([this] { return MakeHubScreen(*ctx); });
    expectTextsFit(*hub);
    snapshot(*hub, QStringLiteral("long_hub"));
}

// Every text is drawn in the one family that has all its glyphs: a text whose
// kana came from one font and its figures from another ("獲得ポイント：6点×1→6点"
// with its first digit a size apart from the rest) is what this catches.
TEST_F(ScreenTexts, EveryTextInOneFontThatHasItsGlyphs) {
    ASSERT_FALSE(ScreenFontFamily().isEmpty());
    ctx->hensuu1.currentLevel = 3;
    ctx->drill.recordedTime = 6;
    ASSERT_TRUE(StartRun(*ctx));
    const std::vector<std::pair<const char*, std::function<QWidget*()>>> screens = {
        {"BASEFRM", [] { return new BASEFRM; }},
        {"MainFrm", [this] { return new MainFrm(*ctx, nullptr, defer()); }},
        {"FrmSyuuryou", [this] { return new FrmSyuuryou(*ctx); }},
        {"seisekitime1", [this] { return MakeHubScreen(*ctx); }},
    };
    for (const auto& [name, make] : screens) {
        SCOPED_TRACE(name);
        QWidget* screen = onStage(make);
        QCoreApplication::processEvents();
        for (QWidget* w : screen->findChildren<QWidget*>()) {
            QString text;
            if (const auto* label = qobject_cast<QLabel*>(w))
                text = label->text();
            else if (const auto* button = qobject_cast<QAbstractButton*>(w))
                text = button->text();
            if (text.isEmpty() || Qt::mightBeRichText(text)) continue;
            SCOPED_TRACE(w->objectName().toStdString() + " " + text.toStdString());
            EXPECT_EQ(QFontInfo(w->font()).family(), ScreenFontFamily());
            const QFontMetrics fm(w->font());
            for (const QChar c : text)
                if (c != QLatin1Char('&') && !c.isSpace()) {
                    EXPECT_TRUE(fm.inFont(c)) << int(c.unicode());
                }
        }
    }
}

} // namespace baisuu
