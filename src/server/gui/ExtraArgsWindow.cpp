#include "server/gui/ExtraArgsWindow.h"

#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"
#include "ui/widgets/PictureBox.h"

#include <QLabel>

namespace {

const QColor StripeColor(76, 184, 255);
const QColor HintColor(120, 120, 120);

QLabel* hintLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry)
{
    QLabel* hint = controls::label(parent, name, text, geometry);
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    controls::setTextColor(hint, HintColor);
    return hint;
}

} // namespace

QString ExtraArgsWindow::compatibilityArguments()
{
    return QStringLiteral("-Djline.terminal=jline.UnsupportedTerminal");
}

QString ExtraArgsWindow::utf8Arguments()
{
    return QStringLiteral("-Dfile.encoding=UTF-8");
}

ExtraArgsWindow::ExtraArgsWindow(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("后置参数窗口"));
    setWindowTitle(QStringLiteral("开服后置参数"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Width, Height);

    // The background comes first so that every other control lies above it.
    PictureBox* background = controls::picture(this, QStringLiteral("图片框1"), rect(), Qt::white);
    background->setDragsWindow(true);
    controls::picture(this, QStringLiteral("图片框2"), QRect(0, 0, Width, 4), StripeColor);

    QLabel* title = controls::label(this, QStringLiteral("标签12"), QStringLiteral("开服后置参数"),
                                    QRect(24, 18, 300, 28));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSize(titleFont.pointSize() + 2);
    title->setFont(titleFont);

    FlatButton* close = controls::button(this, QStringLiteral("超级按钮2"), QStringLiteral("×"),
                                         QRect(Width - 48, 14, 34, 30));
    QFont closeFont = close->font();
    closeFont.setPointSize(14);
    close->setFont(closeFont);
    close->setToolTip(QStringLiteral("关闭"));
    connect(close, &FlatButton::clicked, this, &QWidget::close);

    FlatButton* nukkit = controls::button(this, QStringLiteral("nukkit"), QStringLiteral("兼容模式开服参数"),
                                          QRect(30, 90, 180, 40));
    hintLabel(this, QStringLiteral("nukkit提示"),
              QStringLiteral("温馨提示：如果服务器开不起来或者发送不了指令到后台，可以选择这个模式"),
              QRect(230, 80, 390, 60));
    connect(nukkit, &FlatButton::clicked, this, [this] { choose(compatibilityArguments()); });

    FlatButton* utf8 = controls::button(this, QStringLiteral("utf_8"), QStringLiteral("UTF-8 编码参数"),
                                        QRect(30, 190, 180, 40));
    hintLabel(this, QStringLiteral("utf_8提示"),
              QStringLiteral("温馨提示：如果你下载的整合包不是 UTF-8 编码的就不要选择"),
              QRect(230, 180, 390, 60));
    connect(utf8, &FlatButton::clicked, this, [this] { choose(utf8Arguments()); });

    for (FlatButton* preset : {nukkit, utf8}) {
        preset->setBackgroundColor(QColor(245, 245, 245));
        preset->setBackgroundColor(FlatButton::Hover, QColor(232, 232, 232));
    }
}

void ExtraArgsWindow::choose(const QString& arguments)
{
    emit argumentsChosen(arguments);
    close();
}
