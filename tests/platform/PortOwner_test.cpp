#include "platform/PortOwner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr char TcpHeader[] =
    "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode\n";

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void linkFd(const QString& root, int pid, int fd, const QByteArray& target)
{
    const QString dir = root + QStringLiteral("/%1/fd").arg(pid);
    QDir().mkpath(dir);
    const QByteArray link = QFile::encodeName(dir + QStringLiteral("/%1").arg(fd));
    QCOMPARE(::symlink(target.constData(), link.constData()), 0);
}

int boundPort(int socketFd)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(socketFd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return -1;
    return address.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port)
                                         : ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

// A TCP socket on the loopback address with a port chosen by the system.
int loopbackSocket(int family)
{
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    int rc;
    if (family == AF_INET6) {
        sockaddr_in6 address{};
        address.sin6_family = AF_INET6;
        address.sin6_addr = in6addr_loopback;
        rc = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    } else {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        rc = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    if (rc != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

class PortOwnerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_proc.isValid());
        const QString root = m_proc.path();
        writeFile(root + QStringLiteral("/net/tcp"),
                  QByteArray(TcpHeader) +
                      // 0.0.0.0:25565 listening, inode 1001
                      "   0: 00000000:63DD 00000000:0000 0A 00000000:00000000 00:00000000 00000000  1000     "
                      "   0 1001 1 0000000000000000 100 0 0 10 0\n"
                      // 127.0.0.1:25566 established, inode 1002
                      "   1: 0100007F:63DE 0100007F:D431 01 00000000:00000000 00:00000000 00000000  1000     "
                      "   0 1002 1 0000000000000000 20 4 30 10 -1\n"
                      // 25567 only as the remote end, inode 1003
                      "   2: 0100007F:D432 0100007F:63DF 01 00000000:00000000 00:00000000 00000000  1000     "
                      "   0 1003 1 0000000000000000 20 4 30 10 -1\n"
                      // a listening row whose socket nobody shows (inode 0)
                      "   3: 00000000:1388 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0     "
                      "   0 0 1\n"
                      "garbage line\n"
                      "   4: 00000000:ZZZZ 00000000:0000 0A\n");
        writeFile(root + QStringLiteral("/net/tcp6"),
                  QByteArray(TcpHeader) +
                      // [::]:8080 listening, inode 2001
                      "   0: 00000000000000000000000000000000:1F90 00000000000000000000000000000000:0000 0A "
                      "00000000:00000000 00:00000000 00000000  1000        0 2001 1 0000000000000000 100 0 0 "
                      "10 0\n");
        linkFd(root, 100, 3, "socket:[1001]");
        linkFd(root, 150, 5, "socket:[1002]");
        linkFd(root, 160, 6, "socket:[1003]");
        linkFd(root, 250, 4, "socket:[2001]"); // a forked child sharing the socket
        linkFd(root, 200, 4, "socket:[2001]");
        linkFd(root, 50, 7, "socket:[10010]"); // looks like 1001 by prefix only
        linkFd(root, 50, 0, "/dev/null");
        QDir().mkpath(root + QStringLiteral("/self/fd"));
        QDir().mkpath(root + QStringLiteral("/sys"));
    }

    void fixture_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<qint64>("owner");
        QTest::newRow("IPv4 listener") << 25565 << qint64(100);
        QTest::newRow("IPv6 listener, lowest of the sharing processes") << 8080 << qint64(200);
        QTest::newRow("established only") << 25566 << qint64(0);
        QTest::newRow("remote port only") << 25567 << qint64(0);
        QTest::newRow("listener without visible inode") << 5000 << qint64(0);
        QTest::newRow("nobody") << 25570 << qint64(0);
        QTest::newRow("zero") << 0 << qint64(0);
        QTest::newRow("out of range") << 25565 + 65536 << qint64(0);
    }

    void fixture()
    {
        QFETCH(int, port);
        QFETCH(qint64, owner);
        QCOMPARE(findPortOwner(port, m_proc.path()), owner);
    }

    void missingTablesGiveZero()
    {
        QTemporaryDir empty;
        QCOMPARE(findPortOwner(25565, empty.path()), qint64(0));
    }

    void findsOwnListeningSocket()
    {
        for (int family : {AF_INET, AF_INET6}) {
            const int listener = loopbackSocket(family);
            if (listener < 0 && family == AF_INET6)
                continue; // no IPv6 on this machine
            QVERIFY(listener >= 0);
            QCOMPARE(::listen(listener, 4), 0);
            const int port = boundPort(listener);
            QCOMPARE(findPortOwner(port), qint64(::getpid()));
            ::close(listener);
            QCOMPARE(findPortOwner(port), qint64(0));
        }
    }

    // The port of a connection (either end) or of a socket that is bound but not listening is not
    // held by anybody.
    void connectionsAndBoundSocketsDoNotCount()
    {
        const int listener = loopbackSocket(AF_INET);
        QVERIFY(listener >= 0);
        QCOMPARE(::listen(listener, 4), 0);
        const int port = boundPort(listener);

        const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<quint16>(port));
        QCOMPARE(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        const int accepted = ::accept(listener, nullptr, nullptr);
        QVERIFY(accepted >= 0);
        ::close(listener);

        // `port` is now the local port of the accepted connection and the remote port of the client.
        QCOMPARE(findPortOwner(port), qint64(0));
        QCOMPARE(findPortOwner(boundPort(client)), qint64(0));

        const int bound = loopbackSocket(AF_INET);
        QVERIFY(bound >= 0);
        QCOMPARE(findPortOwner(boundPort(bound)), qint64(0));

        ::close(client);
        ::close(accepted);
        ::close(bound);
    }

private:
    QTemporaryDir m_proc;
};

QTEST_GUILESS_MAIN(PortOwnerTest)
#include "PortOwner_test.moc"
