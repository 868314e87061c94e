#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a Qt signal delivered by the event loop, so the program
// can stop cleanly instead of being killed. Only one instance may exist at a time.
class ShutdownSignals final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShutdownSignals)

public:
    explicit ShutdownSignals(QObject* parent = nullptr);
    ~ShutdownSignals() override;

    // False when the handlers could not be installed; the signals then keep their
    // default action.
    [[nodiscard]] bool isActive() const { return notifier_ != nullptr; }

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readPending();

    QSocketNotifier* notifier_ = nullptr;
};
