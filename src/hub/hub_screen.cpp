#include "hub/hub_screen.h"

#include "drill/drill_engine.h"
#include "hub/chart_panel_screen.h"
#include "hub/data_change_panel_screen.h"
#include "roster/grades.h"
#include "ui/screen_parts.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

namespace baisuu {

namespace {

const QColor kSilver(192, 192, 192); // a time list whose last time passes nothing

// The notice has one row of the strip: a long one is set smaller, down to
// 8 pt, and what still does not fit (a failed sync's reason, which comes
// last) is cut off; the whole notice shows when the pointer rests on it.
void showNotice(QLabel& label, const QString& text) {
    QFont font = FontOf(10, true);
    const int width = label.contentsRect().width();
    while (font.pointSizeF() > 8 && QFontMetricsF(font).horizontalAdvance(text) > width)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label.setFont(font);
    label.setText(QFontMetrics(font).elidedText(text, Qt::ElideRight, width));
    label.setToolTip(text);
    label.setVisible(!text.isEmpty());
}

} // namespace

seisekitime1::seisekitime1(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    setWindowTitle(QStringLiteral("tallmer"));
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::StrongFocus);
    hubReady_ = false;
    ctx_.hensuu1.resultPeriod = 3;
    FillBackground(this, ColourOfBgr(ctx_.hensuu1.seasonColor));
    layout_ = HubColumnLayout(ctx_.hensuu1.catalog.levelCount);
    buildHeader();
    buildOptions();
    buildColumns();
    buildNotice();
    buildCovers();
    // The keys start levels whichever control has the focus, and a click on a
    // level's caption starts it too.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    // After the key filter: the panels' own fields (the password) take digits.
    buildPanels();
}

void seisekitime1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) Form_Activate();
}

void seisekitime1::Form_Activate() {
    hubReady_ = false;
    // Until the opening rule has run no start may slip through, by Space on a focused button
    // either.
    for (size_t i = 1; i < columns_.size(); ++i)
        columns_[i].Command4->setEnabled(false);
    Picture2->raise();
    Picture2->show();
    showViewCaptions(ViewCaptions::Activated);

    const QDateTime now = ctx_.clock.now();
    ApplyPracticeLimits(ctx_.criteria, ctx_.hensuu1.catalog);
    // Runs of the other machines of the school appear on every return to the hub.
    if (auto error =
            ComputeLevelStats(ctx_.results, ctx_.criteria, ctx_.hensuu1.paths.resultsLogFile(), now,
                              ctx_.coveredWait()))
        ctx_.navigator.message(QStringLiteral("成績の読み込み"), LogUnreadableText(*error));
    view_ = BuildHubView(ctx_.hensuu1, ctx_.criteria, ctx_.results, ctx_.roster,
                         Combo1->currentText(), now, schoolTrouble());
    ctx_.finalLevelCleared = view_.finalLevelCleared;
    showNotice(*notice_, view_.notice);
    if (view_.teacherMode) noticeTimer_.start();

    Command8->setVisible(view_.teacherMode);
    practice_->setVisible(!view_.teacherMode);
    Picture11->setTeacherMode(view_.teacherMode);
    Label17->setText(view_.minutesSinceStart);
    Label18->setText(view_.todayRunCount);

    listMode_ = ListMode::Points;
    rankingOrder_ = 1;
    building_ = true;
    Option1[1]->setChecked(true);
    Label5->setText(QStringLiteral("獲得ポイント（今まで順位）"));
    Combo2->hide();
    showColumns(view_);
    // The point mode again: the graph button and the chart belong to the own-runs view.
    Command17->hide();
    Picture11->hide();
    Option2[1]->setChecked(true);
    Command1->setEnabled(true);
    building_ = false;

    Picture6->hide();
    Label12->setText(view_.pupilLine);
    Label13->setText(view_.numberAndSite);
    Label11->setFont(FontOf(view_.contentNamePoints, true));
    Label11->setText(view_.contentName);

    ctx_.hensuu1.firstColumn = view_.firstColumn;
    {
        const QSignalBlocker quiet(HScroll1);
        HScroll1->setValue(view_.firstColumn);
    }
    placeColumns();
    showOpening();
    Picture2->hide();
    hubReady_ = true;
    // The keys wait for the refreshed hub to reach the screen (its first
    // paint); should no paint come, they wait half a second at most.
    awaitingPaint_ = true;
    QTimer::singleShot(500, this, [this] { keysFromNow(); });
}

