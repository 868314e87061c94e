#include "form2.h"

#include "desktop.h"
#include "dialoglook.h"
#include "twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {

const QColor boxColor(255, 232, 251);

struct BoxPlace
{
    const char* name;
    int left;
    int top;
};

// In the order of the settings file's lines, which is also the tab order.
constexpr std::array<BoxPlace, settingstexts::boxCount> boxPlaces{{
    {"cxnl", 1440, 840},
    {"octx", 1440, 1200},
    {"delx", 1440, 1560},
    {"minx", 3840, 840},
    {"maxx", 3840, 1200},
    {"defx", 3840, 1560},
}};

} // namespace

Form2::Form2(const settingstexts::Texts& texts, const QColor& backColor, Desktop& desktop,
             SaveFunction save)
    : desktop_(desktop)
    , save_(std::move(save))
{
    using namespace dialoglook;
    setUpWindow(this, "Form2", Qt::Dialog, 5385, 2505, backColor);
    setWindowTitle(QStringLiteral(" Quorvel Settings"));

    addTitle(this, 360, 120, 2565, 360);
    QLabel* heading = addLabel(this, "Label1", QStringLiteral("Settings"), 360, 480, 1455, 255);
    heading->setFont(designFont("MS Sans Serif", 8.25, true));
    // The numbers in these captions are fixed text, the values of the shipped file.
    addLabel(this, "lbl2", QStringLiteral("Channel: 0"), 360, 840, 1005, 225);
    addLabel(this, "Label2", QStringLiteral("Octave: 60"), 360, 1200, 1005, 225);
    addLabel(this, "Label3", QStringLiteral("Aftertouch: 5"), 360, 1560, 1125, 225);
    addLabel(this, "Label4", QStringLiteral("Min Tempo: 0"), 2520, 840, 1005, 225);
    addLabel(this, "Label5", QStringLiteral("Max Tempo: 300"), 2520, 1200, 1245, 225);
    addLabel(this, "Label6", QStringLiteral("Def Tempo: 112"), 2520, 1560, 1245, 225);

    for (int i = 0; i < settingstexts::boxCount; ++i) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(boxPlaces.at(i).name));
        box->setGeometry(twips::rect(boxPlaces.at(i).left, boxPlaces.at(i).top, 495, 285));
        // Room for the loaded text, then no more than the limit once the user edits.
        const int limit = settingstexts::maxLengths.at(i);
        box->setMaxLength(std::max<int>(limit, texts.at(i).size()));
        box->setText(texts.at(i));
        connect(box, &QLineEdit::textEdited, box,
                [box, limit] { box->setMaxLength(std::max<int>(limit, box->text().size())); });
        setBoxColor(box, boxColor);
        boxes_.at(i) = box;
    }

    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setGeometry(twips::rect(360, 1920, 780, 345));
    cmdOK_->setDefault(true);
    setButtonColor(cmdOK_, buttonColor);
    connect(cmdOK_, &QPushButton::clicked, this, &Form2::cmdOK_Click);

    centreOnScreen(this);
}

settingstexts::Texts Form2::texts() const
{
    settingstexts::Texts texts;
    std::transform(boxes_.begin(), boxes_.end(), texts.begin(),
                   [](const QLineEdit* box) { return box->text(); });
    return texts;
}

void Form2::cmdOK_Click()
{
    const settingstexts::Texts values = texts();
    if (!std::all_of(values.begin(), values.end(),
                     [](const QString& text) { return settingstexts::isNumeric(text); })) {
        cmdOK_->setText(QStringLiteral("Retry"));
        return;
    }
    QString error;
    if (!save_(values, &error)) {
        desktop_.showMessage(this, QStringLiteral("The settings were not saved.\n%1").arg(error));
        return;
    }
    close();
}

void Form2::keyPressEvent(QKeyEvent* event)
{
    // Escape does not cancel here: like Enter it presses OK.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdOK_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
