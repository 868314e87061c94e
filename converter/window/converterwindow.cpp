#include "converterwindow.h"

#include "datafolder.h"
#include "savepathasker.h"
#include "textfile.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

void showAsError(QLabel* label, bool error)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText,
                 error ? QColor(176, 0, 0)
                       : label->parentWidget()->palette().color(QPalette::WindowText));
    label->setPalette(pal);
}

} // namespace

ConverterWindow::ConverterWindow(QString dataFolder, const QString& programFolder,
                                 SavePathAsker& saveAsker, QWidget* parent)
    : QWidget(parent)
    , dataFolder_(std::move(dataFolder))
    , saveAsker_(saveAsker)
    , names_(InstrumentNames::load(QDir(programFolder).filePath(QStringLiteral("pellory.dll"))))
{
    setObjectName(QStringLiteral("ConverterWindow"));
    setWindowTitle(QStringLiteral("Quorvel - Create MIDI"));

    auto* heading =
        new QLabel(QStringLiteral("A Standard MIDI File from the piano's recording"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    auto* folder = new QLabel(
        QStringLiteral("Data folder: %1").arg(QDir::toNativeSeparators(dataFolder_)), this);
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);

    lblSummary_ = new QLabel(this);
    lblSummary_->setObjectName(QStringLiteral("lblSummary"));
    lblSummary_->setWordWrap(true);
    lblSummary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblSummary_->setMinimumHeight(fontMetrics().lineSpacing() * 5);
    lblSummary_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    cboInstrument_ = new QComboBox(this);
    cboInstrument_->setObjectName(QStringLiteral("cboInstrument"));
    for (int n = 0; n < InstrumentNames::count; ++n) {
        const QString name = names_.name(n);
        cboInstrument_->addItem(name.isEmpty() ? QString::number(n)
                                               : QStringLiteral("%1 %2").arg(n).arg(name));
    }
    cboInstrument_->setMaxVisibleItems(16);
    auto* instrumentLabel = new QLabel(QStringLiteral("&Instrument:"), this);
    instrumentLabel->setBuddy(cboInstrument_);

    cmdRead_ = new QPushButton(QStringLiteral("&Read again"), this);
    cmdRead_->setObjectName(QStringLiteral("cmdRead"));
    cmdSave_ = new QPushButton(QStringLiteral("&Save MIDI file..."), this);
    cmdSave_->setObjectName(QStringLiteral("cmdSave"));
    cmdSave_->setDefault(true);
    cmdClose_ = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));

    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setWordWrap(true);
    lblStatus_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* instrumentRow = new QHBoxLayout;
    instrumentRow->addWidget(instrumentLabel);
    instrumentRow->addWidget(cboInstrument_, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(cmdRead_);
    buttonRow->addStretch(1);
    buttonRow->addWidget(cmdSave_);
    buttonRow->addWidget(cmdClose_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(folder);
    layout->addWidget(lblSummary_);
    layout->addLayout(instrumentRow);
    layout->addLayout(buttonRow);
    layout->addWidget(lblStatus_);
    layout->addStretch(1);
    setMinimumWidth(fontMetrics().averageCharWidth() * 80);

    connect(cmdRead_, &QPushButton::clicked, this, &ConverterWindow::readRecording);
    connect(cmdSave_, &QPushButton::clicked, this, &ConverterWindow::cmdSave_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &QWidget::close);

    savePath_ = DataFolder(dataFolder_).file(QString::fromLatin1(MidiConversion::defaultFileName));
    readRecording();
}

void ConverterWindow::readRecording()
{
    conversion_ = MidiConversion::load(dataFolder_);
    const bool ok = conversion_.ok();
    lblSummary_->setText(ok ? conversion_.summary() : conversion_.error());
    showAsError(lblSummary_, !ok);
    cboInstrument_->setEnabled(ok);
    cmdSave_->setEnabled(ok);
    lblStatus_->clear();
    (ok ? static_cast<QWidget*>(cmdSave_) : cmdRead_)->setFocus();
}

void ConverterWindow::cmdSave_Click()
{
    const auto bytes = conversion_.midiFile(cboInstrument_->currentIndex());
    if (!bytes) {
        lblStatus_->setText(QStringLiteral("The MIDI file cannot be formed from this recording."));
        showAsError(lblStatus_, true);
        return;
    }
    const QString path = saveAsker_.askSavePath(this, savePath_);
    if (path.isEmpty()) {
        lblStatus_->setText(QStringLiteral("Not saved."));
        showAsError(lblStatus_, false);
        return;
    }
    QString error;
    if (!textfile::writeAtomically(path, *bytes, &error)) {
        lblStatus_->setText(error + QStringLiteral(" Nothing was written."));
        showAsError(lblStatus_, true);
        return;
    }
    savePath_ = path;
    lblStatus_->setText(QStringLiteral("Saved to %1.").arg(QDir::toNativeSeparators(path)));
    showAsError(lblStatus_, false);
}
