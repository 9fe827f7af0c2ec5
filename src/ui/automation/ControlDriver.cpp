#include "ui/automation/ControlDriver.h"

#include "ui/widgets/Controls.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeView>
#include <QUrl>

#include <memory>

namespace controldriver {
namespace {

QString nameOf(const QWidget* control)
{
    return control->objectName();
}

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString colorText(const QColor& color)
{
    return QStringLiteral("%1,%2,%3").arg(color.red()).arg(color.green()).arg(color.blue());
}

bool reallyVisible(const QWidget* control)
{
    return control->isVisible() && !control->window()->isMinimized();
}

// The reason a user could not reach the control with mouse or keyboard, or the empty text.
QString unreachable(const QWidget* control)
{
    if (!reallyVisible(control))
        return QStringLiteral("%1 is not visible").arg(nameOf(control));
    if (!control->isEnabled())
        return QStringLiteral("%1 is disabled").arg(nameOf(control));
    // Input is sent straight to the control, past the window system, so the modality that would
    // stop a real mouse has to be checked here.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != control->window() && !modal->isAncestorOf(control))
        return QStringLiteral("%1 is behind an open modal box").arg(nameOf(control));
    return {};
}

QLineEdit* lineEditOf(QWidget* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit;
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->isEditable() ? combo->lineEdit() : nullptr;
    if (qobject_cast<QAbstractSpinBox*>(control))
        return control->findChild<QLineEdit*>();
    return nullptr;
}

void sendMouse(QWidget* target, QEvent::Type type, const QPoint& pos, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Press and release (and for a double click the second pair), as the window system delivers them.
void mouseClick(QWidget* target, const QPoint& pos, bool doubleClick)
{
    QPointer<QWidget> guard(target);
    sendMouse(target, QEvent::MouseButtonPress, pos, Qt::LeftButton);
    if (guard)
        sendMouse(target, QEvent::MouseButtonRelease, pos, Qt::NoButton);
    if (!doubleClick)
        return;
    if (guard)
        sendMouse(target, QEvent::MouseButtonDblClick, pos, Qt::LeftButton);
    if (guard)
        sendMouse(target, QEvent::MouseButtonRelease, pos, Qt::NoButton);
}

// Where the mouse goes on a control: the middle of an item view's current row (that is what a
// double click on a list is about), otherwise the middle of the control.
std::pair<QWidget*, QPoint> clickPoint(QWidget* control)
{
    if (auto* view = qobject_cast<QAbstractItemView*>(control)) {
        const QRect row = view->visualRect(view->currentIndex());
        if (row.isValid() && view->viewport()->rect().intersects(row))
            return {view->viewport(), row.center()};
        return {view->viewport(), view->viewport()->rect().center()};
    }
    return {control, control->rect().center()};
}

bool columnShown(const QAbstractItemView* view, int column)
{
    if (auto* list = qobject_cast<const QListView*>(view))
        return column == list->modelColumn();
    if (auto* tree = qobject_cast<const QTreeView*>(view))
        return !tree->isColumnHidden(column);
    if (auto* table = qobject_cast<const QTableView*>(view))
        return !table->isColumnHidden(column);
    return true;
}

struct KeySpec {
    Qt::Key key;
    QString text;
};

bool keySpec(const QString& name, KeySpec* out)
{
    static const QList<std::pair<QString, KeySpec>> named = {
        {QStringLiteral("Return"), {Qt::Key_Return, QStringLiteral("\r")}},
        {QStringLiteral("Enter"), {Qt::Key_Enter, QStringLiteral("\r")}},
        {QStringLiteral("Escape"), {Qt::Key_Escape, QString(QChar(0x1b))}},
        {QStringLiteral("Tab"), {Qt::Key_Tab, QStringLiteral("\t")}},
        {QStringLiteral("Backspace"), {Qt::Key_Backspace, QString(QChar(0x08))}},
        {QStringLiteral("Delete"), {Qt::Key_Delete, QString(QChar(0x7f))}},
        {QStringLiteral("Space"), {Qt::Key_Space, QStringLiteral(" ")}},
        {QStringLiteral("Up"), {Qt::Key_Up, {}}},
        {QStringLiteral("Down"), {Qt::Key_Down, {}}},
        {QStringLiteral("Left"), {Qt::Key_Left, {}}},
        {QStringLiteral("Right"), {Qt::Key_Right, {}}},
        {QStringLiteral("Home"), {Qt::Key_Home, {}}},
        {QStringLiteral("End"), {Qt::Key_End, {}}},
    };
    if (name == QLatin1String(" ")) {
        *out = {Qt::Key_Space, name};
        return true;
    }
    for (const auto& [keyName, keyInfo] : named) {
        if (keyName == name) {
            *out = keyInfo;
            return true;
        }
    }
    const bool oneCharacter = name.size() == 1 || (name.size() == 2 && name[0].isHighSurrogate());
    if (!oneCharacter || name[0].isSpace() || name[0].category() == QChar::Other_Control)
        return false;
    // Qt names a printable key by the upper-case form of its character.
    const char32_t code = name.size() == 1 ? name[0].toUpper().unicode() : name.toUcs4().value(0);
    *out = {Qt::Key(code), name};
    return true;
}

Input ready(std::function<void()> input)
{
    return {{}, std::move(input)};
}

Input refused(const QString& reason)
{
    return {reason, {}};
}

} // namespace

Result containsText(QWidget* control, const QString& part)
{
    const auto answer = [](bool found) {
        return Result::success(found ? QStringLiteral("true") : QStringLiteral("false"));
    };
    if (auto* rich = qobject_cast<QTextEdit*>(control)) {
        // New text arrives at the end, so that is where the search starts.
        QTextCursor end(rich->document());
        end.movePosition(QTextCursor::End);
        return answer(!rich->document()
                           ->find(part, end, QTextDocument::FindBackward | QTextDocument::FindCaseSensitively)
                           .isNull());
    }
    const Result whole = text(control);
    if (!whole.error.isEmpty())
        return whole;
    return answer(whole.value.contains(part));
}

Result text(QWidget* control)
{
    if (auto* label = qobject_cast<QLabel*>(control))
        return Result::success(label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return Result::success(button->text());
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return Result::success(edit->text());
    if (auto* rich = qobject_cast<QTextEdit*>(control))
        return Result::success(rich->toPlainText());
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        return Result::success(plain->toPlainText());
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return Result::success(combo->currentText());
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(control))
        return Result::success(spin->text());
    if (auto* view = qobject_cast<QAbstractItemView*>(control)) {
        const QModelIndex current = view->currentIndex();
        if (!current.isValid())
            return Result::success();
        const int column = qobject_cast<QListView*>(view) ? current.column() : 0;
        return Result::success(current.siblingAtColumn(column).data(Qt::DisplayRole).toString());
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(control))
        return Result::success(tabs->tabText(tabs->currentIndex()));
    if (auto* group = qobject_cast<QGroupBox*>(control))
        return Result::success(group->title());
    if (control->isWindow())
        return Result::success(control->windowTitle());
    return Result::failure(QStringLiteral("%1 has no text").arg(nameOf(control)));
}

Result property(QWidget* control, const QString& name)
{
    if (name.isEmpty())
        return Result::failure(QStringLiteral("missing property name"));
    if (name == QLatin1String("visible"))
        return Result::success(boolText(reallyVisible(control)));
    if (name == QLatin1String("enabled"))
        return Result::success(boolText(control->isEnabled()));
    if (name == QLatin1String("tag"))
        return Result::success(controls::tag(control));
    if (name == QLatin1String("x"))
        return Result::success(QString::number(control->x()));
    if (name == QLatin1String("y"))
        return Result::success(QString::number(control->y()));
    if (name == QLatin1String("width"))
        return Result::success(QString::number(control->width()));
    if (name == QLatin1String("height"))
        return Result::success(QString::number(control->height()));
    if (name == QLatin1String("textColor"))
        return Result::success(colorText(controls::textColor(control)));
    if (name == QLatin1String("backgroundColor"))
        return Result::success(colorText(controls::backgroundColor(control)));
    if (name == QLatin1String("checked")) {
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            return Result::success(boolText(button->isChecked()));
    }
    if (name == QLatin1String("currentIndex")) {
        if (auto* tabs = qobject_cast<QTabWidget*>(control))
            return Result::success(QString::number(tabs->currentIndex()));
        if (auto* stack = qobject_cast<QStackedWidget*>(control))
            return Result::success(QString::number(stack->currentIndex()));
        if (auto* combo = qobject_cast<QComboBox*>(control))
            return Result::success(QString::number(combo->currentIndex()));
        if (auto* view = qobject_cast<QAbstractItemView*>(control)) {
            const QModelIndex current = view->currentIndex();
            return Result::success(QString::number(current.isValid() ? current.row() : -1));
        }
    }
    // Any other Qt or dynamic property that reads as text.
    const QByteArray key = name.toUtf8();
    const QVariant value = control->property(key.constData());
    if (value.isValid()) {
        if (value.typeId() == QMetaType::Bool)
            return Result::success(boolText(value.toBool()));
        if (value.typeId() == QMetaType::QColor)
            return Result::success(colorText(value.value<QColor>()));
        if (value.canConvert<QString>())
            return Result::success(value.toString());
    }
    return Result::failure(QStringLiteral("%1 has no property %2").arg(nameOf(control), name));
}

bool rows(QWidget* control, QList<QStringList>* out, QString* error)
{
    out->clear();
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        for (int i = 0; i < combo->count(); ++i)
            out->append(QStringList{combo->itemText(i)});
        return true;
    }
    auto* view = qobject_cast<QAbstractItemView*>(control);
    if (!view || !view->model()) {
        *error = QStringLiteral("%1 is not a list").arg(nameOf(control));
        return false;
    }
    const QAbstractItemModel* model = view->model();
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < model->rowCount(root); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(root); ++column)
            if (columnShown(view, column))
                cells.append(model->index(row, column, root).data(Qt::DisplayRole).toString());
        out->append(cells);
    }
    return true;
}

