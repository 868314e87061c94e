#include "midifanout.h"

#include <algorithm>

MidiFanOut::MidiFanOut(QList<MidiOut*> outputs)
    : outputs_(std::move(outputs))
    , open_(outputs_.size(), false)
{}

bool MidiFanOut::open(int deviceId)
{
    for (qsizetype i = 0; i < outputs_.size(); ++i) {
        open_[i] = outputs_.at(i)->open(deviceId);
    }
    return std::any_of(open_.cbegin(), open_.cend(), [](bool open) { return open; });
}

void MidiFanOut::send(quint32 message)
{
    for (qsizetype i = 0; i < outputs_.size(); ++i) {
        if (open_.at(i)) {
            outputs_.at(i)->send(message);
        }
    }
}

void MidiFanOut::close()
{
    for (qsizetype i = 0; i < outputs_.size(); ++i) {
        outputs_.at(i)->close();
        open_[i] = false;
    }
}

bool MidiFanOut::isOpen(int index) const
{
    return index >= 0 && index < open_.size() && open_.at(index);
}
