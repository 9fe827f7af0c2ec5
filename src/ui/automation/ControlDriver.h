#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// What the automation commands do to one control: read its text and properties, and synthesise the
// mouse, keyboard and drop events a user would cause. Input is split in two: a check that runs at
// once and can fail with a reason, and the input itself, which the caller runs after it has replied
// (a click may open a modal box whose event loop only returns when the box is answered).
namespace controldriver {

// A value or the reason there is none.
struct Result {
    QString value;
    QString error;
    bool ok() const { return error.isEmpty(); }
    static Result success(const QString& value = {}) { return {value, {}}; }
    static Result failure(const QString& reason) { return {{}, reason}; }
};

// Checked input: `input` is set exactly when `error` is empty.
struct Input {
    QString error;
    std::function<void()> input;
};

Result text(QWidget* control);
// "true" or "false": whether the control's text holds `part`.
Result containsText(QWidget* control, const QString& part);
Result property(QWidget* control, const QString& name);
// Rows of a list, each a list of its cells.
bool rows(QWidget* control, QList<QStringList>* out, QString* error);

Input setText(QWidget* control, const QString& text);
Input click(QWidget* control, bool doubleClick);
Input key(QWidget* control, const QString& key);
// Gives the control (or its focus proxy) the keyboard focus, with the focus-out and focus-in events a
// user's click would cause, also where no window manager makes its window active.
Input focus(QWidget* control);
Input selectRow(QWidget* control, int row);
// Runs the drag-enter check at once; the move and the drop come with the input.
Input dropFiles(QWidget* control, const QStringList& paths);

} // namespace controldriver
