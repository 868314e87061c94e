#include "converterwindow.h"

#include "audiorender.h"
#include "conversionsave.h"
#include "datafolder.h"
#include "savepathasker.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QThread>
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

// `path` with the suffix of `format` in place of its own.
QString withFormat(const QString& path, OutputFormat format)
{
    const QFileInfo info(path);
    return info.dir().filePath(info.completeBaseName() + u'.' + outputformat::suffix(format));
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
        new QLabel(QStringLiteral("A MIDI file or a sound file from the piano's recording"), this);
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

    cboFormat_ = new QComboBox(this);
    cboFormat_->setObjectName(QStringLiteral("cboFormat"));
    formats_ = {OutputFormat::Midi};
    formats_.append(audiorender::supportedFormats());
    for (const OutputFormat f : std::as_const(formats_)) {
        cboFormat_->addItem(outputformat::filter(f));
    }
    auto* formatLabel = new QLabel(QStringLiteral("&Kind of file:"), this);
    formatLabel->setBuddy(cboFormat_);

    cmdRead_ = new QPushButton(QStringLiteral("&Read again"), this);
    cmdRead_->setObjectName(QStringLiteral("cmdRead"));
    cmdSave_ = new QPushButton(QStringLiteral("&Save file..."), this);
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
    instrumentRow->addWidget(formatLabel);
    instrumentRow->addWidget(cboFormat_);
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

ConverterWindow::~ConverterWindow()
{
    if (render_) {
        cancelRender_ = true;
        render_->wait();
        delete render_;
    }
}

void ConverterWindow::cmdSave_Click()
{
    const OutputFormat format = formats_.value(cboFormat_->currentIndex(), OutputFormat::Midi);
    const QString answer = saveAsker_.askSavePath(this, withFormat(savePath_, format));
    if (answer.isEmpty()) {
        lblStatus_->setText(QStringLiteral("Not saved."));
        showAsError(lblStatus_, false);
        return;
    }
    // A suffix the user typed chooses the kind of file, as on the command line.
    const QString path = outputformat::withSuffix(answer, format);
    const OutputFormat chosen = outputformat::forPath(path).value_or(format);
    if (!formats_.contains(chosen)) {
        saved(path, QStringLiteral("This build of FluidSynth cannot write %1 files.")
                        .arg(outputformat::name(chosen)));
        return;
    }
    const int instrument = cboInstrument_->currentIndex();
    if (chosen == OutputFormat::Midi) {
        saved(path, saveConversion(conversion_, instrument, chosen, path));
        return;
    }
    setBusy(true);
    lblStatus_->setText(QStringLiteral("Writing %1...").arg(QDir::toNativeSeparators(path)));
    showAsError(lblStatus_, false);
    cancelRender_ = false;
    render_ = QThread::create([this, conversion = conversion_, instrument, chosen, path] {
        const QString error = saveConversion(conversion, instrument, chosen, path, &cancelRender_);
        QMetaObject::invokeMethod(
            this, [this, path, error] { saved(path, error); }, Qt::QueuedConnection);
    });
    render_->start();
}

void ConverterWindow::saved(const QString& path, const QString& error)
{
    if (render_) {
        render_->wait();
        delete render_;
        render_ = nullptr;
        setBusy(false);
    }
    if (!error.isEmpty()) {
        lblStatus_->setText(error);
        showAsError(lblStatus_, true);
        return;
    }
    savePath_ = path;
    lblStatus_->setText(QStringLiteral("Saved to %1.").arg(QDir::toNativeSeparators(path)));
    showAsError(lblStatus_, false);
}

void ConverterWindow::setBusy(bool busy)
{
    for (QWidget* w : {static_cast<QWidget*>(cmdSave_), static_cast<QWidget*>(cmdRead_),
                       static_cast<QWidget*>(cboInstrument_), static_cast<QWidget*>(cboFormat_)}) {
        w->setEnabled(!busy);
    }
}
