#pragma once
// Hands the one stage from screen to screen: showing a screen destroys the one
// before it, as the screens of the program show and unload each other.

#include <QString>

enum class Screen {
    Splash,    // Firstfrm
    Wait,      // BASEFRM: "Just a moment, please."
    Selection, // namesel
    Hub,       // seisekitime1
    Drill,     // MainFrm
    Finish,    // FrmSyuuryou
    CriteriaEditor, // FrmTimeData
    RecordsManager, // FrmData
};

class Navigator {
  public:
    virtual ~Navigator() = default;
    // Makes the screen and shows it in place of the current one. The current
    // screen is deleted later (deleteLater), so a screen may call this from
    // its own event handlers and return safely.
    virtual void show(Screen screen) = 0;
    // A modal message box (OK only) in Japanese.
    virtual void message(const QString& title, const QString& text) = 0;
    // Ends the program with the exit code once the event loop is reached.
    virtual void quit(int exitCode) = 0;
};
