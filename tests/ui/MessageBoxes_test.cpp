#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

class MessageBoxesTest : public QObject {
    Q_OBJECT

private:
    static QString label(QWidget* box, const char16_t* name)
    {
        return box->findChild<QLabel*>(QString::fromUtf16(name))->text();
    }

private slots:
    void cleanup()
    {
        boxes::setBoxShownHook(nullptr);
        for (QWidget* box : boxes::openBoxes())
            box->close();
        QTRY_VERIFY(boxes::openBoxes().isEmpty());
    }

    void infoBoxIsModalAndTimersKeepRunning()
    {
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start(5);
        QString seenTitle;
        boxes::setBoxShownHook([&](QWidget* box) {
            seenTitle = label(box, u"标签1");
            QVERIFY(box->isModal());
            // Answer once the timer has run inside the box's own event loop.
            QTimer::singleShot(60, box, [box] { boxes::pressButton(box, QStringLiteral("确定")); });
        });
        boxes::showInfoBox(QStringLiteral("保存数据成功"), QString(), boxes::Success);
        QCOMPARE(seenTitle, QStringLiteral("温馨提示"));
        QCOMPARE(boxes::lastInfoTitle(), QStringLiteral("温馨提示"));
        QVERIFY(ticks > 0);
        QVERIFY(boxes::openBoxes().isEmpty());
    }

    void infoBoxPictureFollowsTheKind()
    {
        boxes::setBoxShownHook([](QWidget* box) { boxes::pressButton(box, QStringLiteral("×")); });
        boxes::showInfoBox(QStringLiteral("a"), QStringLiteral("t"), boxes::Success);
        QCOMPARE(boxes::lastInfoKind(), 1);
        boxes::showInfoBox(QStringLiteral("b"), QStringLiteral("t"), boxes::SelectFirst);
        QCOMPARE(boxes::lastInfoKind(), 2); // the same red cross as kind 2
        boxes::showInfoBox(QStringLiteral("c"), QStringLiteral("t"), 7);
        QCOMPARE(boxes::lastInfoKind(), 2); // an unknown kind keeps the previous picture
    }

    void confirmRowsAreTestedInTableOrder()
    {
        QStringList ran;
        boxes::addConfirmAction(2, boxes::MatchOn::Title, QStringLiteral("删除文件"),
                                [&](QWidget*) { ran << QStringLiteral("delete"); });
        boxes::addConfirmAction(1, boxes::MatchOn::Text, QStringLiteral("是否要取消编辑？"),
                                [&](QWidget*) { ran << QStringLiteral("leave editor"); });

        boxes::askConfirm(QStringLiteral("是否要取消编辑？"), QStringLiteral("删除文件"));
        QCOMPARE(boxes::openBoxes().size(), 1); // the call does not wait
        QVERIFY(boxes::pressButton(boxes::openBoxes().first(), QStringLiteral("确定")));
        QCOMPARE(ran, QStringList{QStringLiteral("leave editor")});
        QTRY_VERIFY(boxes::openBoxes().isEmpty());

        // A title that differs by a trailing space matches nothing and the box stays open.
        boxes::askConfirm(QStringLiteral("x"), QStringLiteral("删除文件 "));
        QWidget* box = boxes::openBoxes().first();
        boxes::pressButton(box, QStringLiteral("确定"));
        QCOMPARE(ran.size(), 1);
        QCOMPARE(boxes::openBoxes().size(), 1);
        boxes::pressButton(box, QStringLiteral("取消"));
        QTRY_VERIFY(boxes::openBoxes().isEmpty());
    }

    void okActsOnItsOwnBox()
    {
        QStringList ran;
        boxes::addConfirmAction(5, boxes::MatchOn::Text, QStringLiteral("确定要删除这个任务吗？"),
                                [&](QWidget*) { ran << QStringLiteral("task"); });
        boxes::addConfirmAction(4, boxes::MatchOn::Title, QStringLiteral("创建文件夹"),
                                [&](QWidget*) { ran << QStringLiteral("folder"); });
        boxes::askConfirm(QStringLiteral("确定要删除这个任务吗？"), QStringLiteral("计划任务"));
        boxes::askConfirm(QStringLiteral("?"), QStringLiteral("创建文件夹"));
        QCOMPARE(boxes::lastConfirmTitle(), QStringLiteral("创建文件夹"));
        const QList<QWidget*> open = boxes::openBoxes();
        QCOMPARE(open.size(), 2);
        boxes::pressButton(open.last(), QStringLiteral("确定")); // the older box
        QCOMPARE(ran, QStringList{QStringLiteral("task")});
    }

    void cancelRunsOnlyForItsTitleAndCloseOnlyCloses()
    {
        int cancels = 0;
        boxes::addCancelAction(QStringLiteral("检测端口占用"), [&](QWidget*) { ++cancels; });
        boxes::askConfirm(QStringLiteral("结束进程ID：1"), QStringLiteral("检测端口占用"));
        boxes::pressButton(boxes::openBoxes().first(), QStringLiteral("×"));
        QTRY_VERIFY(boxes::openBoxes().isEmpty());
        QCOMPARE(cancels, 0);
        boxes::askConfirm(QStringLiteral("结束进程ID：1"), QStringLiteral("检测端口占用"));
        boxes::pressButton(boxes::openBoxes().first(), QStringLiteral("取消"));
        QCOMPARE(cancels, 1);
        QTRY_VERIFY(boxes::openBoxes().isEmpty());
        boxes::askConfirm(QStringLiteral("t"), QStringLiteral("强制关闭"));
        boxes::pressButton(boxes::openBoxes().first(), QStringLiteral("取消"));
        QCOMPARE(cancels, 1);
    }
};

QTEST_MAIN(MessageBoxesTest)
#include "MessageBoxes_test.moc"
