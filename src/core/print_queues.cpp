#include "core/print_queues.h"

#include <cups/cups.h>

#include <iterator>
#include <memory>

namespace baisuu {

namespace {

// A print server that takes longer than this to connect or to answer counts
// as out of reach: printing and `check` must not hang on it.
constexpr int kAnswerMs = 5000;

struct HttpClose {
    void operator()(http_t* http) const { httpClose(http); }
};
using Connection = std::unique_ptr<http_t, HttpClose>;

struct IppDelete {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Answer = std::unique_ptr<ipp_t, IppDelete>;

Connection connectToServer() {
    Connection http{httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                 kAnswerMs, nullptr)};
    if (http) httpSetTimeout(http.get(), kAnswerMs / 1000.0, nullptr, nullptr);
    return http;
}

// Requests only the attributes a queue's state is made of.
void askForState(ipp_t* request) {
    static const char* const wanted[] = {"printer-name", "printer-state",
                                         "printer-is-accepting-jobs"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  int(std::size(wanted)), nullptr, wanted);
}

// A stopped queue is told first: it takes a job without a word and holds it.
QueueState stateOf(int printerState, bool accepting) {
    if (printerState == IPP_PSTATE_STOPPED) return QueueState::Stopped;
    return accepting ? QueueState::Ready : QueueState::Refusing;
}

} // namespace

QueueState PrintQueueState(const QString& queue) {
    const Connection http = connectToServer();
    if (!http) return QueueState::NoServer;
    const QByteArray name = queue.section(QLatin1Char('/'), 0, 0).toUtf8();
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", name.constData());
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    askForState(request);
    const Answer answer{cupsDoRequest(http.get(), request, "/")};
    if (!answer) {
        const ipp_status_t status = cupsLastError();
        return status == IPP_STATUS_ERROR_NOT_FOUND ? QueueState::Unknown : QueueState::NoServer;
    }
    if (ippGetStatusCode(answer.get()) == IPP_STATUS_ERROR_NOT_FOUND) return QueueState::Unknown;
    ipp_attribute_t* state = ippFindAttribute(answer.get(), "printer-state", IPP_TAG_ENUM);
    ipp_attribute_t* accepting =
        ippFindAttribute(answer.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
    return stateOf(state ? ippGetInteger(state, 0) : IPP_PSTATE_IDLE,
                   !accepting || ippGetBoolean(accepting, 0));
}

std::optional<PrintServerQueues> ListPrintQueues() {
    const Connection http = connectToServer();
    if (!http) return std::nullopt;
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    askForState(request);
    const Answer answer{cupsDoRequest(http.get(), request, "/")};
    // A server with no queue answers "not found"; one that does not answer gives nothing.
    if (!answer && cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND) return std::nullopt;
    PrintServerQueues server;
    // The answer holds one group of attributes per queue.
    ipp_attribute_t* a = answer ? ippFirstAttribute(answer.get()) : nullptr;
    while (a) {
        for (; a && ippGetGroupTag(a) != IPP_TAG_PRINTER; a = ippNextAttribute(answer.get())) {
        }
        QString name;
        int printerState = IPP_PSTATE_IDLE;
        bool accepting = true;
        for (; a && ippGetGroupTag(a) == IPP_TAG_PRINTER; a = ippNextAttribute(answer.get())) {
            const QByteArray attribute = ippGetName(a) ? ippGetName(a) : "";
            if (attribute == "printer-name")
                name = QString::fromUtf8(ippGetString(a, 0, nullptr));
            else if (attribute == "printer-state")
                printerState = ippGetInteger(a, 0);
            else if (attribute == "printer-is-accepting-jobs")
                accepting = ippGetBoolean(a, 0);
        }
        if (!name.isEmpty()) server.queues.append({name, stateOf(printerState, accepting)});
    }
    if (const char* name = cupsGetDefault2(http.get()))
        server.defaultQueue = QString::fromUtf8(name);
    return server;
}

} // namespace baisuu
