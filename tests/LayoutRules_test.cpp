#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

// The source tree's dependency rules, checked on every include line of src/:
//  - the core library (everything outside ui/ and a feature's gui/ folder) includes no widget code;
//  - only app/ includes app/, and platform/ includes nothing but platform/;
//  - settings/ sits below app/, server/ and console/, and includes only platform/;
//  - operating-system headers are included in platform/ only.
class LayoutRulesTest : public QObject {
    Q_OBJECT

    struct Include {
        QString file;   // relative to src/, e.g. "server/ServerRuntime.cpp"
        QString target; // as written, e.g. "server/gui/ConsoleView.h" or "<unistd.h>"
        int line;
    };

    static QList<Include> includes()
    {
        static const QRegularExpression pattern(QStringLiteral("^\\s*#\\s*include\\s*([<\"][^>\"]+[>\"])"));
        const QString root = QStringLiteral(VELK_SOURCE_DIR);
        QList<Include> found;
        QDirIterator it(root, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QString relative = path.mid(root.size() + 1);
            int number = 0;
            while (!file.atEnd()) {
                const QString text = QString::fromUtf8(file.readLine());
                ++number;
                const QRegularExpressionMatch match = pattern.match(text);
                if (match.hasMatch())
                    found.append({relative, match.captured(1), number});
            }
        }
        return found;
    }

    // The program's entry joins the widget library to the executable, so it counts as widget code.
    static bool isWidgetCode(const QString& path)
    {
        if (path == QLatin1String("app/main.cpp"))
            return true;
        static const QRegularExpression pattern(QStringLiteral("^(ui/|[a-z]+/gui/)"));
        return pattern.match(path).hasMatch();
    }
    static QString folderOf(const QString& path) { return path.section(QLatin1Char('/'), 0, 0); }
    static QString projectHeader(const QString& target)
    {
        return target.startsWith(QLatin1Char('"')) ? target.mid(1, target.size() - 2) : QString();
    }

private slots:
    void includesPointOneWay()
    {
        static const QRegularExpression systemHeader(
            QStringLiteral("^<(unistd|fcntl|poll|signal|spawn|pthread|dirent|pwd|grp|dlfcn|termios|"
                           "sys/[^>]+|linux/[^>]+|netinet/[^>]+|arpa/[^>]+)\\.h>$"));
        QStringList violations;
        const QList<Include> all = includes();
        QVERIFY2(all.size() > 100, "the source tree was not found");
        for (const Include& include : all) {
            const QString where =
                QStringLiteral("%1:%2 includes %3").arg(include.file).arg(include.line).arg(include.target);
            const QString from = folderOf(include.file);
            const QString header = projectHeader(include.target);
            if (header.isEmpty()) {
                if (from != QLatin1String("platform") && systemHeader.match(include.target).hasMatch())
                    violations << where + QStringLiteral(" (operating-system header outside platform/)");
                continue;
            }
            const QString to = folderOf(header);
            if (!isWidgetCode(include.file) && isWidgetCode(header))
                violations << where + QStringLiteral(" (core code using widget code)");
            if (to == QLatin1String("app") && from != QLatin1String("app"))
                violations << where + QStringLiteral(" (only app/ uses app/)");
            if (from == QLatin1String("platform") && to != QLatin1String("platform"))
                violations << where + QStringLiteral(" (platform/ uses only platform/)");
            if (from == QLatin1String("settings") && to != QLatin1String("settings") &&
                to != QLatin1String("platform"))
                violations << where + QStringLiteral(" (settings/ uses only platform/)");
        }
        QVERIFY2(violations.isEmpty(), qPrintable(violations.join(QLatin1Char('\n'))));
    }
};

QTEST_GUILESS_MAIN(LayoutRulesTest)
#include "LayoutRules_test.moc"
