#include "core/item_reader.h"

#include <cmath>

namespace baisuu {

namespace {
bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}
bool isLineEnd(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}
} // namespace

ItemReader::ItemReader(QString text) : text_(std::move(text)) {}

bool ItemReader::atEnd() const {
    if (afterComma_) return false;
    for (qsizetype i = pos_; i < text_.size(); ++i)
        if (!isBlank(text_[i]) && !isLineEnd(text_[i]) && text_[i] != QChar(0x1A)) return false;
    return true;
}

void ItemReader::skipBlanks() {
    while (pos_ < text_.size() && isBlank(text_[pos_]))
        ++pos_;
}

bool ItemReader::atLineEnd() const {
    return pos_ >= text_.size() || isLineEnd(text_[pos_]);
}

void ItemReader::consumeLineEnd() {
    if (pos_ >= text_.size()) return;
    if (text_[pos_] == QLatin1Char('\r') && pos_ + 1 < text_.size() &&
        text_[pos_ + 1] == QLatin1Char('\n'))
        ++pos_;
    ++pos_;
    ++line_;
}

Item ItemReader::next() {
    Item item;
    skipBlanks();
    item.line = line_;
    item.begin = pos_;
    if (pos_ < text_.size() && text_[pos_] == QLatin1Char('"')) {
        item.quoted = true;
        ++pos_;
        const qsizetype close = text_.indexOf(QLatin1Char('"'), pos_);
        const qsizetype end = close < 0 ? text_.size() : close;
        item.text = text_.mid(pos_, end - pos_);
        line_ += int(item.text.count(QLatin1Char('\n')));
        pos_ = close < 0 ? end : end + 1;
        item.end = pos_;
        // Anything between the closing quote and the delimiter is dropped.
        while (pos_ < text_.size() && text_[pos_] != QLatin1Char(',') && !isLineEnd(text_[pos_]))
            ++pos_;
    } else {
        const qsizetype start = pos_;
        while (pos_ < text_.size() && text_[pos_] != QLatin1Char(',') && !isLineEnd(text_[pos_]))
            ++pos_;
        qsizetype end = pos_;
        while (end > start && isBlank(text_[end - 1]))
            --end;
        item.text = text_.mid(start, end - start);
        item.end = end;
    }
    if (pos_ < text_.size() && text_[pos_] == QLatin1Char(',')) {
        ++pos_;
        item.endsLine = false;
        afterComma_ = true;
    } else {
        consumeLineEnd();
        item.endsLine = true;
        afterComma_ = false;
    }
    return item;
}

std::optional<double> ParseNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    // Only plain decimal notation: digits, one point, sign, exponent.
    for (QChar c : t)
        if (!(c.unicode() < 128 &&
              (c.isDigit() || c == QLatin1Char('.') || c == QLatin1Char('-') ||
               c == QLatin1Char('+') || c == QLatin1Char('e') || c == QLatin1Char('E'))))
            return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

double LeadingValue(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) ++i;
    auto digit = [&](qsizetype k) {
        return k < text.size() && text[k] >= QLatin1Char('0') && text[k] <= QLatin1Char('9');
    };
    while (digit(i))
        ++i;
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        ++i;
        while (digit(i))
            ++i;
    }
    bool ok = false;
    const double v = text.mid(start, i - start).toDouble(&ok);
    return ok ? v : 0.0;
}

QString NumberText(double value) {
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', 15);
}

Value Value::fromItem(const Item& item) {
    Value v;
    if (item.isEmpty()) return v;
    if (!item.quoted) {
        if (const auto n = ParseNumber(item.text)) {
            v.kind = Kind::Number;
            v.number = *n;
            return v;
        }
    }
    v.kind = Kind::Text;
    v.text = item.text;
    return v;
}

double Value::toNumber() const {
    switch (kind) {
    case Kind::Number:
        return number;
    case Kind::Text:
        return LeadingValue(text);
    case Kind::Empty:
        break;
    }
    return 0;
}

QString Value::toText() const {
    switch (kind) {
    case Kind::Number:
        return NumberText(number);
    case Kind::Text:
        return text;
    case Kind::Empty:
        break;
    }
    return {};
}

} // namespace baisuu
