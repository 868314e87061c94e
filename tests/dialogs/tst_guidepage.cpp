// The guide page shipped with the program: its key map is the program's own, and
// its links lead somewhere.
//
// After a change of the key map, run this test with QUORVEL_UPDATE_GUIDE=1 to write
// the new key map into data/readme1.htm.
#include "keymap.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <array>

namespace {

const QString beginMark = QStringLiteral("<!-- key map: begin -->");
const QString endMark = QStringLiteral("<!-- key map: end -->");

// The parts of the keyboard, each narrow enough for the guide window: the lower two
// letter rows play keys 0 to 16, the upper letter row and the digit row (with the
// keys at the right end) keys 17 to 40, shown in two halves.
struct Part
{
    int first;
    int last;
    const char* caption;
};
constexpr std::array<Part, 3> parts{{
    {0, 16, "the two bottom rows, Z to /"},
    {17, 28, "the two top rows, Q to U"},
    {29, 40, "the two top rows, I to Del"},
}};

// One part of the keyboard as a table of two rows: the white keys below, each three
// columns wide, with their note letter; the black keys above, each two columns wide
// over the boundary of its white neighbours. Each key shows the computer key that
// plays it.
QString keyTable(int first, int last)
{
    const auto entries = keymap::entries();
    auto keyName = [&](int index) {
        return QString::fromLatin1(entries[index].name).toHtmlEscaped();
    };
    QList<int> whites;
    for (int i = first; i <= last; ++i) {
        if (keymap::isWhite(i)) {
            whites << i;
        }
    }
    const QString gap =
        QStringLiteral("<td colspan=\"%1\" width=\"%2\" bgcolor=\"#ffffff\"></td>\n");
    QString black = QStringLiteral("<tr>\n") + gap.arg(2).arg(26);
    QString white = QStringLiteral("<tr>\n");
    for (qsizetype w = 0; w < whites.size(); ++w) {
        const int i = whites[w];
        white +=
            QStringLiteral("<td colspan=\"3\" width=\"39\" align=\"center\" bgcolor=\"#ffffff\">"
                           "<font color=\"#c000c0\">%1</font><br><b>%2</b></td>\n")
                .arg(keymap::noteLetter(i), keyName(i));
        if (w + 1 == whites.size()) {
            break;
        }
        if (!keymap::isWhite(i + 1)) {
            black += QStringLiteral("<td colspan=\"2\" width=\"26\" align=\"center\" "
                                    "bgcolor=\"#400000\" style=\"white-space: nowrap\">"
                                    "<font color=\"#ffffff\"><b>%1</b></font></td>\n")
                         .arg(keyName(i + 1));
        } else {
            black += gap.arg(2).arg(26);
        }
        black += w + 2 == whites.size() ? gap.arg(2).arg(26) : gap.arg(1).arg(13);
    }
    return QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\" "
                          "border=\"1\">\n%1</tr>\n%2</tr>\n</table>\n")
        .arg(black, white);
}

QString keyMapHtml()
{
    QString html;
    for (const Part& part : parts) {
        html += QStringLiteral("<p><b>Keys %1 to %2</b>: %3</p>\n")
                    .arg(part.first + 1)
                    .arg(part.last + 1)
                    .arg(QString::fromLatin1(part.caption)) +
                keyTable(part.first, part.last);
    }
    return html;
}

QString guidePath()
{
    return qEnvironmentVariable("QUORVEL_SOURCE_DIR") + QStringLiteral("/data/readme1.htm");
}

QString readGuide()
{
    QFile file(guidePath());
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

} // namespace

class TestGuidePage final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keyMapIsTheProgramsOwn()
    {
        QString page = readGuide();
        QVERIFY2(!page.isEmpty(), qPrintable(guidePath()));
        const qsizetype begin = page.indexOf(beginMark);
        const qsizetype end = page.indexOf(endMark);
        QVERIFY(begin >= 0 && end > begin);
        const qsizetype from = begin + beginMark.size() + 1;
        const QString expected = keyMapHtml();
        if (qEnvironmentVariableIntValue("QUORVEL_UPDATE_GUIDE") == 1) {
            page.replace(from, end - from, expected);
            QFile file(guidePath());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(page.toUtf8());
            return;
        }
        QCOMPARE(page.mid(from, end - from), expected);
    }

    void everyLinkInThePageHasATarget()
    {
        const QString page = readGuide();
        QSet<QString> anchors;
        const QRegularExpression named(QStringLiteral(R"re((?:name|id)="([^"]+)")re"));
        for (const auto& m : named.globalMatch(page)) {
            anchors.insert(m.captured(1));
        }
        const QRegularExpression link(QStringLiteral(R"re(href="([^"]*)")re"));
        int links = 0;
        for (const auto& m : link.globalMatch(page)) {
            const QString target = m.captured(1);
            ++links;
            if (target.startsWith(u'#')) {
                QVERIFY2(anchors.contains(target.mid(1)), qPrintable(target));
            } else {
                QVERIFY2(target.startsWith(QStringLiteral("https://")) ||
                             target.startsWith(QStringLiteral("mailto:")),
                         qPrintable(target));
            }
        }
        QVERIFY(links > 5);
    }
};

QTEST_APPLESS_MAIN(TestGuidePage)
#include "tst_guidepage.moc"
