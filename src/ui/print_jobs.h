#pragma once
// Whether a printed document reached the printer. Qt hands the finished
// document to the print server and reports success whatever the server
// answered, so a queue that refuses jobs, or a server gone, would pass
// untold: the server is asked here, before and after the painting.

#include <QString>

#include <functional>

class QPrinter;

namespace baisuu {

// What the teacher is told when a document did not reach the printer.
QString PrintFailedText();

// Runs paint, which paints one document on printer and ends it (true when it
// could), and says whether the document reached the printer. On a printer
// of the print server, a queue that refuses jobs or a server that does not
// answer is found before anything is painted, and the server's answer to
// the job is looked at after. Printing to a file is paint's own answer.
bool PrintDocument(QPrinter& printer, const std::function<bool()>& paint);

} // namespace baisuu
