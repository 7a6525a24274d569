#include "html/PageDecoder.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucsdet.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "html/MetaCharsetPrescan.h"

namespace {

// Below this confidence (0 to 100) ICU's guess is not taken.
constexpr std::int32_t kMinConfidence = 30;
// Detection looks at this many bytes, from a little before the first byte
// that is not ASCII: the markup and scripts before it tell nothing.
constexpr std::size_t kDetectBytes = 65536;
constexpr std::size_t kDetectLeadIn = 512;

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// Puts U+FFFD where the bytes cannot be read and counts those bytes.
void U_CALLCONV CountAndReplace(const void* context, UConverterToUnicodeArgs* args, const char*,
                                int32_t length, UConverterCallbackReason reason, UErrorCode* err) {
    if (reason > UCNV_IRREGULAR) return;  // reset, close, clone: nothing to replace
    *static_cast<std::size_t*>(const_cast<void*>(context)) += static_cast<std::size_t>(length);
    static const UChar kReplacement = 0xFFFD;
    *err = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, err);
}

bool HasPrefix(const std::string& s, std::string_view prefix) {
    return s.size() >= prefix.size() && std::memcmp(s.data(), prefix.data(), prefix.size()) == 0;
}

}  // namespace

CPageDecoder::~CPageDecoder() {
    if (m_pDetector) ucsdet_close(m_pDetector);
}

bool CPageDecoder::IsValidUtf8(std::string_view bytes, bool& ascii) {
    ascii = true;
    const auto* s = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
#if defined(__SSE2__)
        // Runs of ASCII go 64 bytes at a time; in a block of 16 that is not
        // all ASCII, the first other byte is found directly.
        const auto load = [s](std::size_t k) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k)); };
        if (n - i >= 64) {
            const __m128i any = _mm_or_si128(_mm_or_si128(load(i), load(i + 16)), _mm_or_si128(load(i + 32), load(i + 48)));
            if (_mm_movemask_epi8(any) == 0) {
                i += 64;
                continue;
            }
        }
        if (n - i >= 16) {
            const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(load(i)));
            if (high == 0) {
                i += 16;
                continue;
            }
            i += static_cast<std::size_t>(std::countr_zero(high));
        }
#else
        // Runs of ASCII go 32 bytes at a time.
        for (std::uint64_t w[4]; i + 32 <= n; i += 32) {
            std::memcpy(w, s + i, 32);
            if ((w[0] | w[1] | w[2] | w[3]) & 0x8080808080808080ull) break;
        }
        if (i >= n) break;
