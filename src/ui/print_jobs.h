#pragma once
// Sending a document to the printer, and telling the person when it did not
// get there. Qt hands the finished document to the print server and reports
// success whatever the server answered, so a queue that refuses jobs, a
// paused queue that would hold them, or a server gone would pass untold: the
// server is asked here, before and after the painting.

#include <QString>
#include <QStringList>

#include <functional>

class QPrinter;

namespace baisuu {

class Navigator;

// What the teacher is told when the queue is paused or stopped.
QString PrinterStoppedText(const QString& queue);

// Runs paint, which paints one document on printer and ends it (true when it
// could), as a job named title in the queue's list (an empty title is the
// program's name: no job goes untitled). On a printer of the print server, a
// paused or stopped queue, a queue that refuses jobs or a server that does
// not answer is found before anything is painted, and the server's answer to
// the job is looked at after. Printing to a file is paint's own answer.
// Tells navigator why, under the title "印刷", and returns false when the
// document did not get through.
bool PrintDocument(Navigator& navigator, QPrinter& printer, const QString& title,
                   const std::function<bool()>& paint);

// The print dialog asks before the one file named in it is written over;
// files written beside it (one per pupil) it never saw. True when none of
// paths exists, or when the person agrees to write over those that do.
bool MayWriteOver(Navigator& navigator, const QStringList& paths);

} // namespace baisuu
