// Price and auction listings: a link in a table row whose cells hold its
// price and an item code becomes the story "code: link text" with the price
// as its description.
#include <charconv>

#include "engine/ListingRules.h"
#include "engine/PageScanner.h"

namespace {

constexpr int kMaxCells = 5;

bool HasDigit(std::string_view s) {
    return s.find_first_of("0123456789") != std::string_view::npos;
}

}  // namespace

int CPageScanner::ScoreItemCode(const std::string& word) const {
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

int CPageScanner::DetectListingRow(const CHtmlToken* t, CWordString& text, std::string& url,
                                   std::string& description) {
    url.clear();
    description.clear();
    auto tokens = m_parser.Tokens();
    const int linkIndex = IndexOf(t);
    const int row = t->m_nRow;

    // The nearest text or row token before the link.
    const CHtmlToken* before = nullptr;
    for (int i = linkIndex - 1; i >= 0; --i) {
        if (tokens[i].m_nKind == TK_TEXT || tokens[i].m_nKind == TK_ROW) {
            before = &tokens[i];
            break;
        }
    }

    // 1. A short status link ("Bid open", "Auction over") stands for the text
    // in front of it.
    CWordString itemText;
    bool bItemText = false;
    if (text.CountWords(0) < 3) {
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

    // 2. The item ends at the next link text that is not a number.
    SavedCursor saved = SaveCursorState();
    const CHtmlToken* bound = nullptr;
    while (const CHtmlToken* next = NextLinkText(1)) {
        CWordString nextText(next->Text());
        AppendSameFont(nextText, FontOf(next));
        nextText.Trim();
        float value = 0.0f;
        if (ParsePrice(nextText, value) == 0) {
            bound = next;
            break;
        }
    }
    RestoreCursorState(saved);

    // 3. The cells of the row: the text in front of the link when it is in
    // the same row, then text and row tokens after the link's own text.
    std::vector<const CHtmlToken*> cells;
    if (!bItemText && before && before->m_nKind == TK_TEXT && before->m_nRow == row) cells.push_back(before);
    int i = linkIndex + 1;
    while (i < static_cast<int>(tokens.size()) && tokens[i].m_nKind == TK_TEXT && tokens[i].IsInside(TK_LINK)) ++i;
    for (; i < static_cast<int>(tokens.size()) && static_cast<int>(cells.size()) < kMaxCells; ++i) {
        const CHtmlToken& tok = tokens[i];
        if (tok.m_nKind != TK_TEXT && tok.m_nKind != TK_ROW) continue;
        if (tok.m_nRow != row || &tok == bound) break;
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
        CWordString cellText(cell->Text());
        if (!HasDigit(cellText) || cellText.CountWords(0) >= 10) continue;
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
    if (headline.CountWords(1) <= 1) return 0;
    if (headline.CountLetters() <= headline.CountCharacters() / 3) return 0;

    // 7. "code: text", priced.
    // "$%.2f", without printf's cost per row.
    char priceText[64] = "$";
    auto [end, ec] = std::to_chars(priceText + 1, priceText + sizeof priceText, static_cast<double>(price),
                                   std::chars_format::fixed, 2);
    description.assign(priceText, ec == std::errc() ? end : priceText + 1);
    url = targetUrl;
    text = CWordString(itemCode + ": " + headline);
    if (m_nProbe == 1) m_tally.Add(itemCode);
    return 1;
}
