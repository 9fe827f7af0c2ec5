#pragma once

#include <QList>
#include <QString>

#include <functional>

class QObject;
class QWidget;

// The two pop-up boxes every feature talks to the user through.
//  - showInfoBox: a small modal message box; the call returns when the user has closed it. It runs a
//    nested event loop, so timers keep running while it is shown.
//  - askConfirm: a non-modal question with "确定" and "取消"; the call returns at once. What "确定"
//    does is chosen afterwards from the box's own title or text through the confirm-action table.
namespace boxes {

enum InfoKind { Success = 1, Error = 2, SelectFirst = 3 };

void showInfoBox(const QString& text, const QString& title, int kind);
void askConfirm(const QString& text, const QString& title);

// The confirm-action table. Each feature adds its rows; on "确定" the rows are tested in ascending
// `order`, each comparing the box's title or text label exactly with its key, and the first match
// runs. The box closes after the action (an action may close it earlier itself). No match: nothing
// happens and the box stays open. A row with an `owner` belongs to that object: it acts on it and
// leaves the table when the owner is destroyed, so a window built anew brings its own rows.
enum class MatchOn { Title, Text };
using ConfirmHandler = std::function<void(QWidget* box)>;
void addConfirmAction(int order, MatchOn label, const QString& key, ConfirmHandler onOk,
                      QObject* owner = nullptr);
// What "取消" does for a box with this exact title, before the box closes; other titles only close.
void addCancelAction(const QString& title, ConfirmHandler onCancel, QObject* owner = nullptr);

// Process-wide holders of the last texts, read by tests and the automation interface.
QString lastInfoTitle();
QString lastInfoText();
QString lastConfirmTitle();
QString lastConfirmText();
int lastInfoKind(); // the kind whose picture the last info box showed (1 or 2; 0 before any)

// The open boxes, newest first. Each has the property "boxKind" ("info" or "confirm") and the
// labels 标签1 (title) and 标签2 (text); an info box also has "infoKind": the kind it was shown with,
// or for any other kind the one whose picture it shows (0 for none).
QList<QWidget*> openBoxes();

// Presses 确定, 取消 or × on a box as a click would. Returns false when the box has no such button.
bool pressButton(QWidget* box, const QString& caption);

// Test hook: called right after a box is shown (inside the info box's own event loop), so a test can
// read it and press a button without sleeping. Pass nullptr to remove.
void setBoxShownHook(std::function<void(QWidget* box)> hook);

} // namespace boxes
