// kestrune: turns the piano's current recording into a Standard MIDI File. The piano
// starts it without arguments; it finds the recording in the data folder.
#include "converterwindow.h"
#include "datafolder.h"
#include "savepathasker.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvel"));

    FileDialogAsker saveAsker;
    ConverterWindow window(DataFolder::defaultRoot(), QApplication::applicationDirPath(),
                           saveAsker);
    window.show();
    return QApplication::exec();
}
