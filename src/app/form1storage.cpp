// Storing recordings by name, loading them back, clearing, and the converter.
#include "form1.h"

#include "datafolder.h"
#include "desktop.h"
#include "musicfiles.h"
#include "recordingstore.h"
#include "replayscript.h"

void Form1::mnuFileSav_Click()
{
    RestartMainWindow();
    if (!dataFilePresent(musicfiles::keyFileName) || !dataFilePresent(musicfiles::gapFileName)) {
        return;
    }
    const QString name = services_.desktop->askText(this, QStringLiteral("Enter name to store"));
    if (!recordingstore::isValidName(name)) {
        services_.desktop->showMessage(this,
                                       QStringLiteral("Invalid name. Cannot save music data."));
        return;
    }
    const DataFolder folder(services_.dataFolder);
    QString error;
    if (!recordingstore::copyPair({folder.file(QString::fromLatin1(musicfiles::gapFileName)),
                                   folder.file(QString::fromLatin1(musicfiles::keyFileName))},
                                  {folder.file(name + QStringLiteral(".sav")),
                                   folder.file(name + QStringLiteral(".sav2"))},
                                  &error)) {
        services_.desktop->showMessage(this,
                                       QStringLiteral("Cannot save music data. %1").arg(error));
    }
}

void Form1::mnufileload_Click()
{
    RestartMainWindow();
    const QString name = services_.desktop->askText(this, QStringLiteral("Enter name to open"));
    const DataFolder folder(services_.dataFolder);
    if (!recordingstore::isValidName(name) || !folder.present(name + QStringLiteral(".sav2")) ||
        !folder.present(name + QStringLiteral(".sav"))) {
        services_.desktop->showMessage(this,
                                       QStringLiteral("Invalid name. Cannot load music data."));
        return;
    }
    const recordingstore::Pair stored{folder.file(name + QStringLiteral(".sav")),
                                      folder.file(name + QStringLiteral(".sav2"))};
    // A pair the player would refuse is not copied over the current recording.
    QString error = ReplayScript::refusal(stored.gapFile, stored.keyFile);
    if (!error.isEmpty() ||
        !recordingstore::copyPair(stored,
                                  {folder.file(QString::fromLatin1(musicfiles::gapFileName)),
                                   folder.file(QString::fromLatin1(musicfiles::keyFileName))},
                                  &error)) {
        services_.desktop->showMessage(this,
                                       QStringLiteral("Cannot load music data. %1").arg(error));
        return;
    }
    Label4_Click();
}

void Form1::mnufileclear_Click()
{
    RestartMainWindow();
    lblTitle_Click();
}

void Form1::kestrune_Click()
{
    // Whether the converter starts is not looked at: it shows its own window.
    services_.desktop->startProgram(
        programFile(services_.programFolder, QStringLiteral("kestrune")));
}
