#pragma once
// The Qt widget of each kind of dialog control: how it is made from its layout, what of the
// user's input it reports, and how its text, check mark, bar and items are read and set. One
// row per kind of control; the dialog host itself has no code for any kind. GUI thread only.
// Setting a value reports nothing; buttons change no check state and scroll bars do not move
// by themselves: the program decides both.

#include "platform/DialogHost.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QScrollBar;

namespace platform {

// Layout and program texts hold one byte per character.
QString toQt(std::string_view s);
std::string fromQt(const QString& s);

// One control of a live box.
struct QtControl {
    ControlLayout layout;
    QPointer<QWidget> widget;
    QString text; // the caption of kinds whose widget shows something else (or nothing)
};

// Hands one input of the user to the host, which queues it for the dialog.
using QtInputReport = std::function<void(std::function<void(DialogInput&)>)>;

// Makes c's widget in box from c.layout: geometry, caption, focus policy, enabled and visible
// state; what the user does to it goes to report, connected through context.
void createControlWidget(QtControl& c, QWidget* box, QObject* context, const QtInputReport& report);

QString controlText(const QtControl& c);
void setControlText(QtControl& c, const QString& text); // an edit box's caret goes to the start
void selectControlText(QtControl& c, int start, int end);
int controlCheck(const QtControl& c);
void setControlCheck(QtControl& c, int state);
QScrollBar* scrollBarOf(const QtControl& c); // null for other kinds

// List boxes and combo boxes (other kinds: no items).
int itemCount(const QtControl& c);
QString itemText(const QtControl& c, int index);
void clearItems(QtControl& c);
void addItem(QtControl& c, const QString& text);
int currentItem(const QtControl& c);
bool isItemSelected(const QtControl& c, int index);
void selectItem(QtControl& c, int index);

} // namespace platform
