#include "app/gui/LauncherController.h"
#include "platform/RunDirectory.h"
#include "server/ServerRuntime.h"
#include "ui/MainWindow.h"
#include "ui/MessageBoxes.h"
#include "ui/Theme.h"
#include "ui/automation/AutomationServer.h"
#include "ui/automation/LineProtocol.h"
#include "ui/widgets/Controls.h"

#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <atomic>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

// A drop target that takes file lists, as the plugin and mod pages do.
class DropTarget : public QLabel {
public:
    using QLabel::QLabel;
    QList<QUrl> dropped;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (event->mimeData()->hasUrls())
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent* event) override
    {
        dropped = event->mimeData()->urls();
        event->acceptProposedAction();
    }
};

// A client on its own thread with a plain blocking socket, as a script in another process would be:
// it sees a reply the moment the launcher writes it, not when the test's event loop gets round to it.
class ScriptClient {
public:
    explicit ScriptClient(const QString& path)
    {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof(address.sun_path));
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~ScriptClient()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool connected() const { return m_fd >= 0; }

    // Sends one line and blocks until its reply line (without the line end), or "<lost>".
    QString command(const QByteArray& line)
    {
        if (!sendAll(line + '\n'))
            return QStringLiteral("<lost>");
        qsizetype end;
        while ((end = m_buffer.indexOf('\n')) < 0) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 30000) <= 0)
                return QStringLiteral("<lost>");
            char chunk[4096];
            const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                return QStringLiteral("<lost>");
            m_buffer.append(chunk, n);
        }
        const QString reply = QString::fromUtf8(m_buffer.left(end));
        m_buffer.remove(0, end + 1);
        return reply;
    }

    // Writes without blocking and never reads; false once the launcher has closed the connection.
    bool sendWithoutReading(const QByteArray& bytes)
    {
        const ssize_t n = ::send(m_fd, bytes.constData(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        return n >= 0 || errno == EAGAIN || errno == EWOULDBLOCK;
    }

private:
    bool sendAll(const QByteArray& bytes)
    {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::send(m_fd, bytes.constData() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }

    int m_fd = -1;
    QByteArray m_buffer;
};

// A small window with one control of each kind the commands handle beyond the main window's.
struct Fixture {
    QWidget window;
    QTreeWidget* list = new QTreeWidget(&window);
    QLineEdit* edit = new QLineEdit(&window);
    QTextEdit* rich = new QTextEdit(&window);
    QComboBox* combo = new QComboBox(&window);
    DropTarget* target = new DropTarget(QStringLiteral("drop here"), &window);
    QLabel* plain = new QLabel(QStringLiteral("no drops"), &window);
    // Its click handler finishes its work in a queued step, as handlers that save a file do.
    QPushButton* deferred = new QPushButton(QStringLiteral("save"), &window);
    QPushButton* warn = new QPushButton(QStringLiteral("warn"), &window);
    std::atomic<bool> saved{false};

    Fixture()
    {
        deferred->setObjectName(QStringLiteral("测试保存"));
        warn->setObjectName(QStringLiteral("测试提示"));
        QObject::connect(deferred, &QPushButton::clicked, deferred,
                         [this] { QTimer::singleShot(0, deferred, [this] { saved = true; }); });
        QObject::connect(warn, &QPushButton::clicked, warn, [] {
            boxes::showInfoBox(QStringLiteral("请先选择一项"), QStringLiteral("温馨提示"),
                               boxes::SelectFirst);
        });
        window.setObjectName(QStringLiteral("测试窗口"));
        list->setObjectName(QStringLiteral("测试列表"));
        edit->setObjectName(QStringLiteral("测试输入"));
        rich->setObjectName(QStringLiteral("测试编辑框"));
        combo->setObjectName(QStringLiteral("测试下拉框"));
        target->setObjectName(QStringLiteral("测试投放区"));
        plain->setObjectName(QStringLiteral("目前位置")); // the same name as a main-window label
        target->setAcceptDrops(true);
        list->setColumnCount(2);
        list->addTopLevelItem(
            new QTreeWidgetItem(QStringList{QStringLiteral("a.jar"), QStringLiteral("启用")}));
        list->addTopLevelItem(
            new QTreeWidgetItem(QStringList{QStringLiteral("b\tc.jar"), QStringLiteral("停用")}));
        list->addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("d.jar"), QString()}));
        combo->addItems({QStringLiteral("Spigot"), QStringLiteral("Paper")});
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w :
             std::initializer_list<QWidget*>{list, edit, rich, combo, target, plain, deferred, warn})
            layout->addWidget(w);
        window.resize(400, 500);
    }
};

} // namespace

class AutomationTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<AutomationServer> m_server;
    std::unique_ptr<LauncherController> m_launcher;

    QString run(const QString& line) { return m_server->execute(line); }
    // The decoded value of an ok reply, or the whole reply when it is not ok.
    QString value(const QString& line)
    {
        const QString reply = run(line);
        const lineprotocol::Reply parsed = lineprotocol::parseReply(reply);
        return parsed.valid && parsed.ok ? parsed.value : reply;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("download")));
        rundir::setOverride(m_dir.path());
        m_server = std::make_unique<AutomationServer>();
        m_launcher = std::make_unique<LauncherController>();
        m_launcher->start();
        m_launcher->window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_launcher->window()));
    }
    void cleanupTestCase()
    {
        m_server.reset();
        m_launcher.reset();
    }
    void cleanup()
    {
        boxes::setBoxShownHook(nullptr);
        for (QWidget* box : boxes::openBoxes())
            box->close();
        run(QStringLiteral("click 超级按钮1"));
    }

    void escapesRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("plain") << QStringLiteral("目前位置 * [ 主页信息 ]")
                               << QStringLiteral("目前位置 * [ 主页信息 ]");
        QTest::newRow("line ends") << QStringLiteral("a\r\nb\n") << QStringLiteral("a\\r\\nb\\n");
        QTest::newRow("tab") << QStringLiteral("x\ty") << QStringLiteral("x\\ty");
        QTest::newRow("backslash before n") << QStringLiteral("C:\\new") << QStringLiteral("C:\\\\new");
        QTest::newRow("empty") << QString() << QString();
    }
    void escapesRoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QString, escaped);
        QCOMPARE(lineprotocol::escape(text), escaped);
        QCOMPARE(lineprotocol::unescape(escaped), std::optional(text));
    }

    void malformedEscapesAreRefused()
    {
        for (const QString& bad : {QStringLiteral("a\\q"), QStringLiteral("end\\"), QStringLiteral("\\x41")})
            QVERIFY2(!lineprotocol::unescape(bad), qPrintable(bad));
    }

    void wordsAndRecords()
    {
        QStringView rest(u"  set  编辑框6  &f后台 ");
        QCOMPARE(lineprotocol::takeWord(rest), QStringLiteral("set"));
        QCOMPARE(lineprotocol::takeWord(rest), QStringLiteral("编辑框6"));
        QCOMPARE(rest.toString(), QStringLiteral(" &f后台 ")); // free text keeps its own blanks

        // A field holding the separators survives the trip.
        const QList<QStringList> records{
            {QStringLiteral("info"), QStringLiteral("启动检测"), QStringLiteral("a\r\nb\tc\\")},
            {QStringLiteral("confirm"), QString(), QStringLiteral("x")}};
        const QString joined = lineprotocol::joinRecords(records);
        const QString wire = lineprotocol::okReply(joined);
        QVERIFY(!wire.contains(u'\n') && !wire.contains(u'\t') && !wire.contains(u'\r'));
        const lineprotocol::Reply reply = lineprotocol::parseReply(wire);
        QVERIFY(reply.valid && reply.ok);
        QCOMPARE(lineprotocol::splitRecords(reply.value), std::optional(records));
    }

    void navigationThroughCommands()
    {
        QCOMPARE(value(QStringLiteral("prop 图片框4 y")), QStringLiteral("10"));
        QCOMPARE(value(QStringLiteral("prop 图片框61 visible")), QStringLiteral("false"));
        QCOMPARE(run(QStringLiteral("click 超级按钮3")), QStringLiteral("ok"));
        QCOMPARE(value(QStringLiteral("prop 选择夹1 currentIndex")), QStringLiteral("1"));
        QCOMPARE(value(QStringLiteral("get 目前位置")), QStringLiteral("目前位置 * [ 控制平台 ]"));
        QCOMPARE(value(QStringLiteral("prop 图片框4 y")), QStringLiteral("80"));
        QCOMPARE(value(QStringLiteral("prop 图片框61 visible")), QStringLiteral("true"));
        QCOMPARE(value(QStringLiteral("prop 超级按钮1 textColor")), QStringLiteral("47,47,47"));
        QCOMPARE(value(QStringLiteral("get 超级按钮3")), QStringLiteral("开服管理"));
    }

    // The console is searched in place: no copy of its text crosses the socket.
    void containsSearchesAControlsText()
    {
        QCOMPARE(value(QStringLiteral("contains 超级编辑框2 欢迎使用 Velk Manager")), QStringLiteral("true"));
        QCOMPARE(value(QStringLiteral("contains 超级编辑框2 FLOOD-DONE")), QStringLiteral("false"));
        m_launcher->runtime().print({{0x606060, QStringLiteral("[1:00:00 信息] FLOOD-DONE\r\n")}});
        QCOMPARE(value(QStringLiteral("contains 超级编辑框2 FLOOD-DONE")), QStringLiteral("true"));
        QCOMPARE(value(QStringLiteral("contains 目前位置 主页信息")), QStringLiteral("true"));
    }

    void inputReachesTheHandlers()
    {
        // A check button flips before its click handler runs.
        const QString before = value(QStringLiteral("prop 超级按钮64 checked"));
        QCOMPARE(run(QStringLiteral("click 超级按钮64")), QStringLiteral("ok"));
        QVERIFY(value(QStringLiteral("prop 超级按钮64 checked")) != before);
        run(QStringLiteral("click 超级按钮64"));
        QCOMPARE(value(QStringLiteral("prop 超级按钮64 checked")), before);

        run(QStringLiteral("click 超级按钮3"));
        run(QStringLiteral("click 超级按钮5"));
        auto* memory = controls::find<QLineEdit>(m_launcher->window(), QStringLiteral("编辑框5"));
        QSignalSpy edited(memory, &QLineEdit::textEdited);
        QCOMPARE(run(QStringLiteral("set 编辑框5 2048")), QStringLiteral("ok"));
        QCOMPARE(memory->text(), QStringLiteral("2048"));
        QCOMPARE(edited.count(), 1);
        QCOMPARE(value(QStringLiteral("get 编辑框5")), QStringLiteral("2048"));

        // Minimised, nothing is visible on screen.
        QCOMPARE(value(QStringLiteral("prop 标签1 visible")), QStringLiteral("true"));
        run(QStringLiteral("click 超级按钮11"));
        QTRY_COMPARE(value(QStringLiteral("prop 标签1 visible")), QStringLiteral("false"));
        m_launcher->window()->showNormal();
        QTRY_COMPARE(value(QStringLiteral("prop 标签1 visible")), QStringLiteral("true"));
    }

    void fixtureControls()
    {
        Fixture f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));

        // The newest window wins a name both windows use.
        QCOMPARE(value(QStringLiteral("get 目前位置")), QStringLiteral("no drops"));

        const QString multiLine = QStringLiteral("第一行\n\t二\\三");
        QCOMPARE(run(QStringLiteral("set 测试编辑框 ") + lineprotocol::escape(multiLine)),
                 QStringLiteral("ok"));
        QCOMPARE(f.rich->toPlainText(), multiLine);
        const QString reply = run(QStringLiteral("get 测试编辑框"));
        QVERIFY(!reply.contains(u'\n') && !reply.contains(u'\t'));
        QCOMPARE(value(QStringLiteral("get 测试编辑框")), multiLine);

        const auto rows = lineprotocol::splitRecords(value(QStringLiteral("rows 测试列表")));
        QCOMPARE(rows, std::optional(QList<QStringList>{{QStringLiteral("a.jar"), QStringLiteral("启用")},
                                                        {QStringLiteral("b\tc.jar"), QStringLiteral("停用")},
                                                        {QStringLiteral("d.jar"), QString()}}));
        QSignalSpy clicked(f.list, &QTreeWidget::itemClicked);
        QSignalSpy doubleClicked(f.list, &QTreeWidget::itemDoubleClicked);
        QCOMPARE(run(QStringLiteral("select 测试列表 2")), QStringLiteral("ok"));
        QCOMPARE(value(QStringLiteral("prop 测试列表 currentIndex")), QStringLiteral("2"));
        QCOMPARE(value(QStringLiteral("get 测试列表")), QStringLiteral("d.jar"));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(f.list->selectedItems(), QList<QTreeWidgetItem*>{f.list->topLevelItem(2)});
        QCOMPARE(run(QStringLiteral("dblclick 测试列表")), QStringLiteral("ok"));
        QCOMPARE(doubleClicked.count(), 1);
        QCOMPARE(doubleClicked.first().first().value<QTreeWidgetItem*>(), f.list->topLevelItem(2));

        QSignalSpy activated(f.combo, &QComboBox::activated);
        QCOMPARE(run(QStringLiteral("select 测试下拉框 1")), QStringLiteral("ok"));
        QCOMPARE(value(QStringLiteral("get 测试下拉框")), QStringLiteral("Paper"));
        QCOMPARE(activated.count(), 1);

        QSignalSpy returned(f.edit, &QLineEdit::returnPressed);
        QCOMPARE(run(QStringLiteral("key 测试输入 x")), QStringLiteral("ok"));
        QCOMPARE(run(QStringLiteral("key 测试输入 Return")), QStringLiteral("ok"));
        QCOMPARE(f.edit->text(), QStringLiteral("x"));
        QCOMPARE(returned.count(), 1);

        const QString first = m_dir.filePath(QStringLiteral("my plugin.jar"));
        const QString second = m_dir.filePath(QStringLiteral("mod.jar"));
        QCOMPARE(run(QStringLiteral("drop 测试投放区 %1\\t%2").arg(first, second)), QStringLiteral("ok"));
        QCOMPARE(f.target->dropped, (QList<QUrl>{QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)}));
        QVERIFY(run(QStringLiteral("drop 目前位置 %1").arg(second)).startsWith(QStringLiteral("error ")));
    }

    void boxesAreListedAndAnswered()
    {
        boxes::askConfirm(QStringLiteral("确定要删除这个任务吗？"), QStringLiteral("计划任务"));
        QCOMPARE(lineprotocol::splitRecords(value(QStringLiteral("boxes"))),
                 std::optional(QList<QStringList>{{QStringLiteral("confirm"), QStringLiteral("计划任务"),
                                                   QStringLiteral("确定要删除这个任务吗？"), QString()}}));
        QCOMPARE(value(QStringLiteral("get 标签1")),
                 QStringLiteral("计划任务")); // the box is the newest window
        QCOMPARE(run(QStringLiteral("answer 取消")), QStringLiteral("ok"));
        QTRY_VERIFY(boxes::openBoxes().isEmpty());

        // A modal box: answered from inside its own event loop, as the socket does.
        QStringList seen;
        boxes::setBoxShownHook([this, &seen](QWidget*) {
            seen << value(QStringLiteral("boxes")) << run(QStringLiteral("click 超级按钮3"))
                 << run(QStringLiteral("answer 取消")) << run(QStringLiteral("answer ×"));
        });
        boxes::showInfoBox(QStringLiteral("保存数据成功"), QStringLiteral("数据提示"), boxes::Success);
        QCOMPARE(seen.size(), 4);
        QCOMPARE(seen[0], QStringLiteral("info\t数据提示\t保存数据成功\t1"));
        QVERIFY2(seen[1].startsWith(QStringLiteral("error ")), qPrintable(seen[1])); // behind the modal box
        QVERIFY2(seen[2].startsWith(QStringLiteral("error ")),
                 qPrintable(seen[2])); // an info box has no 取消
        QCOMPARE(seen[3], QStringLiteral("ok"));
        QCOMPARE(value(QStringLiteral("boxes")), QString());
        QCOMPARE(value(QStringLiteral("prop 选择夹1 currentIndex")), QStringLiteral("0"));
    }

    void focusRunsTheFocusHandlers()
    {
        Fixture f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));

        // The title box of the main window, behind the newer window: its frame takes the theme's
        // colour while it has the focus.
        const QColor main = theme::current(m_launcher->window()).main;
        const QString mainText =
            QStringLiteral("%1,%2,%3").arg(main.red()).arg(main.green()).arg(main.blue());
        const QString idle = QStringLiteral("236,236,236");
        QCOMPARE(run(QStringLiteral("focus 编辑框17")), QStringLiteral("ok"));
        QCOMPARE(value(QStringLiteral("prop 外形框28 lineColor")), mainText);
        QCOMPARE(run(QStringLiteral("focus 测试输入")), QStringLiteral("ok"));
        QCOMPARE(value(QStringLiteral("prop 外形框28 lineColor")), idle);
        QVERIFY(f.edit->hasFocus());
        QCOMPARE(run(QStringLiteral("focus 目前位置")),
                 QStringLiteral("error 目前位置 takes no keyboard focus"));
    }

    // The reply of an input comes after its handlers' work, or once the modal box it opened is up;
    // the box is listed with its icon kind. Driven from another thread as a separate script would.
    void repliesFollowTheirInput()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.sock"));
        AutomationServer server;
        QVERIFY2(server.listen(path), qPrintable(server.errorString()));
        Fixture f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));

        QStringList replies;
        bool savedAtReply = false;
        std::atomic<bool> done{false};
        std::thread script([&] {
            ScriptClient client(path);
            replies << client.command("click 测试保存");
            savedAtReply = f.saved;
            replies << client.command("click 测试提示") << client.command("boxes")
                    << client.command("answer 确定") << client.command("boxes");
            done = true;
        });
        const auto join = qScopeGuard([&script] { script.join(); });
        QTRY_VERIFY_WITH_TIMEOUT(done, 60000);

        QCOMPARE(replies.value(0), QStringLiteral("ok"));
        QVERIFY(savedAtReply);
        QCOMPARE(replies.value(1), QStringLiteral("ok"));
        const lineprotocol::Reply listed = lineprotocol::parseReply(replies.value(2));
        QVERIFY2(listed.ok, qPrintable(replies.value(2)));
        QCOMPARE(lineprotocol::splitRecords(listed.value),
                 std::optional(QList<QStringList>{{QStringLiteral("info"), QStringLiteral("温馨提示"),
                                                   QStringLiteral("请先选择一项"), QStringLiteral("3")}}));
        QCOMPARE(replies.value(3), QStringLiteral("ok"));
        QCOMPARE(replies.value(4), QStringLiteral("ok"));
    }

    void aClientThatNeverReadsIsDisconnected()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.sock"));
        AutomationServer server;
        QVERIFY2(server.listen(path), qPrintable(server.errorString()));
        ScriptClient idle(path);
        QVERIFY(idle.connected());
        QByteArray burst;
        for (int i = 0; i < 2000; ++i)
            burst += "get 目前位置\n";
        // Unbounded, the launcher would hold every reply and grow without end; bounded, it hangs up
        // once about a mebibyte of replies waits unread.
        qint64 sent = 0;
        QTRY_VERIFY_WITH_TIMEOUT(!idle.sendWithoutReading(burst) || (sent += burst.size()) > (256 << 20),
                                 120000);
        QVERIFY2(sent < (64 << 20), qPrintable(QString::number(sent)));

        // Other clients are still served.
        QLocalSocket other;
        other.connectToServer(path);
        QVERIFY(other.waitForConnected(10000));
        other.write("get 目前位置\n");
        QByteArray reply;
        QTRY_VERIFY((reply += other.readAll()).endsWith('\n'));
        QVERIFY(reply.startsWith("ok "));
    }

    void errorReplies_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("reply");
        QTest::newRow("empty") << QString() << QStringLiteral("error empty command");
        QTest::newRow("unknown command")
            << QStringLiteral("hover 超级按钮1") << QStringLiteral("error unknown command hover");
        QTest::newRow("missing name")
            << QStringLiteral("get") << QStringLiteral("error get needs a control name");
        QTest::newRow("unknown name")
            << QStringLiteral("click 超级按钮999")
            << QStringLiteral("error no control named 超级按钮999 in the open windows");
        QTest::newRow("no such property") << QStringLiteral("prop 目前位置 checked")
                                          << QStringLiteral("error 目前位置 has no property checked");
        QTest::newRow("no text") << QStringLiteral("get 图片框4")
                                 << QStringLiteral("error 图片框4 has no text");
        QTest::newRow("not an edit box")
            << QStringLiteral("set 目前位置 x") << QStringLiteral("error 目前位置 is not an edit box");
        QTest::newRow("read-only console")
            << QStringLiteral("set 超级编辑框2 x") << QStringLiteral("error 超级编辑框2 is not visible");
        QTest::newRow("hidden page") << QStringLiteral("click 超级按钮21")
                                     << QStringLiteral("error 超级按钮21 is not visible");
        QTest::newRow("not a list") << QStringLiteral("rows 目前位置")
                                    << QStringLiteral("error 目前位置 is not a list");
        QTest::newRow("row not a number")
            << QStringLiteral("select 目前位置 one") << QStringLiteral("error select needs a row number");
        QTest::newRow("bad escape")
            << QStringLiteral("set 编辑框5 a\\b")
            << QStringLiteral("error bad escape in the argument (use \\\\n \\\\r \\\\t \\\\\\\\)");
        QTest::newRow("unknown key") << QStringLiteral("key 标签1 F13")
                                     << QStringLiteral("error unknown key F13");
        QTest::newRow("no box") << QStringLiteral("answer 确定") << QStringLiteral("error no open box");
        QTest::newRow("wait out of range")
            << QStringLiteral("wait -5") << QStringLiteral("error wait needs milliseconds from 0 to 600000");
    }
    void errorReplies()
    {
        QFETCH(QString, line);
        QFETCH(QString, reply);
        QCOMPARE(run(line), reply);
    }

    void socketServesInOrderAndStaysPrivate()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.sock"));

        // A regular file at the path is never replaced.
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("keep me");
        }
        AutomationServer refused;
        QVERIFY(!refused.listen(path));
        QVERIFY(refused.errorString().contains(QStringLiteral("not a socket")));
        QFile::remove(path);

        // A stale socket left by a killed launcher is replaced.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(path);
        qstrncpy(address.sun_path, native.constData(), sizeof(address.sun_path));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        ::close(fd);

        auto server = std::make_unique<AutomationServer>();
        QVERIFY2(server->listen(path), qPrintable(server->errorString()));
        struct stat info {};
        QCOMPARE(::lstat(native.constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0600));
        QCOMPARE(
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System),
            QStringList{QStringLiteral("a.sock")});

        AutomationServer second;
        QVERIFY(!second.listen(path)); // in use

        // Two commands in one write: the second is answered after the click it follows.
        QLocalSocket client;
        client.connectToServer(path);
        QVERIFY(client.waitForConnected(10000));
        client.write("click 超级按钮3\nprop 选择夹1 currentIndex\r\n");
        QByteArray replies;
        QTRY_VERIFY((replies += client.readAll()).count('\n') >= 2);
        QCOMPARE(replies, QByteArray("ok\nok 1\n"));

        server.reset();
        QVERIFY(!QFileInfo::exists(path));
    }
};

QTEST_MAIN(AutomationTest)
#include "Automation_test.moc"
