// libFuzzer target for the HTML tokenizer: any bytes are a page. Parses it,
// walks every token forward and backward, asks for attributes and context,
// and checks the invariants every user of the token list relies on, among
// them that every token text and attribute is valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <unicode/ustring.h>

#include "html/HtmlParser.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// ICU's strict UTF-8 reader refuses anything ill-formed.
void CheckUtf8(std::string_view text) {
    UErrorCode err = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &err);
    Check(err == U_BUFFER_OVERFLOW_ERROR || err == U_STRING_NOT_TERMINATED_WARNING || U_SUCCESS(err));
}

void Walk(CHtmlParser& parser) {
    const int count = parser.GetTokenCount();
    const CHtmlToken* tok = nullptr;
    int seen = 0;
    std::string value;
    parser.ClearCursor();
    while (parser.FindNext(TK_ANY, tok)) {
        Check(tok == &parser.Tokens()[static_cast<std::size_t>(seen)]);
        ++seen;
        Check(tok->m_nKind >= 0 && tok->m_nKind < HTML_TOKEN_KIND_COUNT && tok->m_nKind != TK_ANY);
        Check(!tok->IsInside(TK_ANY) && !tok->IsInside(TK_TEXT));
        Check((tok->GetFont() != nullptr) ==
              (tok->m_nKind == TK_TEXT || tok->m_nKind == TK_TITLE_TEXT || tok->m_nKind == TK_FIELD_TEXT ||
               (tok->m_nKind == TK_SCRIPT_TEXT && tok->m_bIsOpen) || (tok->m_nKind == TK_STYLE_TEXT && tok->m_bIsOpen)));
        volatile std::size_t sink = 0;
        CheckUtf8(tok->Text());
        if (tok->GetAttribute("href", value)) sink = sink + value.size();
        for (int i = 0; i < tok->GetAttributeCount(); ++i) {
            const CHtmlAttribute& a = tok->GetAttributeAt(i);
            CheckUtf8(a.m_strName);
            CheckUtf8(a.m_strValue);
            sink = sink + a.m_strName.size() + a.m_strValue.size();
            Check(tok->GetAttribute(a.m_strName, value));
        }
        (void)sink;
    }
    Check(seen == count);
    if (count == 0) return;

    // At the end the cursor rests on the last token; walk back to the first.
    const CHtmlCursorPos last = parser.SaveCursor();
    int back = 1;
    while (parser.FindPrev(TK_ANY, tok)) ++back;
    Check(back == count);
    Check(parser.GetCurrent(tok) && tok == &parser.Tokens()[0]);
    Check(parser.RestoreCursor(last));
    Check(parser.GetCurrent(tok) && tok == &parser.Tokens()[static_cast<std::size_t>(count - 1)]);

    // A mix of two-kind searches from the start.
    parser.ClearCursor();
    while (parser.FindNext(TK_LINK, TK_TEXT, tok)) {
        Check(tok->m_nKind == TK_LINK || tok->m_nKind == TK_TEXT);
        if (tok->m_nKind == TK_LINK && tok->m_bIsOpen) {
            const CHtmlCursorPos at = parser.SaveCursor();
            parser.FindPrev(TK_CELL, TK_ROW, tok);
            Check(parser.RestoreCursor(at));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CHtmlParser parser;
    const std::string page(reinterpret_cast<const char*>(data), size);
    if (!parser.SetPage(page)) {
        parser.ParsePage();
        Check(parser.GetTokenCount() == 0);
        return 0;
    }
    parser.ParsePage();
    const CHtmlCursorPos first = parser.SaveCursor();
    Walk(parser);

    // The tokens stay readable while the next page is held, and a second
    // parse of the same page only moves the row and cell numbers on.
    const int rows = parser.GetRowCount();
    const int cells = parser.GetCellCount();
    const int count = parser.GetTokenCount();
    Check(parser.SetPage(page));
    Walk(parser);
    parser.ParsePage();
    Check(parser.GetTokenCount() == count);
    Check(parser.GetRowCount() == 2 * rows && parser.GetCellCount() == 2 * cells);
    Check(!parser.RestoreCursor(first));
    return 0;
}
