#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "editor/core/undo_ring.h"
#include "editor/ui/source_marks.h"
#include "editor/ui/syntax_colouring.h"

// A stretch of one line drawn in one way: its token kind and whether it is
// selected (white on black). Columns are the document's.
struct TextRunType
{
    int column = 0;
    int length = 0;
    TokenKind kind = TokenKind::kPlain;
    bool selected = false;

    friend bool operator==(const TextRunType&, const TextRunType&) = default;
};

// What the window shows of one line: its gutter and its visible text.
struct LinePictureType
{
    int line = -1;
    GutterMarksType gutter;
    std::vector<TextRunType> runs;
};

// The columns [first, second) of a line that lie in the selection; equal
// when none do. Only characters are selected: a line end shows nothing.
std::pair<int, int> SelectedColumns(int line, int lineLength, TextPosType selectionStart,
                                    TextPosType selectionEnd);

// Cuts the visible columns [firstColumn, firstColumn + count) of a line into
// runs at the selection's ends and at the token spans (null: all plain).
void ComposeRuns(std::string_view text, int line, int firstColumn, int count,
                 TextPosType selectionStart, TextPosType selectionEnd,
                 const std::vector<TokenSpanType>* spans, std::vector<TextRunType>& runs);

struct ScrollRangesType
{
    int verticalMax = 0;
    int verticalPage = 1;
    int horizontalMax = 0;
    int horizontalPage = 1;

    friend bool operator==(const ScrollRangesType&, const ScrollRangesType&) = default;
};

// Vertically the document's lines, horizontally 512 columns, a page being
// what the window shows. A caret on a longer line may scroll further, and
// the bar then reaches as far as the window has gone.
inline constexpr int kScrollColumns = 512;
ScrollRangesType ComputeScrollRanges(int lineCount, int visibleLines, int visibleColumns,
                                     int firstColumn);
