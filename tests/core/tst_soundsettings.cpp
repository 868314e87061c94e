// The sound and MIDI choices in their settings file, and the SoundFonts found installed.
#include "soundsettings.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

Q_DECLARE_METATYPE(SoundSettings)

class TestSoundSettings final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void read_data()
    {
        QTest::addColumn<QByteArray>("file"); // '|' ends a line
        QTest::addColumn<SoundSettings>("values");
        using O = SoundSettings::Output;
        const QString gm = SoundSettings::defaultSoundFont();
        QTest::newRow("no file: the defaults") << QByteArray() << SoundSettings{};
        QTest::newRow("every value")
            << QByteArray("[sound]|soundFont=\"/a/P, with a "
                          "comma.sf3\"|volume=100|reverb=false|chorus=false|"
                          "[midi]|output=both|system=JACK|input=Keys:out")
            << SoundSettings{
                   "/a/P, with a comma.sf3", 100, false, false, O::Both, "jack", "Keys:out"};
        QTest::newRow("words in any case, the lowest volume")
            << QByteArray("[sound]|volume=0|reverb=FALSE|[midi]|output=Port")
            << SoundSettings{gm, 0, false, true, O::Port, "", ""};
        QTest::newRow("values the program does not know keep the defaults")
            << QByteArray("[sound]|soundFont=|volume=loud|reverb=yes|chorus=1|[midi]|output=midi")
            << SoundSettings{};
        QTest::newRow("a volume above 100") << QByteArray("[sound]|volume=101") << SoundSettings{};
        QTest::newRow("a volume below 0") << QByteArray("[sound]|volume=-1") << SoundSettings{};
    }
    // Each row also written back and read again.
    void read()
    {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("quorvel.conf")));
        QVERIFY(file.isNull() ||
                (f.open(QIODevice::WriteOnly) && f.write(file.replace('|', '\n'))));
        f.close();
        QSettings store(f.fileName(), QSettings::IniFormat);
        const SoundSettings values = soundsettings::read(store);
        QTEST(values, "values");
        QString error;
        QVERIFY(soundsettings::write(store, values, &error));
        QCOMPARE(soundsettings::read(store), values);
    }

    void failedWrite()
    {
        QTemporaryFile blocker; // a file where the folder goes
        QVERIFY(blocker.open());
        const QString blocked = blocker.fileName() + QStringLiteral("/quorvel.conf");
        QSettings nowhere(blocked, QSettings::IniFormat);
        QString error;
        QVERIFY(!soundsettings::write(nowhere, {}, &error));
        QCOMPARE(error, QStringLiteral("The file %1 could not be written.").arg(blocked));
        QVERIFY(soundsettings::openUserStore()->fileName().endsWith(u"/quorvel/quorvel.conf"));
    }

    void installedSoundFonts()
    {
        QTemporaryDir dir;
        const QString system = dir.filePath(QStringLiteral("system"));
        const QString user = dir.filePath(QStringLiteral("user"));
        QVERIFY(QDir().mkpath(system + QStringLiteral("/folder.sf2")) && QDir().mkpath(user));
        for (const QString& name : {system + "/b.sf2", system + "/A.SF3", system + "/notes.txt",
                                    system + "/c.sf2.bak", user + "/own.sf3"}) {
            QVERIFY(QFile(name).open(QIODevice::WriteOnly));
        }
        // Links to a font already listed, as default-GM.sf2 is to the font it names.
        QVERIFY(QFile::link(system + "/b.sf2", system + "/default.sf2"));
        QVERIFY(QFile::link(system + "/b.sf2", user + "/mine.sf2"));
        QCOMPARE(soundsettings::installedSoundFonts({system, dir.filePath("absent"), user}),
                 (QStringList{system + "/A.SF3", system + "/b.sf2", user + "/own.sf3"}));
    }
};

QTEST_APPLESS_MAIN(TestSoundSettings)
#include "tst_soundsettings.moc"
