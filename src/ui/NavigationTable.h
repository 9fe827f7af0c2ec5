#pragma once

#include <QList>
#include <QString>

// The navigation as data: the four first-level sections and the pages of the content container.
namespace nav {

struct SectionRow {
    QString number;     // currentSection: "1" to "4"
    QString buttonName; // first-level button
    QString text;
    int barPage;   // page of 选择夹2
    int markerTop; // top of the first-level marker 图片框4
    int firstPage; // content page opened with the section
};

struct PageRow {
    int page; // index in 选择夹1
    QString tabTitle;
    QString buttonName;
    QString buttonText;
    QString section; // "1" to "4"
    QString caption; // location caption
    int markerLeft;  // left of the second-level marker 图片框61; -1 hides it
};

inline const QList<SectionRow>& sections()
{
    static const QList<SectionRow> rows = {
        {QStringLiteral("1"), QStringLiteral("超级按钮1"), QStringLiteral("主页信息"), 0, 10, 0},
        {QStringLiteral("2"), QStringLiteral("超级按钮3"), QStringLiteral("开服管理"), 1, 80, 1},
        {QStringLiteral("3"), QStringLiteral("超级按钮6"), QStringLiteral("文件管理"), 2, 150, 3},
        {QStringLiteral("4"), QStringLiteral("超级按钮55"), QStringLiteral("资源下载"), 3, 220, 8},
    };
    return rows;
}

// Second-level rows in button order within each section, left to right.
inline const QList<PageRow>& pages()
{
    static const QList<PageRow> rows = {
        {0, QStringLiteral("主页信息"), QStringLiteral("超级按钮1"), QStringLiteral("主页信息"),
         QStringLiteral("1"), QStringLiteral("目前位置 * [ 主页信息 ]"), -1},
        {1, QStringLiteral("控制台"), QStringLiteral("超级按钮4"), QStringLiteral("控制平台"),
         QStringLiteral("2"), QStringLiteral("目前位置 * [ 控制平台 ]"), 222},
        {2, QStringLiteral("开服设置"), QStringLiteral("超级按钮5"), QStringLiteral("开服设置"),
         QStringLiteral("2"), QStringLiteral("目前位置 * [ 开服设置 ]"), 318},
        {7, QStringLiteral("计划任务"), QStringLiteral("超级按钮48"), QStringLiteral("计划任务"),
         QStringLiteral("2"), QStringLiteral("目前位置 * [ 计划任务 ]"), 414},
        {10, QStringLiteral("在线玩家"), QStringLiteral("超级按钮67"), QStringLiteral("在线玩家"),
         QStringLiteral("2"), QStringLiteral("目前位置 * [ 在线玩家 ]"), 510},
        {3, QStringLiteral("在线编辑"), QStringLiteral("超级按钮7"), QStringLiteral("文件编辑"),
         QStringLiteral("3"), QStringLiteral("目前位置 * [ 文件编辑 ]"), 222},
        {4, QStringLiteral("插件管理"), QStringLiteral("超级按钮8"), QStringLiteral("插件管理"),
         QStringLiteral("3"), QStringLiteral("目前位置 * [ 插件管理 ]"), 318},
        {5, QStringLiteral("模组管理"), QStringLiteral("超级按钮9"), QStringLiteral("模组管理"),
         QStringLiteral("3"), QStringLiteral("目前位置 * [ 模组管理 ]"), 414},
        {6, QStringLiteral("主要配置"), QStringLiteral("超级按钮10"), QStringLiteral("配置文件"),
         QStringLiteral("3"), QStringLiteral("目前位置 * [ 配置文件 ]"), 510},
        {8, QStringLiteral("核心大全"), QStringLiteral("超级按钮56"), QStringLiteral("核心资源"),
         QStringLiteral("4"), QStringLiteral("目前位置 * [ 核心资源 ]"), 222},
        {11, QStringLiteral("插件大全"), QStringLiteral("超级按钮24"), QStringLiteral("插件资源"),
         QStringLiteral("4"), QStringLiteral("目前位置 * [ 插件资源 ]"), 318},
        {12, QStringLiteral("模组大全"), QStringLiteral("超级按钮29"), QStringLiteral("模组资源"),
         QStringLiteral("4"), QStringLiteral("目前位置 * [ 模组资源 ]"), 414},
        {13, QStringLiteral("语言资源"), QStringLiteral("超级按钮47"), QStringLiteral("语言资源"),
         QStringLiteral("4"), QStringLiteral("目前位置 * [ 语言资源 ]"), 510},
        {9, QStringLiteral("下载管理"), QStringLiteral("超级按钮57"), QStringLiteral("下载管理"),
         QStringLiteral("4"), QStringLiteral("目前位置 * [ 下载管理 ]"), 606},
    };
    return rows;
}

inline const PageRow* pageRow(int page)
{
    for (const PageRow& row : pages())
        if (row.page == page)
            return &row;
    return nullptr;
}

inline QString tabTitle(int page)
{
    const PageRow* row = pageRow(page);
    return row ? row->tabTitle : QString();
}

} // namespace nav
