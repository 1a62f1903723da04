#pragma once
// Form: the base of every window. A window is a fresh Form object per opening:
//
//     MyForm f(ctx, parent);
//     f.showModal();          // Form_Load, modal display, Form_Unload; returns when closed
//
// Lifecycle and hooks (override the ones a window needs):
//  - Form_Load() runs before the window is shown. It may call unload(); the window is then
//    never shown (Form_QueryUnload may still refuse).
//  - Form_QueryUnload(cancel) runs on every close request: the close box, Escape, unload(),
//    accept()/reject(). Setting cancel keeps the window open.
//  - Form_Unload() runs once the window has closed, before showModal() returns.
//
// Enter in a window clicks no default button: a focused command button takes Enter as a click,
// and a text box gives it to its own key-press hook only. Every push button gets an Alt+letter
// of its own in the window when the window opens (Mnemonics.h).
//
// Ending the program: endProgram() ends every modal display at once (the innermost first as the
// calls unwind); windows closed this way skip Form_QueryUnload and Form_Unload, and message
// boxes shown afterwards return at once. Code that goes on after showModal() or doEvents()
// should check programEnding() before touching the port.
// Whether the program is ending, and its exit code, belong to the run: they live in the
// ProgramState its owner keeps (ProgramState.h), which these static functions reach. Outside any
// run (no ProgramState) endProgram() still ends the modal displays but nothing records it.
#include <string>
#include <string_view>

#include <QDialog>

#include "platform/base/ExitStatus.h"

namespace qb::platform {

class Preferences;

class Form : public QDialog {
    Q_OBJECT
public:
    explicit Form(QWidget* parent = nullptr);

    // Loads, shows modally, unloads. Returns QDialog::Accepted when the window was closed
    // through accept(), else QDialog::Rejected. Does nothing (returns Rejected) if the window is
    // already open or the program is ending.
    int showModal();
    // A close request from code (what a "Back..." button does); goes through Form_QueryUnload.
    // Returns true when the window closed.
    bool unload();
    // True from the start of Form_Load until the window has closed.
    bool loaded() const { return loaded_; }

    void setCaption(std::string_view caption);
    std::string caption() const;

    // Windows have a fixed size fitted to their layout unless made resizable (charts).
    void setResizable(bool on) { resizable_ = on; }
    // A resizable window opens at the size it was closed at, remembered under
    // "windows/<name>/size" in `preferences` (nothing is remembered without them).
    void rememberSize(Preferences* preferences, std::string name);

    // Ends the program at once with `exitCode` (see above). Safe from any handler, also from
    // inside nested modal windows.
    static void endProgram(int exitCode = kExitOk);
    static bool programEnding();
    static int programExitCode();
    // Lets pending user-interface events run (key presses, clicks, timers, repaints). Returns
    // false once the program is ending, so read loops can stop: `while (reading && doEvents())`.
    static bool doEvents();

    void done(int result) override;

protected:
    virtual void Form_Load() {}
    virtual void Form_QueryUnload(bool& /*cancel*/) {}
    virtual void Form_Unload() {}

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void restoreSize();

    bool loaded_ = false;
    bool inModal_ = false;
    bool closed_ = false;
    bool resizable_ = false;
    Preferences* preferences_ = nullptr;
    std::string sizeKey_;
    int pendingResult_ = QDialog::Rejected;
};

} // namespace qb::platform
