#pragma once

#include "instrumentnames.h"
#include "midiconversion.h"
#include "outputformat.h"

#include <QWidget>

#include <atomic>

class QComboBox;
class QLabel;
class QPushButton;
class QThread;
class SavePathAsker;

// The converter's one window: what was found in the recording, the instrument, the
// kind of file, and the Save button. Reads the recording when it is built and again on
// "Read again". Sound files are rendered on a thread of their own, so the window stays
// alive; closing it stops a render and writes nothing.
class ConverterWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ConverterWindow)

public:
    ConverterWindow(QString dataFolder, const QString& programFolder, SavePathAsker& saveAsker,
                    QWidget* parent = nullptr);
    ~ConverterWindow() override;

private:
    void readRecording();
    void cmdSave_Click();
    void saved(const QString& path, const QString& error);
    void setBusy(bool busy);

    QString dataFolder_;
    QString savePath_; // suggested to the save question: piano.mid first, then the last path saved
    QList<OutputFormat> formats_; // those cboFormat offers, in its order
    SavePathAsker& saveAsker_;
    InstrumentNames names_;
    MidiConversion conversion_;

    QLabel* lblSummary_ = nullptr;
    QComboBox* cboInstrument_ = nullptr;
    QComboBox* cboFormat_ = nullptr;
    QPushButton* cmdRead_ = nullptr;
    QPushButton* cmdSave_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    QLabel* lblStatus_ = nullptr;

    QThread* render_ = nullptr; // while a sound file is being written
    std::atomic_bool cancelRender_ = false;
};
