#pragma once
// The one reader of the data root's text formats (configuration, criteria,
// roster, sound list): a sequence of items separated by commas or line ends.
// A double-quoted item may hold commas; blanks around an unquoted item are
// ignored; numbers are decimal. Every format reads its items in order from here.

#include <QString>
#include <optional>

namespace baisuu {

struct Item {
    QString text;
    bool quoted = false;
    int line = 0;         // 1-based line on which the item begins
    bool endsLine = true; // ended by a line end or the end of the text, not by a comma
    // Where the item stands in the text, quotes included and blanks around it
    // excluded, so an editor can replace one item and keep every other character.
    qsizetype begin = 0;
    qsizetype end = 0;

    bool isEmpty() const { return !quoted && text.isEmpty(); }
};

class ItemReader {
  public:
    explicit ItemReader(QString text);

    // True when nothing but blanks and line ends is left (and no comma awaits its item).
    bool atEnd() const;
    // The next item; past the end an empty item.
    Item next();
    // Line the next item begins on.
    int line() const { return line_; }

  private:
    void skipBlanks();
    bool atLineEnd() const;
    void consumeLineEnd();

    QString text_;
    qsizetype pos_ = 0;
    bool afterComma_ = false; // a comma promises one more item, even at the end
    int line_ = 1;
};

// A value read "as it stands": a number for numeric text, text for anything
// else (or quoted), nothing for an empty item. Users compare it as a number.
struct Value {
    enum class Kind { Empty, Number, Text };
    Kind kind = Kind::Empty;
    double number = 0;
    QString text;

    static Value fromItem(const Item& item);
    double toNumber() const; // Empty → 0, Text → its leading number (as Val reads it)
    QString toText() const;  // the cell text that writes it back
    bool operator==(const Value&) const = default;
};

// The whole item as a decimal number (blanks around it allowed), or nullopt.
std::optional<double> ParseNumber(const QString& text);

// The leading number of a text, 0 when it does not begin with one: the reading
// the site line's school code and loose values get (blanks skipped, stops at
// the first character that cannot continue the number).
double LeadingValue(const QString& text);

// Shortest decimal text of a number, as it is written back to files ("1.5", "20").
QString NumberText(double value);

} // namespace baisuu
