// The sound and MIDI choices in their settings file, and the SoundFonts found installed.
#include "soundsettings.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(SoundSettings)

namespace {

SoundSettings with(void (*change)(SoundSettings&))
{
    SoundSettings s;
    change(s);
    return s;
}

} // namespace

class TestSoundSettings final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<SoundSettings>("values");
        QTest::newRow("no file: the defaults") << QByteArray() << SoundSettings{};
        QTest::newRow("every value")
            << QByteArray("[sound]\nsoundFont=/home/a/Piano.sf3\nvolume=80\nreverb=false\n"
                          "chorus=false\n[midi]\noutput=both\nsystem=jack\ninput=Keys:out\n")
            << SoundSettings{"/home/a/Piano.sf3",         80,     false,     false,
                             SoundSettings::Output::Both, "jack", "Keys:out"};
        QTest::newRow("the ends of the volume, words in any case")
            << QByteArray("[sound]\nvolume=0\nreverb=FALSE\n[midi]\noutput=Port\n")
            << with([](SoundSettings& s) {
                   s.volume = 0;
                   s.reverb = false;
                   s.output = SoundSettings::Output::Port;
               });
        QTest::newRow("full volume") << QByteArray("[sound]\nvolume=100\n")
                                     << with([](SoundSettings& s) { s.volume = 100; });
        QTest::newRow("values the program does not know keep the defaults")
            << QByteArray("[sound]\nsoundFont=\nvolume=101\nreverb=yes\nchorus=1\n"
                          "[midi]\noutput=speakers\n")
            << SoundSettings{};
        QTest::newRow("a volume that is no number")
            << QByteArray("[sound]\nvolume=loud\n") << SoundSettings{};
        QTest::newRow("a volume below 0") << QByteArray("[sound]\nvolume=-1\n") << SoundSettings{};
    }
    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(SoundSettings, values);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quorvel.conf"));
        if (!file.isNull()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(file);
        }
        QSettings store(path, QSettings::IniFormat);
        QCOMPARE(soundsettings::read(store), values);
    }

    void writtenValuesReadBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quorvel.conf"));
        const SoundSettings values{"/usr/share/sounds/sf2/Font, with a comma.sf2",
                                   0,
                                   false,
                                   true,
                                   SoundSettings::Output::Port,
                                   "alsa",
                                   "Midi Through:Midi Through Port-0 14:0"};
        {
            QSettings store(path, QSettings::IniFormat);
            QString error;
            QVERIFY(soundsettings::write(store, values, &error));
        }
        QSettings again(path, QSettings::IniFormat);
        QCOMPARE(soundsettings::read(again), values);
        QCOMPARE(again.value(QStringLiteral("midi/output")).toString(), QStringLiteral("port"));
    }

    void failedWriteIsTold()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("quorvel")));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        QSettings store(dir.filePath(QStringLiteral("quorvel/quorvel.conf")), QSettings::IniFormat);
        QString error;
        QVERIFY(!soundsettings::write(store, SoundSettings{}, &error));
        QCOMPARE(error, QStringLiteral("The file %1 could not be written.")
                            .arg(dir.filePath(QStringLiteral("quorvel/quorvel.conf"))));
    }

    void userStoreIsItsOwnFile()
    {
        const auto store = soundsettings::openUserStore();
        QVERIFY2(store->fileName().endsWith(QStringLiteral("/quorvel/quorvel.conf")),
                 qPrintable(store->fileName()));
    }

    void installedSoundFonts()
    {
        QTemporaryDir dir;
        const QString system = dir.filePath(QStringLiteral("system"));
        const QString user = dir.filePath(QStringLiteral("user"));
        QVERIFY(QDir().mkpath(system + QStringLiteral("/folder.sf2")));
        QVERIFY(QDir().mkpath(user));
        for (const QString& name : {QStringLiteral("b.sf2"), QStringLiteral("A.SF3"),
                                    QStringLiteral("notes.txt"), QStringLiteral("c.sf2.bak")}) {
            QFile f(system + u'/' + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(system + QStringLiteral("/b.sf2"),
                            system + QStringLiteral("/default.sf2")));
        QVERIFY(QFile::link(system + QStringLiteral("/b.sf2"), user + QStringLiteral("/mine.sf2")));
        QFile own(user + QStringLiteral("/own.sf3"));
        QVERIFY(own.open(QIODevice::WriteOnly));

        const QStringList found = soundsettings::installedSoundFonts(
            {system, dir.filePath(QStringLiteral("absent")), user});
        // default.sf2 and mine.sf2 lead to b.sf2, which is listed first by name.
        QCOMPARE(found,
                 (QStringList{system + QStringLiteral("/A.SF3"), system + QStringLiteral("/b.sf2"),
                              user + QStringLiteral("/own.sf3")}));
    }
};

QTEST_APPLESS_MAIN(TestSoundSettings)
#include "tst_soundsettings.moc"
