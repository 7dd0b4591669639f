#include "editor/core/line_table_check.h"

#include "common/text_util.h"
#include "editor/core/editor_doc.h"

std::string FindLineTableFault(const CEditorDoc& doc)
{
    const std::string_view text = doc.TextView();
    if (doc.TextLength() > doc.Capacity()) {
        return StrFormat("length %zu beyond capacity %u", doc.TextLength(), doc.Capacity());
    }
    if (doc.Text()[doc.TextLength()] != '\0') {
        return "text not terminated";
    }
    size_t start = 0;
    int line = 0;
    for (;; ++line) {
        const size_t cr = text.find('\r', start);
        const size_t end = cr == std::string_view::npos ? text.size() : cr;
        if (line >= doc.LineCount()) {
            return StrFormat("%d lines in the table, more in the text", doc.LineCount());
        }
        const std::string_view stored = doc.Line(line);
        if (stored.data() != text.data() + start || stored.size() != end - start) {
            return StrFormat("line %d: table has %zu+%zu, text has %zu+%zu", line,
                             static_cast<size_t>(stored.data() - text.data()), stored.size(), start,
                             end - start);
        }
        if (cr == std::string_view::npos) {
            break;
        }
        start = cr + 1;
    }
    if (line + 1 != doc.LineCount()) {
        return StrFormat("%d lines in the table, %d in the text", doc.LineCount(), line + 1);
    }
    return {};
}
