// The article text of a story page: the best run of text blocks inside the
// element the page marks as its article (or the JSON-LD article body), else
// the best run of text blocks of the whole page.
#include "engine/ArticleText.h"

#include <vector>

#include "engine/JsonLdText.h"
#include "engine/TextBlocks.h"
#include "engine/WordString.h"

namespace {

// A marked text counts when it has at least this many words (some pages
// mark only a teaser).
constexpr int kMarkedMinWords = 50;
// The run of the whole page wins over a marked text when it has this many
// times its words: the mark then holds only a part of the article.
constexpr double kRunOverMarked = 4.0;
// A block with more than this share of linked words is a link list: kept
// out of the article even inside its run.
constexpr double kListLinkShare = 0.5;
// What every block costs a run, in words: short fragments (menu items,
// dates, labels) weigh against it, paragraphs carry it.
constexpr int kBlockCost = 6;

struct Text {
    std::string m_strText;
    int m_nWords = 0;
};

double LinkShare(const CTextBlock& b) { return b.m_nWords > 0 ? double(b.m_nLinkWords) / b.m_nWords : 0.0; }

// What a block adds to a run: its words outside links less its words in
// links (text density against link density) less the cost of a block.
int BlockValue(const CTextBlock& b) { return b.m_nWords - 2 * b.m_nLinkWords - kBlockCost; }

// Finds the article among the blocks of one range of the page.
class CBlockRun {
public:
    CBlockRun(const std::vector<CTextBlock>& blocks, const std::string& headline, bool bSkipForms)
        : m_blocks(blocks), m_headline(headline), m_bSkipForms(bSkipForms) {}

    // The best run of consecutive blocks in [first, end) (page furniture and
    // boilerplate passed over) with its link lists left out; where the
    // headline stands inside the run, the run starts after it.
    Text Find(int first, int end) const {
        int bestSum = 0, bestFirst = -1, bestLast = -1;
        int sum = 0, start = first;
        for (int i = first; i < end; ++i) {
            if (Skipped(i)) continue;
            if (sum <= 0) {
                sum = 0;
                start = i;
            }
            sum += BlockValue(At(i));
            if (sum > bestSum) {
                bestSum = sum;
                bestFirst = start;
                bestLast = i;
            }
        }
        Text t;
        if (bestFirst < 0) return t;
        for (int i = bestLast; i >= bestFirst && !m_headline.empty(); --i) {
            if (At(i).m_bHeading && CWordString(At(i).m_strText).FindNoCase(m_headline) >= 0) {
                bestFirst = i + 1;
                break;
            }
        }
        for (int i = bestFirst; i <= bestLast; ++i) {
            const CTextBlock& b = At(i);
            if (Skipped(i) || LinkShare(b) > kListLinkShare) continue;
            if (!t.m_strText.empty()) t.m_strText += "\r\n\r\n";
            t.m_strText += b.m_strText;
            t.m_nWords += b.m_nWords;
        }
        return t;
    }

private:
    const CTextBlock& At(int i) const { return m_blocks[static_cast<std::size_t>(i)]; }
    bool Skipped(int i) const {
        const CTextBlock& b = At(i);
        return b.m_bLeftOut || b.m_bBoilerplate || (m_bSkipForms && b.m_bInForm);
    }

    const std::vector<CTextBlock>& m_blocks;
    const std::string& m_headline;
    bool m_bSkipForms;
};

}  // namespace

std::string ExtractArticleText(std::span<const CHtmlToken> tokens, const std::string& headline) {
    CTextBlocks page;
    page.Build(tokens);
    const std::vector<CTextBlock>& blocks = page.Blocks();

    // The longest of the texts the page marks as its article.
    Text marked;
    auto consider = [&](Text t) {
        if (t.m_nWords >= kMarkedMinWords && t.m_nWords > marked.m_nWords) marked = std::move(t);
    };
    for (const std::string& script : page.JsonLdScripts()) {
        Text t;
        t.m_strText = LongestJsonLdString(script, "articleBody");
        t.m_nWords = CWordString(t.m_strText).CountWords(0);
        consider(std::move(t));
    }
    // A marked element also holds captions, bylines, share buttons...: the
    // article is the best run of blocks inside it.
    const CBlockRun inMark(blocks, headline, true);
    for (const auto* ranges : {&page.BodyMarks(), &page.Articles()})
        for (const CMarkedRange& r : *ranges) consider(inMark.Find(r.m_nFirst, r.m_nEnd));

    Text run = CBlockRun(blocks, headline, false).Find(0, static_cast<int>(blocks.size()));
    if (marked.m_nWords > 0 && run.m_nWords <= kRunOverMarked * marked.m_nWords) return marked.m_strText;
    return run.m_strText;
}
