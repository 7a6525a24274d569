// How a page's encoding is chosen (byte-order mark, then the HTTP header,
// then a <meta> declaration, then detection), how labels are read, and when
// a declaration is overruled by a page that is valid UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "html/PageDecoder.h"

namespace {

using namespace std::string_literals;
using Source = PageEncodingSource;

// "Привет" in windows-1251 and KOI8-R, "中文" in GBK.
const std::string kCp1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";
const std::string kKoi8 = "\xF0\xD2\xC9\xD7\xC5\xD4";
const std::string kGbk = "\xD6\xD0\xCE\xC4";
const std::string kPrivet = "Привет";

// Headlines in UTF-8 under a gb2312 label, each of an even number of bytes,
// which GBK reads as other characters without a byte it cannot read.
std::string MislabelledChinesePage() {
    std::string page = "<html><head><meta charset=\"gb2312\"></head><body>";
    for (int i = 0; i < 4; ++i) page += "<li><a href=\"/n\">中国新闻</a></li><li>经济</li>";
    return page + "</body></html>";
}

TEST(PageDecoder, ChoosesTheEncodingInOrderAndConverts) {
    struct Case {
        const char* why;
        std::string page, contentType;
        const char* encoding;  // name of the encoding chosen
        Source source;
        std::string text;  // the page afterwards; "" when it is the same page
    };
    const std::string metaKoi8 = "<meta charset=koi8-r>";
    const Case cases[] = {
        {"a UTF-8 byte-order mark beats header and meta", "\xEF\xBB\xBF" + metaKoi8 + "Привет",
         "text/html; charset=windows-1251", "utf-8", Source::ByteOrderMark, metaKoi8 + "Привет"},
        {"a UTF-16 byte-order mark", "\xFF\xFE<\0p\0>\0\x1F\x04"s, "", "utf-16le", Source::ByteOrderMark, "<p>П"},
        {"the header beats the meta", metaKoi8 + kCp1251, "text/html; charset=windows-1251", "windows-1251",
         Source::HttpHeader, metaKoi8 + kPrivet},
        {"header labels: any case, quoted", kKoi8, "text/html;Charset=\"KOI8-R\"", "koi8-r", Source::HttpHeader,
         kPrivet},
        {"an unknown header label leaves it to the meta", metaKoi8 + kKoi8, "text/html; charset=bogus", "koi8-r",
         Source::MetaTag, metaKoi8 + kPrivet},
        {"http-equiv with content", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">" +
             kCp1251, "text/html", "windows-1251", Source::MetaTag,
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">" + kPrivet},
        {"gb2312 means gbk", "<meta charset='gb2312'>" + kGbk, "", "gbk", Source::MetaTag, "<meta charset='gb2312'>中文"},
        {"a GB2312 page stays GB2312",
         "<meta charset=gb2312><p>\xB1\xB1\xBE\xA9\xBD\xF1\xC8\xD5\xD0\xC2\xCE\xC5\xA3\xBA\xD6\xD0\xB9\xFA"
         "\xBE\xAD\xBC\xC3\xCE\xC8\xB2\xBD\xD4\xF6\xB3\xA4</p>", "", "gbk", Source::MetaTag,
         "<meta charset=gb2312><p>北京今日新闻：中国经济稳步增长</p>"},
        {"iso-8859-1 means windows-1252", "<meta charset=iso-8859-1>\x93quoted\x94 caf\xE9", "", "windows-1252",
         Source::MetaTag, "<meta charset=iso-8859-1>“quoted” café"},
        {"a meta naming UTF-16 means UTF-8", "<meta charset=utf-16>Привет", "", "utf-8", Source::MetaTag, ""},
        {"an ASCII page needs no conversion", "<meta charset=windows-1251><p>plain", "", "windows-1251",
         Source::MetaTag, ""},
        // Declarations the prescan must not take: UTF-8 text shows they were passed over.
        {"content without http-equiv", "<meta content=\"text/html; charset=koi8-r\">Привет", "", "utf-8",
         Source::Utf8Content, ""},
        {"a meta inside a comment", "<!-- <meta charset=koi8-r> -->Привет", "", "utf-8", Source::Utf8Content, ""},
        {"a meta inside another tag's quotes", "<div title='<meta charset=koi8-r>'>Привет", "", "utf-8",
         Source::Utf8Content, ""},
        {"a meta after the first 1024 bytes", std::string(1024, ' ') + metaKoi8 + "Привет", "", "utf-8",
         Source::Utf8Content, ""},
        {"valid UTF-8 beats a legacy label", MislabelledChinesePage(), "", "utf-8", Source::Utf8OverDeclared, ""},
        {"...in the header too", "<p>café", "text/html; charset=iso-8859-1", "utf-8", Source::Utf8OverDeclared, ""},
        {"invalid UTF-8 in a UTF-8 page becomes U+FFFD", "a\xFF" "b\xE4\xB8", "text/html; charset=utf-8", "utf-8",
         Source::HttpHeader, "a\uFFFDb\uFFFD"},
        {"undeclared Shift_JIS is detected",
         "<p>\x93\x8C\x8B\x9E\x82\xC5\x90\x56\x82\xB5\x82\xA2\x89\x77\x82\xAA\x8A\x4A\x8B\xC6\x82\xB5\x82\xDC\x82\xB5"
         "\x82\xBD\x81\x42\x91\xBD\x82\xAD\x82\xCC\x90\x6C\x82\xAA\x8F\x57\x82\xDC\x82\xE8\x82\xDC\x82\xB5\x82\xBD\x81"
         "\x42</p>", "", "shift_jis", Source::Detected,
         "<p>東京で新しい駅が開業しました。多くの人が集まりました。</p>"},
        {"too little to go on: windows-1252", "caf\xE9", "", "windows-1252", Source::Fallback, "café"},
    };
    CPageDecoder decoder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        std::string page = c.page;
        const char* before = page.data();
        decoder.Decode(page, c.contentType);
        ASSERT_NE(decoder.GetEncoding(), nullptr);
        EXPECT_EQ(decoder.GetEncoding()->name, c.encoding);
        EXPECT_EQ(decoder.GetSource(), c.source);
        if (c.text.empty()) {
            EXPECT_EQ(page, c.page);
            EXPECT_EQ(page.data(), before) << "a page that needs no conversion is not copied";
        } else {
            EXPECT_EQ(page, c.text);
        }
    }
}

