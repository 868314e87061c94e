#include "savepathasker.h"

#include <QFileDialog>

QString FileDialogAsker::askSavePath(QWidget* parent, const QString& suggested)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save MIDI file"), suggested,
                                        QStringLiteral("MIDI files (*.mid *.midi);;All files (*)"));
}