Input setText(QWidget* control, const QString& text)
{
    if (const QString reason = unreachable(control); !reason.isEmpty())
        return refused(reason);
    QPointer<QWidget> guard(control);
    if (QLineEdit* edit = lineEditOf(control)) {
        if (edit->isReadOnly())
            return refused(QStringLiteral("%1 is read-only").arg(nameOf(control)));
        // Select all and insert, as typing over the old text does, so textEdited handlers run too.
        return ready([guard, edit, text] {
            if (!guard)
                return;
            edit->selectAll();
            edit->insert(text);
        });
    }
    if (auto* rich = qobject_cast<QTextEdit*>(control)) {
        if (rich->isReadOnly())
            return refused(QStringLiteral("%1 is read-only").arg(nameOf(control)));
        return ready([guard, rich, text] {
            if (!guard)
                return;
            rich->selectAll();
            rich->insertPlainText(text);
        });
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        if (plain->isReadOnly())
            return refused(QStringLiteral("%1 is read-only").arg(nameOf(control)));
        return ready([guard, plain, text] {
            if (!guard)
                return;
            plain->selectAll();
            plain->insertPlainText(text);
        });
    }
    return refused(QStringLiteral("%1 is not an edit box").arg(nameOf(control)));
}

Input click(QWidget* control, bool doubleClick)
{
    if (const QString reason = unreachable(control); !reason.isEmpty())
        return refused(reason);
    QPointer<QWidget> guard(control);
    return ready([guard, doubleClick] {
        if (!guard)
            return;
        const auto [target, pos] = clickPoint(guard);
        mouseClick(target, pos, doubleClick);
    });
}

