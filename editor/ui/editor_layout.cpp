#include "editor/ui/editor_layout.h"

#include <algorithm>

std::pair<int, int> SelectedColumns(int line, int lineLength, TextPosType selectionStart,
                                    TextPosType selectionEnd)
{
    if (selectionStart == selectionEnd || line < selectionStart.line || line > selectionEnd.line) {
        return {0, 0};
    }
    const int from = line == selectionStart.line ? selectionStart.col : 0;
    const int to = line == selectionEnd.line ? selectionEnd.col : lineLength;
    const int first = std::clamp(from, 0, lineLength);
    return {first, std::clamp(to, first, lineLength)};
}

void ComposeRuns(std::string_view text, int line, int firstColumn, int count,
                 TextPosType selectionStart, TextPosType selectionEnd,
                 const std::vector<TokenSpanType>* spans, std::vector<TextRunType>& runs)
{
    runs.clear();
    const int length = static_cast<int>(text.size());
    const int begin = std::min(std::max(firstColumn, 0), length);
    const int end = std::min(begin + std::max(count, 0), length);
    if (begin >= end) {
        return;
    }
    const auto [selFrom, selTo] = SelectedColumns(line, length, selectionStart, selectionEnd);
    // Cut points: the visible ends, the selection's ends, every span's ends.
    std::vector<int> cuts{begin, end, selFrom, selTo};
    if (spans != nullptr) {
        for (const TokenSpanType& span : *spans) {
            cuts.push_back(span.start);
            cuts.push_back(span.start + span.length);
        }
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

    size_t span = 0;
    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
        const int from = cuts[i];
        const int to = cuts[i + 1];
        if (from < begin || to > end) {
            continue;
        }
        TokenKind kind = TokenKind::kPlain;
        if (spans != nullptr) {
            while (span < spans->size() && (*spans)[span].start + (*spans)[span].length <= from) {
                ++span;
            }
            if (span < spans->size() && (*spans)[span].start <= from) {
                kind = (*spans)[span].kind;
            }
        }
        const bool selected = from >= selFrom && to <= selTo && selFrom < selTo;
        if (!runs.empty() && runs.back().kind == kind && runs.back().selected == selected) {
            runs.back().length += to - from;
        } else {
            runs.push_back({from, to - from, kind, selected});
        }
    }
}

ScrollRangesType ComputeScrollRanges(int lineCount, int visibleLines, int visibleColumns,
                                     int firstColumn)
{
    ScrollRangesType ranges;
    ranges.verticalPage = std::max(1, visibleLines);
    ranges.verticalMax = std::max(0, lineCount - ranges.verticalPage);
    ranges.horizontalPage = std::max(1, visibleColumns);
    ranges.horizontalMax = std::max({0, kScrollColumns - ranges.horizontalPage, firstColumn});
    return ranges;
}
