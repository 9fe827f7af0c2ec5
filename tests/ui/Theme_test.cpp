#include "app/gui/LauncherController.h"
#include "platform/CodePage.h"
#include "platform/IniFile.h"
#include "platform/RunDirectory.h"
#include "ui/MainWindow.h"
#include "ui/Navigation.h"
#include "ui/Theme.h"
#include "ui/ThemePictures.h"
#include "ui/widgets/Controls.h"
#include "ui/widgets/FlatButton.h"
#include "ui/widgets/FrameBox.h"
#include "ui/widgets/PictureBox.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QColor Green(83, 217, 157);
const QColor Blue(76, 184, 255);
const QColor BlueAccent(255, 83, 77);
const QColor Purple(210, 166, 255);
const QColor Black(0, 0, 0);

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QPixmap themed(themepictures::Role role, const QColor& colour)
{
    return themepictures::picture(role, colour);
}

bool hasOpaquePixelOf(const QPixmap& pixmap, const QColor& colour)
{
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour.rgba())
                return true;
    return false;
}

} // namespace

class ThemeTest : public QObject {
    Q_OBJECT

private:
    // Builds the launcher the way the program does, in a fresh run directory. `prepare` runs after
    // the window is built and before start-up, for fixtures that need the window.
    void startLauncher(const std::function<void()>& prepare = {})
    {
        m_controller.reset();
        m_runDir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_runDir->isValid());
        rundir::setOverride(m_runDir->path());
        QVERIFY(QDir(m_runDir->path()).mkpath(QStringLiteral("panel")));
        for (const auto& [section, key, value] : m_fixture)
            QVERIFY(ini::writeValue(theme::settingsPath(), section, key, value));
        m_controller = std::make_unique<LauncherController>();
        if (prepare)
            prepare();
        m_controller->start();
    }

    template <typename T> T* find(const QString& name)
    {
        return controls::find<T>(m_controller->window(), name);
    }
    QColor background(const QString& name) { return controls::backgroundColor(find<QWidget>(name)); }
    QColor text(const QString& name) { return controls::textColor(find<QWidget>(name)); }
    QString storedTheme()
    {
        return ini::readValue(theme::settingsPath(), theme::ThemeSection, theme::ThemeKey);
    }
    QString storedTitle()
    {
        return ini::readValue(theme::settingsPath(), theme::TitleSection, theme::TitleKey);
    }
    QStringList swatchCaptions()
    {
        return {find<FlatButton>(QStringLiteral("按钮1"))->text(),
                find<FlatButton>(QStringLiteral("按钮2"))->text(),
                find<FlatButton>(QStringLiteral("按钮3"))->text()};
    }

    struct Entry {
        QString section, key, value;
    };
    QList<Entry> m_fixture;
    std::unique_ptr<QTemporaryDir> m_runDir;
    std::unique_ptr<LauncherController> m_controller;

