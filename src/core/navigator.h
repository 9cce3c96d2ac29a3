#pragma once
// Hands the one stage from screen to screen: showing a screen destroys the one
// before it, as the screens of the program show and unload each other.

#include <QString>

#include <functional>

namespace baisuu {

enum class Screen {
    Splash,    // Firstfrm
    Wait,      // BASEFRM: "Just a moment, please."
    Selection, // namesel
    Hub,       // seisekitime1
    Drill,     // MainFrm
    Finish,    // FrmSyuuryou
    PracticeFinish, // after a 苦手練習 run
    CriteriaEditor, // FrmTimeData
    RecordsManager, // FrmData
};

// The buttons of a question to the teacher and the one Enter presses: the
// one that changes nothing, unless the question offers to keep what was typed.
enum class Question {
    YesNo,     // Yes / No; No is the default
    OkCancel,  // OK / Cancel; Cancel is the default
    SaveYesNo, // Yes / No; Yes, keeping the teacher's edits, is the default
};

// True when Yes (or OK) is the default button of the question.
constexpr bool YesIsDefault(Question kind) {
    return kind == Question::SaveYesNo;
}

class Navigator {
  public:
    virtual ~Navigator() = default;
    // Makes the screen and shows it in place of the current one. The current
    // screen is deleted later (deleteLater), so a screen may call this from
    // its own event handlers and return safely.
    virtual void show(Screen screen) = 0;
    // A modal message box (OK only) in Japanese.
    virtual void message(const QString& title, const QString& text) = 0;
    // A modal question: true for Yes (or OK). Where nobody can answer, the
    // answer is the one that changes nothing.
    virtual bool ask(const QString& title, const QString& text, Question kind) {
        Q_UNUSED(title);
        Q_UNUSED(text);
        Q_UNUSED(kind);
        return false;
    }
    // Ends the program with the exit code once the event loop is reached.
    virtual void quit(int exitCode) = 0;
    // Runs a wait that lets events run (a file another machine holds) behind
    // the full-screen wait cover, which takes every click and key until the
    // wait returns; no screen is destroyed while it runs, so the handler that
    // waits still has its screen when the wait is over.
    virtual void coverWhile(const std::function<void()>& wait) { wait(); }
    // A line under the cover saying why it waits; stays until set empty.
    virtual void setWaitNote(const QString& note) { Q_UNUSED(note); }
    // Now, on the clock of the keys' timestamps (the window system's), or -1
    // while no key has told it: a key stamped earlier was typed before now,
    // however late it is delivered.
    virtual qint64 keyTimeNow() const { return -1; }
};

} // namespace baisuu
