#include "platform/TextEncoding.h"

#include <gtest/gtest.h>

#include <iconv.h>
#include <string>
#include <vector>

using namespace tolvar::platform;

namespace {

// glibc's converter, the reference the platform's own converters are held to.
std::string converted(const std::string& text, const char* from, const char* to) {
    const iconv_t converter = ::iconv_open(to, from);
    std::string out(text.size() * 4, '\0');
    char* in = const_cast<char*>(text.data());
    char* at = out.data();
    std::size_t inLeft = text.size(), outLeft = out.size();
    const bool whole = ::iconv(converter, &in, &inLeft, &at, &outLeft) == 0;
    ::iconv_close(converter);
    out.resize(out.size() - outLeft);
    return whole ? out : "<refused>";
}

} // namespace

// Every code point both ways between UTF-8 and UTF-16LE, and every Windows-1252 byte there and
// back; glibc refuses the five bytes the code page leaves unassigned, which Windows keeps as the
// characters of the same value.
TEST(TextEncoding, EveryCodePointAndEveryWindows1252ByteConvertAsGlibcConvertsThem) {
    std::string utf32;
    for (char32_t c = 1; c <= 0x10FFFF; ++c) {
        for (int shift = 0; shift < 32 && (c < 0xD800 || c > 0xDFFF); shift += 8) {
            utf32 += static_cast<char>((c >> shift) & 0xFF);
        }
    }
    const std::string utf8 = converted(utf32, "UTF-32LE", "UTF-8");
    const std::string utf16 = converted(utf32, "UTF-32LE", "UTF-16LE");
    EXPECT_TRUE(utf16leToUtf8(utf16) == utf8 && utf8ToUtf16le(utf8) == utf16);
    EXPECT_EQ(characterCount(utf8), utf32.size() / 4);
    for (int byte = 1; byte < 256; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        const bool unassigned =
            byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
        EXPECT_EQ(windows1252ToUtf8(one), converted(one, unassigned ? "LATIN1" : "CP1252", "UTF-8"))
            << byte;
        EXPECT_EQ(utf8ToWindows1252(windows1252ToUtf8(one)), one) << byte;
    }
    // What the code page lacks: the best fit at both ends of the full-width forms, two units for
    // a character beyond the first plane.
    EXPECT_EQ(utf8ToWindows1252("\uFF01\uFF5E\U00010000\u20AD"), "!~???");
}

// A file's bytes are its text when they are UTF-8, and Windows-1252 otherwise: every two bytes,
// and the edges of every longer sequence (overlong, surrogate, past U+10FFFF, cut short).
TEST(TextEncoding, BytesAreUtf8ExactlyWhenGlibcDecodesThem) {
    std::vector<std::string> texts;
    for (int first = 0; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            texts.push_back({'x', static_cast<char>(first), static_cast<char>(second)});
        }
    }
    const std::string edges = "\x7F\x80\x8F\x90\x9F\xA0\xBF\xC0";
    for (int lead = 0xE0; lead <= 0xF7; ++lead) {
        for (const char second : edges) {
            for (const char third : edges) {
                texts.push_back({'x', static_cast<char>(lead), second, third});
                for (const char fourth : edges) {
                    texts.push_back({'x', static_cast<char>(lead), second, third, fourth});
                }
            }
        }
    }
    for (const std::string& bytes : texts) {
        const std::string utf16 = converted(bytes, "UTF-8", "UTF-16LE");
        const bool utf8 = utf16 != "<refused>";
        EXPECT_EQ(decodeTextFile(bytes), utf8 ? bytes : windows1252ToUtf8(bytes))
            << ::testing::PrintToString(bytes);
        EXPECT_TRUE(!utf8 || utf8ToUtf16le(bytes) == utf16) << ::testing::PrintToString(bytes);
    }
}