private slots:
    void init() { m_fixture.clear(); }

    void cleanup()
    {
        m_controller.reset();
        m_runDir.reset();
    }

    void firstStartSelectsGreenAndCreatesTheFile()
    {
        startLauncher();

        QCOMPARE(theme::current(m_controller->window()).name, QStringLiteral("绿色"));
        QCOMPARE(storedTheme(), QStringLiteral("绿色"));
        const QByteArray raw = readBytes(theme::settingsPath());
        QVERIFY2(raw.contains(codepage::toGbk(QStringLiteral("配色名称=绿色"))), raw.constData());
        QVERIFY(!raw.contains(QStringLiteral("绿色").toUtf8()));
        // The title step stores the (empty) title at a first start too.
        QVERIFY2(raw.contains(codepage::toGbk(QStringLiteral("[开服器标题]\r\n主标题=\r\n"))),
                 raw.constData());
        QCOMPARE(m_controller->window()->windowTitle(), QString());

        QCOMPARE(background(QStringLiteral("图片框4")), Green);
        QCOMPARE(background(QStringLiteral("超级按钮16")), Green); // console start button
        QCOMPARE(text(QStringLiteral("标签1")), Green);
        QCOMPARE(text(QStringLiteral("java")), Green);
        QCOMPARE(text(QStringLiteral("清空日志")), QColor(255, 128, 192));
        QCOMPARE(swatchCaptions(), (QStringList{QStringLiteral("S"), QString(), QString()}));

        auto* home = find<FlatButton>(QStringLiteral("超级按钮1"));
        QCOMPARE(home->textColor(FlatButton::Focus), Green);
        QCOMPARE(home->picture().cacheKey(), theme::sectionIcon(1, QStringLiteral("绿色")).cacheKey());
        QCOMPARE(find<FlatButton>(QStringLiteral("超级按钮3"))->picture().cacheKey(),
                 theme::plainSectionIcon(2).cacheKey());

        // A checked preference shows the ticked box: the button shows its hover picture while checked.
        for (const QString& name :
             {QStringLiteral("超级按钮76"), QStringLiteral("超级按钮64"), QStringLiteral("超级按钮39")}) {
            auto* check = find<FlatButton>(name);
            QCOMPARE(check->picture().cacheKey(), themed(themepictures::Role::CheckEmpty, Green).cacheKey());
            QCOMPARE(check->hoverPicture().cacheKey(),
                     themed(themepictures::Role::CheckTicked, Green).cacheKey());
            QCOMPARE(check->textColor(FlatButton::Hover), Green);
        }
        QCOMPARE(find<FlatButton>(QStringLiteral("超级按钮2"))->hoverPicture().cacheKey(),
                 themed(themepictures::Role::Close, Green).cacheKey());
    }

    void storedThemeAtStartUp_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QColor>("main");
        QTest::newRow("green") << QStringLiteral("绿色") << QStringLiteral("绿色") << Green;
        QTest::newRow("blue") << QStringLiteral("蓝色") << QStringLiteral("蓝色") << Blue;
        QTest::newRow("purple") << QStringLiteral("紫色") << QStringLiteral("紫色") << Purple;
        QTest::newRow("unknown name") << QStringLiteral("红色") << QString() << Black;
        // The file exists but holds no theme: the existence test passes, the read gives nothing.
        QTest::newRow("no theme key") << QString() << QString() << Black;
    }

    void storedThemeAtStartUp()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        QFETCH(QColor, main);
        m_fixture = {{theme::TitleSection, theme::TitleKey, QStringLiteral("标题")}};
        if (!stored.isEmpty())
            m_fixture.append({theme::ThemeSection, theme::ThemeKey, stored});
        const QStringList designCaptions = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        QByteArray before;
        startLauncher([&] {
            before = readBytes(theme::settingsPath());
            for (int i = 0; i < 3; ++i)
                find<FlatButton>(QStringLiteral("按钮%1").arg(i + 1))->setText(designCaptions[i]);
        });

        QCOMPARE(theme::current(m_controller->window()).name, expected);
        QCOMPARE(theme::current(m_controller->window()).main, main);
        QCOMPARE(background(QStringLiteral("图片框4")), main);
        QCOMPARE(text(QStringLiteral("标签1")), main);
        QCOMPARE(find<FlatButton>(QStringLiteral("超级按钮1"))->textColor(), main);
        if (expected.isEmpty()) {
            QCOMPARE(swatchCaptions(), designCaptions);
            QVERIFY(find<FlatButton>(QStringLiteral("超级按钮64"))->hoverPicture().isNull());
            QVERIFY(find<FlatButton>(QStringLiteral("超级按钮1"))->picture().isNull());
            QCOMPARE(readBytes(theme::settingsPath()), before);
        } else {
            const int selected = theme::findTheme(expected)->swatchButton.right(1).toInt() - 1;
            QCOMPARE(swatchCaptions().at(selected), QStringLiteral("S"));
            QCOMPARE(swatchCaptions().join(QString()), QStringLiteral("S"));
            QCOMPARE(storedTheme(), expected);
        }
    }

    void swatchClickSelectsAndStoresTheTheme()
    {
        startLauncher();
        QTest::mouseClick(find<FlatButton>(QStringLiteral("按钮2")), Qt::LeftButton);

        QCOMPARE(swatchCaptions(), (QStringList{QString(), QStringLiteral("S"), QString()}));
        QCOMPARE(storedTheme(), QStringLiteral("蓝色"));
        QCOMPARE(theme::current(m_controller->window()).accent, BlueAccent);
        auto* home = find<FlatButton>(QStringLiteral("超级按钮1"));
        QCOMPARE(home->textColor(FlatButton::Hover), Blue);
        QCOMPARE(home->picture().cacheKey(), theme::sectionIcon(1, QStringLiteral("蓝色")).cacheKey());
        QCOMPARE(background(QStringLiteral("图片框4")), Blue);
        QCOMPARE(find<QWidget>(QStringLiteral("图片框4"))->y(), 10);
        QCOMPARE(background(QStringLiteral("超级按钮21")), Blue);
    }

    void themeChangeOnASecondLevelPageLeavesItsButtonAlone()
    {
        startLauncher();
        m_controller->navigation()->openSection(QStringLiteral("3")); // 文件管理
        m_controller->navigation()->openPage(4);                      // 插件管理
        QCOMPARE(find<FlatButton>(QStringLiteral("超级按钮8"))->textColor(), Green);

        // The swatch sits on the hidden home page; a click there cannot happen, so press it directly.
        find<FlatButton>(QStringLiteral("按钮2"))->click();

        auto* files = find<FlatButton>(QStringLiteral("超级按钮6"));
        QCOMPARE(files->textColor(), Blue);
        QCOMPARE(files->picture().cacheKey(), theme::sectionIcon(3, QStringLiteral("蓝色")).cacheKey());
        QCOMPARE(find<QWidget>(QStringLiteral("图片框4"))->y(), 150);
        QCOMPARE(find<FlatButton>(QStringLiteral("超级按钮1"))->textColor(), QColor(47, 47, 47));
        QCOMPARE(find<FlatButton>(QStringLiteral("超级按钮8"))->textColor(), Green);
        QCOMPARE(background(QStringLiteral("图片框61")), Blue);
    }

    void titleIsShownAndWrittenOnEveryChange()
    {
        m_fixture = {{theme::TitleSection, theme::TitleKey, QStringLiteral("我的服务器")}};
        startLauncher();
        MainWindow* window = m_controller->window();
        auto* edit = find<QLineEdit>(QStringLiteral("编辑框17"));
        QCOMPARE(edit->text(), QStringLiteral("我的服务器"));
        QCOMPARE(find<QLabel>(QStringLiteral("标签1"))->text(), QStringLiteral("我的服务器"));
        QCOMPARE(window->windowTitle(), QStringLiteral("我的服务器"));

        edit->clear();
        QCOMPARE(storedTitle(), QString());
        QVERIFY(readBytes(theme::settingsPath()).contains(codepage::toGbk(QStringLiteral("主标题="))));
        QCOMPARE(window->windowTitle(), QString());

        QString expected;
        for (const QString& key : {QStringLiteral("V"), QStringLiteral("1")}) {
            QTest::keyClicks(edit, key);
            expected += key;
            QCOMPARE(window->windowTitle(), expected);
            QCOMPARE(find<QLabel>(QStringLiteral("标签1"))->text(), expected);
            QCOMPARE(storedTitle(), expected);
        }
    }

    void missingTitleKeyEmptiesTheTitle()
    {
        m_fixture = {{theme::ThemeSection, theme::ThemeKey, QStringLiteral("紫色")}};
        startLauncher();
        QCOMPARE(find<QLabel>(QStringLiteral("标签1"))->text(), QString());
        QCOMPARE(find<QLineEdit>(QStringLiteral("编辑框17"))->text(), QString());
        QCOMPARE(m_controller->window()->windowTitle(), QString());
    }

    void titleFrameFollowsTheFocus()
    {
        startLauncher();
        MainWindow* window = m_controller->window();
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        auto* frame = find<FrameBox>(QStringLiteral("外形框28"));
        find<QLineEdit>(QStringLiteral("编辑框17"))->setFocus();
        QTRY_COMPARE(frame->lineColor(), Green);
        find<FlatButton>(QStringLiteral("按钮3"))->setFocus();
        QTRY_COMPARE(frame->lineColor(), QColor(236, 236, 236));
    }

    void toolWindowFollowsAThemeChangeWithinASecond()
    {
        startLauncher();
        // Both tool windows, built from their control names; the items window is recognised by its
        // 给予物品 button, the extra-arguments window by nukkit.
        auto items = std::make_unique<QWidget>(nullptr, Qt::Window);
        controls::picture(items.get(), QStringLiteral("图片框2"), QRect(0, 0, 650, 40));
        controls::button(items.get(), QStringLiteral("超级按钮1"), QStringLiteral("发送Give指令"),
                         QRect(10, 60, 90, 30));
        controls::button(items.get(), QStringLiteral("超级按钮12"), QStringLiteral("发送Xp指令"),
                         QRect(110, 60, 90, 30));
        controls::button(items.get(), QStringLiteral("给予物品"), QStringLiteral("查看物品 ID"),
                         QRect(210, 60, 90, 30));
        controls::button(items.get(), QStringLiteral("超级按钮2"), QString(), QRect(600, 5, 30, 30));
        for (int i = 1; i <= 6; ++i)
            controls::label(items.get(), QStringLiteral("标签%1").arg(i), QStringLiteral("x"),
                            QRect(10, 100 + i * 20, 90, 20));
        auto arguments = std::make_unique<QWidget>(nullptr, Qt::Window);
        controls::picture(arguments.get(), QStringLiteral("图片框2"), QRect(0, 0, 650, 40));
        controls::button(arguments.get(), QStringLiteral("nukkit"), QStringLiteral("兼容模式开服参数"),
                         QRect(10, 60, 150, 30));
        controls::button(arguments.get(), QStringLiteral("utf_8"), QStringLiteral("UTF-8 编码参数"),
                         QRect(10, 100, 150, 30));
        controls::button(arguments.get(), QStringLiteral("超级按钮1"), QStringLiteral("other"),
                         QRect(10, 140, 150, 30));

        theme::attachToolWindow(items.get(), m_controller->window());
        theme::attachToolWindow(arguments.get(), m_controller->window());
        const auto find = [](QWidget* window, const QString& name) {
            return controls::find<QWidget>(window, name);
        };
        QCOMPARE(controls::backgroundColor(find(items.get(), QStringLiteral("图片框2"))), Green);
        QCOMPARE(controls::textColor(find(items.get(), QStringLiteral("标签4"))), Green);

        controls::find<FlatButton>(m_controller->window(), QStringLiteral("按钮2"))->click();

        QTRY_COMPARE(controls::backgroundColor(find(items.get(), QStringLiteral("图片框2"))), Blue);
        QCOMPARE(controls::backgroundColor(find(items.get(), QStringLiteral("超级按钮1"))), Blue);
        QCOMPARE(controls::backgroundColor(find(items.get(), QStringLiteral("超级按钮12"))), Blue);
        QCOMPARE(controls::textColor(find(items.get(), QStringLiteral("标签6"))), Blue);
        QCOMPARE(controls::textColor(find(items.get(), QStringLiteral("给予物品"))), BlueAccent);
        QCOMPARE(
            controls::find<FlatButton>(items.get(), QStringLiteral("超级按钮2"))->hoverPicture().cacheKey(),
            themed(themepictures::Role::Close, Blue).cacheKey());

        QTRY_COMPARE(controls::backgroundColor(find(arguments.get(), QStringLiteral("图片框2"))), Blue);
        QCOMPARE(controls::textColor(find(arguments.get(), QStringLiteral("utf_8"))), BlueAccent);
        // The items window's roles stay in the items window.
        QCOMPARE(controls::backgroundColor(find(arguments.get(), QStringLiteral("超级按钮1"))),
                 QColor(Qt::transparent));
    }

    void picturesAreDrawnInTheirColourAtDoubleResolution_data()
    {
        using themepictures::Role;
        QTest::addColumn<int>("role");
        const QList<std::pair<const char*, Role>> roles = {
            {"close", Role::Close},
            {"minimise", Role::Minimise},
            {"unfold", Role::Unfold},
            {"check empty", Role::CheckEmpty},
            {"check ticked", Role::CheckTicked},
            {"magnifier", Role::Magnifier},
            {"switch on", Role::SwitchOn},
            {"switch off", Role::SwitchOff},
            {"home", Role::SectionHome},
            {"server", Role::SectionServer},
            {"files", Role::SectionFiles},
            {"downloads", Role::SectionDownloads},
        };
        for (const auto& [name, role] : roles)
            QTest::newRow(name) << static_cast<int>(role);
    }

    void picturesAreDrawnInTheirColourAtDoubleResolution()
    {
        QFETCH(int, role);
        const auto r = static_cast<themepictures::Role>(role);
        const QPixmap blue = themed(r, Blue);
        QVERIFY(!blue.isNull());
        QCOMPARE(blue.devicePixelRatio(), 2.0);
        QCOMPARE(blue.width() % 2, 0);
        // The "off" switch shows its colour only as a light tint of the track.
        if (r != themepictures::Role::SwitchOff)
            QVERIFY(hasOpaquePixelOf(blue, Blue));
        QVERIFY(blue.toImage() != themepictures::plain(r).toImage());
        QCOMPARE(themed(r, Blue).cacheKey(), blue.cacheKey());
    }
};

QTEST_MAIN(ThemeTest)
#include "Theme_test.moc"
