#include "ui/ThemeRoles.h"

namespace themeroles {
namespace {

using themepictures::Role;

QStringList names(std::initializer_list<const char16_t*> list)
{
    QStringList out;
    out.reserve(qsizetype(list.size()));
    for (const char16_t* name : list)
        out.append(QString::fromUtf16(name));
    return out;
}

} // namespace

const QStringList& settingsToggles()
{
    static const QStringList toggles =
        names({u"命令方块按钮", u"怪物按钮", u"PVP按钮", u"正版验证按钮", u"极限按钮", u"动物按钮",
               u"白名单按钮", u"村民按钮", u"飞行按钮", u"地狱按钮"});
    return toggles;
}

const QList<ColourRole>& mainWindowColours()
{
    static const QList<ColourRole> roles = {
        // Markers and bars.
        {Paint::Background, Tint::Main, names({u"图片框4", u"图片框61", u"图片框30"})},
        // Labels: title, location, counters, launch settings, list headers, settings, tasks,
        // players, cores, download counter, console language.
        {Paint::Text, Tint::Main,
         names({u"标签1",     u"目前位置",       u"最大内存1", u"剩余内存1", u"运行小时", u"运行分钟",
                u"CPU使用率", u"java",           u"核心",      u"内存",      u"自动保存", u"后置参数",
                u"标签聊天",  u"服务器连接地址", u"标签8",     u"标签10",    u"标签39",   u"标签51",
                u"标签53",    u"标签59",         u"标签71",    u"标签77",    u"标签89",   u"标签14",
                u"标签15",    u"标签16",         u"标签73",    u"标签74",    u"标签29",   u"标签30",
                u"标签32",    u"标签33",         u"标签34",    u"标签35",    u"标签75",   u"标签78",
                u"标签79",    u"标签41",         u"标签44",    u"标签48",    u"标签37",   u"标签80",
                u"标签50",    u"标签82",         u"标签83",    u"标签85"})},
        // Action buttons carry white text on the main colour.
        {Paint::Background, Tint::Main,
         names({u"超级按钮16", u"超级按钮15", u"超级按钮14", u"超级按钮13", u"超级按钮17", u"超级按钮19",
                u"超级按钮20", u"超级按钮21", u"超级按钮30", u"超级按钮68", u"超级按钮34", u"超级按钮37",
                u"超级按钮38", u"超级按钮66", u"超级按钮90", u"超级按钮33", u"超级按钮40", u"超级按钮41",
                u"超级按钮42", u"超级按钮43", u"超级按钮44", u"超级按钮45", u"超级按钮46", u"超级按钮49",
                u"超级按钮32", u"超级按钮12", u"超级按钮63", u"超级按钮31", u"超级按钮52"})},
        // Check buttons.
        {Paint::Text, Tint::Main, names({u"超级按钮76", u"超级按钮64", u"超级按钮39"})},
        {Paint::HoverTextOnly, Tint::Main, settingsToggles()},
        // Secondary buttons.
        {Paint::Text, Tint::Accent,
         names({u"切换模式",       u"清空日志",       u"信息模式",   u"安装玩家插件", u"安装玩家插件1",
                u"设置服务器图标", u"删除服务器图标", u"封禁IP",     u"设置OP",       u"取消OP",
                u"给予物品",       u"封禁ID",         u"超级按钮35", u"超级按钮36",   u"选择语言文件",
                u"超级按钮61",     u"超级按钮60",     u"超级按钮78", u"超级按钮50",   u"超级按钮59",
                u"超级按钮77",     u"超级按钮51",     u"超级按钮81", u"超级按钮82"})},
    };
    return roles;
}

const QList<PictureRole>& mainWindowPictures()
{
    static const QList<PictureRole> roles = [] {
        QList<PictureRole> list = {
            {QStringLiteral("超级按钮2"), Role::None, Role::Close},
            {QStringLiteral("超级按钮11"), Role::None, Role::Minimise},
            {QStringLiteral("超级按钮18"), Role::None, Role::Unfold},
            {QStringLiteral("超级按钮76"), Role::CheckEmpty, Role::CheckTicked},
            {QStringLiteral("超级按钮64"), Role::CheckEmpty, Role::CheckTicked},
            {QStringLiteral("超级按钮39"), Role::CheckEmpty, Role::CheckTicked},
            {QStringLiteral("超级按钮79"), Role::Magnifier, Role::Magnifier},
            {QStringLiteral("超级按钮80"), Role::Magnifier, Role::Magnifier},
        };
        for (const QString& toggle : settingsToggles())
            list.append({toggle, Role::None, Role::SwitchOn});
        return list;
    }();
    return roles;
}

const QList<ColourRole>& commonToolWindowColours()
{
    static const QList<ColourRole> roles = {
        {Paint::Background, Tint::Main, names({u"图片框2"})},
    };
    return roles;
}

const QList<PictureRole>& commonToolWindowPictures()
{
    static const QList<PictureRole> roles = {
        {QStringLiteral("超级按钮2"), Role::None, Role::Close},
    };
    return roles;
}

const QList<ToolWindowRoles>& toolWindows()
{
    static const QList<ToolWindowRoles> windows = {
        // The items window "多功能箱".
        {QStringLiteral("给予物品"),
         {
             {Paint::Background, Tint::Main, names({u"超级按钮1", u"超级按钮12"})},
             {Paint::Text, Tint::Main, names({u"标签1", u"标签2", u"标签3", u"标签4", u"标签5", u"标签6"})},
             {Paint::Text, Tint::Accent, names({u"给予物品"})},
         }},
        // The extra-arguments window.
        {QStringLiteral("nukkit"),
         {
             {Paint::Text, Tint::Accent, names({u"nukkit", u"utf_8"})},
         }},
    };
    return windows;
}

} // namespace themeroles
