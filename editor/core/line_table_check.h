#pragma once

#include <string>

class CEditorDoc;

// Checks the line table against the text it indexes: one line per CR plus
// one, each starting after its CR and ending before the next, and the buffer
// terminated. Returns what is wrong, or an empty text when all agree.
// Linear in the text; for tests and fuzzing, not for every edit.
std::string FindLineTableFault(const CEditorDoc& doc);
