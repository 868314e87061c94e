// The sound and MIDI choices in their settings file, and the SoundFonts found installed.
#include "soundsettings.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
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
            << QByteArray("[sound]|soundFont=/a/P.sf3|volume=100|reverb=false|chorus=false|"
                          "[midi]|output=both|system=jack|input=Keys:out")
            << SoundSettings{"/a/P.sf3", 100, false, false, O::Both, "jack", "Keys:out"};
        QTest::newRow("words in any case, the lowest volume")
            << QByteArray("[sound]|volume=0|reverb=FALSE|[midi]|output=Port")
            << SoundSettings{gm, 0, false, true, O::Port, "", ""};
        QTest::newRow("values the program does not know keep the defaults")
            << QByteArray("[sound]|soundFont=|volume=loud|reverb=yes|chorus=1|[midi]|output=midi")
            << SoundSettings{};
        QTest::newRow("a volume above 100") << QByteArray("[sound]|volume=101") << SoundSettings{};
        QTest::newRow("a volume below 0") << QByteArray("[sound]|volume=-1") << SoundSettings{};
    }
    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(SoundSettings, values);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quorvel.conf"));
        QFile f(path);
        QVERIFY(file.isNull() ||
                (f.open(QIODevice::WriteOnly) && f.write(file.replace('|', '\n'))));
        f.close();
        QSettings store(path, QSettings::IniFormat);
        QCOMPARE(soundsettings::read(store), values);
    }

    void written()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quorvel.conf"));
        const SoundSettings values{
            "/fonts/A, with a comma.sf2", 0, false, false, SoundSettings::Output::Port, "alsa",
            "Through:Through 14:0"};
        QString error;
        QVERIFY(soundsettings::write(*std::make_unique<QSettings>(path, QSettings::IniFormat),
                                     values, &error));
        QSettings again(path, QSettings::IniFormat);
        QCOMPARE(soundsettings::read(again), values);

        QFile blocker(dir.filePath(QStringLiteral("folder"))); // a file where the folder goes
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        const QString blocked = blocker.fileName() + QStringLiteral("/quorvel.conf");
        QSettings nowhere(blocked, QSettings::IniFormat);
        QVERIFY(!soundsettings::write(nowhere, values, &error));
        QCOMPARE(error, QStringLiteral("The file %1 could not be written.").arg(blocked));

        QVERIFY(soundsettings::openUserStore()->fileName().endsWith(u"/quorvel/quorvel.conf"));
    }

    void installedSoundFonts()
    {
        QTemporaryDir dir;
        const QString system = dir.filePath(QStringLiteral("system"));
        const QString user = dir.filePath(QStringLiteral("user"));
        QVERIFY(QDir().mkpath(system + QStringLiteral("/folder.sf2")) && QDir().mkpath(user));
        for (const char* name : {"/b.sf2", "/A.SF3", "/notes.txt", "/c.sf2.bak"}) {
            QVERIFY(QFile(system + name).open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile(user + "/own.sf3").open(QIODevice::WriteOnly));
        // Links to a font already listed, as default-GM.sf2 is to the font it names.
        QVERIFY(QFile::link(system + "/b.sf2", system + "/default.sf2"));
        QVERIFY(QFile::link(system + "/b.sf2", user + "/mine.sf2"));
        QCOMPARE(soundsettings::installedSoundFonts({system, dir.filePath("absent"), user}),
                 (QStringList{system + "/A.SF3", system + "/b.sf2", user + "/own.sf3"}));
    }
};

QTEST_APPLESS_MAIN(TestSoundSettings)
#include "tst_soundsettings.moc"