// The UTF-8 check takes exactly the well-formed forms, wherever a sequence
// stands (after runs of ASCII checked by the block, or at the very end).
TEST(PageDecoder, Utf8CheckTakesTheWellFormedFormsOnly) {
    const std::string ascii(40, 'a');
    struct Case { const char* why; std::string bytes; bool valid; } const cases[] = {
        {"two bytes", "caf\xC3\xA9", true},
        {"an overlong two-byte form", "\xC0\x80", false},
        {"an overlong three-byte form", "\xE0\x80\xAF", false},
        {"the first three-byte character", "\xE0\xA0\x80", true},
        {"the last character before the surrogates", "\xED\x9F\xBF", true},
        {"a surrogate", "\xED\xA0\x80", false},
        {"four bytes", "\xF0\x9F\x98\x80", true},
        {"an overlong four-byte form", "\xF0\x80\x80\x80", false},
        {"U+10FFFF", "\xF4\x8F\xBF\xBF", true},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"a lead byte no form has", "\xF5\x80\x80\x80", false},
        {"a lone trail byte after a run of ASCII", ascii + "\x80", false},
        {"a sequence cut short by the end", ascii + "\xE2\x82", false},
        {"a sequence cut short by ASCII", "\xE2\x82" + ascii, false},
    };
    for (const Case& c : cases) {
        bool bAscii = true;
        EXPECT_EQ(CPageDecoder::IsValidUtf8(c.bytes, bAscii), c.valid) << c.why;
    }
    // ASCII is passed over by the block: a sequence is judged wherever it
    // stands, also across the end of a block or of the bytes.
    for (std::size_t offset = 0; offset <= 80; ++offset) {
        const std::string lead(offset, 'a'), tail(offset % 23, 'z');
        struct Sweep { const char* bytes; bool valid; } const sweep[] = {
            {"\xE2\x82\xAC", true}, {"\xF0\x9F\x98\x80", true}, {"\xE2\x82", false},
            {"\x80", false}, {"\xED\xA0\x80", false},
        };
        for (const Sweep& c : sweep) {
            bool bAscii = true;
            EXPECT_EQ(CPageDecoder::IsValidUtf8(lead + c.bytes + tail, bAscii), c.valid) << c.bytes << " at " << offset;
            EXPECT_FALSE(bAscii) << offset;
        }
        bool bAscii = false;
        EXPECT_TRUE(CPageDecoder::IsValidUtf8(lead + tail, bAscii) && bAscii) << offset;
    }
}

}  // namespace
