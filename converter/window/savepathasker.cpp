#include "savepathasker.h"

#include "outputformat.h"

#include <QFileDialog>

QString FileDialogAsker::askSavePath(QWidget* parent, const QString& suggested)
{
    // Every kind of file is offered, the one of the suggested name first chosen.
    const OutputFormat format = outputformat::forPath(suggested).value_or(OutputFormat::Midi);
    QStringList filters;
    for (const OutputFormat f : outputformat::all) {
        filters.append(outputformat::filter(f));
    }
    filters.append(QStringLiteral("All files (*)"));
    QString selected = outputformat::filter(format);
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save file"), suggested,
                                        filters.join(QStringLiteral(";;")), &selected);
}
