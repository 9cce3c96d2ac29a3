#include "selection/name_selection_screen.h"

#include "roster/grades.h"
#include "sound/sound_cues.h"
#include "ui/screen_parts.h"
#include "ui/startup_screens.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace baisuu {

namespace {

const QColor kPanel(0xFF, 0xFF, 0xFF);

// Columns of a line in that font: one for a half-width character, two for the
// rest. Measuring the widest line alone is much cheaper than measuring them all.
int columnsOf(QStringView line) {
    int columns = 0;
    for (const QChar c : line)
        columns += c.unicode() < 0x100 || (c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F) ? 1 : 2;
    return columns;
}
constexpr int kItemMargins = 8; // the item's text margins, both sides together

const char16_t* const kModeCaptions[] = {u"回数(今日／今まで）", u"ポイント（今日／今まで）",
                                         u"本日（ポイント／回数）", u"今まで（ポイント／回数）"};

} // namespace

namesel::namesel(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    setWindowTitle(QStringLiteral("tallmer"));
    setFixedSize(1024, 768);

    Label4 = MakeClickableLabel(this, ctx.hensuu1.contentName, QRect(40, 16, 600, 100), {48, true});
    Label4->setCursor(Qt::PointingHandCursor);
    connect(Label4, &ClickableLabel::clicked, this, [this] {
        if (loaded_) Label4_Click();
    });

    Picture8 = MakePanel(this, QRect(700, 34, 160, 60), QColor(0xC0, 0x10, 0x10), true);
    Label8 = MakeLabel(Picture8, QStringLiteral("開発中"), QRect(0, 0, 160, 60),
                       {22, true, Qt::AlignCenter, Qt::white});
    Picture8->hide();

    List1 = new QListWidget(this);
    List1->setGeometry(40, 130, 580, 610);
    List1->setFont(FixedPitchFont(20));
    List1->setTextElideMode(Qt::ElideNone);
    List1->setUniformItemSizes(true);

    Combo1 = new QComboBox(this);
    Combo1->setGeometry(660, 136, 320, 50);
    Combo1->setFont(FontOf(18));
    Combo1->setToolTip(QStringLiteral("表示する学年を選びなさい"));
    Combo1->addItem(QStringLiteral("全学年"));

    Picture7 = MakePanel(this, QRect(660, 206, 320, 200), kPanel, true);
    for (int i = 0; i < 4; ++i) {
        Option1[i] = new QRadioButton(QString::fromUtf16(kModeCaptions[i]), Picture7);
        Option1[i]->setGeometry(16, 12 + i * 46, 296, 40);
        Option1[i]->setFont(FontOf(14));
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        connect(Option1[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
    }
    Option1[1]->setChecked(true);

    // Wraps: a double click shows the line up to its "/", which for a long
    // name is more than one line of this width holds.
    Label1 = MakeLabel(this, QString::fromUtf16(kChooseNamePrompt), QRect(660, 430, 340, 100),
                       {18, true, Qt::AlignCenter});
    Label1->setWordWrap(true);
    FillBackground(Label1, kPanel);
    Label2 = MakeLabel(this, {}, QRect(840, 560, 140, 40));
    Label2->hide();

    Command14 = MakeButton(this, QStringLiteral("O.K."), QRect(660, 556, 160, 70), 22);
    Command7 =
        MakeButton(this, QStringLiteral("ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)"), QRect(660, 660, 340, 60), 16);

    // The wait cover stands until the list is built; it and the screen wear the season's colour.
    const QColor season = ColourOfBgr(ctx.hensuu1.seasonColor);
    FillBackground(this, season);
    Picture5 = new BASEFRM(this);
    Picture5->move(0, 0);
    // BASEFRM's own colour is a style sheet; the cover wears the screen's colour instead.
    Picture5->setStyleSheet({});
    FillBackground(Picture5, season);

    const std::pair<QWidget*, const char*> names[] = {
        {Label4, "Label4"},     {Picture8, "Picture8"}, {Label8, "Label8"},
        {List1, "List1"},       {Combo1, "Combo1"},     {Picture7, "Picture7"},
        {Label1, "Label1"},     {Label2, "Label2"},     {Command14, "Command14"},
        {Command7, "Command7"}, {Picture5, "Picture5"}, {Picture5->Label19, "Label19"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QLatin1String(name));

    connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
    // A click and the arrow keys alike choose the line they move to.
    connect(List1, &QListWidget::currentRowChanged, this, [this](int row) { List1_Click(row); });
    connect(List1, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { List1_DblClick(List1->row(item)); });
    connect(Command14, &QPushButton::clicked, this, [this] { Command14_Click(); });
    connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });

    // The screen's keys come before the focused control's.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void namesel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (loadQueued_) return;
    loadQueued_ = true;
    // Queued, so the wait cover is up before the roster and the log are read.
    QTimer::singleShot(0, this, [this] { Form_Load(); });
}

void namesel::Form_Load() {
    名簿表示();
    loaded_ = true;
    Form_Activate();
}

void namesel::Form_Activate() {
    Picture8->setVisible(ctx_.hensuu1.developmentLayout == 1);
    displayMode_ = 1;
    Option1[1]->setChecked(true);
    Combo1->clear();
    Combo1->addItems(SelectionGroupTexts());
    Combo1->setCurrentIndex(0);
    if (displayMode_ != listedMode_ || Combo1->currentText() != listedGroup_)
        名簿表示();
    else
        List1->setCurrentRow(0);
    showChoice({});
    Picture5->hide();
    // A pupil signs in with the keyboard alone: the arrows and Enter go to the list.
    List1->setFocus();
}

void namesel::名簿表示() {
    SelectionList built = BuildSelectionList(ctx_, displayMode_, Combo1->currentText());
    list_ = std::move(built.lines);
    listedMode_ = displayMode_;
    listedGroup_ = Combo1->currentText();
    List1->clear();
    List1->addItems(list_.visible);
    // Every line is one row high, so the list sizes all its rows once, from one
    // sample line (Qt takes the last); the first and the last line are given
    // the width of the widest, so a long name scrolls sideways instead of
    // being cut.
    const QString* widest = nullptr;
    int mostColumns = -1;
    for (const QString& line : list_.visible)
        if (const int columns = columnsOf(line); columns > mostColumns) {
            mostColumns = columns;
            widest = &line;
        }
    const QSize rowSize(QFontMetrics(List1->font()).horizontalAdvance(*widest) + kItemMargins,
                        List1->sizeHintForRow(0));
    List1->item(0)->setSizeHint(rowSize);
    List1->item(List1->count() - 1)->setSizeHint(rowSize);
    List1->setCurrentRow(0);
    showChoice({});
    // Unreadable roster lines are the teacher's business: told once per start
    // of the program, not after every return from the hub.
    if (!built.problem.isEmpty() && built.problem != ctx_.toldRosterProblem) {
        ctx_.toldRosterProblem = built.problem;
        ctx_.navigator.message(QString::fromUtf16(kSelectionProblemTitle), built.problem);
    }
}

void namesel::showChoice(const NameChoice& choice) {
    choice_ = choice;
    Label1->setText(choice.nameLine);
    Label2->setText(choice.number < 0 ? QString() : QString::number(choice.number));
}

void namesel::Option1_Click(int index) {
    displayMode_ = index;
    Option1[index]->setChecked(true); // when called other than by a click on it
    名簿表示();
}

void namesel::Combo1_Click() {
    名簿表示();
    List1->setFocus();
}

void namesel::List1_Click(int row) {
    showChoice(ClickedName(list_, row));
}

void namesel::List1_DblClick(int row) {
    // The header line takes a double click as a click: nothing to confirm, no cue.
    if (row < 1) {
        List1_Click(row);
        return;
    }
    showChoice(DoubleClickedName(list_, row));
    Command14_Click();
}

void namesel::Command14_Click() {
    if (handedOver_) return;
    if (!ConfirmName(ctx_, choice_, Combo1->currentText())) {
        PlayWrongCue(ctx_.cues());
        return;
    }
    handedOver_ = true;
    Command14->hide();
    Picture5->show();
    Picture5->raise();
    // The cover reaches the screen before the hub's heavier loading begins.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    ctx_.navigator.show(Screen::Hub);
}

void namesel::Command7_Click() {
    if (handedOver_) return;
    handedOver_ = true;
    LeaveToProgramMenu(ctx_);
}

void namesel::Label4_Click() {
    // Over the stage's window when the screen sits on the stage. open() keeps
    // the box modal without a nested event loop, so nothing stops and waits
    // for a person where nobody is there to close it.
    QWidget* host = this;
    if (const QGraphicsProxyWidget* proxy = graphicsProxyWidget();
        proxy && proxy->scene() && !proxy->scene()->views().isEmpty())
        host = proxy->scene()->views().first()->window();
    auto* box = new frmver(ctx_.hensuu1.contentName, host);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QDialog::finished, this, [this] { Form_Activate(); });
    box->open();
}

bool namesel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && loaded_) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->text() == QLatin1String("1") && !Command14->isHidden()) {
            Command14_Click();
            return true;
        }
        if (key->text() == QLatin1String("0") && !Command7->isHidden()) {
            Command7_Click();
            return true;
        }
        if (watched == List1 && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                                 key->key() == Qt::Key_Space)) {
            Command14_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QWidget* MakeSelectionScreen(AppContext& ctx) {
    return new namesel(ctx);
}

} // namespace baisuu
