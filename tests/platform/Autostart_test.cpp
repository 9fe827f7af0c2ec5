#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

// The string escapes of a desktop entry value.
QString unescapeValue(const QString& value)
{
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const QChar next = value[++i];
        if (next == u's')
            text += u' ';
        else if (next == u'n')
            text += u'\n';
        else if (next == u't')
            text += u'\t';
        else if (next == u'r')
            text += u'\r';
        else if (next == u'\\')
            text += u'\\';
        else
            text += QString(u'\\') + next;
    }
    return text;
}

// Reads an Exec value back the way a desktop session does: the string escapes of the file first,
// then the quoting of Exec, then "%%". Written from the format's rules, not from the writer.
std::optional<QStringList> parseExec(const QString& value)
{
    const QString text = unescapeValue(value);
    QStringList words;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] == u' ') {
            ++i;
            continue;
        }
        QString word;
        if (text[i] == u'"') {
            for (++i; i < text.size() && text[i] != u'"'; ++i) {
                if (text[i] == u'\\' && i + 1 < text.size()) {
                    const QChar escaped = text[++i];
                    if (escaped != u'"' && escaped != u'`' && escaped != u'$' && escaped != u'\\')
                        return std::nullopt; // not a valid escape inside quotes
                    word += escaped;
                } else {
                    word += text[i];
                }
            }
            if (i == text.size())
                return std::nullopt; // unterminated
            ++i;
        } else {
            for (; i < text.size() && text[i] != u' '; ++i) {
                if (QStringLiteral("\"`$\\'><~|&;*?#()").contains(text[i]))
                    return std::nullopt; // reserved outside quotes
                word += text[i];
            }
        }
        QString literal;
        for (qsizetype k = 0; k < word.size(); ++k) {
            if (word[k] == u'%' && (k + 1 == word.size() || word[++k] != u'%'))
                return std::nullopt; // a field code
            literal += word[k];
        }
        words.append(literal);
    }
    return words;
}

QString entryValue(const QString& path, const QString& key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n'))
        if (line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    return {};
}

} // namespace

class AutostartTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path())); }
    void cleanup() { autostart::removeEntry(QStringLiteral("VelkTest")); }

    void execCarriesTheRunDirectory_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << QStringLiteral("server");
        QTest::newRow("blanks and Chinese") << QStringLiteral("我的 服务器");
        QTest::newRow("shell characters") << QStringLiteral("a\"b`c$HOME\\d'e;f");
        QTest::newRow("percent") << QStringLiteral("100%u %% %f");
    }
    void execCarriesTheRunDirectory()
    {
        QFETCH(QString, folder);
        QTemporaryDir root;
        const QString programDir = root.filePath(folder + QStringLiteral(" bin"));
        const QString runDir = root.filePath(folder);
        QVERIFY(QDir().mkpath(programDir));
        const QString program = programDir + QStringLiteral("/velk");
        QFile file(program);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        QVERIFY(autostart::registerEntry(QStringLiteral("VelkTest"), program,
                                         {QStringLiteral("--run-dir"), runDir}));
        const QString entry = autostart::entryPath(QStringLiteral("VelkTest"));
        const QString exec = entryValue(entry, QStringLiteral("Exec"));
        QCOMPARE(parseExec(exec), std::optional(QStringList{program, QStringLiteral("--run-dir"), runDir}));
        QCOMPARE(unescapeValue(entryValue(entry, QStringLiteral("Path"))), programDir);
    }

    void lineBreaksAreNeverWritten()
    {
        QTemporaryDir root;
        const QString program = root.filePath(QStringLiteral("velk"));
        QFile file(program);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(!autostart::registerEntry(QStringLiteral("VelkTest"), program,
                                          {QStringLiteral("--run-dir"), QStringLiteral("a\nExec=rm -rf ~")}));
        QVERIFY(!QFileInfo::exists(autostart::entryPath(QStringLiteral("VelkTest"))));
        QVERIFY(
            !autostart::registerEntry(QStringLiteral("VelkTest"), root.filePath(QStringLiteral("missing"))));
        QVERIFY(!QFileInfo::exists(autostart::entryPath(QStringLiteral("VelkTest"))));
    }
};

QTEST_MAIN(AutostartTest)
#include "Autostart_test.moc"
