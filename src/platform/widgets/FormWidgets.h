#pragma once
// Small builders for the widgets every window lays out the same way: the big title, command
// buttons, and sunken value boxes. Each sets the control's name (its objectName) as Controls.h
// asks.
#include <functional>

#include <QSizePolicy>
#include <QString>

#include "platform/widgets/Sizes.h"

class QGroupBox;
class QHBoxLayout;
class QObject;
class QLabel;
class QPixmap;
class QPushButton;
class QWidget;

namespace qb::platform {

// A plain caption label.
QLabel* CaptionLabel(const char* name, const QString& text);
// A caption label in bold.
QLabel* BoldCaptionLabel(const char* name, const QString& text);

// Makes `label` the window's title: bold, larger, centred.
void StyleAsTitle(QLabel* label);
// A title label named `name` showing `text`, styled as above.
QLabel* TitleLabel(const char* name, const QString& text);
// A frame named `frameName` holding nothing but such a title.
QGroupBox* TitleFrame(const char* frameName, const char* labelName, const QString& title);

// A command button that does not take Enter as the window's default.
QPushButton* CommandButton(const char* name, const QString& caption, int minimumWidth = kCommandWidth);
// A command button of a menu: as above, as high as a menu's buttons are, running `click` (in
// `receiver`'s thread, for as long as it lives) when clicked.
QPushButton* MenuButton(const char* name, const char* caption, int minimumWidth, QObject* receiver,
                        std::function<void()> click);

// A row of two buttons, one at each end.
QHBoxLayout* ButtonRow(QWidget* left, QWidget* right);

// A label named `name` showing `picture` (`size` pixels square), centred, a little larger than
// the picture.
QLabel* PictureLabel(const char* name, const QPixmap& picture, int size);

// A question window's layout: `picture` beside `text` (aligned as `pictureAlignment` says, the
// text centred on it), above the row of `buttons`.
void LayOutQuestionWindow(QWidget* window, QLabel* picture, Qt::Alignment pictureAlignment, QLabel* text,
                          QHBoxLayout* buttons);

// The width a title bar needs to show `window`'s caption whole: the caption in a bold font,
// beside the title bar's icon and buttons.
int CaptionWidth(const QWidget& window);
// Makes `window`, laid out by its layout, at least that wide.
void KeepCaptionWhole(QWidget& window);

// Makes `widget` keep its place in the layout while hidden, so nothing around it moves.
template <class W>
W* KeepPlaceWhenHidden(W* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
    return widget;
}

// A label that shows a value keeps the value as its text, and so as the name a screen reader
// reads; what the value is (its caption) goes in the label's accessible description.
void CaptionValue(QLabel* value, const QString& caption);
// A plain label for a value, captioned as above.
QLabel* ValueLabel(const char* name, const QString& caption, const QString& text = {});

// A sunken, right-aligned value box whose text can be selected and copied, captioned as above.
// With `minimumWidth` 0 it is made wide enough for any 32-bit number in decimal.
QLabel* ReadoutLabel(const char* name, const QString& caption, const QString& text = {}, int minimumWidth = 0);

} // namespace qb::platform
