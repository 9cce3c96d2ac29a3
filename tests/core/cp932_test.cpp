#include "core/cp932.h"
#include "core/text_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace baisuu {

namespace {
QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}
} // namespace

// Byte values from the code page 932 table itself, not from our encoder.
TEST(Cp932, EncodesKnownCharactersToTheirCodePage932Bytes) {
    EXPECT_EQ(*cp932::Encode(QStringLiteral("①")), bytes({0x87, 0x40}));
    EXPECT_EQ(*cp932::Encode(QStringLiteral("Ⅰ")), bytes({0x87, 0x54}));
    EXPECT_EQ(*cp932::Encode(QStringLiteral("あ")), bytes({0x82, 0xA0}));
    EXPECT_EQ(*cp932::Encode(QStringLiteral("倍数")), bytes({0x94, 0x7B, 0x90, 0x94}));
    EXPECT_EQ(*cp932::Encode(QStringLiteral("ｸ")), bytes({0xB8}));
    EXPECT_EQ(*cp932::Encode(QStringLiteral("　")), bytes({0x81, 0x40}));
    EXPECT_EQ(*cp932::Encode(QStringLiteral("－")), bytes({0x81, 0x7C}));
    EXPECT_EQ(*cp932::Encode(QStringLiteral("a,1\r\n")), QByteArray("a,1\r\n"));
    // The byte 0x5C in a second byte must not be taken for a backslash.
    EXPECT_EQ(*cp932::Decode(bytes({0x83, 0x5C})), QStringLiteral("ソ"));
    EXPECT_EQ(*cp932::Decode(bytes({0x87, 0x40, 0x87, 0x54})), QStringLiteral("①Ⅰ"));
}

// Windows keeps every byte below 0x80 as itself; ICU's table alone turns
// 0x1A, 0x1C and 0x7F into one another.
TEST(Cp932, EveryByteBelow0x80IsItsOwnCharacterBothWays) {
    for (int b = 0; b < 0x80; ++b) {
        const QByteArray byte(1, char(b));
        const auto text = cp932::Decode(byte);
        ASSERT_TRUE(text) << b;
        EXPECT_EQ(*text, QString(QChar(b))) << b;
        EXPECT_EQ(cp932::Encode(*text), byte) << b;
    }
    // Beside double-byte characters too, and the rotation no longer shows.
    const QByteArray mixed = bytes({0x83, 0x5C, 0x1A, 0x87, 0x40, 0x1C, 0x7F, 0x41});
    const QString text = QStringLiteral("ソ\x1A①\x1C\x7F"
                                        "A");
    EXPECT_EQ(*cp932::Decode(mixed), text);
    EXPECT_EQ(*cp932::Encode(text), mixed);
}

TEST(Cp932, RefusesWhatCodePage932CannotHold) {
    cp932::CodecError error;
    EXPECT_FALSE(cp932::Encode(QStringLiteral("ab\r\n😀"), &error));
    EXPECT_EQ(error.line, 2);
    EXPECT_FALSE(cp932::Encode(QStringLiteral("한"), &error));

    // A lead byte without its trail byte, and a byte no table maps.
    EXPECT_FALSE(cp932::Decode(bytes({'a', '\n', 'b', 0x82}), &error));
    EXPECT_EQ(error.line, 2);
    EXPECT_FALSE(cp932::Decode(bytes({0x41, 0xA0, 0x41}), &error));
    EXPECT_EQ(error.offset, 1);
    EXPECT_TRUE(cp932::IsSingleByte(QStringLiteral("12345 ｶﾅ")));
    EXPECT_FALSE(cp932::IsSingleByte(QStringLiteral("塾")));
}

TEST(TextFile, NamesTheFileAndLineOfBadBytesAndSavesAtomically) {
    QTemporaryDir dir;
    const QString bad = writeFile(dir, QStringLiteral("名簿.txt"), "1,2\r\n3,\x82\r\n");
    FileError error;
    EXPECT_FALSE(ReadTextFile(bad, &error));
    EXPECT_EQ(error.file, bad);
    EXPECT_EQ(error.line, 2);
    EXPECT_TRUE(error.text().contains(QStringLiteral("名簿.txt")));

    // The end-of-file mark ends the text: what follows it is not read, not even bad bytes.
    const QByteArray plain = sjis(QStringLiteral("1,\"塾\"\r\n2,3\r\n"));
    const QString expected = *ReadTextFile(writeFile(dir, QStringLiteral("p.txt"), plain), &error);
    EXPECT_EQ(*ReadTextFile(writeFile(dir, QStringLiteral("m.txt"), plain + "\x1A"), &error),
              expected);
    EXPECT_EQ(
        *ReadTextFile(writeFile(dir, QStringLiteral("t.txt"), plain + "\x1A\x1A\x82 4,5"), &error),
        expected);

    EXPECT_FALSE(ReadTextFile(dir.filePath(QStringLiteral("none.txt")), &error));
    EXPECT_TRUE(error.message.contains(QStringLiteral("ありません")));

    // A failed encode leaves the old file untouched.
    const QString path = writeFile(dir, QStringLiteral("keep.txt"), sjis(QStringLiteral("元\r\n")));
    EXPECT_FALSE(WriteTextFile(path, QStringLiteral("😀"), &error));
    EXPECT_EQ(*ReadTextFile(path, &error), QStringLiteral("元\r\n"));
    EXPECT_TRUE(WriteTextFile(path, QStringLiteral("新①\r\n"), &error));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), sjis(QStringLiteral("新①\r\n")));
}

} // namespace baisuu
