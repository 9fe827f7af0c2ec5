#include "server/gui/LaunchSettingsPage.h"

#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"
#include "ui/widgets/FrameBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace launchsettingspage {
namespace {

FlatButton* action(QWidget* page, const QString& name, const QString& text, const QRect& geometry)
{
    FlatButton* button = controls::button(page, name, text, geometry);
    button->setTextColor(Qt::white);
    return button;
}

} // namespace

Controls build(QWidget* page)
{
    controls::label(page, QStringLiteral("java"), QStringLiteral("Java路径"), QRect(20, 16, 300, 22));
    controls::edit(page, QStringLiteral("编辑框3"), QString(), QRect(20, 40, 520, 30));
    action(page, QStringLiteral("超级按钮17"), QStringLiteral("自动查找"), QRect(550, 40, 90, 30));
    action(page, QStringLiteral("超级按钮37"), QStringLiteral("手动查找"), QRect(646, 40, 90, 30));

    controls::label(page, QStringLiteral("核心"), QStringLiteral("开服核心（服务端 *.jar）"),
                    QRect(20, 82, 300, 22));
    controls::edit(page, QStringLiteral("编辑框4"), QString(), QRect(20, 106, 400, 30));
    FlatButton* dropDown = controls::button(page, QStringLiteral("超级按钮18"),
                                            QStringLiteral("点我展开隐藏核心列表"), QRect(426, 106, 160, 30));
    controls::setTag(dropDown, QStringLiteral("关闭"));
    action(page, QStringLiteral("超级按钮19"), QStringLiteral("刷新核心"), QRect(592, 106, 90, 30));
    action(page, QStringLiteral("超级按钮34"), QStringLiteral("服务端安装"), QRect(688, 106, 100, 30));

    controls::label(page, QStringLiteral("内存"), QStringLiteral("分配内存"), QRect(20, 148, 200, 22));
    controls::edit(page, QStringLiteral("编辑框5"), QString(), QRect(20, 172, 160, 30));
    controls::label(page, QStringLiteral("标签内存单位"), QStringLiteral("MB"), QRect(186, 172, 30, 30));
    action(page, QStringLiteral("超级按钮20"), QStringLiteral("自动分配"), QRect(220, 172, 90, 30));

    controls::label(page, QStringLiteral("自动保存"), QStringLiteral("自动保存/list指令"),
                    QRect(420, 148, 200, 22));
    controls::edit(page, QStringLiteral("编辑框2"), QString(), QRect(420, 172, 120, 30));
    controls::label(page, QStringLiteral("标签分钟单位"), QStringLiteral("分"), QRect(546, 172, 20, 30));
    action(page, QStringLiteral("超级按钮30"), QStringLiteral("默认"), QRect(570, 172, 70, 30));

    controls::label(page, QStringLiteral("标签聊天"), QStringLiteral("聊天名字（支持中文/颜色）"),
                    QRect(20, 214, 300, 22));
    controls::edit(page, QStringLiteral("编辑框6"), QString(), QRect(20, 238, 290, 30));
    action(page, QStringLiteral("超级按钮68"), QStringLiteral("默认"), QRect(316, 238, 70, 30));

    controls::label(page, QStringLiteral("后置参数"),
                    QStringLiteral("自定义后置启动参数（小白请不要随便填写参数）"), QRect(20, 280, 420, 22));
    controls::edit(page, QStringLiteral("编辑框18"), QString(), QRect(20, 304, 520, 30));
    action(page, QStringLiteral("超级按钮38"), QStringLiteral("查看后置参数"), QRect(550, 304, 110, 30));

    controls::checkButton(page, QStringLiteral("超级按钮76"), QStringLiteral("崩溃重启"),
                          QRect(20, 350, 120, 30));

    action(page, QStringLiteral("超级按钮21"), QStringLiteral("保存信息"), QRect(20, 420, 110, 36));
    action(page, QStringLiteral("超级按钮66"), QStringLiteral("导出Cmd格式"), QRect(140, 420, 120, 36));
    action(page, QStringLiteral("超级按钮90"), QStringLiteral("重置服务器"), QRect(270, 420, 110, 36));

    // The core drop-down overlays the fields below the core box while it is open.
    FrameBox* coreFrame = controls::frame(page, QStringLiteral("外形框5"), QRect(16, 224, 420, 180));
    QLabel* hint = controls::label(
        coreFrame, QStringLiteral("标签62"),
        QStringLiteral("请选择一个核心，资源大全里面有提供很多版本核心，关闭请点击右边的下拉"),
        QRect(10, 6, 400, 36));
    hint->setWordWrap(true);
    auto* list = new QListWidget(coreFrame);
    list->setObjectName(QStringLiteral("列表框1"));
    list->setGeometry(10, 46, 400, 126);
    coreFrame->hide();
    coreFrame->raise();

    Controls c;
    c.javaPath = controls::require<QLineEdit>(page, names::JavaPath);
    c.core = controls::require<QLineEdit>(page, names::Core);
    c.memory = controls::require<QLineEdit>(page, names::Memory);
    c.autosave = controls::require<QLineEdit>(page, names::Autosave);
    c.chatName = controls::require<QLineEdit>(page, names::ChatName);
    c.extraArgs = controls::require<QLineEdit>(page, names::ExtraArgs);
    c.crashRestart = controls::require<FlatButton>(page, names::CrashRestart);
    c.save = controls::require<FlatButton>(page, names::Save);
    c.resetServer = controls::require<FlatButton>(page, names::ResetServer);
    return c;
}

} // namespace launchsettingspage
