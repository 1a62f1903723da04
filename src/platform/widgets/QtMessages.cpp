#include "platform/widgets/QtMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include "platform/widgets/Form.h"
#include "platform/widgets/FormWidgets.h"

namespace qb::platform {

namespace {

QString PlainLines(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QMessageBox::Icon BoxIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MsgAnswer QtMessages::show(const Message& message) {
    const bool yesNo = message.buttons == MsgButtons::YesNo;
    if (Form::programEnding()) return yesNo ? MsgAnswer::No : MsgAnswer::Ok;
    if (beforeWait_) beforeWait_();

    QWidget* parent = QApplication::activeModalWidget();
    if (!parent) parent = QApplication::activeWindow();
    QPointer<QMessageBox> box = new QMessageBox(parent);
    box->setWindowTitle(QString::fromUtf8(message.title.empty() ? kApplicationTitle : message.title.c_str()));
    box->setTextFormat(Qt::PlainText);  // a text is never taken for markup
    box->setText(PlainLines(message.text));
    box->setIcon(BoxIcon(message.icon));
    if (yesNo) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
    }
    KeepCaptionWhole(*box);
    const int answer = box->exec();
    if (box) delete box;
    if (!yesNo) return MsgAnswer::Ok;
    return answer == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
}

} // namespace qb::platform
