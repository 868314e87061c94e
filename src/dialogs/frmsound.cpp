#include "frmsound.h"

#include "appearance.h"
#include "desktop.h"
#include "dialoglook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

template <typename Widget> Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

// Selects the entry whose data is `value`; false when there is none.
bool selectData(QComboBox* box, const QVariant& value)
{
    const int index = box->findData(value);
    if (index >= 0) {
        box->setCurrentIndex(index);
    }
    return index >= 0;
}

} // namespace

FrmSound::FrmSound(const SoundSettings& values, const QStringList& installedFonts,
                   const QList<MidiSystem>& systems, const QString& status, const QColor& backColor,
                   Desktop& desktop, Hooks hooks)
    : original_(values)
    , fontInUse_(values.soundFont)
    , systems_(systems)
    , desktop_(desktop)
    , hooks_(std::move(hooks))
{
    using namespace dialoglook;
    setObjectName(QStringLiteral("frmSound"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, true);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Sound and MIDI"));
    setWindowIcon(appearance::applicationIcon());
    setFont(labelFont());
    setWindowColor(this, backColor);

    cboSoundFont_ = named(new QComboBox(this), "cboSoundFont");
    for (const QString& path : installedFonts) {
        cboSoundFont_->addItem(fileName(path), path);
        cboSoundFont_->setItemData(cboSoundFont_->count() - 1, path, Qt::ToolTipRole);
    }
    auto* cmdBrowse = named(new QPushButton(QStringLiteral("Other file..."), this), "cmdBrowse");
    lblSoundFont_ = named(new QLabel(this), "lblSoundFont");
    lblSoundFont_->setTextFormat(Qt::PlainText);
    lblSoundFont_->setWordWrap(true);
    showFontInUse({});

    sldVolume_ = named(new QSlider(Qt::Horizontal, this), "sldVolume");
    sldVolume_->setRange(0, soundsettings::maxVolume);
    sldVolume_->setValue(values.volume);
    lblVolume_ = named(new QLabel(QString::number(values.volume), this), "lblVolume");
    chkReverb_ = named(new QCheckBox(QStringLiteral("Reverb"), this), "chkReverb");
    chkReverb_->setChecked(values.reverb);
    chkChorus_ = named(new QCheckBox(QStringLiteral("Chorus"), this), "chkChorus");
    chkChorus_->setChecked(values.chorus);

    cboOutput_ = named(new QComboBox(this), "cboOutput");
    cboOutput_->addItem(QStringLiteral("The embedded synthesiser"),
                        static_cast<int>(SoundSettings::Output::Synthesiser));
    cboOutput_->addItem(QStringLiteral("A MIDI port for other programs"),
                        static_cast<int>(SoundSettings::Output::Port));
    cboOutput_->addItem(QStringLiteral("Both"), static_cast<int>(SoundSettings::Output::Both));
    selectData(cboOutput_, static_cast<int>(values.output));

    cboSystem_ = named(new QComboBox(this), "cboSystem");
    cboSystem_->addItem(QStringLiteral("The first available"), QString());
    for (const MidiSystem& s : systems_) {
        cboSystem_->addItem(
            s.available() ? s.name : s.name + QStringLiteral(" (not available now)"), s.key);
    }
    selectData(cboSystem_, values.portSystem);
    cboInput_ = named(new QComboBox(this), "cboInput");
    fillInputs();

    auto* lblStatus = named(new QLabel(status, this), "lblStatus");
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->setWordWrap(true);
    auto* lblNextStart = named(
        new QLabel(QStringLiteral("Output, MIDI system and input apply at the next start."), this),
        "lblNextStart");

    auto* cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdOK->setDefault(true);
    setButtonColor(cmdOK, buttonColor);
    auto* cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");

    auto* fontRow = new QHBoxLayout;
    fontRow->addWidget(cboSoundFont_, 1);
    fontRow->addWidget(cmdBrowse);
    auto* volumeRow = new QHBoxLayout;
    volumeRow->addWidget(sldVolume_, 1);
    volumeRow->addWidget(lblVolume_);
    auto* effectsRow = new QHBoxLayout;
    effectsRow->addWidget(chkReverb_);
    effectsRow->addWidget(chkChorus_);
    effectsRow->addStretch(1);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("SoundFont:"), fontRow);
    form->addRow(QString(), lblSoundFont_);
    form->addRow(QStringLiteral("Volume:"), volumeRow);
    form->addRow(QString(), effectsRow);
    form->addRow(QStringLiteral("Output:"), cboOutput_);
    form->addRow(QStringLiteral("MIDI system:"), cboSystem_);
    form->addRow(QStringLiteral("MIDI input:"), cboInput_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(addTitle(this, 0, 0, 2565, 360));
    layout->addLayout(form);
    layout->addWidget(lblStatus);
    layout->addWidget(lblNextStart);
    layout->addLayout(buttons);
    lblSoundFont_->setMinimumWidth(360);
    // Room for a refusal and the font in use, as the window does not grow.
    lblSoundFont_->setMinimumHeight(lblSoundFont_->fontMetrics().lineSpacing() * 3);
    lblStatus->setMinimumWidth(360);

    connect(cboSoundFont_, &QComboBox::activated, this,
            [this](int index) { tryFont(cboSoundFont_->itemData(index).toString()); });
    connect(cmdBrowse, &QPushButton::clicked, this, [this] {
        const QString path = hooks_.chooseFile ? hooks_.chooseFile(this) : QString();
        if (!path.isEmpty()) {
            tryFont(path);
        }
    });
    connect(sldVolume_, &QSlider::valueChanged, this, [this](int volume) {
        lblVolume_->setNum(volume);
        Q_EMIT volumeChanged(volume);
    });
    connect(chkReverb_, &QCheckBox::toggled, this, &FrmSound::reverbChanged);
    connect(chkChorus_, &QCheckBox::toggled, this, &FrmSound::chorusChanged);
    connect(cboSystem_, &QComboBox::currentIndexChanged, this, &FrmSound::fillInputs);
    connect(cmdOK, &QPushButton::clicked, this, &FrmSound::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmSound::reject);
    setFixedSize(sizeHint());
    dialoglook::centreOnScreen(this);
}

SoundSettings FrmSound::choices() const
{
    SoundSettings values;
    values.soundFont = fontInUse_;
    values.volume = sldVolume_->value();
    values.reverb = chkReverb_->isChecked();
    values.chorus = chkChorus_->isChecked();
    values.output = static_cast<SoundSettings::Output>(cboOutput_->currentData().toInt());
    values.portSystem = cboSystem_->currentData().toString();
    values.inputPort = cboInput_->currentData().toString();
    return values;
}

QString FrmSound::askForSoundFont(QWidget* parent)
{
    return QFileDialog::getOpenFileName(parent, QStringLiteral("SoundFont"), QString(),
                                        QStringLiteral("SoundFonts (*.sf2 *.sf3)"));
}

void FrmSound::cmdOK_Click()
{
    QString error;
    if (hooks_.save && !hooks_.save(choices(), &error)) {
        desktop_.showMessage(this,
                             QStringLiteral("The sound settings were not saved.\n%1").arg(error));
        return;
    }
    accept();
}

void FrmSound::reject()
{
    if (sldVolume_->value() != original_.volume) {
        Q_EMIT volumeChanged(original_.volume);
    }
    if (chkReverb_->isChecked() != original_.reverb) {
        Q_EMIT reverbChanged(original_.reverb);
    }
    if (chkChorus_->isChecked() != original_.chorus) {
        Q_EMIT chorusChanged(original_.chorus);
    }
    if (fontInUse_ != original_.soundFont && hooks_.loadSoundFont) {
        // It played when the window opened; should it fail now, the one in use stays.
        (void)hooks_.loadSoundFont(original_.soundFont);
    }
    QDialog::reject();
}

void FrmSound::tryFont(const QString& path)
{
    if (path == fontInUse_) {
        showFontInUse({});
        return;
    }
    const QString refusal = hooks_.loadSoundFont ? hooks_.loadSoundFont(path)
                                                 : QStringLiteral("no synthesiser to load it");
    if (refusal.isEmpty()) {
        fontInUse_ = path;
    }
    showFontInUse(refusal.isEmpty() ? QString()
                                    : QStringLiteral("%1: %2").arg(fileName(path), refusal));
}

void FrmSound::showFontInUse(const QString& refusal)
{
    cboSoundFont_->setCurrentIndex(fontIndex(fontInUse_));
    const QString inUse = QStringLiteral("In use: %1").arg(fontInUse_);
    lblSoundFont_->setText(
        refusal.isEmpty() ? inUse : QStringLiteral("Refused: %1\n%2").arg(refusal, inUse));
}

int FrmSound::fontIndex(const QString& path)
{
    const int index = cboSoundFont_->findData(path);
    if (index >= 0) {
        return index;
    }
    cboSoundFont_->addItem(fileName(path), path);
    cboSoundFont_->setItemData(cboSoundFont_->count() - 1, path, Qt::ToolTipRole);
    return cboSoundFont_->count() - 1;
}

void FrmSound::fillInputs()
{
    const QString wanted =
        cboInput_->count() > 0 ? cboInput_->currentData().toString() : original_.inputPort;
    const MidiSystem* system = midisystems::choose(systems_, cboSystem_->currentData().toString());
    const bool chosenRuns = system && (cboSystem_->currentData().toString().isEmpty() ||
                                       system->key == cboSystem_->currentData().toString());
    const QStringList inputs = chosenRuns ? system->inputs : QStringList();

    cboInput_->clear();
    cboInput_->addItem(QStringLiteral("None"), QString());
    for (const QString& port : inputs) {
        cboInput_->addItem(port, port);
    }
    const int found = midisystems::findPort(inputs, wanted);
    if (found >= 0) {
        cboInput_->setCurrentIndex(found + 1);
    } else if (!wanted.isEmpty()) {
        // A keyboard that is not plugged in now stays chosen.
        cboInput_->addItem(wanted + QStringLiteral(" (not there now)"), wanted);
        cboInput_->setCurrentIndex(cboInput_->count() - 1);
    }
}
