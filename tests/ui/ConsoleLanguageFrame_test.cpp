#include "app/gui/LauncherController.h"
#include "console/ConsoleLanguage.h"
#include "console/gui/ConsoleLanguageFeature.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/RunDirectory.h"
#include "settings/Settings.h"
#include "ui/FileDialogs.h"
#include "ui/MainWindow.h"
#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

// The home page's console language frame in the real main window on a temporary run directory.
class ConsoleLanguageFrameTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<LauncherController> m_launcher;

    QStringList labels()
    {
        QStringList texts;
        for (const char16_t* name : {u"标签82", u"标签83", u"标签85"})
            texts << controls::find<QLabel>(m_launcher->window(), QString::fromUtf16(name))->text();
        return texts;
    }
    QString langPath(const QString& name)
    {
        return rundir::join(QStringLiteral("panel/Console-lang/") + name);
    }
    static void writeLang(const QString& path, const QString& name, const QString& author,
                          const QString& version)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        const QString text = QStringLiteral("[lang]\r\n语言名称=") + name + QStringLiteral("\r\n翻译作者=") +
                             author + QStringLiteral("\r\n翻译版本=") + version + QStringLiteral("\r\n");
        QVERIFY(writeFileAtomically(path, codepage::toGbk(text)));
    }
    void startLauncher()
    {
        m_launcher = std::make_unique<LauncherController>();
        m_launcher->start();
        m_launcher->window()->show();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        rundir::setOverride(m_dir->path());
    }
    void cleanup()
    {
        filedialogs::setAnswerHook(nullptr);
        m_launcher.reset();
        m_dir.reset();
    }

    void firstRunWritesAndShowsTheDefault()
    {
        startLauncher();
        QCOMPARE(labels(), (QStringList{QString(), QString(), QString()}));
        // The housekeeping timer's first tick, a second after start-up.
        QTRY_COMPARE_WITH_TIMEOUT(
            labels(),
            (QStringList{QStringLiteral("简体中文"), QStringLiteral("Velk"), QStringLiteral("1.0.0")}), 3000);
        QCOMPARE(QFileInfo(langPath(QStringLiteral("zh-cn.lang"))).size(), 1145);
        QCOMPARE(settings::readPreference(settings::ConsoleLanguageKey), QStringLiteral("zh-cn.lang"));
        QCOMPARE(m_launcher->feature<ConsoleLanguageFeature>()->languageName(), QStringLiteral("zh-cn.lang"));
    }

    void storedChoiceShowsAtStartupAndFollowsTheFile()
    {
        writeLang(langPath(QStringLiteral("ja.lang")), QStringLiteral("日本語"), QStringLiteral("A"),
                  QStringLiteral("2.0"));
        settings::writePreference(settings::ConsoleLanguageKey, QStringLiteral("ja.lang"));
        startLauncher();
        QCOMPARE(labels(),
                 (QStringList{QStringLiteral("日本語"), QStringLiteral("A"), QStringLiteral("2.0")}));

        // An edited header shows on the next tick.
        writeLang(langPath(QStringLiteral("ja.lang")), QStringLiteral("日本語"), QStringLiteral("B"),
                  QStringLiteral("2.1"));
        m_launcher->housekeepingTick();
        QCOMPARE(labels(),
                 (QStringList{QStringLiteral("日本語"), QStringLiteral("B"), QStringLiteral("2.1")}));

        // A deleted file empties the labels and is not written again: a name is still chosen.
        QVERIFY(QFile::remove(langPath(QStringLiteral("ja.lang"))));
        m_launcher->housekeepingTick();
        QCOMPARE(labels(), (QStringList{QString(), QString(), QString()}));
        m_launcher->housekeepingTick();
        QVERIFY(!QFile::exists(langPath(QStringLiteral("ja.lang"))));
        QVERIFY(!QFile::exists(langPath(QStringLiteral("zh-cn.lang"))));
        QCOMPARE(settings::readPreference(settings::ConsoleLanguageKey), QStringLiteral("ja.lang"));
    }

    void deletingTheDefaultFileKeepsItDeleted()
    {
        startLauncher();
        m_launcher->housekeepingTick();
        QCOMPARE(labels().at(0), QStringLiteral("简体中文"));
        QVERIFY(QFile::remove(langPath(QStringLiteral("zh-cn.lang"))));
        QTRY_COMPARE_WITH_TIMEOUT(labels(), (QStringList{QString(), QString(), QString()}), 3000);
        m_launcher->housekeepingTick();
        QVERIFY(!QFile::exists(langPath(QStringLiteral("zh-cn.lang"))));
    }

    // Only the name of a file picked elsewhere is kept; the launcher reads that name in its own folder.
    void chooserKeepsOnlyTheName()
    {
        startLauncher();
        m_launcher->housekeepingTick();
        QTemporaryDir elsewhere;
        writeLang(elsewhere.filePath(QStringLiteral("fr.lang")), QStringLiteral("法语"), QStringLiteral("X"),
                  QStringLiteral("9"));
        QStringList dialogs;
        filedialogs::setAnswerHook([&](const QString& dialog) {
            dialogs << dialog;
            return elsewhere.filePath(QStringLiteral("fr.lang"));
        });
        auto* chooser = controls::find<FlatButton>(m_launcher->window(), QStringLiteral("选择语言文件"));
        chooser->click();
        QCOMPARE(dialogs, QStringList{QStringLiteral("语言文件对话框")});
        QCOMPARE(settings::readPreference(settings::ConsoleLanguageKey), QStringLiteral("fr.lang"));
        QCOMPARE(m_launcher->feature<ConsoleLanguageFeature>()->languageName(), QStringLiteral("fr.lang"));
        QCOMPARE(labels(), (QStringList{QString(), QString(), QString()}));
        QVERIFY(!QFile::exists(langPath(QStringLiteral("fr.lang"))));

        // With a file of that name in the launcher's folder, that file is the one shown.
        writeLang(langPath(QStringLiteral("fr.lang")), QStringLiteral("法语（本地）"), QStringLiteral("Y"),
                  QStringLiteral("1"));
        chooser->click();
        QCOMPARE(labels(),
                 (QStringList{QStringLiteral("法语（本地）"), QStringLiteral("Y"), QStringLiteral("1")}));

        // Cancelling the dialog changes nothing.
        filedialogs::setAnswerHook([](const QString&) { return QString(); });
        chooser->click();
        QCOMPARE(m_launcher->feature<ConsoleLanguageFeature>()->languageName(), QStringLiteral("fr.lang"));
    }
};

QTEST_MAIN(ConsoleLanguageFrameTest)
#include "ConsoleLanguageFrame_test.moc"