Input key(QWidget* control, const QString& name)
{
    KeySpec keyInfo;
    if (!keySpec(name, &keyInfo))
        return refused(QStringLiteral("unknown key %1").arg(name));
    if (const QString reason = unreachable(control); !reason.isEmpty())
        return refused(reason);
    QWidget* receiver = control->focusProxy() ? control->focusProxy() : control;
    QPointer<QWidget> guard(receiver);
    return ready([guard, keyInfo] {
        if (!guard)
            return;
        QKeyEvent press(QEvent::KeyPress, keyInfo.key, Qt::NoModifier, keyInfo.text);
        QApplication::sendEvent(guard, &press);
        if (!guard)
            return;
        QKeyEvent release(QEvent::KeyRelease, keyInfo.key, Qt::NoModifier, keyInfo.text);
        QApplication::sendEvent(guard, &release);
    });
}

Input focus(QWidget* control)
{
    if (const QString reason = unreachable(control); !reason.isEmpty())
        return refused(reason);
    QWidget* target = control;
    while (target->focusProxy())
        target = target->focusProxy();
    if (target->focusPolicy() == Qt::NoFocus)
        return refused(QStringLiteral("%1 takes no keyboard focus").arg(nameOf(control)));
    QPointer<QWidget> guard(target);
    return ready([guard] {
        if (!guard)
            return;
        QWidget* window = guard->window();
        if (QApplication::activeWindow() != window) {
            // Without a window manager (Xvfb alone) a request to activate is never granted, and
            // setFocus on a widget of an inactive window only records it: no focus events at all.
            window->activateWindow();
            QT_WARNING_PUSH
            QT_WARNING_DISABLE_DEPRECATED
            QApplication::setActiveWindow(window);
            QT_WARNING_POP
        }
        if (!guard)
            return;
        QPointer<QWidget> previous = window->focusWidget();
        guard->setFocus(Qt::OtherFocusReason);
        if (!guard || guard->hasFocus())
            return;
        // Still not active: deliver the change by hand, as the focus handlers expect it.
        if (previous && previous != guard) {
            QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
            QApplication::sendEvent(previous, &out);
        }
        if (guard) {
            QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
            QApplication::sendEvent(guard, &in);
        }
    });
}

