#pragma once

#include "instrumentnames.h"
#include "midiconversion.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class SavePathAsker;

// The converter's one window: what was found in the recording, the instrument, and
// the Save button. Reads the recording when it is built and again on "Read again".
class ConverterWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ConverterWindow)

public:
    ConverterWindow(QString dataFolder, const QString& programFolder, SavePathAsker& saveAsker,
                    QWidget* parent = nullptr);

private:
    void readRecording();
    void cmdSave_Click();

    QString dataFolder_;
    QString savePath_; // suggested to the save question: piano.mid first, then the last path saved
    SavePathAsker& saveAsker_;
    InstrumentNames names_;
    MidiConversion conversion_;

    QLabel* lblSummary_ = nullptr;
    QComboBox* cboInstrument_ = nullptr;
    QPushButton* cmdRead_ = nullptr;
    QPushButton* cmdSave_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    QLabel* lblStatus_ = nullptr;
};
