// The article text of a story page: the body that follows the headline,
// cut out of the page's tokens block by block.
#include "engine/ArticleText.h"

#include "engine/UnicodeText.h"
#include "engine/WordString.h"

namespace {

using TokenSpan = std::span<const CHtmlToken>;

// The index of the closing table tag that matches the opening one at i; the
// last token when the table is never closed.
int MatchingTableClose(TokenSpan toks, int i) {
    int depth = 0;
    for (int j = i; j < static_cast<int>(toks.size()); ++j) {
        if (toks[j].m_nKind != TK_TABLE) continue;
        depth += toks[j].m_bIsOpen ? 1 : -1;
        if (depth == 0) return j;
    }
    return static_cast<int>(toks.size()) - 1;
}

// The index of the opening table tag that matches the closing one at i; -1
// when there is none.
int MatchingTableOpen(TokenSpan toks, int i) {
    int depth = 0;
    for (int j = i; j >= 0; --j) {
        if (toks[j].m_nKind != TK_TABLE) continue;
        depth += toks[j].m_bIsOpen ? -1 : 1;
        if (depth == 0) return j;
    }
    return -1;
}

// A text token as one block: line feeds become spaces, carriage returns go.
CWordString BlockText(const CHtmlToken& tok) {
    CWordString s;
    s.reserve(tok.Text().size());
    for (char c : tok.Text()) {
        if (c == '\n') s += ' ';
        else if (c != '\r') s += c;
    }
    return s;
}

// Tokens that may stand inside an article body when walking back from its
// first long block.
bool IsBodyKind(int kind) {
    switch (kind) {
    case TK_BOLD: case TK_ITALIC: case TK_BREAK: case TK_PARAGRAPH: case TK_LINK: case TK_COMMENT:
        return true;
    default:
        return false;
    }
}

// Tokens that may stand between two blocks of one article.
bool IsContinuationKind(int kind) {
    switch (kind) {
    case TK_BOLD: case TK_ITALIC: case TK_BREAK: case TK_PARAGRAPH: case TK_LINK: case TK_ANCHOR_NAME:
    case TK_IMAGE: case TK_COMMENT: case TK_TITLE_TEXT: case TK_SCRIPT_TEXT: case TK_STYLE: case TK_STYLE_TEXT:
        return true;
    default:
        return false;
    }
}

// Walks back from the block at i over what still belongs to the article
// body; gives the index where collecting begins.
int FindBodyStart(TokenSpan toks, int i, const std::string& headline) {
    for (int j = i - 1; j >= 0; --j) {
        const CHtmlToken& tok = toks[j];
        if (tok.m_nKind == TK_TEXT) {
            CWordString s(tok.Text());
            if (s.FindNoCase(headline) >= 0 || s.find_first_of("[]{}|") != std::string::npos) return j + 1;
        } else if (tok.m_nKind == TK_TABLE && !tok.m_bIsOpen) {
            j = MatchingTableOpen(toks, j);
            if (j < 0) return 0;
        } else if (!IsBodyKind(tok.m_nKind)) {
            return j + 1;
        }
    }
    return 0;
}

// Looking forward from the block at k: the index of the next block when the
// article goes on there, the token count at the end of the page, -1 when
// something else comes first.
int NextArticleBlock(TokenSpan toks, int k) {
    const int n = static_cast<int>(toks.size());
    for (int m = k + 1; m < n; ++m) {
        const CHtmlToken& tok = toks[m];
        if (tok.m_nKind == TK_TEXT) return m;
        if (tok.m_nKind == TK_TABLE) {
            if (!tok.m_bIsOpen) return -1;
            m = MatchingTableClose(toks, m);
            continue;
        }
        if (!IsContinuationKind(tok.m_nKind)) return -1;
    }
    return n;
}

}  // namespace

std::string ExtractArticleText(std::span<const CHtmlToken> tokens, const std::string& headline) {
    TokenSpan toks = tokens;
    const int n = static_cast<int>(toks.size());

    // Phases 0 (looking for the headline) and 1 (headline seen): find the
    // first block of the article body. Tables are passed over whole.
    int phase = 0;
    int window[6] = {};
    int windowPos = 0;
    bool bSkipNext = false;
    int collectFrom = -1;
    for (int i = 0; i < n && collectFrom < 0; ++i) {
        const CHtmlToken& tok = toks[i];
        if (tok.m_nKind == TK_TABLE && tok.m_bIsOpen) {
            i = MatchingTableClose(toks, i);
            continue;
        }
        if (tok.m_nKind != TK_TEXT) continue;
        if (bSkipNext) {
            bSkipNext = false;  // the line after the headline (a byline, a date)
            continue;
        }
        CWordString block = BlockText(tok);
        int w = block.CountWords(0);
        window[windowPos++ % 6] = w;
        double mean = (window[0] + window[1] + window[2] + window[3] + window[4] + window[5]) / 6.0;
        if (phase == 0) {
            if (block.FindNoCase(headline) >= 0) {
                phase = 1;
                bSkipNext = true;
            } else if (w > 15) {
                if (w > 35) collectFrom = FindBodyStart(toks, i, headline);
                else phase = 1;
            }
        } else if (w > 8 && (mean >= 10.0 || w > 35)) {
            collectFrom = FindBodyStart(toks, i, headline);
        }
    }
    if (collectFrom < 0) return std::string();

    // Phase 2: collect blocks, with line breaks from the tags between them,
    // until the article is long enough and something else follows.
    std::string text;
    int total = 0;
    int prev = -1;  // the block appended last
    for (int k = collectFrom; k < n;) {
        if (toks[k].m_nKind != TK_TEXT) {
            ++k;
            continue;
        }
        CWordString block = BlockText(toks[k]);
        if (block.find_first_of("{}|") != std::string::npos) break;
        int w = block.CountWords(0);
        if (w < 1) {
            ++k;
            continue;
        }
        if (prev >= 0) {
            // The tags between two blocks decide the line breaks.
            int breaks = 0;
            bool bParagraph = false;
            for (int m = prev + 1; m < k; ++m) {
                if (toks[m].m_nKind == TK_TABLE && toks[m].m_bIsOpen) m = MatchingTableClose(toks, m);
                else if (toks[m].m_nKind == TK_BREAK) ++breaks;
                else if (toks[m].m_nKind == TK_PARAGRAPH) bParagraph = true;
            }
            int lineEnds = bParagraph ? (breaks < 2 ? 2 : breaks + 1) : breaks;
            for (int e = 0; e < lineEnds; ++e) text += "\r\n";
        }
        text += block;
        total += w;
        prev = k;
        if (total > 40) {
            // Long enough: go on only where nothing but running-text tags
            // (and whole tables) stand before the next block.
            int next = NextArticleBlock(toks, k);
            if (next < 0 || next >= n) break;
            k = next;
        } else {
            ++k;
        }
    }

    // Cut after the last sentence end: '.', '"', '?' or ')' after a letter or digit.
    for (std::size_t p = text.size(); p-- > 1;) {
        char c = text[p];
        if ((c == '.' || c == '"' || c == '?' || c == ')') && IsWordCharBefore(text, p)) {
            text.resize(p + 1);
            break;
        }
    }
    return text;
}
