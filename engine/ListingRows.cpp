// Price and auction listings: a link in a table row whose cells hold its
// price and an item code becomes the story "code: link text" with the price
// as its description.
#include <charconv>

#include "engine/ListingRules.h"
#include "engine/StoryLinkWalk.h"

namespace {

constexpr int kMaxCells = 5;

}  // namespace

int CStoryLinkWalk::ScoreItemCode(const std::string& word) const {
    if (word.size() <= 4) return 0;
    int digits = 0;
    for (char c : word) {
        if (CWordString::IsBlank(c)) break;
        if (IsAsciiDigit(c)) {
            ++digits;
        } else if (!IsAsciiLetter(c)) {
            return 0;
        }
    }
    if (m_nProbe == 0 && m_tally.IsFrequent(word)) return 0;
    return digits;
}

int CStoryLinkWalk::ItemBoundFrom(int k) {
    // The search steps as NextLinkText and AppendSameFont step through the
    // page: each link text with the run of same-font texts after it, the
    // next search starting past the token that ended the run. Answers are
    // kept for every link text passed, so that a long row of number links
    // (a list of page numbers) is stepped through once per page instead of
    // once for each of its links.
    const CTokenIndex& index = m_index;
    auto tokens = m_tokens;
    m_itemPath.clear();
    int bound = -1;
    while (k < index.LinkTextCount()) {
        const int known = m_itemBounds[static_cast<std::size_t>(k)];
        if (known != kItemBoundUnknown) {
            bound = known;
            break;
        }
        m_itemPath.push_back(k);
        const int first = index.LinkTextAt(k), last = index.RunLastOf(k);
        CWordString text;
        for (int i = first; i <= last; ++i) text.append(tokens[static_cast<std::size_t>(i)].Text());
        text.Trim();
        float value = 0.0f;
        if (ParsePrice(text, value) == 0) {
            bound = first;
            break;
        }
        k = index.LinkTextFrom(last + 2);
    }
    for (int passed : m_itemPath) m_itemBounds[static_cast<std::size_t>(passed)] = bound;
    return bound;
}

bool CStoryLinkWalk::RowMayHavePrice(int linkIndex, const CHtmlToken* before, int row) const {
    // The cells as DetectListingRow gathers them, without the item's end.
    const CTokenIndex& index = m_index;
    int cells = 0;
    if (before && before->m_nKind == TK_TEXT && before->m_nRow == row) {
        if (HasAsciiDigit(before->Text())) return true;
        ++cells;
    }
    for (int k = index.TextOrRowNumberFrom(index.PastLinkText(linkIndex + 1));
         k < index.TextOrRowCount() && cells < kMaxCells; ++k, ++cells) {
        const CHtmlToken& tok = m_tokens[static_cast<std::size_t>(index.TextOrRowAt(k))];
        if (tok.m_nRow != row) break;
        if (HasAsciiDigit(tok.Text())) return true;
    }
    return false;
}