void seisekitime1::buildNotice() {
    // In the free strip between the view's caption and the columns, the whole
    // width: the chart panel, when the teacher opens it, lies over it.
    notice_ = Named(MakeLabel(this, {}, QRect(12, 134, 1000, 22),
                              {10, true, Qt::AlignLeft | Qt::AlignVCenter, QColor(0xB0, 0, 0)}),
                    QStringLiteral("Notice"));
    FillBackground(notice_, QColor(0xFF, 0xE4, 0xE4));
    notice_->hide();
    noticeTimer_.setInterval(3000);
    connect(&noticeTimer_, &QTimer::timeout, this, [this] { noticeTick(); });
}

void seisekitime1::keysFromNow() {
    if (!awaitingPaint_) return;
    awaitingPaint_ = false;
    readyKeyTime_ = ctx_.navigator.keyTimeNow();
}

void seisekitime1::showColumns(const HubView& view) {
    const int n = std::min(columnCount(), int(view.columns.size()));
    for (int i = 1; i <= n; ++i) {
        const HubColumn& from = view.columns[i - 1];
        columns_[size_t(i)].show(from);
        fillList(i, from.practice ? QStringList() : from.list, from.ownLine);
    }
}

void seisekitime1::fillList(int level, const QStringList& lines, int ownLine) {
    columns_[size_t(level)].fillList(lines, ownLine);
    成績リスト色表示単独(level);
}

void seisekitime1::showOpening() {
    // The opening rule runs anew after every change of the view (Command9_Click).
    const int pupil = std::clamp(int(ctx_.hensuu1.currentPupil), 0, kPupilSlots - 1);
    const LevelOpening open = OpenLevels(ctx_.hensuu1.catalog, ctx_.criteria, ctx_.results, pupil);
    ctx_.finalLevelCleared = open.finalLevelCleared;
    for (int i = 1; i <= columnCount(); ++i)
        columns_[size_t(i)].open(open.enabled[size_t(i)], open.blocked[size_t(i)]);
    Picture6->raise();
}

void seisekitime1::HScroll1_Change(int value) {
    ctx_.hensuu1.firstColumn = ClampFirstColumn(value, layout_);
    placeColumns();
}

