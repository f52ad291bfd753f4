// The outline (bookmarks) of a PDF document: one entry per printed topic, pointing at the topic's
// first page, so that a PDF viewer's sidebar lists the topics. Qt's PDF writer has no outline of
// its own, so the entries are appended to the finished document as an incremental update: the
// outline objects, the catalog again with /Outlines, and a cross-reference section chained to the
// document's own through /Prev. The bytes written before stay as they are.
//
//     std::string pdf = ...;   // a complete document with a classic cross-reference table
//     std::string why;
//     if (!cmcAddPdfOutline(pdf, {{"Bank Operation", 0}, {"Memory Channels, Bank 1", 1}}, &why)) ...
#pragma once

#include <string>
#include <vector>

namespace qx {

struct cmcPdfOutlineEntry {
    std::string title;  // UTF-8
    int page = 0;       // counted from 0
};

// Appends the entries as the document's outline (in their order, one level) and asks viewers to
// show it when the document opens. Returns false and leaves `pdf` unchanged when the document's
// structure is not understood (no classic cross-reference table, no catalog or page tree, an
// outline already there) or a page is out of range; `why` then says what. No entries: nothing to do.
bool cmcAddPdfOutline(std::string& pdf, const std::vector<cmcPdfOutlineEntry>& entries, std::string* why = nullptr);

}  // namespace qx
