#include "ui/print_jobs.h"

#include <QPrinter>

#include <cups/cups.h>

namespace baisuu {

namespace {

// A print server that takes longer than this to connect or to answer counts
// as out of reach: printing must not hang on it.
constexpr int kAnswerMs = 5000;

// False when no print server answers or the printer's queue refuses jobs.
// A printer the server does not know is left to the job's answer.
bool queueTakesJobs(const QString& printerName) {
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                kAnswerMs, nullptr);
    if (!http) return false;
    httpSetTimeout(http, kAnswerMs / 1000.0, nullptr, nullptr);
    // Qt names an instance of a printer "printer/instance"; the queue is the printer.
    const QByteArray queue = printerName.section(QLatin1Char('/'), 0, 0).toUtf8();
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", queue.constData());
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-is-accepting-jobs");
    ipp_t* response = cupsDoRequest(http, request, "/");
    ipp_attribute_t* accepting =
        ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
    const bool takes = response && (!accepting || ippGetBoolean(accepting, 0));
    ippDelete(response);
    httpClose(http);
    return takes;
}

} // namespace

QString PrintFailedText() {
    return QStringLiteral("印刷できませんでした。プリンタを確かめてください。");
}

bool PrintDocument(QPrinter& printer, const std::function<bool()>& paint) {
    if (printer.outputFormat() != QPrinter::NativeFormat || !printer.outputFileName().isEmpty())
        return paint();
    if (!queueTakesJobs(printer.printerName())) return false;
    if (!paint()) return false;
    // Ending the painter sent the job from this thread, and the server's
    // answer to it is the last one libcups keeps for the thread: a refusal
    // shows there even though the painter ended well.
    return cupsLastError() < IPP_STATUS_REDIRECTION_OTHER_SITE;
}

} // namespace baisuu
