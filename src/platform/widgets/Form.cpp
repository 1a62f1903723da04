#include "platform/widgets/Form.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QPushButton>
#include <QPointer>
#include <QScreen>

#include "platform/widgets/Controls.h"
#include "platform/widgets/FormWidgets.h"
#include "platform/widgets/Mnemonics.h"
#include "platform/base/Preferences.h"
#include "platform/base/ProgramState.h"
#include "platform/base/Text.h"

namespace qb::platform {

namespace {
bool ending() { return Form::programEnding(); }
} // namespace

Form::Form(QWidget* parent) : QDialog(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

int Form::showModal() {
    if (inModal_ || ending()) return QDialog::Rejected;
    inModal_ = true;
    loaded_ = true;
    closed_ = false;
    setResult(QDialog::Rejected);
    if (layout() && !resizable_) layout()->setSizeConstraint(QLayout::SetFixedSize);

    QPointer<Form> alive(this);
    Form_Load();
    if (!alive) return QDialog::Rejected;
    GiveMnemonics(*this);
    KeepCaptionWhole(*this);
    restoreSize();
    if (!closed_ && !ending()) exec();
    if (!alive) return QDialog::Rejected;
    inModal_ = false;

    // The display ended while the window still stood: the event loops were told to stop, so the
    // program is ending. (A window merely hidden from code counts as closed.)
    if (!closed_ && isVisible())
        if (ProgramState* state = ProgramState::current()) state->end(state->exitCode());
    if (ending()) {
        hide();
        return result();
    }
    loaded_ = false;
    Form_Unload();
    return result();
}

bool Form::unload() {
    close();
    return closed_;
}

void Form::done(int result) {
    pendingResult_ = result;
    close();
}

void Form::closeEvent(QCloseEvent* event) {
    if (!ending()) {
        bool cancel = false;
        QPointer<Form> alive(this);
        Form_QueryUnload(cancel);
        if (!alive) return;
        if (cancel) {
            pendingResult_ = QDialog::Rejected;
            event->ignore();
            return;
        }
    }
    event->accept();
    closed_ = true;
    if (resizable_ && !sizeKey_.empty())
        Remember(preferences_, sizeKey_, std::to_string(width()) + "x" + std::to_string(height()));
    const int result = pendingResult_;
    pendingResult_ = QDialog::Rejected;
    QDialog::done(result);  // hides the window and ends its modal display
}

void Form::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        close();
        return;
    }
    // Unlike QDialog, Enter clicks no default button here, only the focused button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled()) {
            event->accept();
            button->click();
            return;
        }
    }
    event->ignore();
}

void Form::rememberSize(Preferences* preferences, std::string name) {
    preferences_ = preferences;
    sizeKey_ = "windows/" + name + "/size";
}

void Form::restoreSize() {
    if (!resizable_ || sizeKey_.empty()) return;
    const std::optional<std::string> text = Remembered(preferences_, sizeKey_);
    const std::optional<std::pair<int, int>> stored = text ? ParseWindowSize(*text) : std::nullopt;
    if (!stored) return;
    // Never smaller than the layout needs, never larger than the screen.
    QSize size(stored->first, stored->second);
    size = size.expandedTo(minimumSizeHint());
    if (const QScreen* s = screen()) size = size.boundedTo(s->availableGeometry().size());
    resize(size);
}

void Form::setCaption(std::string_view caption) {
    setWindowTitle(QString::fromUtf8(caption.data(), qsizetype(caption.size())));
}

std::string Form::caption() const { return windowTitle().toStdString(); }

void Form::endProgram(int exitCode) {
    if (ProgramState* state = ProgramState::current()) state->end(exitCode);
    // exit() (not quit()) leaves every running event loop without asking the windows to close,
    // and makes loops started later return at once.
    if (QCoreApplication::instance()) QCoreApplication::exit(exitCode);
}

bool Form::programEnding() {
    const ProgramState* state = ProgramState::current();
    return state && state->ending();
}

int Form::programExitCode() {
    const ProgramState* state = ProgramState::current();
    return state ? state->exitCode() : kExitOk;
}

bool Form::doEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return !ending();
}

} // namespace qb::platform