bool seisekitime1::eventFilter(QObject* watched, QEvent* event) {
    // Nobody types for a hub not yet on screen: for the keys, the refresh is
    // over when the refreshed hub is first painted.
    if (event->type() == QEvent::Paint && watched == this) keysFromNow();
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Typed while the hub refreshed, delivered only now (the window system
        // stamps it earlier): such a key does nothing, so an answer key pressed
        // as a run ends never starts a run.
        if (awaitingPaint_ || (readyKeyTime_ >= 0 && key->timestamp() > 0 &&
                               qint64(key->timestamp()) < readyKeyTime_))
            return true;
        const QString text = key->text();
        // The hub's own keys never reach a control (a list would search for the
        // letter); every other key does.
        if (text.compare(QStringLiteral("n"), Qt::CaseInsensitive) == 0 && practice_->isVisible()) {
            if (hubReady_ && practice_->isEnabled()) practiceClicked();
            return true;
        }
        if (!text.isEmpty() && LevelOfHubKey(text, columnCount()) >= 0) {
            Form_KeyPress(text);
            return true;
        }
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

void seisekitime1::Form_KeyPress(const QString& text) {
    if (!hubReady_) return;
    const int key = LevelOfHubKey(text, columnCount());
    if (key > 0)
        Command4_Click(key);
    else if (key == 0 && Command1->isEnabled())
        Command1_Click();
}

bool seisekitime1::teacherPanelShown() const {
    return Picture7->shown();
}

void seisekitime1::Command4_Click(int level) {
    if (teacherPanelShown() || !columns_[size_t(level)].Command4->isEnabled()) return;
    Picture2->raise();
    Picture2->show();
    startLevel(level);
}

void seisekitime1::Label3_Click(int level) {
    if (teacherPanelShown() || !columns_[size_t(level)].Command4->isEnabled()) return;
    startLevel(level);
}

void seisekitime1::startLevel(int level) {
    ctx_.hensuu1.currentLevel = qint16(level);
    hubReady_ = false;
    // The drill takes the stage; a level that cannot run brings a new hub back.
    StartRun(ctx_);
}

void seisekitime1::Command1_Click() {
    Picture2->raise();
    Picture2->show();
    ctx_.navigator.show(Screen::Selection);
}

void seisekitime1::Combo1_Click() {
    Option2_Click(Option2[0]->isChecked() ? 0 : 1);
    const int first = std::clamp(ctx_.hensuu1.firstColumn, 1, std::max(1, columnCount()));
    if (columnCount() > 0) columns_[size_t(first)].Command4->setFocus();
}

void seisekitime1::Combo2_Click(int index) {
    if (!Option1[3]->isChecked()) return;
    ctx_.hensuu1.resultPeriod = index + 1;
    Option1_Click(3);
}

void seisekitime1::beginViewChange() {
    // Nothing may start a run or another view meanwhile: a busy log is waited
    // for with the screen running.
    Command1->setEnabled(false);
    for (QWidget* choice : std::initializer_list<QWidget*>{Picture1, Combo1, Combo2})
        choice->setEnabled(false);
    for (size_t i = 1; i < columns_.size(); ++i) {
        columns_[i].Command4->setEnabled(false);
        columns_[i].List5->hide();
    }
    Picture6->raise();
    Picture6->show();
}

void seisekitime1::endViewChange() {
    for (QWidget* choice : std::initializer_list<QWidget*>{Picture1, Combo1, Combo2})
        choice->setEnabled(true);
    Command1->setEnabled(true);
    showOpening();
    for (int i = 1; i <= std::min(columnCount(), int(view_.columns.size())); ++i)
        columns_[size_t(i)].List5->setVisible(!view_.columns[i - 1].practice);
    Picture6->hide();
}

void seisekitime1::Option2_Click(int index) {
    Command17->hide();
    Picture11->hide();
    beginViewChange();
    // The activation chooses its view itself; the button only follows it.
    if (building_) return;
    const ListView view = ListView(std::clamp(option1Group->checkedId(), 1, 3));
    switch (index) {
    case 0:
        showViewCaptions(ViewCaptions::TimeMode);
        listMode_ = ListMode::Time;
        Option1_Click(int(view));
        break;
    case 1:
        Combo2->hide();
        showViewCaptions(ViewCaptions::PointMode);
        listMode_ = ListMode::Points;
        Option1_Click(int(view));
        break;
    default: {
        Command17->show();
        Combo2->hide();
        ListsView lists;
        lists.listsCaption = QStringLiteral("個人別ﾀｲﾑ");
        // An unreadable log has been told already: the lists stay empty.
        if (const auto lines = Picture11->Command16_Click(Combo1->currentText()))
            for (const QStringList& levelLines : *lines)
                lists.levels.push_back({levelLines});
        lists.levels.resize(columns_.size());
        showLists(lists);
        endViewChange();
        break;
    }
    }
}

void seisekitime1::showViewCaptions(ViewCaptions when) {
    const std::array<QString, 3> captions = ViewButtonCaptions(when);
    for (int v = 1; v <= 3; ++v)
        if (!captions[size_t(v - 1)].isEmpty())
            Option1[size_t(v)]->setText(captions[size_t(v - 1)]);
}

void seisekitime1::Option1_Click(int index) {
    beginViewChange();
    Combo2->hide();
    if (listMode_ == ListMode::Time) {
        if (index == 1) Command6_Click();
        if (index == 2) Command5_Click();
    } else if (index == 1 || index == 2) {
        rankingOrder_ = index;
        showView(ListView(index));
    }
    if (index == 3) Command7_Click();
    endViewChange();
}

void seisekitime1::Command5_Click() {
    showView(ListView::Today);
}

void seisekitime1::Command6_Click() {
    showView(ListView::Ranking);
}

void seisekitime1::Command7_Click() {
    showView(ListView::Period);
}

ListRequest seisekitime1::listRequest(ListView view) const {
    const Hensuu1& h = ctx_.hensuu1;
    const QDate today = ctx_.clock.now().date();
    ListRequest request;
    request.mode = listMode_;
    request.view = ViewShown(listMode_, view, rankingOrder_);
    request.period = h.resultPeriod;
    request.group = Combo1->currentText();
    request.pupil = h.currentPupil;
    request.today = today;
    request.schoolYear = CurrentSchoolYear(today, h.schoolYearStartMonth);
    return request;
}

bool seisekitime1::readRecords(qint64 count, QList<RecordNumbers>* records) {
    // Runs of the other machines since the activation appear in the run lists too.
    if (auto error = ReadLastRecords(ctx_.hensuu1.paths.resultsLogFile(), count, records,
                                     ctx_.coveredWait())) {
        ctx_.navigator.message(QStringLiteral("成績の読み込み"), LogUnreadableText(*error));
        records->clear();
        return false;
    }
    return true;
}

void seisekitime1::showView(ListView view) {
    const ListRequest request = listRequest(view);
    QList<RecordNumbers> records;
    if (const qint64 count = RecordsForView(request)) readRecords(count, &records);
    showLists(BuildListsView(request, ctx_.hensuu1.catalog, ctx_.criteria, ctx_.roster,
                             ctx_.results, records));
}

void seisekitime1::showLists(const ListsView& lists) {
    Label5->setText(lists.listsCaption);
    for (int i = 1; i < int(columns_.size()); ++i) {
        const LevelList* list =
            size_t(i) < lists.levels.size() ? &lists.levels[size_t(i)] : nullptr;
        if (list && list->shown)
            fillList(i, list->lines, list->ownLine);
        else
            fillList(i, {}, -1);
    }
    成績リスト色表示(lists);
    // The period can be changed only where the lists show one.
    Combo2->setVisible(lists.periodChoice);
}

void seisekitime1::回数など表示() {
    for (size_t i = 1; i < columns_.size(); ++i) {
        columns_[i].Label9->setText(QStringLiteral("今日"));
        columns_[i].Label10->setText(QStringLiteral("今まで"));
        columns_[i].List5->clear();
    }
}

void seisekitime1::成績リスト色表示(const ListsView& lists) {
    for (int i = 1; i < int(columns_.size()) && size_t(i) < lists.levels.size(); ++i) {
        QListWidget* list = columns_[size_t(i)].List5;
        const ListColour colour = lists.levels[size_t(i)].colour;
        if (colour != ListColour::Unchanged) {
            QPalette p = list->palette();
            p.setColor(QPalette::Base,
                       colour == ListColour::WithinTarget ? Text4->palette().color(QPalette::Window)
                       : colour == ListColour::WithinPass ? Text5->palette().color(QPalette::Window)
                                                          : kSilver);
            list->setPalette(p);
        }
        list->setCurrentRow(-1);
    }
}

void seisekitime1::成績リスト色表示単独(int level) {
    columns_[size_t(level)].List5->setCurrentRow(-1);
}

void seisekitime1::Command8_Click() {
    Picture7->Command8_Click();
}

void seisekitime1::Command17_Click() {
    Picture11->Command17_Click();
}

void seisekitime1::practiceClicked() {
    // The 苦手な数 pages belong to the own-runs view, as the charts do.
    Option2[2]->setChecked(true);
    Option2_Click(2);
    Picture11->showOwnWeakNumbers();
}

SchoolTrouble seisekitime1::schoolTrouble() const {
    const QDate today = ctx_.clock.now().date();
    SchoolTrouble trouble = FindSchoolTrouble(ctx_.hensuu1.paths.resultsLogFile(), today,
                                              ctx_.answersUnwrittenOn(today));
    trouble.chainSyncFailure = ctx_.chainSyncFailure->get();
    return trouble;
}

void seisekitime1::noticeTick() {
    showNotice(*notice_, TeacherNoticeText(schoolTrouble(), ctx_.clock.now().date()));
}

QWidget* MakeHubScreen(AppContext& ctx) {
    return new seisekitime1(ctx);
}

} // namespace baisuu