#endif
        if (s[i] < 0x80) {
            ++i;
            continue;
        }
        ascii = false;
        // Well-formed UTF-8 as Unicode defines it (no overlong forms, no
        // surrogates, nothing above U+10FFFF), as U8_NEXT reads it.
        const std::uint8_t lead = s[i];
        const auto trail = [&](std::size_t k, std::uint8_t lo, std::uint8_t hi) {
            return i + k < n && s[i + k] >= lo && s[i + k] <= hi;
        };
        if (lead >= 0xC2 && lead <= 0xDF) {
            if (!trail(1, 0x80, 0xBF)) return false;
            i += 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            const std::uint8_t lo = lead == 0xE0 ? 0xA0 : 0x80;
            const std::uint8_t hi = lead == 0xED ? 0x9F : 0xBF;
            if (!trail(1, lo, hi) || !trail(2, 0x80, 0xBF)) return false;
            i += 3;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            const std::uint8_t lo = lead == 0xF0 ? 0x90 : 0x80;
            const std::uint8_t hi = lead == 0xF4 ? 0x8F : 0xBF;
            if (!trail(1, lo, hi) || !trail(2, 0x80, 0xBF) || !trail(3, 0x80, 0xBF)) return false;
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

bool CPageDecoder::Convert(const EncodingInfo& encoding, std::string_view bytes, std::string& out,
                           std::size_t& replaced) {
    replaced = 0;
    if (!encoding.icuName) return false;
    UErrorCode err = U_ZERO_ERROR;
    ConverterPtr from(ucnv_open(encoding.icuName, &err));
    if (U_FAILURE(err)) return false;
    ConverterPtr to(ucnv_open("UTF-8", &err));
    if (U_FAILURE(err)) return false;
    ucnv_setToUCallBack(from.get(), CountAndReplace, &replaced, nullptr, nullptr, &err);
    if (U_FAILURE(err)) return false;

    // In an ASCII-compatible encoding every byte above 0x7F adds at most two
    // bytes in UTF-8; others may need the buffer to grow.
    const std::size_t high = static_cast<std::size_t>(
        std::count_if(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));
    out.resize(bytes.size() + 2 * high + 16);
    UChar pivot[1024];
    UChar* pivotSource = pivot;
    UChar* pivotTarget = pivot;
    const char* source = bytes.data();
    char* target = out.data();
    for (UBool reset = true;; reset = false) {
        err = U_ZERO_ERROR;
        ucnv_convertEx(to.get(), from.get(), &target, out.data() + out.size(), &source, bytes.data() + bytes.size(),
                       pivot, &pivotSource, &pivotTarget, pivot + std::size(pivot), reset, true, &err);
        if (err != U_BUFFER_OVERFLOW_ERROR) break;
        const std::size_t used = static_cast<std::size_t>(target - out.data());
        out.resize(out.size() * 2);
        target = out.data() + used;
    }
    out.resize(static_cast<std::size_t>(target - out.data()));
    return U_SUCCESS(err);
}

void CPageDecoder::Decode(std::string& page, std::string_view contentType) {
    m_pEncoding = nullptr;
    m_nSource = PageEncodingSource::ByteOrderMark;
    std::string out;
    std::size_t replaced = 0;

    if (HasPrefix(page, "\xEF\xBB\xBF")) {
        page.erase(0, 3);
        bool ascii = false;
        if (!IsValidUtf8(page, ascii) && Convert(Utf8Encoding(), page, out, replaced)) page.swap(out);
        m_pEncoding = &Utf8Encoding();
        return;
    }
    const bool bigEndian = HasPrefix(page, "\xFE\xFF");
    if (bigEndian || HasPrefix(page, "\xFF\xFE")) {
        const EncodingInfo* utf16 = FindEncoding(bigEndian ? "utf-16be" : "utf-16le");
        if (Convert(*utf16, std::string_view(page).substr(2), out, replaced)) {
            page.swap(out);
            m_pEncoding = utf16;
            return;
        }
    }

    bool ascii = false;
    const bool valid = IsValidUtf8(page, ascii);
    const EncodingInfo* declared = EncodingFromContentType(contentType);
    m_nSource = PageEncodingSource::HttpHeader;
    if (!declared || !declared->icuName) {
        declared = PrescanMetaCharset(page);
        m_nSource = PageEncodingSource::MetaTag;
    }
    if (declared && declared->icuName) {
        m_pEncoding = declared;
        if (declared == &Utf8Encoding()) {
            if (!valid && Convert(*declared, page, out, replaced)) page.swap(out);
            return;
        }
        if (ascii && declared->asciiCompatible) return;  // the same characters either way
        // Text in a legacy encoding is next to never valid UTF-8 by chance,
        // while pages saved as UTF-8 under an old label are common. Counting
        // what the label's converter cannot read tells them apart poorly:
        // GBK takes almost every pair of UTF-8 bytes for a character, and a
        // single-byte encoding takes every byte. So valid UTF-8 wins.
        if (valid) {
            m_pEncoding = &Utf8Encoding();
            m_nSource = PageEncodingSource::Utf8OverDeclared;
            return;
        }
        if (Convert(*declared, page, out, replaced)) {
            page.swap(out);
            return;
        }
    }

    if (valid) {
        m_pEncoding = &Utf8Encoding();
        m_nSource = PageEncodingSource::Utf8Content;
        return;
    }
    const EncodingInfo* detected = Detect(page);
    if (detected && Convert(*detected, page, out, replaced)) {
        m_pEncoding = detected;
        m_nSource = PageEncodingSource::Detected;
    } else {
        Convert(Windows1252Encoding(), page, out, replaced);
        m_pEncoding = &Windows1252Encoding();
        m_nSource = PageEncodingSource::Fallback;
    }
    page.swap(out);
}

const EncodingInfo* CPageDecoder::Detect(std::string_view page) {
    const auto high = std::find_if(page.begin(), page.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    const std::size_t first = static_cast<std::size_t>(high - page.begin());
    const std::string_view sample = page.substr(first > kDetectLeadIn ? first - kDetectLeadIn : 0, kDetectBytes);

    UErrorCode err = U_ZERO_ERROR;
    if (!m_pDetector) {
        m_pDetector = ucsdet_open(&err);
        if (U_FAILURE(err)) {
            m_pDetector = nullptr;
            return nullptr;
        }
        ucsdet_enableInputFilter(m_pDetector, true);  // look past the markup
    }
    ucsdet_setText(m_pDetector, sample.data(), static_cast<int32_t>(sample.size()), &err);
    const UCharsetMatch* match = ucsdet_detect(m_pDetector, &err);
    if (U_FAILURE(err) || !match) return nullptr;
    const std::int32_t confidence = ucsdet_getConfidence(match, &err);
    const char* name = ucsdet_getName(match, &err);
    if (U_FAILURE(err) || confidence < kMinConfidence || !name) return nullptr;
    const EncodingInfo* encoding = FindEncoding(name);
    // The page is not valid UTF-8, whatever the guess.
    if (!encoding || !encoding->icuName || encoding == &Utf8Encoding()) return nullptr;
    return encoding;
}
