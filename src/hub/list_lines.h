#pragma once
// The fixed-width pieces every line of the hub's lists is made of. Lists are
// read in a fixed-pitch font, so each piece keeps its width whatever it holds,
// and callers read pieces back by position (a rank is the first three
// characters of a ranking line, a list colour comes from characters 2 to 5).

#include <QString>
#include <QStringView>

namespace baisuu {

// The last width characters of fill followed by text: text right-aligned in
// width characters (a longer text keeps its last characters).
QString LastOf(QStringView fill, QStringView text, int width);

// The rank in two characters: " 7", "12"; ranks above 99 keep their last two digits.
QString Rank2(int rank);
// A name without its trailing blanks, padded with full-width blanks and cut to five characters.
QString Name5(const QString& name);
// "●" for the pupil who looks, the grade mark (①..⑥, Ⅰ..Ⅲ, "　") for anyone else.
QString ListMark(bool own, int grade);
// The end of a ranking line: "●" for the pupil who looks, a full-width blank otherwise.
QString EndMark(bool own);
// A run time in five characters, seconds marked: "  23秒".
QString Time5(qint32 runTime);
// A run's time of day as HH:MM ("09:05"), from the log's fraction of a day.
QString Clock5(double runClock);
// A run's month and day as MM/dd ("12/08"), from the log's day count.
QString Date5(double runDate);

} // namespace baisuu
