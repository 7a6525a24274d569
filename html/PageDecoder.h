// CPageDecoder: turns the bytes of a fetched or given page into UTF-8
// before the tokenizer sees them. The encoding comes from, in this order: a
// byte-order mark, the HTTP Content-Type charset, a <meta> declaration among
// the first 1024 bytes, and detection. A page that is valid UTF-8 and not
// plain ASCII is read as UTF-8 whatever encoding it declares. Invalid
// sequences become U+FFFD. One thread uses a decoder at a time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "html/EncodingLabels.h"

struct UCharsetDetector;

// What decided the encoding of the last page.
enum class PageEncodingSource {
    None,            // no page decoded yet
    ByteOrderMark,
    HttpHeader,
    MetaTag,
    Utf8Content,     // nothing usable declared, and the page is valid UTF-8
    Utf8OverDeclared,// valid UTF-8, not plain ASCII, under another declared encoding
    Detected,        // ICU's charset detection was confident
    Fallback,        // nothing else applied: windows-1252
};

class CPageDecoder {
public:
    CPageDecoder() = default;
    ~CPageDecoder();
    CPageDecoder(const CPageDecoder&) = delete;
    CPageDecoder& operator=(const CPageDecoder&) = delete;

    // Replaces page by its text in UTF-8. contentType is the HTTP
    // Content-Type value ("" when there is none). A page that needs no
    // conversion is kept as it is, without a copy.
    void Decode(std::string& page, std::string_view contentType);

    // The encoding and its source for the last page decoded.
    const EncodingInfo* GetEncoding() const { return m_pEncoding; }
    PageEncodingSource GetSource() const { return m_nSource; }

    // True when bytes are well-formed UTF-8; ascii tells whether every byte
    // is below 0x80.
    static bool IsValidUtf8(std::string_view bytes, bool& ascii);

private:
    // Converts bytes from encoding to UTF-8 into out, U+FFFD for every
    // invalid or unmapped sequence; replaced counts the bytes that got one.
    // False when ICU has no converter for it.
    static bool Convert(const EncodingInfo& encoding, std::string_view bytes, std::string& out,
                        std::size_t& replaced);
    // Decodes page from a declared encoding.
    void DecodeDeclared(std::string& page, const EncodingInfo& encoding, PageEncodingSource source);
    // Guesses the encoding of a page that is not valid UTF-8.
    const EncodingInfo* Detect(std::string_view page);

    const EncodingInfo* m_pEncoding = nullptr;
    PageEncodingSource m_nSource = PageEncodingSource::None;
    UCharsetDetector* m_pDetector = nullptr;
};
