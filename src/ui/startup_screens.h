#pragma once
// The small screens of start-up: the splash (Firstfrm), the wait cover
// (BASEFRM) and the version box (frmver).

#include <QDate>
#include <QDialog>
#include <QWidget>
#include <functional>

class QLabel;
class QTimer;

namespace baisuu {

// Greets with the era date and hands over once, 100 ms after it is shown.
class Firstfrm final : public QWidget {
    Q_OBJECT
  public:
    Firstfrm(QDate today, std::function<void()> handOver, QWidget* parent = nullptr);

    QLabel* dateLabel; // today's date in the Japanese era
    QLabel* Label5;    // the maker's name under the date
    QLabel* Label1;    // "Just a moment, please." at the bottom
    QTimer* Timer1;    // hands over once, 100 ms after the splash is shown

  Q_SIGNALS:
    void firstPainted(); // once, when the splash has reached the screen

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Timer1_Timer();
    std::function<void()> handOver_;
    bool painted_ = false;
};

// "Just a moment, please." while the program switches between heavy screens,
// and the stage's cover over a screen while it waits for a file.
class BASEFRM final : public QWidget {
    Q_OBJECT
  public:
    explicit BASEFRM(QWidget* parent = nullptr);
    QLabel* Label19; // "Just a moment, please." across the middle
    QLabel* note;    // why the cover waits, under Label19; hidden while empty
};

// "Version" followed directly by major.minor.revision.
QString VersionText(int major, int minor, int revision);
QString ProgramVersionText();

class frmver final : public QDialog {
    Q_OBJECT
  public:
    frmver(const QString& contentName, QWidget* parent = nullptr);
    QLabel* Label1; // the content's name, large
    QLabel* Label2; // the program's version ("Version1.2.3")
    QLabel* Label4; // the maker's name
};

} // namespace baisuu
