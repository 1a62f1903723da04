#pragma once
// AboutForm: the program's title, version and publisher, and the board the program talks to.
// "OK" closes it.
#include <string>

#include "platform/widgets/Form.h"

class QLabel;
class QPushButton;

namespace qb::shell {

class AboutForm : public platform::Form {
    Q_OBJECT
public:
    // `board`: the board the program talks to, as the main window's status line names it.
    explicit AboutForm(const std::string& board, QWidget* parent = nullptr);

protected:
    void Form_Load() override;

private:
    // The window, built top-down: the picture and the button, the texts, their layout.
    void makeTexts();
    void layOut();

    void Command1_Click();

    QLabel* Picture1;
    QPushButton* Command1;
    QLabel* lblVersion;
    QLabel* lblBoard;
    QLabel* lblTitle;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* lblDate;
    QLabel* Label1;
    QLabel* Label4;
};

} // namespace qb::shell
