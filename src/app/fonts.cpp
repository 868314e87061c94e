#include "fonts.h"

#include <QFont>
#include <QStringList>

void installFontSubstitutes()
{
    const QString sans = QStringLiteral("Liberation Sans");
    const QString dejavu = QStringLiteral("DejaVu Sans");
    QFont::insertSubstitutions(QStringLiteral("Trebuchet MS"), {sans, dejavu});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), {sans, dejavu});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {sans, dejavu});
    QFont::insertSubstitutions(QStringLiteral("Comic Sans MS"),
                               {QStringLiteral("Comic Neue"), dejavu});
}
