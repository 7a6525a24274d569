// The article text of a story page: the best run of text blocks inside the
// element the page marks as its article (or the JSON-LD article body), else
// the best run of text blocks of the whole page.
#include "engine/ArticleText.h"

#include <algorithm>
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
// Articles nested deeper than this are not looked at on their own, and the
// itemprop marks are walked through at most this many times the page's blocks.
constexpr int kMaxArticleDepth = 3;
constexpr long kMarkWalks = 4;
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

// How deep in <article> elements each block stands, and the depth of each
// <article> itself. Marks nest or stand apart, so in the order of their first
// block (the outer one first) a stack of their ends gives the depths.
struct CArticleDepths {
    std::vector<int> m_block;  // per block
    std::vector<std::pair<CMarkedRange, int>> m_articles;

    CArticleDepths(std::size_t blockCount, std::vector<CMarkedRange> ranges) : m_block(blockCount + 1, 0) {
        std::sort(ranges.begin(), ranges.end(), [](const CMarkedRange& a, const CMarkedRange& b) {
            return a.m_nFirst != b.m_nFirst ? a.m_nFirst < b.m_nFirst : a.m_nEnd > b.m_nEnd;
        });
        std::vector<int> ends;
        for (const CMarkedRange& r : ranges) {
            while (!ends.empty() && ends.back() <= r.m_nFirst) ends.pop_back();
            ends.push_back(r.m_nEnd);
            m_articles.emplace_back(r, static_cast<int>(ends.size()));
            ++m_block[static_cast<std::size_t>(r.m_nFirst)];
            --m_block[static_cast<std::size_t>(r.m_nEnd)];
        }
        for (std::size_t i = 1; i < m_block.size(); ++i) m_block[i] += m_block[i - 1];
    }
};

// Finds the article among the blocks of one range of the page.
class CBlockRun {
public:
    CBlockRun(const std::vector<CTextBlock>& blocks, const CArticleDepths& depths, const std::string& headline,
              bool bSkipForms)
        : m_blocks(blocks), m_depths(depths.m_block), m_headline(headline), m_bSkipForms(bSkipForms) {}

    // The best run of consecutive blocks in [first, end) with its link lists
    // left out; where the headline stands inside the run, the run starts
    // after it. Page furniture, boilerplate and the blocks deeper in
    // <article> elements than maxDepth (stories of their own inside the
    // article or the list it stands in) are passed over.
    Text Find(int first, int end, int maxDepth) const {
        const auto skipped = [&](int i) {
            const CTextBlock& b = At(i);
            return b.m_bLeftOut || b.m_bBoilerplate || (m_bSkipForms && b.m_bInForm) ||
                   m_depths[static_cast<std::size_t>(i)] > maxDepth;
        };
        int bestSum = 0, bestFirst = -1, bestLast = -1;
        int sum = 0, start = first;
        for (int i = first; i < end; ++i) {
            if (skipped(i)) continue;
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
        for (int i = bestFirst; i <= bestLast && !m_headline.empty(); ++i) {
            if (At(i).m_bHeading && CWordString(At(i).m_strText).FindNoCase(m_headline) >= 0) {
                bestFirst = i + 1;
                break;
            }
        }
        for (int i = bestFirst; i <= bestLast; ++i) {
            const CTextBlock& b = At(i);
            if (skipped(i) || LinkShare(b) > kListLinkShare) continue;
            if (!t.m_strText.empty()) t.m_strText += "\r\n\r\n";
            t.m_strText += b.m_strText;
            t.m_nWords += b.m_nWords;
        }
        return t;
    }

private:
    const CTextBlock& At(int i) const { return m_blocks[static_cast<std::size_t>(i)]; }

    const std::vector<CTextBlock>& m_blocks;
    const std::vector<int>& m_depths;
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
    // article is the best run of blocks inside it. An <article> inside
    // another is a story of its own (a related story, a post of a list), so
    // neither the marked text nor the run of the whole page takes its blocks.
    const int n = static_cast<int>(blocks.size());
    const CArticleDepths depths(blocks.size(), page.Articles());
    const CBlockRun inMark(blocks, depths, headline, true);
    // Marks nest, so every block is walked at most a few times: articles
    // deeper than kMaxArticleDepth are never the page's own, and the
    // itemprop marks share a budget of walks.
    long budget = kMarkWalks * (static_cast<long>(n) + 1);
    for (const CMarkedRange& r : page.BodyMarks()) {
        budget -= r.m_nEnd - r.m_nFirst;
        if (r.m_nFirst < r.m_nEnd && budget >= 0)
            consider(inMark.Find(r.m_nFirst, r.m_nEnd, depths.m_block[static_cast<std::size_t>(r.m_nFirst)]));
    }
    for (const auto& [r, depth] : depths.m_articles)
        if (depth <= kMaxArticleDepth) consider(inMark.Find(r.m_nFirst, r.m_nEnd, depth));

    const Text run = CBlockRun(blocks, depths, headline, false).Find(0, n, 1);
    if (marked.m_nWords > 0 && run.m_nWords <= kRunOverMarked * marked.m_nWords) return marked.m_strText;
    return run.m_strText;
}
