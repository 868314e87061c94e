#include "chattranscript.h"

#include <QTest>
#include <QTextDocument>

class TestChatTranscript : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addOnTop_data();
    void addOnTop();
};

void TestChatTranscript::addOnTop_data()
{
    // clang-format off
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("lineLimit");
    QTest::addColumn<int>("charLimit");
    QTest::addColumn<QString>("expected");
    QTest::newRow("newest on top") << QStringList{"a", "b"} << 10 << 100 << "b\na\n";
    QTest::newRow("markup stays text") << QStringList{"<b>x</b> &amp;"} << 10 << 100 << "<b>x</b> &amp;\n";
    QTest::newRow("empty line is a line") << QStringList{"a", ""} << 10 << 100 << "\na\n";
    QTest::newRow("line bound drops the oldest") << QStringList{"a", "b", "c"} << 2 << 100 << "c\nb\n";
    QTest::newRow("line bound met exactly") << QStringList{"a", "b"} << 2 << 100 << "b\na\n";
    QTest::newRow("character bound drops the oldest") << QStringList{"aaa", "bbb", "ccc"} << 10 << 8 << "ccc\nbbb\n";
    QTest::newRow("character bound met exactly") << QStringList{"aaa", "bbb"} << 10 << 8 << "bbb\naaa\n";
    QTest::newRow("one long line drops all before it") << QStringList{"a", "b", "cccccc"} << 10 << 8 << "cccccc\n";
    QTest::newRow("a line longer than the bound is cut") << QStringList{"a", "bbbbbbbbbb"} << 10 << 5 << "bbbb\n";
    QTest::newRow("a line end inside makes two lines") << QStringList{"a", "b\nc"} << 2 << 100 << "b\nc\n";
    // clang-format on
}

void TestChatTranscript::addOnTop()
{
    QFETCH(QStringList, lines);
    QFETCH(int, lineLimit);
    QFETCH(int, charLimit);
    QFETCH(QString, expected);
    QTextDocument transcript;
    for (const QString& line : lines) {
        chattranscript::addOnTop(transcript, line, lineLimit, charLimit);
    }
    QCOMPARE(transcript.toPlainText(), expected);
    QVERIFY(!transcript.isUndoRedoEnabled());
}

QTEST_GUILESS_MAIN(TestChatTranscript)
#include "tst_chattranscript.moc"
