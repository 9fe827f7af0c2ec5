#include "app/gui/LauncherController.h"
#include "platform/CodePage.h"
#include "platform/IniFile.h"
#include "platform/RunDirectory.h"
#include "server/gui/ConsoleView.h"
#include "settings/Settings.h"
#include "ui/MainWindow.h"
#include "ui/MessageBoxes.h"
#include "ui/Navigation.h"
#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

// The launcher's main window built in-process on a temporary run directory.
class LauncherWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<LauncherController> m_launcher;

    template <typename T = QWidget> T* control(const QString& name)
    {
        T* widget = controls::find<T>(m_launcher->window(), name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    void click(const QString& name) { QTest::mouseClick(control(name), Qt::LeftButton); }
    QTabWidget* content() { return m_launcher->window()->contentPages(); }
    QString caption() { return control<QLabel>(QStringLiteral("目前位置"))->text(); }
    void answerInfoBoxes(QStringList* seen)
    {
        boxes::setBoxShownHook([seen](QWidget* box) {
            *seen << box->findChild<QLabel*>(QStringLiteral("标签1"))->text() + QLatin1Char('|') +
                         box->findChild<QLabel*>(QStringLiteral("标签2"))->text();
            boxes::pressButton(box, QStringLiteral("确定"));
        });
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        rundir::setOverride(m_dir->path());
        m_launcher = std::make_unique<LauncherController>();
        m_launcher->start();
        m_launcher->window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_launcher->window()));
    }
    void cleanup()
    {
        boxes::setBoxShownHook(nullptr);
        m_launcher.reset();
        m_dir.reset();
    }

    void startsInTheHomeState()
    {
        QCOMPARE(m_launcher->navigation()->currentSection(), QStringLiteral("1"));
        QCOMPARE(content()->currentIndex(), 0);
        QCOMPARE(control(QStringLiteral("图片框4"))->y(), 10);
        QVERIFY(!control(QStringLiteral("图片框61"))->isVisible());
        QCOMPARE(caption(), QStringLiteral("目前位置 * [ 主页信息 ]"));
        QVERIFY(control<ConsoleView>(QStringLiteral("超级编辑框2"))
                    ->toPlainText()
                    .startsWith(QStringLiteral("欢迎使用 Velk Manager 开服器 | ")));
        QCOMPARE(content()->count(), MainWindow::PageCount);
        QCOMPARE(content()->tabText(9), QStringLiteral("下载管理"));
        // A fresh installation starts with every preference off.
        for (const char16_t* name : {u"超级按钮76", u"超级按钮64", u"超级按钮39"})
            QVERIFY(!control<FlatButton>(QString::fromUtf16(name))->isChecked());
    }

    void navigationFollowsThePageTable_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("expectedCaption");
        QTest::addColumn<int>("markerLeft");
        QTest::addColumn<int>("sectionMarkerTop");
        QTest::newRow("开服管理") << QStringLiteral("超级按钮3") << QString() << 1
                                  << QStringLiteral("目前位置 * [ 控制平台 ]") << 222 << 80;
        QTest::newRow("开服设置") << QStringLiteral("超级按钮3") << QStringLiteral("超级按钮5") << 2
                                  << QStringLiteral("目前位置 * [ 开服设置 ]") << 318 << 80;
        QTest::newRow("在线玩家") << QStringLiteral("超级按钮3") << QStringLiteral("超级按钮67") << 10
                                  << QStringLiteral("目前位置 * [ 在线玩家 ]") << 510 << 80;
        QTest::newRow("文件管理") << QStringLiteral("超级按钮6") << QString() << 3
                                  << QStringLiteral("目前位置 * [ 文件编辑 ]") << 222 << 150;
        QTest::newRow("配置文件") << QStringLiteral("超级按钮6") << QStringLiteral("超级按钮10") << 6
                                  << QStringLiteral("目前位置 * [ 配置文件 ]") << 510 << 150;
        QTest::newRow("资源下载") << QStringLiteral("超级按钮55") << QString() << 8
                                  << QStringLiteral("目前位置 * [ 核心资源 ]") << 222 << 220;
        QTest::newRow("下载管理") << QStringLiteral("超级按钮55") << QStringLiteral("超级按钮57") << 9
                                  << QStringLiteral("目前位置 * [ 下载管理 ]") << 606 << 220;
    }
    void navigationFollowsThePageTable()
    {
        QFETCH(QString, section);
        QFETCH(QString, button);
        QFETCH(int, page);
        QFETCH(QString, expectedCaption);
        QFETCH(int, markerLeft);
        QFETCH(int, sectionMarkerTop);
        click(section);
        if (!button.isEmpty())
            click(button);
        QCOMPARE(content()->currentIndex(), page);
        QCOMPARE(caption(), expectedCaption);
        QCOMPARE(control(QStringLiteral("图片框61"))->x(), markerLeft);
        QVERIFY(control(QStringLiteral("图片框61"))->isVisible());
        QCOMPARE(control(QStringLiteral("图片框4"))->y(), sectionMarkerTop);
        const QColor main = control<FlatButton>(section)->textColor();
        QVERIFY(main != QColor(47, 47, 47));
        QCOMPARE(control<FlatButton>(QStringLiteral("超级按钮1"))->textColor(), QColor(47, 47, 47));

        // Home again: the marker hides and the home caption returns.
        click(QStringLiteral("超级按钮1"));
        QCOMPARE(content()->currentIndex(), 0);
        QVERIFY(!control(QStringLiteral("图片框61"))->isVisible());
        QCOMPARE(caption(), QStringLiteral("目前位置 * [ 主页信息 ]"));
    }

    void secondClickRunsTheActionButDoesNotAnimate()
    {
        int refreshes = 0;
        m_launcher->navigation()->setPageAction(2, [&refreshes] { ++refreshes; });
        click(QStringLiteral("超级按钮64")); // easing on
        QVERIFY(settings::isOn(settings::readPreference(settings::EasingKey)));
        click(QStringLiteral("超级按钮3"));
        click(QStringLiteral("超级按钮5"));
        QCOMPARE(refreshes, 1);
        QTRY_VERIFY(!m_launcher->navigation()->isSliding());
        QCOMPARE(content()->x(), 210); // 22 steps from 1050 stop short of 206
        content()->move(206, 65);
        control<QLabel>(QStringLiteral("目前位置"))->setText(QStringLiteral("marker"));
        click(QStringLiteral("超级按钮5"));
        QCOMPARE(refreshes, 2);
        QVERIFY(!m_launcher->navigation()->isSliding());
        QCOMPARE(content()->x(), 206);
        QCOMPARE(caption(), QStringLiteral("marker"));
    }

    void slideInStepsAsTheFormulaSays()
    {
        click(QStringLiteral("超级按钮64"));
        click(QStringLiteral("超级按钮3"));
        // The slide runs on a timer: the window is free between its steps.
        QVERIFY(m_launcher->navigation()->isSliding());
        QCOMPARE(content()->x(), 1050);
        QTRY_VERIFY(!m_launcher->navigation()->isSliding());
        QCOMPARE(content()->pos(), QPoint(210, 65));
        QCOMPARE(control(QStringLiteral("目前位置"))->y(), 546);
        // The home page slides up from the bottom.
        click(QStringLiteral("超级按钮1"));
        QTRY_VERIFY(!m_launcher->navigation()->isSliding());
        QCOMPARE(content()->y(), 67);
        click(QStringLiteral("超级按钮64")); // easing off: immediate
        content()->move(206, 65);
        click(QStringLiteral("超级按钮6"));
        QCOMPARE(content()->pos(), QPoint(206, 65));
        QVERIFY(!settings::isOn(settings::readPreference(settings::EasingKey)));
        QCOMPARE(settings::readPreference(settings::EasingKey), QStringLiteral("停用"));
    }

    void playerPanelToggles()
    {
        click(QStringLiteral("超级按钮3"));
        click(QStringLiteral("超级按钮67"));
        QCOMPARE(controls::tag(control(QStringLiteral("玩家管理"))), QStringLiteral("显示"));
        click(QStringLiteral("玩家管理"));
        QCOMPARE(controls::tag(control(QStringLiteral("玩家管理"))), QStringLiteral("隐藏"));
        QVERIFY(control(QStringLiteral("图片框67"))->isVisible());
        QVERIFY(!control(QStringLiteral("安装玩家插件"))->isVisible());
        click(QStringLiteral("玩家管理"));
        QCOMPARE(controls::tag(control(QStringLiteral("玩家管理"))), QStringLiteral("显示"));
        QVERIFY(!control(QStringLiteral("图片框67"))->isVisible());
        QVERIFY(control(QStringLiteral("安装玩家插件1"))->isVisible());
    }

    void saveServerSettingsRefusesEmptyRequiredFields_data()
    {
        QTest::addColumn<QString>("emptied");
        QTest::newRow("autosave") << QStringLiteral("编辑框2");
        QTest::newRow("java") << QStringLiteral("编辑框3");
        QTest::newRow("core") << QStringLiteral("编辑框4");
        QTest::newRow("memory") << QStringLiteral("编辑框5");
    }
    void saveServerSettingsRefusesEmptyRequiredFields()
    {
        QFETCH(QString, emptied);
        for (const char16_t* name : {u"编辑框2", u"编辑框3", u"编辑框4", u"编辑框5"})
            control<QLineEdit>(QString::fromUtf16(name))->setText(QStringLiteral("x"));
        control<QLineEdit>(emptied)->clear();
        QStringList seen;
        answerInfoBoxes(&seen);
        click(QStringLiteral("超级按钮21"));
        QCOMPARE(seen, QStringList{QStringLiteral("数据提示|数据不能为空")});
        QVERIFY(!QFileInfo::exists(settings::serverSettingsPath()));
    }

    void saveServerSettingsWritesAllSixKeys()
    {
        const QList<std::pair<const char16_t*, QString>> fields = {
            {u"编辑框2", QStringLiteral("3")},
            {u"编辑框3", QStringLiteral("/usr/bin/java")},
            {u"编辑框4", QStringLiteral("a.jar")},
            {u"编辑框5", QStringLiteral("abc")},
            {u"编辑框6", QString()},
            {u"编辑框18", QString()}};
        for (const auto& [name, value] : fields)
            control<QLineEdit>(QString::fromUtf16(name))->setText(value);
        QStringList seen;
        answerInfoBoxes(&seen);
        click(QStringLiteral("超级按钮21"));
        QCOMPARE(seen.last(), QStringLiteral("数据提示|保存数据成功"));
        // The save refreshes the core list: a stored core that is not in the server folder is
        // replaced by the notice in the field, and the save is still reported as done.
        QCOMPARE(control<QLineEdit>(QStringLiteral("编辑框4"))->text(),
                 QStringLiteral("你之前的核心： a.jar 没有找到已清空数据"));
        QCOMPARE(settings::readServerSetting(settings::CoreKey), QStringLiteral("a.jar"));
        QCOMPARE(settings::readServerSetting(settings::MemoryKey), QStringLiteral("abc"));
        QCOMPARE(settings::readServerSetting(settings::JavaPathKey), QStringLiteral("/usr/bin/java"));
        // Empty chat name and extra arguments are stored as keys with empty values.
        QFile file(settings::serverSettingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString stored = codepage::fromGbk(file.readAll());
        QVERIFY(stored.contains(QStringLiteral("\r\n聊天名称=\r\n")));
        QVERIFY(stored.contains(QStringLiteral("\r\n后置参数=\r\n")));
    }

    void resetAsksAndDeletesTheServerFolder()
    {
        const QString marker = rundir::join(QStringLiteral("panel/server/world/level.dat"));
        QVERIFY(QDir().mkpath(QFileInfo(marker).path()));
        QFile(marker).open(QIODevice::WriteOnly);

        click(QStringLiteral("超级按钮90"));
        QCOMPARE(boxes::openBoxes().size(), 1);
        boxes::pressButton(boxes::openBoxes().first(), QStringLiteral("确定"));
        QVERIFY(!QFileInfo::exists(rundir::join(QStringLiteral("panel/server"))));
        m_launcher->housekeepingTick();
        QVERIFY(QFileInfo::exists(rundir::join(QStringLiteral("panel/server/server.properties"))));
    }

    // Hovered, the title bar's × and — show their picture in the glyph's place, centred; drawn
    // beside the glyph it pushed the glyph out of the 34-pixel button.
    void titleButtonsShowTheHoverPictureInPlaceOfTheGlyph()
    {
        for (const QString& name : {QStringLiteral("超级按钮2"), QStringLiteral("超级按钮11")}) {
            auto* button = control<FlatButton>(name);
            const QPixmap picture = button->hoverPicture();
            QVERIFY(!picture.isNull());
            const QPointF centre = QRectF(button->rect()).center();
            QEnterEvent enter(centre, centre, button->mapToGlobal(centre));
            QApplication::sendEvent(button, &enter);
            const QImage hovered = button->grab().toImage();
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(button, &leave);

            // Everything drawn, against the button's own corner.
            const QRgb corner = hovered.pixel(0, 0);
            QRect drawn;
            for (int y = 0; y < hovered.height(); ++y)
                for (int x = 0; x < hovered.width(); ++x)
                    if (hovered.pixel(x, y) != corner)
                        drawn |= QRect(x, y, 1, 1);
            const qreal scale = hovered.devicePixelRatio();
            QVERIFY2(drawn.isValid(), qPrintable(name));
            QVERIFY2(drawn.width() <= picture.deviceIndependentSize().width() * scale + 2,
                     qPrintable(QStringLiteral("%1 draws %2 px wide").arg(name).arg(drawn.width())));
            QVERIFY2(qAbs(drawn.center().x() - hovered.width() / 2) <= 2 * scale, qPrintable(name));
            QVERIFY2(qAbs(drawn.center().y() - hovered.height() / 2) <= 2 * scale, qPrintable(name));
        }
    }

    void autostartEntryFollowsTheButton()
    {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const QString entry = config.filePath(QStringLiteral("autostart/VelkManager.desktop"));
        click(QStringLiteral("超级按钮39"));
        QVERIFY(QFileInfo::exists(entry));
        QCOMPARE(settings::readPreference(settings::AutostartKey), QStringLiteral("启用"));
        // Started with --run-dir, the entry brings the launcher back to the same folder.
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString runDirArgument = QStringLiteral("\"--run-dir\" \"%1\"").arg(m_dir->path());
        QVERIFY(file.readAll().contains(runDirArgument.toUtf8()));
        file.close();
        click(QStringLiteral("超级按钮39"));
        QVERIFY(!QFileInfo::exists(entry));
        QCOMPARE(settings::readPreference(settings::AutostartKey), QStringLiteral("停用"));
        qunsetenv("XDG_CONFIG_HOME");
    }
};

QTEST_MAIN(LauncherWindowTest)
#include "LauncherWindow_test.moc"
