#include "replayscript.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Kind = ReplayScript::Damage::Kind;

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
            file.write(bytes) == bytes.size());
}

// What a script holds, as one line of text: "lines 3, playable 2: 5 -1 | first 310 |
// damage 3 key: not a number".
QString describe(const ReplayScript& s)
{
    QStringList keys;
    for (int line = 1; line <= s.playableLines(); ++line) {
        keys << QString::number(s.key(line));
    }
    QString text = QStringLiteral("lines %1, playable %2: %3 | first %4")
                       .arg(s.lineCount())
                       .arg(s.playableLines())
                       .arg(keys.join(u' '))
                       .arg(s.firstWait() ? QString::number(*s.firstWait()) : QStringLiteral("-"));
    if (const auto& d = s.damage()) {
        const char* kind = d->kind == Kind::NotANumber   ? "not a number"
                           : d->kind == Kind::OutOfRange ? "out of range"
                                                         : "key file ends";
        text += QStringLiteral(" | damage %1 %2: %3 \"%4\"")
                    .arg(d->line)
                    .arg(d->inKeyFile ? "key" : "gap", kind, QString::fromLatin1(d->text));
    }
    return text;
}

} // namespace

class TestReplayScript : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reading_data();
    void reading();
    void bounds_data();
    void bounds();

private:
    QTemporaryDir dir_;
};

void TestReplayScript::reading_data()
{
    QTest::addColumn<QByteArray>("gaps");
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QString>("script");
    // '|' ends a line with CR LF.
    const auto row = [](const char* name, QByteArray gaps, QByteArray keys, const QString& script) {
        QTest::newRow(name) << gaps.replace('|', "\r\n") << keys.replace('|', "\r\n") << script;
    };

    // clang-format off
    row("the recorder's lines", " 0 | 20 | 32767 |", " 3 |-1 | 40 |", "lines 3, playable 3: 3 -1 40 | first 310");
    row("CR, LF, and a last line without an end", "0\r20\n40", "1|2\r3", "lines 3, playable 3: 1 2 3 | first 310");
    row("other number forms: halves to even", "0|2.5|", "\t+7\t|2.5|", "lines 2, playable 2: 7 2 | first 292");
    row("the first gap is never read", "abc|5|", "1|2|", "lines 2, playable 2: 1 2 | first 295");
    row("damaged gap on line 2: no first wait", "0|2 0|", "1|2|", "lines 2, playable 1: 1 | first - | damage 2 gap: not a number \"2 0\"");
    row("key not a number", "0|20|20|", " 1 |abc|", "lines 3, playable 1: 1 | first 310 | damage 2 key: not a number \"abc\"");
    row("key -2; one line has no first wait", "0|", "-2|", "lines 1, playable 0:  | first - | damage 1 key: out of range \"-2\"");
    row("key file shorter", "0|20|20|", "1|2|", "lines 3, playable 2: 1 2 | first 310 | damage 3 key: key file ends \"\"");
    row("gap and key damaged on one line: the gap is named", "0|x|", "1|y|", "lines 2, playable 1: 1 | first - | damage 2 gap: not a number \"x\"");
    // Read whole, it is not a number; cut short, it would be. Only its first 32 bytes are kept.
    row("a line too long to be a number", "0|5" + QByteArray(300, ' ') + "5|", "1|2|",
        "lines 2, playable 1: 1 | first - | damage 2 gap: not a number \"5" + QString(31, u' ') + "\"");
    // The CR ends the first read block and its LF starts the next: one line end.
    row("CR LF split between read blocks", QByteArray(65535, ' ') + "|7|", "1|2|", "lines 2, playable 2: 1 2 | first 297");
    // clang-format on
}

void TestReplayScript::reading()
{
    QFETCH(QByteArray, gaps);
    QFETCH(QByteArray, keys);
    write(dir_.filePath("piano.ini"), gaps);
    write(dir_.filePath("pianon.ini"), keys);
    QString error;
    const auto script =
        ReplayScript::read(dir_.filePath("piano.ini"), dir_.filePath("pianon.ini"), &error);
    QVERIFY2(script, qPrintable(error));
    QTEST(describe(*script), "script");
}

void TestReplayScript::bounds_data()
{
    QTest::addColumn<QByteArray>("gaps");
    QTest::addColumn<qint64>("keySize"); // a sparse key file of this many bytes
    QTest::addColumn<QString>("refusal");

    // clang-format off
    QTest::newRow("a million lines are taken") << QByteArray(" 5 \r\n").repeated(1'000'000) << qint64(5)
        << QString();
    QTest::newRow("a million and one are not") << QByteArray("\r\n").repeated(1'000'001) << qint64(5)
        << "The recording is too long: piano.ini has more than a million lines.";
    QTest::newRow("a gap file over 16 MB") << QByteArray(16 * 1024 * 1024 + 1, '\n') << qint64(5)
        << "The recording is too large: piano.ini is larger than 16 MB.";
    QTest::newRow("a key file over 16 MB") << QByteArray("0\r\n") << qint64(16 * 1024 * 1024 + 1)
        << "The recording is too large: pianon.ini is larger than 16 MB.";
    // clang-format on
}

void TestReplayScript::bounds()
{
    QFETCH(QByteArray, gaps);
    QFETCH(qint64, keySize);
    QFETCH(QString, refusal);
    const QString gapPath = dir_.filePath("piano.ini");
    const QString keyPath = dir_.filePath("pianon.ini");
    write(gapPath, gaps);
    write(keyPath, "");
    QVERIFY(QFile::resize(keyPath, keySize));
    QString error;
    const auto script = ReplayScript::read(gapPath, keyPath, &error);
    QCOMPARE(error, refusal);
    QCOMPARE(bool(script), refusal.isEmpty());
    QCOMPARE(ReplayScript::refusal(gapPath, keyPath), refusal);
}

QTEST_GUILESS_MAIN(TestReplayScript)
#include "tst_replayscript.moc"
