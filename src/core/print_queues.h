#pragma once
// The print server's queues as its clients see them: whether a server
// answers, which queues it has and whether each would print a job now. The
// program asks before it sends a job, and `check` asks for the IT person.
// A server that takes longer than a few seconds counts as out of reach, so
// neither hangs on it.

#include <QList>
#include <QString>

#include <optional>

namespace baisuu {

enum class QueueState {
    Ready,    // takes jobs and prints them
    Stopped,  // takes jobs but holds them: paused (cupsdisable) or stopped by a printer fault
    Refusing, // refuses new jobs (cupsreject)
    Unknown,  // the server has no queue of that name
    NoServer, // no print server answers
};

struct PrintQueue {
    QString name;
    QueueState state = QueueState::Ready;
};

struct PrintServerQueues {
    QList<PrintQueue> queues;
    QString defaultQueue; // empty when the server names none
};

// The state of one queue; "printer/instance" (as Qt names an instance) is
// the printer's queue.
QueueState PrintQueueState(const QString& queue);

// Every printer queue of the server and its default; nullopt when no print
// server answers.
std::optional<PrintServerQueues> ListPrintQueues();

} // namespace baisuu
