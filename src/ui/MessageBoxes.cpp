#include "ui/MessageBoxes.h"

#include "ui/BoxPictures.h"
#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"
#include "ui/widgets/PictureBox.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <map>

namespace boxes {
namespace {

struct ConfirmRow {
    int order;
    MatchOn label;
    QString key;
    ConfirmHandler onOk;
    QPointer<QObject> owner;
    bool owned = false;

    bool alive() const { return !owned || owner; }
};

struct State {
    QString infoTitle, infoText, confirmTitle, confirmText;
    int infoKind = 0;
    QList<ConfirmRow> rows;
    std::map<QString, ConfirmRow> cancelActions;
    QList<QPointer<QWidget>> open; // oldest first
    std::function<void(QWidget*)> shownHook;
};

State& state()
{
    static State s;
    return s;
}

const QColor ButtonColor(76, 184, 255);
const QSize BoxSize(380, 200);

QWidget* activeParent()
{
    // Boxes are top-level windows of their own; they are centred over the launcher's main window.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("启动窗口") && w->isVisible())
            return w;
    return nullptr;
}

QWidget* makeBox(const QString& kind, const QString& title, const QString& text, const QPixmap& picture)
{
    auto* box = new QWidget(nullptr, Qt::FramelessWindowHint | Qt::Window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(kind == QLatin1String("info") ? QStringLiteral("信息框") : QStringLiteral("询问框"));
    box->setProperty("boxKind", kind);
    box->setWindowTitle(kind == QLatin1String("info") ? title : QStringLiteral("开服器提示"));
    box->setFixedSize(BoxSize);

    PictureBox* background = controls::picture(box, QStringLiteral("图片框1"), box->rect(), Qt::white);
    background->setDragsWindow(true);
    controls::picture(background, QStringLiteral("顶部条"), QRect(0, 0, BoxSize.width(), 3), ButtonColor);

    QLabel* titleLabel = controls::label(box, QStringLiteral("标签1"), title, QRect(18, 12, 300, 24));
    QFont titleFont = titleLabel->font();
    titleFont.setBold(true);
    titleLabel->setFont(titleFont);

    PictureBox* icon = controls::picture(box, QStringLiteral("图片框2"), QRect(22, 62, 48, 48));
    icon->setPicture(picture);

    QLabel* textLabel = controls::label(box, QStringLiteral("标签2"), text, QRect(86, 50, 276, 86));
    textLabel->setWordWrap(true);
    textLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    textLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    FlatButton* close = controls::button(box, QStringLiteral("超级按钮1"), QStringLiteral("×"),
                                         QRect(BoxSize.width() - 40, 8, 30, 28));
    QFont closeFont = close->font();
    closeFont.setPointSize(closeFont.pointSize() + 4);
    close->setFont(closeFont);
    QObject::connect(close, &FlatButton::clicked, box, &QWidget::close);

    FlatButton* ok = controls::button(box, QStringLiteral("超级按钮2"), QStringLiteral("确定"),
                                      QRect(BoxSize.width() - 104, BoxSize.height() - 50, 86, 32));
    ok->setBackgroundColor(ButtonColor);
    ok->setTextColor(Qt::white);

    if (QWidget* parent = activeParent())
        box->move(parent->geometry().center() - QPoint(BoxSize.width() / 2, BoxSize.height() / 2));
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        box->move(screen->availableGeometry().center() - QPoint(BoxSize.width() / 2, BoxSize.height() / 2));

    state().open.append(box);
    QObject::connect(box, &QObject::destroyed,
                     [] { state().open.removeIf([](const QPointer<QWidget>& p) { return p.isNull(); }); });
    return box;
}

void announce(QWidget* box)
{
    if (state().shownHook) {
        QPointer<QWidget> guard(box);
        QTimer::singleShot(0, box, [guard] {
            if (guard && state().shownHook)
                state().shownHook(guard);
        });
    }
}

void present(QWidget* box)
{
    box->show();
    // The offscreen platform of headless runs has no window stacking to ask for.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        box->raise();
        box->activateWindow();
    }
    announce(box);
}

QString labelText(QWidget* box, const QString& name)
{
    auto* label = box->findChild<QLabel*>(name);
    return label ? label->text() : QString();
}

void confirmOk(QWidget* box)
{
    const QString title = labelText(box, QStringLiteral("标签1"));
    const QString text = labelText(box, QStringLiteral("标签2"));
    QList<ConfirmRow> rows = state().rows;
    std::stable_sort(rows.begin(), rows.end(),
                     [](const ConfirmRow& a, const ConfirmRow& b) { return a.order < b.order; });
    for (const ConfirmRow& row : rows) {
        if (!row.alive())
            continue;
        const QString& tested = row.label == MatchOn::Title ? title : text;
        if (tested != row.key)
            continue;
        QPointer<QWidget> guard(box);
        row.onOk(box);
        if (guard)
            guard->close();
        return;
    }
}

void confirmCancel(QWidget* box)
{
    const QString title = labelText(box, QStringLiteral("标签1"));
    QPointer<QWidget> guard(box);
    const auto it = state().cancelActions.find(title);
    if (it != state().cancelActions.end() && it->second.alive()) {
        const ConfirmHandler onCancel = it->second.onOk;
        box->close();
        onCancel(nullptr);
        return;
    }
    if (guard)
        guard->close();
}

} // namespace

void showInfoBox(const QString& text, const QString& title, int kind)
{
    State& s = state();
    s.infoTitle = title.isEmpty() ? QStringLiteral("温馨提示") : title;
    s.infoText = text;
    if (kind == Success)
        s.infoKind = Success;
    else if (kind == Error || kind == SelectFirst)
        s.infoKind = Error; // the same red cross for both
    QPixmap picture;
    if (s.infoKind == Success)
        picture = boxpictures::successTick();
    else if (s.infoKind == Error)
        picture = boxpictures::failureCross();

    QWidget* box = makeBox(QStringLiteral("info"), s.infoTitle, text, picture);
    const bool known = kind == Success || kind == Error || kind == SelectFirst;
    box->setProperty("infoKind", known ? kind : s.infoKind);
    auto* ok = box->findChild<FlatButton*>(QStringLiteral("超级按钮2"));
    QObject::connect(ok, &FlatButton::clicked, box, &QWidget::close);
    box->setWindowModality(Qt::ApplicationModal);

    QEventLoop loop;
    QObject::connect(box, &QObject::destroyed, &loop, &QEventLoop::quit);
    present(box);
    loop.exec(QEventLoop::DialogExec);
}

void askConfirm(const QString& text, const QString& title)
{
    State& s = state();
    s.confirmTitle = title;
    s.confirmText = text;
    QWidget* box = makeBox(QStringLiteral("confirm"), title, text, boxpictures::question());
    auto* ok = box->findChild<FlatButton*>(QStringLiteral("超级按钮2"));
    ok->move(ok->x() - 96, ok->y());
    FlatButton* cancel = controls::button(box, QStringLiteral("超级按钮3"), QStringLiteral("取消"),
                                          QRect(BoxSize.width() - 104, BoxSize.height() - 50, 86, 32));
    cancel->setBackgroundColor(QColor(236, 236, 236));
    QObject::connect(ok, &FlatButton::clicked, box, [box] { confirmOk(box); });
    QObject::connect(cancel, &FlatButton::clicked, box, [box] { confirmCancel(box); });
    present(box);
}

void addConfirmAction(int order, MatchOn label, const QString& key, ConfirmHandler onOk, QObject* owner)
{
    QList<ConfirmRow>& rows = state().rows;
    rows.removeIf([](const ConfirmRow& row) { return !row.alive(); });
    rows.append({order, label, key, std::move(onOk), owner, owner != nullptr});
}

void addCancelAction(const QString& title, ConfirmHandler onCancel, QObject* owner)
{
    state().cancelActions[title] = {0, MatchOn::Title, title, std::move(onCancel), owner, owner != nullptr};
}

QString lastInfoTitle()
{
    return state().infoTitle;
}
QString lastInfoText()
{
    return state().infoText;
}
QString lastConfirmTitle()
{
    return state().confirmTitle;
}
QString lastConfirmText()
{
    return state().confirmText;
}
int lastInfoKind()
{
    return state().infoKind;
}

QList<QWidget*> openBoxes()
{
    QList<QWidget*> result;
    for (auto it = state().open.crbegin(); it != state().open.crend(); ++it)
        if (*it && (*it)->isVisible())
            result.append(*it);
    return result;
}

bool pressButton(QWidget* box, const QString& caption)
{
    if (!box)
        return false;
    for (FlatButton* button : box->findChildren<FlatButton*>()) {
        if (button->text() == caption && button->isVisible()) {
            button->click();
            return true;
        }
    }
    return false;
}

void setBoxShownHook(std::function<void(QWidget*)> hook)
{
    state().shownHook = std::move(hook);
}

} // namespace boxes
