// The instrument-name file beside the program, read as the profile-string lookup of
// Windows reads it.
#include "instrumentnames.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestInstrumentNames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void names_data();
    void names();
};

void TestInstrumentNames::names_data()
{
    // clang-format off
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("instrument");
    QTest::addColumn<QString>("name");
    const QByteArray section("[General MIDI]\r\n");
    QTest::newRow("blanks around") << section + " 5 = Electric Piano 2 \r\n" << 5
        << "Electric Piano 2";
    QTest::newRow("section in any case") << QByteArray("[ general midi ]\r\n0=Piano\r\n") << 0
        << "Piano";
    QTest::newRow("first entry counts") << section + "3=One\r\n3=Two\r\n" << 3 << "One";
    QTest::newRow("name cut to 254") << section + "1=" + QByteArray(400, 'n') << 1
        << QString(254, u'n');
    QTest::newRow("empty file") << QByteArray() << 127 << "";
    // clang-format on
}

void TestInstrumentNames::names()
{
    QFETCH(QByteArray, file);
    QFETCH(int, instrument);
    QTemporaryDir dir;
    QFile out(dir.filePath(QStringLiteral("pellory.dll")));
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
    out.close();
    QTEST(InstrumentNames::load(out.fileName()).name(instrument), "name");
}

QTEST_APPLESS_MAIN(TestInstrumentNames)
#include "tst_instrumentnames.moc"
