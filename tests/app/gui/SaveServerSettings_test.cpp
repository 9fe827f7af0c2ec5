#include "app/gui/LauncherController.h"
#include "platform/RunDirectory.h"
#include "settings/Settings.h"
#include "ui/MainWindow.h"
#include "ui/MessageBoxes.h"
#include "ui/widgets/Controls.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

// "保存信息" in the real window: a save that did not reach the disk is reported as a failure, in the
// same "数据提示" box with the error picture.
class SaveServerSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void failedSaveIsReportedAsFailure_data()
    {
        QTest::addColumn<QString>("javaPath");
        QTest::addColumn<bool>("folderInTheWay");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::newRow("saved") << QStringLiteral("/opt/자바/bin/java") << false << settings::SaveSucceededText
                               << int(boxes::Success);
        QTest::newRow("server.ini is a folder")
            << QStringLiteral("/usr/bin/java") << true << settings::SaveFailedText << int(boxes::Error);
        QTest::newRow("line break") << QStringLiteral("/usr/bin/java\n[x]") << false
                                    << settings::SaveLineBreakText << int(boxes::Error);
    }
    void failedSaveIsReportedAsFailure()
    {
        QFETCH(QString, javaPath);
        QFETCH(bool, folderInTheWay);
        QFETCH(QString, text);
        QFETCH(int, kind);
        QTemporaryDir run;
        rundir::setOverride(run.path());
        LauncherController launcher;
        launcher.start();
        if (folderInTheWay)
            QVERIFY(QDir().mkpath(settings::serverSettingsPath()));
        const QList<std::pair<const char16_t*, QString>> fields = {{u"编辑框2", QStringLiteral("3")},
                                                                   {u"编辑框3", javaPath},
                                                                   {u"编辑框4", QStringLiteral("a.jar")},
                                                                   {u"编辑框5", QStringLiteral("1024")}};
        for (const auto& [name, value] : fields)
            controls::find<QLineEdit>(launcher.window(), QString::fromUtf16(name))->setText(value);
        QStringList seen;
        boxes::setBoxShownHook([&seen](QWidget* box) {
            seen << box->findChild<QLabel*>(QStringLiteral("标签1"))->text() + QLatin1Char('|') +
                        box->findChild<QLabel*>(QStringLiteral("标签2"))->text();
            boxes::pressButton(box, QStringLiteral("确定"));
        });
        QTest::mouseClick(controls::find<QWidget>(launcher.window(), QStringLiteral("超级按钮21")),
                          Qt::LeftButton);
        boxes::setBoxShownHook(nullptr);
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen.last(), QStringLiteral("数据提示|") + text);
        QCOMPARE(boxes::lastInfoKind(), kind);
        QCOMPARE(settings::readServerSetting(settings::JavaPathKey),
                 kind == boxes::Success ? javaPath : QString());
        rundir::setOverride({});
    }
};

QTEST_MAIN(SaveServerSettingsTest)
#include "SaveServerSettings_test.moc"