int CStoryLinkWalk::DetectListingRow(const CHtmlToken* t, CWordString& text, StoryCandidate& item) {
    item = StoryCandidate();
    auto tokens = m_tokens;
    const CTokenIndex& index = m_index;
    const int linkIndex = IndexOf(t);
    const int row = t->m_nRow;

    // The nearest text or row token before the link.
    const int beforeIndex = index.TextOrRowBefore(linkIndex);
    const CHtmlToken* before = beforeIndex >= 0 ? &tokens[static_cast<std::size_t>(beforeIndex)] : nullptr;

    // A link that cannot make a row still has its target taken (step 5), as
    // the "link before" of the next row.
    const auto noRow = [&] {
        std::string targetUrl;
        BuildTargetUrl(t, targetUrl, nullptr);
        return 0;
    };

    // 0. A row names its price in a cell with a digit. When none of the
    // cells the row could have (the ones below, before the item's end and
    // the status link's text cut them short) holds one, it is no row.
    if (!RowMayHavePrice(linkIndex, before, row)) return noRow();

    // 1. A short status link ("Bid open", "Auction over") stands for the text
    // in front of it.
    CWordString itemText;
    bool bItemText = false;
    if (text.CountWords(0, 3) < 3) {
        std::string lower = text.Lower();
        for (std::string_view status : {"open", "started", "over", "preview"}) {
            if (lower.find(status) == std::string::npos) continue;
            if (before && before->m_nKind == TK_TEXT) {
                itemText = CWordString(before->Text()) + text;
                bItemText = true;
            }
            break;
        }
    }
    // The headline is then the link's own text, and step 6 wants two words of it.
    if (!bItemText && text.CountWords(1, 2) <= 1) return noRow();

    // 2. The item ends at the next link text (after the cursor) that is not
    // a number.
    const int bound = ItemBoundFrom(index.LinkTextFrom(CursorIndex() + 1));

    // 3. The cells of the row: the text in front of the link when it is in
    // the same row, then text and row tokens after the link's own text.
    std::vector<const CHtmlToken*> cells;
    if (!bItemText && before && before->m_nKind == TK_TEXT && before->m_nRow == row) cells.push_back(before);
    for (int k = index.TextOrRowNumberFrom(index.PastLinkText(linkIndex + 1));
         k < index.TextOrRowCount() && static_cast<int>(cells.size()) < kMaxCells; ++k) {
        const int i = index.TextOrRowAt(k);
        const CHtmlToken& tok = tokens[static_cast<std::size_t>(i)];
        if (tok.m_nRow != row || i == bound) break;
        cells.push_back(&tok);
    }

    // 4. Rate the words of the cells: the best-rated number is the price, a
    // word with many digits the item code.
    float price = -1.0f;
    int best = 0;
    std::string priceWord;
    std::string itemCode;
    int itemScore = 0;
    auto offer = [&](const std::string& word) {
        int score = ScoreItemCode(word);
        if (score > itemScore) {
            itemScore = score;
            itemCode = word;
        }
    };
    for (const CHtmlToken* cell : cells) {
        if (!HasAsciiDigit(cell->Text()) || CWordString::CountWordsIn(cell->Text(), 0, 10) >= 10) continue;
        const CWordString cellText(cell->Text());
        for (int k = 0;; ++k) {
            std::string word = cellText.WordAt(k);
            if (word.empty()) break;
            float value = 0.0f;
            int rating = ParsePrice(word, value);
            if (rating > best) {
                if (best == 1) offer(priceWord);
                priceWord = word;
                price = value;
                best = rating;
            } else if (rating >= 2) {
                if (value > price) {
                    priceWord = word;
                    price = value;
                }
            } else {
                offer(word);
            }
        }
    }

    // 5. The link must lead somewhere and the row must name a price.
    // (The description BuildTarget would gather is replaced by the price, so
    // it is not gathered.)
    std::string targetUrl;
    if (!BuildTargetUrl(t, targetUrl, nullptr) || !(price > 0.0f)) return 0;
    if (itemCode.empty() && !FindItemNumber(targetUrl, itemCode)) return 0;

    // 6. The headline text needs words and letters.
    CWordString headline = bItemText ? itemText : text;
    if (headline.CountWords(1, 2) <= 1) return 0;
    if (headline.CountLetters() <= headline.CountCharacters() / 3) return 0;

    // 7. "code: text", priced.
    // "$%.2f", without printf's cost per row.
    char priceText[64] = "$";
    auto [end, ec] = std::to_chars(priceText + 1, priceText + sizeof priceText, static_cast<double>(price),
                                   std::chars_format::fixed, 2);
    item.price.assign(priceText, ec == std::errc() ? end : priceText + 1);
    item.description = item.price;
    item.url = targetUrl;
    item.itemCode = itemCode;
    item.itemText = headline;
    text = CWordString(itemCode + ": " + headline);
    if (m_nProbe == 1) m_tally.Add(itemCode);
    return 1;
}