Input selectRow(QWidget* control, int row)
{
    if (const QString reason = unreachable(control); !reason.isEmpty())
        return refused(reason);
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (row < 0 || row >= combo->count())
            return refused(QStringLiteral("%1 has no row %2").arg(nameOf(control)).arg(row));
        QPointer<QComboBox> guard(combo);
        return ready([guard, row] {
            if (!guard)
                return;
            guard->setCurrentIndex(row);
            if (guard)
                emit guard->activated(row);
            if (guard)
                emit guard->textActivated(guard->itemText(row));
        });
    }
    auto* view = qobject_cast<QAbstractItemView*>(control);
    if (!view || !view->model())
        return refused(QStringLiteral("%1 is not a list").arg(nameOf(control)));
    if (row < 0 || row >= view->model()->rowCount(view->rootIndex()))
        return refused(QStringLiteral("%1 has no row %2").arg(nameOf(control)).arg(row));
    QPointer<QAbstractItemView> guard(view);
    return ready([guard, row] {
        if (!guard || !guard->model())
            return;
        int column = 0;
        if (auto* list = qobject_cast<QListView*>(guard.data()))
            column = list->modelColumn();
        const QModelIndex index = guard->model()->index(row, column, guard->rootIndex());
        guard->scrollTo(index);
        const QRect rect = guard->visualRect(index);
        if (rect.isValid() && guard->viewport()->rect().contains(rect.center())) {
            // A real click, so the view's pressed, clicked and selection signals all come as usual.
            mouseClick(guard->viewport(), rect.center(), false);
        } else if (guard->selectionModel()) {
            guard->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                                QItemSelectionModel::Rows);
            emit guard->clicked(index);
        }
    });
}

Input dropFiles(QWidget* control, const QStringList& paths)
{
    if (paths.isEmpty())
        return refused(QStringLiteral("no files to drop"));
    // The drop target is the control itself, a list's viewport, or the nearest parent taking drops.
    QWidget* target = nullptr;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control); area && area->viewport()->acceptDrops())
        target = area->viewport();
    for (QWidget* w = control; !target && w; w = w->isWindow() ? nullptr : w->parentWidget())
        if (w->acceptDrops())
            target = w;
    if (!target)
        return refused(QStringLiteral("%1 takes no dropped files").arg(nameOf(control)));
    if (const QString reason = unreachable(target); !reason.isEmpty())
        return refused(reason);

    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    auto mime = std::make_shared<QMimeData>();
    mime->setUrls(urls);
    const QPoint pos = target->rect().center();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

    QDragEnterEvent enter(pos, actions, mime.get(), Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return refused(QStringLiteral("%1 refused the dragged files").arg(nameOf(control)));
    const Qt::DropAction action = enter.dropAction();

    QPointer<QWidget> guard(target);
    return ready([guard, mime, pos, actions, action] {
        if (!guard)
            return;
        QDragMoveEvent move(pos, actions, mime.get(), Qt::LeftButton, Qt::NoModifier);
        move.setDropAction(action);
        move.setAccepted(true);
        QApplication::sendEvent(guard, &move);
        if (!guard)
            return;
        if (!move.isAccepted()) {
            QDragLeaveEvent leave;
            QApplication::sendEvent(guard, &leave);
            return;
        }
        QDropEvent drop(QPointF(pos), actions, mime.get(), Qt::NoButton, Qt::NoModifier);
        drop.setDropAction(move.dropAction());
        QApplication::sendEvent(guard, &drop);
    });
}

} // namespace controldriver
