// Whether the teacher's charts and lists can reach a printer. A school may
// work without one (the print dialog then writes PDF files), so what is
// found is a notice for the IT person, not a fault of the installation.

#include "cli/cli.h"

#include "core/print_queues.h"

namespace baisuu {

namespace {

QString queueNotice(const PrintQueue& queue) {
    const QString& name = queue.name;
    switch (queue.state) {
    case QueueState::Ready:
        break;
    case QueueState::Stopped:
        return QStringLiteral("プリンタ「%1」が止まっています。送った印刷は止まったままになります。"
                              "プリンタを確かめ、cupsenable %1 で再開してください。")
            .arg(name);
    case QueueState::Refusing:
        return QStringLiteral("プリンタ「%1」が印刷を受け付けていません。"
                              "cupsaccept %1 で受け付けるようにしてください。")
            .arg(name);
    case QueueState::Unknown:
        return QStringLiteral("いつも使うプリンタ「%1」が印刷サーバーにありません。"
                              "lpadmin -d でいつも使うプリンタを選び直してください。")
            .arg(name);
    case QueueState::NoServer:
        break;
    }
    return {};
}

} // namespace

void CheckPrinting(const Hensuu1& state, QList<FileError>& problems) {
    Q_UNUSED(state);
    const QString unprintable =
        QStringLiteral("グラフや記録一覧を印刷できません（PDFには書き出せます）。");
    const std::optional<PrintServerQueues> server = ListPrintQueues();
    if (!server) {
        problems.append(CheckWarning(QStringLiteral("印刷サーバー（CUPS）が応答しません。") +
                                    unprintable +
                                    QStringLiteral("印刷するときは cups を起動してください。")));
        return;
    }
    if (server->queues.isEmpty()) {
        problems.append(CheckWarning(QStringLiteral("プリンタが1台も登録されていません。") +
                                    unprintable +
                                    QStringLiteral("印刷するときはプリンタを追加してください。")));
        return;
    }
    // The print dialog offers the default queue first; without one, any queue that prints will do.
    QList<PrintQueue> offered = server->queues;
    if (!server->defaultQueue.isEmpty()) {
        // A class of printers is not among the printers: it is asked on its own.
        offered = {{server->defaultQueue, PrintQueueState(server->defaultQueue)}};
        for (const PrintQueue& queue : server->queues)
            if (queue.name == server->defaultQueue) offered = {queue};
    }
    for (const PrintQueue& queue : offered)
        if (queue.state == QueueState::Ready) return;
    for (const PrintQueue& queue : offered)
        problems.append(CheckWarning(queueNotice(queue)));
}

} // namespace baisuu
