// Keyword matching of a new story and the article text that Standard and
// Extensive scans read: the story's page is fetched and its article body cut
// out of it.
#include <ctime>

#include "common/Messages.h"
#include "common/MessageTarget.h"
#include "common/RecursiveLock.h"
#include "config/NewsSettings.h"
#include "engine/PageScanner.h"
#include "net/UrlParts.h"
#include "store/Story.h"
#include "store/StoryArchive.h"

int CPageScanner::MatchKeywords(CStory& story) {
    if (m_nActive.load() != 1) return 0;
    m_strArticleText.clear();
    bool bArticleRead = false;
    int found = 0;
    const std::string headline = ToLowerAscii(story.GetHeadline());
    const std::string description = ToLowerAscii(story.GetDescription());
    for (const CKeywordGroup& group : m_groups) {
        story.SetKeywords(group.GetKeywordText());
        int match = group.Matches(headline);
        int titleHit = match && !group.HasExclude();
        if (!description.empty() && !(titleHit && match)) {
            match = group.Matches(description);
            titleHit = match;
        }
        if (match) {
            found = 1;
            break;
        }
        if (m_nCheckOnlyTitle == 1) continue;  // QuickScan: headline and description only
        // Standard reads the article only when the headline names one of the
        // group's include words; Extensive reads it for every group.
        if (m_nTitleContainsKeyword == 1 && !group.HasIncludeIn(headline)) continue;
        if (!bArticleRead) {
            m_strArticleText = ExtractArticleText(story);
            bArticleRead = true;  // one fetch per story, whatever it gave
        }
        if (!m_strArticleText.empty() && group.Matches(ToLowerAscii(m_strArticleText))) {
            found = 1;
            break;
        }
    }
    if (!found) return 0;

    story.SetTimeFound(static_cast<std::int32_t>(std::time(nullptr)));
    story.SetState(STORY_NEW);
    {
        CStoryArchiveGuard lock(m_archive);
        m_archive.Open("r+b");
        m_archive.Add(story, true);
        m_archive.Close();
    }
    m_mainWindow.Post(WM_NEW_STORIES, 0, 0);
    return 1;
}

bool CPageScanner::FetchArticlePage(const std::string& url) {
    int useProxy = 0;
    std::string server, user, password;
    int port = 0;
    {
        CRecursiveLockGuard lock(m_settings);
        useProxy = m_settings.GetFlag(SETTING_USE_PROXY);
        server = m_settings.GetProxyServerName();
        port = m_settings.GetProxyPort();
        user = m_settings.GetProxyUserName();
        password = m_settings.GetProxyPassword();
    }
    CUrlParts parts;
    if (!parts.Set(url)) {
        m_articleParser.ReleasePage();
        return false;
    }
    ++m_nArticleFetches;
    // The scanning thread's own fetcher, so that stopping the scan or the
    // fetch watchdog also ends an article fetch.
    return m_articleParser.FetchPage(m_parser.GetFetcher(), url, useProxy, server, port, user, password);
}

std::string CPageScanner::ExtractArticleText(const CStory& story) {
    CUrlParts parts;
    parts.Set(story.GetUrl());
    if (!FetchArticlePage(parts.m_strUrl)) {
        m_articleParser.ParsePage();  // drops the tokens of an earlier article
        return std::string();
    }
    m_articleParser.ParsePage();
    return ExtractArticleFromTokens(m_articleParser, story.GetHeadline());
}

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

std::string CPageScanner::ExtractArticleFromTokens(const CHtmlParser& parser, const std::string& headline) {
    TokenSpan toks = parser.Tokens();
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
        if ((c == '.' || c == '"' || c == '?' || c == ')') && IsAsciiAlnum(text[p - 1])) {
            text.resize(p + 1);
            break;
        }
    }
    return text;
}
