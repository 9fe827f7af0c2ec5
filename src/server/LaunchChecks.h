#pragma once

#include "console/ConsoleLine.h"
#include "server/JavaDiscovery.h"

#include <QString>
#include <QStringList>
#include <QTime>

// The decisions of a server launch: which settings are reported or refused, in which console lines,
// and the program and arguments the server is started with. The caller performs the side effects
// (emptying the console, the port question, the stop mark, eula.txt, starting the process).

struct LaunchInputs {
    QString javaPath;       // the Java path field
    QString memory;         // the memory field, in MB
    QString core;           // the core field: a file name inside panel/server
    QString autosave;       // the autosave field, in minutes
    QString extraArgs;      // the extra-arguments field
    QString serverPortText; // the "server-port" value of server.properties
    qint64 portOwner = 0;   // the process holding that port, 0 when it is free
    JavaInfo java;          // a fresh discoverJava()
    bool languageChosen = false;
    QString languageName, languageVersion, languageAuthor;
    QString runDirectory;
};

struct LaunchPlan {
    enum Outcome {
        PortTaken, // ask portQuestionText; the launch stops here
        Refused,   // the last line names the problem; the launch stops here
        Ready,     // start `program` with `arguments` in `workingDirectory`
    };
    Outcome outcome = Refused;
    ConsoleLines lines; // every console run of the sequence, in order
    QString program;
    QStringList arguments;
    QString workingDirectory;
    QString portQuestionText;
};

LaunchPlan planLaunch(const LaunchInputs& inputs, const QTime& now = QTime::currentTime());

// The command line as the launcher shows and keeps it: the quoted Java program directly followed by
// the arguments, e.g. "/usr/bin/java"-Xmx1024M -Xms1024M -jar /opt/velk/panel/server/paper.jar
QString commandLineText(const LaunchPlan& plan);

// The whole number at the start of a field ("2G" gives 2, "abc" gives 0); saturates instead of
// overflowing.
qint64 leadingNumber(const QString& text);

// A random server port of five digits between 10000 and 65535.
QString randomPort();

// The licence agreement the server requires before it starts: panel/server/eula.txt under the run
// directory, GBK, without a final line end.
QString eulaPath();
QByteArray eulaBytes();
bool writeEula();
