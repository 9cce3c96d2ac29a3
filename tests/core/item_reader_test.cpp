#include "core/item_reader.h"

#include <QStringList>

#include "test_support.h"

#include <gtest/gtest.h>

namespace baisuu {

namespace {
QStringList readAll(const QString& text) {
    ItemReader reader(text);
    QStringList items;
    while (!reader.atEnd())
        items.append(reader.next().text);
    return items;
}
} // namespace

TEST(ItemReader, SplitsOnCommasAndLineEndsAndKeepsQuotedCommas) {
    EXPECT_EQ(readAll(QStringLiteral("1,\"山田, 太郎\" ,  x y  \r\n2\n3\r4")),
              (QStringList{"1", "山田, 太郎", "x y", "2", "3", "4"}));
    // Blanks inside quotes stay; blanks around unquoted items go.
    EXPECT_EQ(readAll(QStringLiteral("\"  a \",\t b\t,")), (QStringList{"  a ", "b", ""}));
    // Three trailing commas are three empty items: a heading line has 12 fields.
    EXPECT_EQ(readAll(QStringLiteral("a,b,,,\r\nc")), (QStringList{"a", "b", "", "", "", "c"}));
    // Trailing line ends and an end-of-file mark are not items.
    EXPECT_EQ(readAll(QStringLiteral("a\r\n\r\n  \r\n\x1a")), (QStringList{"a"}));
    EXPECT_EQ(readAll(QString()), QStringList{});
}

TEST(ItemReader, TellsLinesQuotingAndHowAnItemEnded) {
    ItemReader reader(QStringLiteral("\"x\",1\r\n\"\",2"));
    Item a = reader.next();
    EXPECT_TRUE(a.quoted);
    EXPECT_FALSE(a.endsLine);
    EXPECT_EQ(a.line, 1);
    Item b = reader.next();
    EXPECT_TRUE(b.endsLine);
    Item c = reader.next();
    EXPECT_EQ(c.line, 2);
    EXPECT_TRUE(c.quoted);
    EXPECT_FALSE(c.isEmpty()); // a quoted empty text is text, not nothing
    EXPECT_EQ(reader.next().text, QStringLiteral("2"));
    EXPECT_TRUE(reader.atEnd());
    EXPECT_TRUE(reader.next().isEmpty()); // past the end: empty, no crash

    // An unclosed quote takes the rest of the text instead of running past it.
    ItemReader open(QStringLiteral("\"abc,def"));
    EXPECT_EQ(open.next().text, QStringLiteral("abc,def"));
    EXPECT_TRUE(open.atEnd());
}

TEST(Values, ReadNumbersTextAndNothingAsTheyStand) {
    EXPECT_EQ(Value::fromItem({QStringLiteral("1.5"), false}).kind, Value::Kind::Number);
    EXPECT_EQ(Value::fromItem({QStringLiteral("1.5"), true}).kind, Value::Kind::Text);
    EXPECT_EQ(Value::fromItem({QStringLiteral("abc"), false}).kind, Value::Kind::Text);
    EXPECT_EQ(Value::fromItem({QString(), false}).kind, Value::Kind::Empty);
    EXPECT_EQ(Value::fromItem({QStringLiteral("12日"), false}).toNumber(), 12);
    EXPECT_EQ(Value().toNumber(), 0);

    EXPECT_FALSE(ParseNumber(QStringLiteral("１２"))); // full-width digits are not a number
    EXPECT_FALSE(ParseNumber(QStringLiteral("0x10")));
    EXPECT_FALSE(ParseNumber(QStringLiteral("inf")));
    EXPECT_EQ(*ParseNumber(QStringLiteral(" -3 ")), -3);
    EXPECT_EQ(LeadingValue(QStringLiteral("12345塾")), 12345);
    EXPECT_EQ(LeadingValue(QStringLiteral("00000塾")), 0);
    EXPECT_EQ(LeadingValue(QStringLiteral("ｱ1234")), 0);
    EXPECT_EQ(NumberText(1.5), QStringLiteral("1.5"));
    EXPECT_EQ(NumberText(20), QStringLiteral("20"));
}

} // namespace baisuu
