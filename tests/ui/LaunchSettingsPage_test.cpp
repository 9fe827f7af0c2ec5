#include "app/gui/LauncherController.h"
#include "platform/CodePage.h"
#include "platform/RunDirectory.h"
#include "server/gui/ExtraArgsWindow.h"
#include "server/gui/LaunchSettingsController.h"
#include "server/gui/LaunchSettingsFeature.h"
#include "settings/Settings.h"
#include "ui/FileDialogs.h"
#include "ui/MainWindow.h"
#include "ui/MessageBoxes.h"
#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

// The "开服设置" page on the real main window, built on a temporary run directory. The Java lookup
// is pointed through JAVA_HOME at a fake runtime, so its results are known.
class LaunchSettingsPageTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_runtimes; // fake Java homes, shared by all cases
    QByteArray m_savedJavaHome;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<LauncherController> m_launcher;
    LaunchSettingsController* m_controller = nullptr;
    QStringList m_boxes; // "title|text|kind" of every box shown, in order

    QWidget* window() { return m_launcher->window(); }
    template <typename T = QWidget> T* control(const QString& name)
    {
        T* widget = controls::find<T>(window(), name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    QLineEdit* field(const char16_t* name) { return control<QLineEdit>(QString::fromUtf16(name)); }
    void click(const char16_t* name) { QTest::mouseClick(control(QString::fromUtf16(name)), Qt::LeftButton); }
    QString serverFile(const QString& name) { return rundir::join(QStringLiteral("panel/server/") + name); }

    // Records every box and answers it: info boxes with 确定, the ConfirmBox with `confirmAnswer`.
    void answerBoxes(const QString& confirmAnswer = QStringLiteral("确定"))
    {
        boxes::setBoxShownHook([this, confirmAnswer](QWidget* box) {
            const bool info = box->property("boxKind").toString() == QStringLiteral("info");
            m_boxes << box->findChild<QLabel*>(QStringLiteral("标签1"))->text() + QLatin1Char('|') +
                           box->findChild<QLabel*>(QStringLiteral("标签2"))->text() + QLatin1Char('|') +
                           (info ? QString::number(boxes::lastInfoKind()) : QStringLiteral("?"));
            boxes::pressButton(box, info ? QStringLiteral("确定") : confirmAnswer);
        });
    }

    QString makeRuntime(const QString& name, bool withReleaseFile, const QByteArray& script)
    {
        const QString home = m_runtimes.filePath(name);
        QDir().mkpath(home + QStringLiteral("/bin"));
        QFile java(home + QStringLiteral("/bin/java"));
        if (!java.open(QIODevice::WriteOnly))
            qFatal("cannot write the fake java");
        java.write(script);
        java.close();
        java.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (withReleaseFile) {
            QFile release(home + QStringLiteral("/release"));
            if (!release.open(QIODevice::WriteOnly))
                qFatal("cannot write the release file");
            release.write("JAVA_VERSION=\"17.0.8\"\n");
        }
        return home;
    }
    QString quickRuntime() { return m_runtimes.filePath(QStringLiteral("quick")); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_runtimes.isValid());
        m_savedJavaHome = qgetenv("JAVA_HOME");
        // A shell script is not a 64-bit program, so the lookup reports "x86".
        makeRuntime(QStringLiteral("quick"), true, "#!/bin/sh\necho 'openjdk version \"17.0.8\"' >&2\n");
        // No release file: the version comes from running the program, which takes a while.
        makeRuntime(QStringLiteral("slow"), false,
                    "#!/bin/sh\nsleep 1\necho 'openjdk version \"17.0.8\"' >&2\n");
    }
    void cleanupTestCase() { qputenv("JAVA_HOME", m_savedJavaHome); }

    void init()
    {
        qputenv("JAVA_HOME", QFile::encodeName(quickRuntime()));
        m_boxes.clear();
        m_dir = std::make_unique<QTemporaryDir>();
        rundir::setOverride(m_dir->path());
        m_launcher = std::make_unique<LauncherController>();
        m_launcher->start();
        m_controller = m_launcher->feature<LaunchSettingsFeature>()->controller();
        window()->show();
        QApplication::setActiveWindow(window());
        QVERIFY(QTest::qWaitForWindowActive(window()));
    }
    void cleanup()
    {
        boxes::setBoxShownHook(nullptr);
        filedialogs::setAnswerHook(nullptr);
        for (QWidget* box : boxes::openBoxes())
            box->close();
        m_launcher.reset();
        m_dir.reset();
    }

    void memoryQuestionFillsTheMemoryBoxOnlyOnOk_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("filled");
        QTest::newRow("确定") << QStringLiteral("确定") << true;
        QTest::newRow("取消") << QStringLiteral("取消") << false;
    }
    void memoryQuestionFillsTheMemoryBoxOnlyOnOk()
    {
        QFETCH(QString, answer);
        QFETCH(bool, filled);
        field(u"编辑框5")->setText(QStringLiteral("keep"));
        answerBoxes(answer);
        click(u"超级按钮20");
        QTRY_COMPARE(m_boxes.size(), 1);
        const QStringList parts = m_boxes.constFirst().split(QLatin1Char('|'));
        QCOMPARE(parts.at(0), QStringLiteral("分配内存计算提示"));
        QVERIFY2(parts.at(1).startsWith(QStringLiteral("Java位数 x86位\r\n本机剩余内存: ")),
                 qPrintable(parts.at(1)));
        QVERIFY(parts.at(1).endsWith(QStringLiteral(" MB （Beta）\r\n请问是否需要使用这个分配内存？")));
        QTRY_VERIFY(!m_controller->isLookingUpJava());
        if (filled) {
            // A 32-bit runtime never gets more than 1024 MB.
            const QString memory = field(u"编辑框5")->text();
            QVERIFY2(QRegularExpression(QStringLiteral("^[0-9]+$")).match(memory).hasMatch(),
                     qPrintable(memory));
            QVERIFY(memory.toLongLong() > 0 && memory.toLongLong() <= 1024);
        } else {
            QCOMPARE(field(u"编辑框5")->text(), QStringLiteral("keep"));
        }
        QVERIFY(boxes::openBoxes().isEmpty());
    }

    void automaticJavaLookupKeepsTheWindowResponsive()
    {
        // A runtime without a release file is asked for its version, which here takes a second: the
        // click must come back at once and the path arrive later.
        const QString slow = m_runtimes.filePath(QStringLiteral("slow"));
        qputenv("JAVA_HOME", QFile::encodeName(slow));
        field(u"编辑框3")->setText(QStringLiteral("before"));
        click(u"超级按钮17");
        QVERIFY(m_controller->isLookingUpJava());
        QCOMPARE(field(u"编辑框3")->text(), QStringLiteral("before"));
        click(u"超级按钮68"); // the page still answers meanwhile
        QCOMPARE(field(u"编辑框6")->text(), QStringLiteral("&f后台"));
        QTRY_COMPARE(field(u"编辑框3")->text(), slow + QStringLiteral("/bin/java"));

        qputenv("JAVA_HOME", QFile::encodeName(quickRuntime()));
        click(u"超级按钮17");
        QTRY_COMPARE(field(u"编辑框3")->text(), quickRuntime() + QStringLiteral("/bin/java"));
    }

    void manualJavaLookup_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("expectedField");
        QTest::addColumn<QStringList>("expectedBoxes");
        QTest::newRow("linux program") << QStringLiteral("/opt/jdk-17/bin/java")
                                       << QStringLiteral("/opt/jdk-17/bin/java") << QStringList();
        QTest::newRow("windows program") << QStringLiteral("/mnt/c/jre/bin/java.exe")
                                         << QStringLiteral("/mnt/c/jre/bin/java.exe") << QStringList();
        QTest::newRow("capital J") << QStringLiteral("C:/x/Java.exe") << QStringLiteral("old")
                                   << QStringList{QStringLiteral("手动查找|请选择 Java.exe 程序！|2")};
        QTest::newRow("javaw") << QStringLiteral("/opt/jdk-17/bin/javaw") << QStringLiteral("old")
                               << QStringList{QStringLiteral("手动查找|请选择 Java.exe 程序！|2")};
        QTest::newRow("cancelled") << QString() << QStringLiteral("old") << QStringList();
    }
    void manualJavaLookup()
    {
        QFETCH(QString, answer);
        QFETCH(QString, expectedField);
        QFETCH(QStringList, expectedBoxes);
        QStringList asked;
        filedialogs::setAnswerHook([&asked, answer](const QString& dialog) {
            asked << dialog;
            return answer;
        });
        answerBoxes();
        field(u"编辑框3")->setText(QStringLiteral("old"));
        click(u"超级按钮37");
        QCOMPARE(asked, QStringList{QStringLiteral("Java对话框")});
        QCOMPARE(field(u"编辑框3")->text(), expectedField);
        QCOMPARE(m_boxes, expectedBoxes);
    }

    void coreRefreshReplacesAMissingStoredCoreByTheNotice()
    {
        settings::writeServerSetting(settings::CoreKey, QStringLiteral("a.jar"));
        QFile b(serverFile(QStringLiteral("b.jar")));
        QVERIFY(b.open(QIODevice::WriteOnly));
        b.close();
        QDir().mkpath(serverFile(QStringLiteral("folder.jar"))); // folders are not cores
        field(u"编辑框4")->setText(QStringLiteral("unsaved.jar"));

        click(u"超级按钮19");
        auto* list = control<QListWidget>(QStringLiteral("列表框1"));
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("b.jar"));
        QCOMPARE(field(u"编辑框4")->text(),
                 QStringLiteral("你之前的核心： a.jar 没有在服务器文件夹中找到所以已清空数据"));
        QCOMPARE(settings::readServerSetting(settings::CoreKey), QStringLiteral("a.jar"));

        // A second refresh does not stack the items.
        settings::writeServerSetting(settings::CoreKey, QStringLiteral("b.jar"));
        m_controller->refreshCoreList();
        QCOMPARE(list->count(), 1);
        QCOMPARE(field(u"编辑框4")->text(), QStringLiteral("b.jar"));
    }

    void coreDropDownOpensPicksAndCloses()
    {
        for (const QString& name : {QStringLiteral("a.jar"), QStringLiteral("b.jar")}) {
            QFile core(serverFile(name));
            QVERIFY(core.open(QIODevice::WriteOnly));
        }
        m_controller->refreshCoreList();
        click(u"超级按钮3"); // 开服管理, then 开服设置: the list needs a visible page to take the focus
        click(u"超级按钮5");
        QCOMPARE(m_launcher->window()->contentPages()->currentIndex(), 2);
        auto* frame = control(QStringLiteral("外形框5"));
        auto* dropDown = control<FlatButton>(QStringLiteral("超级按钮18"));
        auto* list = control<QListWidget>(QStringLiteral("列表框1"));
        const auto isOpen = [&] {
            const QString tag = controls::tag(dropDown);
            if (frame->isVisible() != (tag == QStringLiteral("开启")))
                qFatal("frame and tag disagree");
            return frame->isVisible();
        };
        QVERIFY(!isOpen());
        QCOMPARE(controls::tag(dropDown), QStringLiteral("关闭"));

        click(u"超级按钮18");
        QVERIFY(isOpen());
        QCOMPARE(frame->pos(), QPoint(16, 224));
        QListWidgetItem* b = list->findItems(QStringLiteral("b.jar"), Qt::MatchExactly).value(0);
        QVERIFY(b);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(b).center());
        QCOMPARE(field(u"编辑框4")->text(), QStringLiteral("b.jar"));
        QVERIFY(!isOpen());

        // The button closes it again, although the click takes the focus away from the list first.
        click(u"超级按钮18");
        QVERIFY(isOpen());
        QTRY_VERIFY(list->hasFocus());
        click(u"超级按钮18");
        QVERIFY(!isOpen());

        // Leaving the list closes it.
        click(u"超级按钮18");
        QTRY_VERIFY(list->hasFocus());
        field(u"编辑框3")->setFocus();
        QTRY_VERIFY(!isOpen());
        QCOMPARE(field(u"编辑框4")->text(), QStringLiteral("b.jar"));
    }

    void installCoreMovesOrRefuses_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("alreadyThere");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<QStringList>("expectedBoxes");
        QTest::newRow("moved") << QStringLiteral("spigot.jar") << false << true
                               << QStringList{QStringLiteral("安装核心|核心已经移动到服务器文件夹|1")};
        QTest::newRow("already there") << QStringLiteral("spigot.jar") << true << false
                                       << QStringList{QStringLiteral("安装核心|服务器文件夹中已有该核心|2")};
        QTest::newRow("not a jar") << QStringLiteral("spigot.zip") << false << false
                                   << QStringList{QStringLiteral(
                                          "安装核心|请重新选择核心，文件后缀不是jar，无法安装。|2")};
        QTest::newRow("cancelled") << QString() << false << false << QStringList();
    }
    void installCoreMovesOrRefuses()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, alreadyThere);
        QFETCH(bool, moved);
        QFETCH(QStringList, expectedBoxes);
        QTemporaryDir desktop;
        const QString source = chosen.isEmpty() ? QString() : desktop.filePath(chosen);
        if (!source.isEmpty()) {
            QFile file(source);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("new core");
        }
        if (alreadyThere) {
            QFile existing(serverFile(chosen));
            QVERIFY(existing.open(QIODevice::WriteOnly));
            existing.write("old core");
        }
        QStringList asked;
        filedialogs::setAnswerHook([&asked, source](const QString& dialog) {
            asked << dialog;
            return source;
        });
        answerBoxes();
        field(u"编辑框4")->setText(QStringLiteral("current.jar"));

        click(u"超级按钮34");
        QCOMPARE(asked, QStringList{QStringLiteral("核心对话框")});
        QCOMPARE(m_boxes, expectedBoxes);
        if (!source.isEmpty())
            QCOMPARE(QFile::exists(source), !moved);
        if (moved || alreadyThere) {
            QFile installed(serverFile(chosen));
            QVERIFY(installed.open(QIODevice::ReadOnly));
            QCOMPARE(installed.readAll(), moved ? QByteArray("new core") : QByteArray("old core"));
        }
        // Installing neither refreshes the list nor touches the core field.
        QCOMPARE(field(u"编辑框4")->text(), QStringLiteral("current.jar"));
    }

    void extraArgumentsGetTheirLeadingDash()
    {
        QLineEdit* extra = field(u"编辑框18");
        extra->setFocus();
        QTest::keyClicks(extra, QStringLiteral("Xmx2G"));
        QCOMPARE(extra->text(), QStringLiteral("-Xmx2G"));
        extra->clear();
        QCOMPARE(extra->text(), QString());
        extra->setText(QStringLiteral("Dfoo=1 -Dbar=2"));
        QCOMPARE(extra->text(), QStringLiteral("-Dfoo=1 -Dbar=2"));
    }

    void autosaveFallsBackToThreeAfterAPause_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("cleared") << QString();
        QTest::newRow("zero") << QStringLiteral("0");
    }
    void autosaveFallsBackToThreeAfterAPause()
    {
        QFETCH(QString, typed);
        QLineEdit* autosave = field(u"编辑框2");
        autosave->setText(QStringLiteral("15"));
        autosave->setText(typed);
        QCOMPARE(autosave->text(), typed); // not at once: the user may still be typing
        QTRY_COMPARE(autosave->text(), QStringLiteral("3"));
    }

    void defaultButtonsFillTheirFields()
    {
        field(u"编辑框2")->setText(QStringLiteral("10"));
        field(u"编辑框6")->setText(QStringLiteral("Admin"));
        click(u"超级按钮30");
        click(u"超级按钮68");
        QCOMPARE(field(u"编辑框2")->text(), QStringLiteral("3"));
        QCOMPARE(field(u"编辑框6")->text(), QStringLiteral("&f后台"));
        QCOMPARE(settings::readServerSetting(settings::ChatNameKey), QString()); // nothing is saved
    }

    void extraArgsWindowPresets_data()
    {
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nukkit") << QStringLiteral("nukkit")
                                << QStringLiteral("-Djline.terminal=jline.UnsupportedTerminal");
        QTest::newRow("utf_8") << QStringLiteral("utf_8") << QStringLiteral("-Dfile.encoding=UTF-8");
        QTest::newRow("close") << QStringLiteral("超级按钮2") << QStringLiteral("-Xmx1G");
    }
    void extraArgsWindowPresets()
    {
        QFETCH(QString, pressed);
        QFETCH(QString, expected);
        field(u"编辑框18")->setText(QStringLiteral("-Xmx1G"));
        click(u"超级按钮38");
        QPointer<ExtraArgsWindow> tool = m_controller->extraArgsWindow();
        QVERIFY(tool);
        QVERIFY(tool->isVisible());
        QCOMPARE(tool->size(), QSize(650, 350));
        QVERIFY(tool->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(controls::find<QLabel>(tool, QStringLiteral("标签12"))->text(),
                 QStringLiteral("开服后置参数"));
        QCOMPARE(controls::find<FlatButton>(tool, QStringLiteral("nukkit"))->text(),
                 QStringLiteral("兼容模式开服参数"));
        QCOMPARE(controls::find<FlatButton>(tool, QStringLiteral("utf_8"))->text(),
                 QStringLiteral("UTF-8 编码参数"));

        click(u"超级按钮38"); // one window at a time
        QCOMPARE(m_controller->extraArgsWindow(), tool.data());
        QCOMPARE(window()->findChildren<ExtraArgsWindow*>().size(), 1);

        QTest::mouseClick(controls::find<FlatButton>(tool, pressed), Qt::LeftButton);
        QCOMPARE(field(u"编辑框18")->text(), expected);
        QTRY_VERIFY(!tool);
        QVERIFY(!m_controller->extraArgsWindow());
    }

    void exportWritesTheStartLineInGbk_data()
    {
        QTest::addColumn<QString>("javaPath");
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QByteArray>("expectedBytes");
        QTest::newRow("no extra arguments")
            << QStringLiteral("C:\\jre\\bin\\java.exe") << QString()
            << QByteArray("\"C:\\jre\\bin\\java.exe\" -Xmx1024M -Xms1024M -jar spigot.jar");
        // 用户 is D3 C3 BB A7 in GBK.
        QTest::newRow("chinese path with extra arguments")
            << QStringLiteral("/home/用户/jre/bin/java") << QStringLiteral("-Dfile.encoding=UTF-8")
            << QByteArray("\"/home/\xD3\xC3\xBB\xA7/jre/bin/java\" -Xmx1024M -Xms1024M -Dfile.encoding=UTF-8 "
                          "-jar spigot.jar");
    }
    void exportWritesTheStartLineInGbk()
    {
        QFETCH(QString, javaPath);
        QFETCH(QString, extra);
        QFETCH(QByteArray, expectedBytes);
        answerBoxes();
        field(u"编辑框3")->setText(javaPath);
        field(u"编辑框5")->setText(QStringLiteral("1024"));
        field(u"编辑框4")->setText(QStringLiteral("spigot.jar"));
        field(u"编辑框18")->setText(extra);
        click(u"超级按钮66");
        QCOMPARE(m_boxes,
                 QStringList{QStringLiteral("导出Cmd格式|已导出Cmd格式开服文件在/panel/server/文件夹中|1")});
        QFile exported(serverFile(QStringLiteral("Velk开服.bat")));
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QCOMPARE(exported.readAll(), expectedBytes);
    }

    void exportRefusesAPathGbkCannotHold()
    {
        answerBoxes();
        field(u"编辑框3")->setText(QStringLiteral("/home/😀/jre/bin/java"));
        field(u"编辑框5")->setText(QStringLiteral("1024"));
        field(u"编辑框4")->setText(QStringLiteral("spigot.jar"));
        click(u"超级按钮66");
        QCOMPARE(m_boxes, QStringList{QStringLiteral("导出Cmd格式|导出失败，再试试|2")});
        QVERIFY(!QFile::exists(serverFile(QStringLiteral("Velk开服.bat"))));
    }
};

QTEST_MAIN(LaunchSettingsPageTest)
#include "LaunchSettingsPage_test.moc"
