// The page walk of CPageScanner: the probe and real passes over a page's
// links, the cursor helpers the rules share, and the handling of one link.
#include "engine/PageScanner.h"

#include "common/PrintableText.h"
#include "store/Story.h"
#include "store/StoryArchive.h"

CPageScanner::CPageScanner(CStoryArchive& archive, CNewsSettings& settings, CMessageTarget& mainWindow)
    : m_archive(archive), m_settings(settings), m_mainWindow(mainWindow) {}

CPageScanner::~CPageScanner() = default;

CFontSize CPageScanner::FontOf(const CHtmlToken* t) {
    const CFontSize* f = t ? t->GetFont() : nullptr;
    return f ? *f : CFontSize{};
}

CPageScanner::SavedCursor CPageScanner::SaveCursorState() const {
    const CHtmlToken* cur = nullptr;
    SavedCursor saved;
    saved.bHad = m_parser.GetCurrent(cur);
    saved.pos = m_parser.SaveCursor();
    return saved;
}

void CPageScanner::RestoreCursorState(const SavedCursor& saved) {
    if (!saved.bHad || !m_parser.RestoreCursor(saved.pos)) m_parser.ClearCursor();
}

const CTokenIndex& CPageScanner::Index() {
    const std::uint64_t generation = m_parser.GetGeneration();
    if (!m_index.IsFor(generation)) {
        m_index.Build(m_parser.Tokens(), generation);
        m_itemBounds.assign(static_cast<std::size_t>(m_index.LinkTextCount()), kItemBoundUnknown);
    }
    return m_index;
}

int CPageScanner::IndexOf(const CHtmlToken* t) const {
    return static_cast<int>(t - m_parser.Tokens().data());
}

int CPageScanner::CursorIndex() const {
    const CHtmlToken* cur = nullptr;
    return m_parser.GetCurrent(cur) ? IndexOf(cur) : -1;
}

const CHtmlToken* CPageScanner::NextLinkText(int inLinkOnly) {
    const CHtmlToken* t = nullptr;
    while (m_parser.FindNext(TK_TEXT, t)) {
        if (!inLinkOnly || t->IsInside(TK_LINK)) return t;
    }
    return nullptr;
}

void CPageScanner::AppendSameFont(CWordString& text, const CFontSize& font) {
    auto tokens = m_parser.Tokens();
    int i = CursorIndex();
    if (i < 0) return;
    const CHtmlToken* next = nullptr;
    while (static_cast<std::size_t>(i) + 1 < tokens.size()) {
        const CHtmlToken& following = tokens[i + 1];
        m_parser.FindNext(TK_ANY, next);  // the cursor steps onto it in any case
        ++i;
        if (following.m_nKind != TK_TEXT || !FontOf(&following).SameSize(font)) return;
        text.append(following.Text());
    }
}

void CPageScanner::ScanPage(int mode) {
    m_nProbe = mode;
    m_nProbeStories = 0;
    m_nListingRows = 0;
    m_nStoryLinks = 0;
    m_nNewStories = 0;
    // The probe records nothing, so the links it looks at must not count as
    // "the previous link" of the real pass: it works on a copy of the last
    // URL and the real pass starts from the value before the probe.
    if (mode == 1) {
        m_strLastUrlBeforeProbe = m_strLastUrl;
        m_bProbeHoldsLastUrl = true;
    } else if (m_bProbeHoldsLastUrl) {
        m_strLastUrl = m_strLastUrlBeforeProbe;
        m_bProbeHoldsLastUrl = false;
    }
    if (mode == 1) m_parser.ParsePage();
    m_bSourceKeyValid = false;  // the catalogue may have changed since the last page
    m_tally.Clear();
    m_parser.ClearCursor();

    const CHtmlToken* t = NextLinkText(1);
    while (t && m_nActive.load() == 1) {
        CWordString text(t->Text());
        if (!text.empty()) {
            CFontSize font = FontOf(t);
            AppendSameFont(text, font);
            text.Trim();
            int w = text.CountWords(0);
            int s = IsSectionLink(text, font, w);
            if (s == 0 || (m_nProbe == 0 && m_nListingRows >= 2)) {
                HandleLink(t, text);
            } else {
                const CHtmlToken* next = FollowSection(font, t->IsInside(TK_BOLD), t);
                if (!next) break;
                if (next->IsInside(TK_LINK) && next->m_bIsOpen && !next->Text().empty()) {
                    CWordString nextText(next->Text());
                    AppendSameFont(nextText, FontOf(next));
                    nextText.Trim();
                    HandleLink(next, nextText);
                }
            }
        }
        if (m_nProbe == 1 && m_nProbeStories > 10) {
            // Enough stories seen: this is a news page. Walk it again for real.
            m_nProbe = 0;
            m_nStoryLinks = 0;
            m_nNewStories = 0;
            m_strLastUrl = m_strLastUrlBeforeProbe;
            m_bProbeHoldsLastUrl = false;
            m_tally.Prune();
            m_parser.ClearCursor();
        }
        t = NextLinkText(1);
    }
    m_tally.Clear();
}

void CPageScanner::HandleLink(const CHtmlToken* t, CWordString text) {
    int accepted = 0;
    std::string url, description;
    if (m_nProbe != 0 || m_nListingRows > 2) accepted = DetectListingRow(t, text, url, description);
    if (accepted != 1) {
        if (!(IsStoryLinkText(t, text) == 1 && m_nListingRows < 3)) return;
    }
    if (accepted == 1 && m_nProbe != 0) ++m_nListingRows;

    if (m_nProbe != 0) {
        // The probe only counts; nothing is recorded.
        if (text.CountWords(1) > 2) ++m_nProbeStories;
        return;
    }

    // Web text is stored without control characters.
    const std::string headline = StripControlCharacters(text);
    CStory story;
    story.SetHeadline(headline);
    story.SetSource(m_strPageUrl);
    if (!m_bSourceKeyValid || m_strSourceKeyUrl != m_strPageUrl) {
        // Every link of a page has the page's source key; look it up once.
        m_strSourceKey = story.GetSourceName(false, m_pCatalogue);
        m_strSourceKeyUrl = m_strPageUrl;
        m_bSourceKeyValid = true;
    }

    // Newness is decided by headline within the page's source.
    ++m_nStoryLinks;
    int ok = 0;
    {
        CStoryArchiveGuard lock(m_archive);
        m_archive.Open("r+b");
        if (!m_archive.FindByHeadline(headline, m_strSourceKey)) {
            ++m_nNewStories;
            ok = AddCandidate(t, story, text, description, url);
        }
        m_archive.Close();
    }
    if (ok) MatchKeywords(story);
}
