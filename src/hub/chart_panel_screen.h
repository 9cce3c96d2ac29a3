#pragma once
// Picture11: the chart page with the other pupils' data (its picture box
// Picture12), which the hub lays over its level columns. The hub creates it,
// places it and calls the handlers below; what it shows comes from charts.h.

#include "context/app_context.h"
#include "hub/chart_view_screen.h"

#include <QFrame>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QListWidget;
class QPrinter;
class QPushButton;

namespace baisuu {

// Picture11: the chart page on screen (Picture12), the levels to chart (List3),
// the other pupils (Command25 opens List2), showing and printing.
class ChartPanel final : public QFrame {
  public:
    explicit ChartPanel(AppContext& ctx, QWidget* parent = nullptr);

    // The panel's part of the own-runs view: refills List2 from the roster file
    // and List3 with the levels 1..N, charts the signed-in pupil from now on,
    // and returns that pupil's runs per level (index = level) for the hub's
    // lists; nullopt when the log cannot be read (told already).
    std::optional<std::vector<QStringList>> Command16_Click(const QString& group);
    // "グラフ": the signed-in pupil's chart page on screen, every level selected.
    void Command17_Click();
    // The signed-in pupil's 苦手な数 pages on screen: the levels with weak
    // numbers selected, or every level when none has any.
    void showOwnWeakNumbers();
    // The chart page of the charted pupil: on screen (0) or printed (1).
    void Command21_Click(int index);
    // The chart pages of the pupils selected in List2 (or the charted pupil):
    // on screen (0), one after the other, or printed (1), one document each.
    void Command24_Click(int index);
    void Command25_Click(); // hides itself and shows List2
    // "グラフ" (false) and "苦手な数" (true): which pages the panel shows,
    // shown at once for the pupils it would chart.
    void showWeakNumbers(bool weak);
    // "全期間" (0) and "最近30日" (30): the period of the 苦手な数 pages.
    void setWeakNumbersDays(int days);
    bool showsWeakNumbers() const { return weak_; }
    void Command18_Click(); // hides the panel
    void List2_Click();
    void List3_Click();

    // The print button Command24(1) is the teacher's.
    void setTeacherMode(bool teacher);
    // Printing writes this PDF (and its numbered siblings) instead of asking
    // for a printer; empty asks through the print dialog.
    void setPrintToPdf(const QString& path) { printToPdf_ = path; }
    int chartedPupil() const { return chartedPupil_; }
    // The files the last printing wrote (PDF printing only).
    const QStringList& printedFiles() const { return printed_; }
    // Printing once the printer is chosen: to the printer one document a pupil,
    // or to the dialog's file one file a pupil.
    void printOn(QPrinter& printer, const QList<PagedDocument>& docs);

    ChartView* Picture12 = nullptr;   // the chart page, left of the side controls
    QPushButton* Command25 = nullptr; // "他の人のデータを見る": opens the pupil list
    QListWidget* List2 = nullptr;     // the other pupils, to pick whose charts to show
    QListWidget* List3 = nullptr;     // the level numbers to chart ("レベル")
    std::array<QPushButton*, 2> Command24{}; // "表示" (0) and the teacher's "印刷" (1)
    std::array<QPushButton*, 2> Command21{}; // hidden "表示"/"印刷": Command24 runs them
    QPushButton* Command18 = nullptr;        // "戻る": hides the panel
    QPushButton* previousPage = nullptr;     // "前へ": the chart's previous page
    QPushButton* nextPage = nullptr;         // "次へ": the chart's next page
    QLabel* pageLabel = nullptr;             // which page of how many is in view
    QPushButton* chartButton = nullptr;      // "グラフ": the chart pages
    QPushButton* weakButton = nullptr;       // "苦手な数": the weak-numbers pages
    QPushButton* allDaysButton = nullptr;    // "全期間": every answer on the 苦手な数 pages
    QPushButton* recentDaysButton = nullptr; // "最近30日": the last 30 days' answers

  private:
    void buildControls();
    void showOwnPages(bool weak);
    void connectControls();
    void fillPupilList();
    void fillLevelList();
    bool readRecords(qint64 count, QList<RecordNumbers>& records);
    QList<int> selectedLevels() const;
    std::optional<ChartDocument> chartOf(int pupil);
    std::optional<WeakNumbersDocument> weakNumbersOf(int pupil);
    std::optional<PagedDocument> pagesOf(int pupil);
    QList<int> pupilsToShow() const;
    void print(const QList<PagedDocument>& docs);
    void showPageButtons();
    void showSideControls();

    AppContext& ctx_;
    QString group_;
    int chartedPupil_ = 0;
    QString printToPdf_;
    QStringList printed_;
    bool teacher_ = false;
    bool weak_ = false;     // the 苦手な数 pages instead of the charts
    int weakDays_ = 0;      // their period: 0 for every answer
    bool listOpen_ = false; // List2 in place of Command25
};

} // namespace baisuu
