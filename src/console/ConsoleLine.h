#pragma once

#include <QList>
#include <QString>
#include <QTime>

// One coloured run of console text. A visible console line is usually several runs; a run may hold
// any number of "\r\n" line ends or none. Colours are 0xRRGGBB so that the logic needs no QtGui.
struct ConsoleLine {
    quint32 rgb = 0x606060;
    QString text;

    friend bool operator==(const ConsoleLine&, const ConsoleLine&) = default;
};
using ConsoleLines = QList<ConsoleLine>;

namespace consolecolor {
inline constexpr quint32 Ordinary = 0x606060; // (96,96,96): ordinary text, clock prefix, server output
inline constexpr quint32 Launcher = 0x007FFF; // (0,127,255): the launcher's tag " 管理系统"
inline constexpr quint32 Problem = 0xEF5350;  // (239,83,80): problem tags and "错误"
inline constexpr quint32 Info = 0x00C853;     // (0,200,83): "信息"
inline constexpr quint32 Warning = 0xFFA726;  // (255,167,38): "警告"
} // namespace consolecolor

// Hour without a leading zero, two-digit minute, second without a leading zero: "9:05:7".
inline QString clockText(const QTime& time = QTime::currentTime())
{
    return QString::number(time.hour()) + QLatin1Char(':') +
           QStringLiteral("%1").arg(time.minute(), 2, 10, QLatin1Char('0')) + QLatin1Char(':') +
           QString::number(time.second());
}

// The launcher's own console message: "[" + clock, the tag (with its leading blank) in its colour,
// then "] " + message + "\r\n".
inline ConsoleLines launcherMessage(const QString& tag, quint32 tagRgb, const QString& message,
                                    const QTime& time = QTime::currentTime())
{
    return {{consolecolor::Ordinary, QLatin1Char('[') + clockText(time)},
            {tagRgb, tag},
            {consolecolor::Ordinary, QStringLiteral("] ") + message + QStringLiteral("\r\n")}};
}
