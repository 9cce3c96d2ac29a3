#include "ui/print_jobs.h"

#include "core/navigator.h"
#include "core/print_queues.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>

#include <cups/cups.h>

namespace baisuu {

namespace {

const QString kPrintTitle = QStringLiteral("印刷");

QString printFailedText() {
    return QStringLiteral("印刷できませんでした。プリンタを確かめてください。");
}

} // namespace

QString PrinterStoppedText(const QString& queue) {
    return QStringLiteral(
               "プリンタが止まっています（%1）。印刷していません。"
               "プリンタを確かめ、プリンタの設定で再開してから、もう一度印刷してください。")
        .arg(queue.section(QLatin1Char('/'), 0, 0));
}

bool PrintDocument(Navigator& navigator, QPrinter& printer, const QString& title,
                   const std::function<bool()>& paint) {
    printer.setDocName(title.isEmpty() ? QStringLiteral("倍数判定") : title);
    const auto told = [&](const QString& text) {
        navigator.message(kPrintTitle, text);
        return false;
    };
    if (printer.outputFormat() != QPrinter::NativeFormat || !printer.outputFileName().isEmpty())
        return paint() || told(printFailedText());
    switch (PrintQueueState(printer.printerName())) {
    case QueueState::Stopped:
        return told(PrinterStoppedText(printer.printerName()));
    case QueueState::Refusing:
    case QueueState::NoServer:
        return told(printFailedText());
    case QueueState::Ready:
    case QueueState::Unknown:
        break; // a queue the server does not know is left to the job's answer
    }
    if (!paint()) return told(printFailedText());
    // Ending the painter sent the job from this thread, and the server's
    // answer to it is the last one libcups keeps for the thread: a refusal
    // shows there even though the painter ended well.
    if (cupsLastError() >= IPP_STATUS_REDIRECTION_OTHER_SITE) return told(printFailedText());
    return true;
}

bool MayWriteOver(Navigator& navigator, const QStringList& paths) {
    QStringList there;
    for (const QString& path : paths)
        if (QFileInfo::exists(path)) there << QDir::toNativeSeparators(path);
    if (there.isEmpty()) return true;
    return navigator.ask(
        kPrintTitle,
        QStringLiteral("次のファイルはもうあります。上書きしますか？\n%1\n"
                       "「いいえ」なら何も書きません。別の名前で印刷し直してください。")
            .arg(there.join(QLatin1Char('\n'))),
        Question::YesNo);
}

} // namespace baisuu
