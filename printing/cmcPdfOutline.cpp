#include "printing/cmcPdfOutline.h"

#include <QString>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>

namespace qx {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }
bool IsDelimiter(char c) { return IsSpace(c) || std::string_view("()<>[]{}/%").find(c) != std::string_view::npos; }

size_t SkipSpace(const std::string& s, size_t at) {
    while (at < s.size()) {
        if (IsSpace(s[at])) {
            ++at;
        } else if (s[at] == '%') {  // a comment runs to the end of the line
            while (at < s.size() && s[at] != '\n' && s[at] != '\r') ++at;
        } else {
            break;
        }
    }
    return at;
}

// A whole number at `at` (after white space); `at` moves past it.
std::optional<long long> ReadNumber(const std::string& s, size_t& at) {
    size_t p = SkipSpace(s, at);
    const size_t start = p;
    while (p < s.size() && std::isdigit(static_cast<unsigned char>(s[p]))) ++p;
    if (p == start) return std::nullopt;
    at = p;
    return std::strtoll(s.c_str() + start, nullptr, 10);
}

bool ReadWord(const std::string& s, size_t& at, std::string_view word) {
    const size_t p = SkipSpace(s, at);
    if (s.compare(p, word.size(), word) != 0) return false;
    if (p + word.size() < s.size() && !IsDelimiter(s[p + word.size()])) return false;
    at = p + word.size();
    return true;
}

// The end (one past the closing bracket) of the object value that starts at `at`: a dictionary,
// an array, a string or a plain token. std::string::npos when it does not end.
size_t ValueEnd(const std::string& s, size_t at) {
    at = SkipSpace(s, at);
    if (at >= s.size()) return std::string::npos;
    if (s[at] == '(') {
        int depth = 0;
        for (size_t p = at; p < s.size(); ++p) {
            if (s[p] == '\\') ++p;
            else if (s[p] == '(') ++depth;
            else if (s[p] == ')' && --depth == 0) return p + 1;
        }
        return std::string::npos;
    }
    if (s.compare(at, 2, "<<") == 0 || s[at] == '[') {
        const bool dict = s[at] == '<';
        size_t p = at + (dict ? 2 : 1);
        while (true) {
            p = SkipSpace(s, p);
            if (p >= s.size()) return std::string::npos;
            if (dict && s.compare(p, 2, ">>") == 0) return p + 2;
            if (!dict && s[p] == ']') return p + 1;
            const size_t end = ValueEnd(s, p);
            if (end == std::string::npos || end == p) return std::string::npos;
            p = end;
        }
    }
    if (s[at] == '<') {
        const size_t end = s.find('>', at);
        return end == std::string::npos ? end : end + 1;
    }
    size_t p = at;
    if (s[p] == '/') ++p;
    while (p < s.size() && !IsDelimiter(s[p])) ++p;
    return p == at ? std::string::npos : p;
}

// The value of `key` in the dictionary text `dict` ("<< ... >>"), as text; empty when missing.
std::string DictValue(const std::string& dict, std::string_view key) {
    size_t p = 2;
    while (p < dict.size()) {
        p = SkipSpace(dict, p);
        if (dict.compare(p, 2, ">>") == 0 || p >= dict.size()) break;
        const size_t keyEnd = ValueEnd(dict, p);
        if (keyEnd == std::string::npos) break;
        const std::string name = dict.substr(p, keyEnd - p);
        const size_t valueStart = SkipSpace(dict, keyEnd);
        size_t valueEnd = ValueEnd(dict, valueStart);
        if (valueEnd == std::string::npos) break;
        // A reference "n g R" is one value.
        size_t q = valueEnd;
        if (ReadNumber(dict, q) && ReadWord(dict, q, "R")) valueEnd = q;
        if (name == key) return dict.substr(valueStart, valueEnd - valueStart);
        p = valueEnd;
    }
    return {};
}

// "12 0 R" -> 12; -1 when the text is no reference.
long long RefNumber(const std::string& ref) {
    size_t at = 0;
    const auto n = ReadNumber(ref, at);
    if (!n || !ReadNumber(ref, at) || !ReadWord(ref, at, "R")) return -1;
    return *n;
}

struct Document {
    const std::string& s;
    std::map<long long, long long> offsets;  // object number -> byte offset, newest first wins
    std::string trailer;
    long long xref = 0;
    std::string error;

    bool Fail(const std::string& why) {
        error = why;
        return false;
    }

    // Reads the cross-reference sections from the last one back through /Prev.
    bool ReadXref() {
        const size_t at = s.rfind("startxref");
        if (at == std::string::npos) return Fail("no startxref");
        size_t p = at + 9;
        const auto start = ReadNumber(s, p);
        if (!start || *start <= 0 || static_cast<size_t>(*start) >= s.size()) return Fail("bad startxref");
        xref = *start;
        std::set<long long> seen;
        for (long long section = xref; section > 0;) {
            if (!seen.insert(section).second) return Fail("cross-reference sections loop");
            p = static_cast<size_t>(section);
            if (!ReadWord(s, p, "xref")) return Fail("no classic cross-reference table");
            while (true) {
                size_t q = p;
                const auto first = ReadNumber(s, q);
                if (!first) break;
                const auto count = ReadNumber(s, q);
                if (!count) return Fail("bad cross-reference subsection");
                for (long long i = 0; i < *count; ++i) {
                    const auto offset = ReadNumber(s, q);
                    const auto gen = ReadNumber(s, q);
                    q = SkipSpace(s, q);
                    if (!offset || !gen || q >= s.size() || (s[q] != 'n' && s[q] != 'f'))
                        return Fail("bad cross-reference entry");
                    if (s[q] == 'n') offsets.emplace(*first + i, *offset);  // a newer section came first
                    ++q;
                }
                p = q;
            }
            if (!ReadWord(s, p, "trailer")) return Fail("no trailer");
            const size_t dictStart = SkipSpace(s, p);
            const size_t dictEnd = ValueEnd(s, dictStart);
            if (dictEnd == std::string::npos || s.compare(dictStart, 2, "<<") != 0) return Fail("bad trailer");
            const std::string dict = s.substr(dictStart, dictEnd - dictStart);
            if (trailer.empty()) trailer = dict;
            const std::string prev = DictValue(dict, "/Prev");
            section = prev.empty() ? 0 : std::atoll(prev.c_str());
        }
        return true;
    }

    // The value of object n ("n g obj VALUE endobj"); empty when it cannot be found.
    std::string Object(long long n) {
        const auto it = offsets.find(n);
        if (it == offsets.end() || it->second <= 0 || static_cast<size_t>(it->second) >= s.size()) return {};
        size_t p = static_cast<size_t>(it->second);
        const auto num = ReadNumber(s, p);
        if (!num || *num != n || !ReadNumber(s, p) || !ReadWord(s, p, "obj")) return {};
        const size_t start = SkipSpace(s, p);
        const size_t end = ValueEnd(s, start);
        return end == std::string::npos ? std::string() : s.substr(start, end - start);
    }

    // The page objects below the page tree node `node`, in order.
    bool CollectPages(long long node, std::vector<long long>& pages, int depth) {
        if (depth > 32) return Fail("page tree too deep");
        const std::string dict = Object(node);
        if (dict.compare(0, 2, "<<") != 0) return Fail("page tree node " + std::to_string(node) + " not found");
        const std::string type = DictValue(dict, "/Type");
        if (type == "/Page") {
            pages.push_back(node);
            return true;
        }
        const std::string kids = DictValue(dict, "/Kids");
        if (kids.empty() || kids[0] != '[') return Fail("page tree node without /Kids");
        size_t p = 1;
        while (true) {
            size_t q = p;
            const auto n = ReadNumber(kids, q);
            if (!n) break;
            if (!ReadNumber(kids, q) || !ReadWord(kids, q, "R")) return Fail("bad /Kids entry");
            if (!CollectPages(*n, pages, depth + 1)) return false;
            p = q;
        }
        return true;
    }
};

// A PDF text string: UTF-16BE with its byte order mark, in hexadecimal.
std::string PdfText(const std::string& utf8) {
    std::string out = "<FEFF";
    char buf[8];
    for (char16_t u : QString::fromStdString(utf8).toStdU16String()) {
        std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(u));
        out += buf;
    }
    return out + ">";
}

}  // namespace

bool cmcAddPdfOutline(std::string& pdf, const std::vector<cmcPdfOutlineEntry>& entries, std::string* why) {
    if (entries.empty()) return true;
    Document doc{pdf, {}, {}, 0, {}};
    auto fail = [&](const std::string& text) {
        if (why) *why = text;
        return false;
    };
    if (!doc.ReadXref()) return fail(doc.error);
    const std::string size = DictValue(doc.trailer, "/Size");
    const long long root = RefNumber(DictValue(doc.trailer, "/Root"));
    if (size.empty() || root < 0) return fail("trailer without /Size or /Root");
    const std::string catalog = doc.Object(root);
    if (catalog.compare(0, 2, "<<") != 0) return fail("catalog not found");
    if (!DictValue(catalog, "/Outlines").empty()) return fail("the document has an outline already");
    const long long pagesRoot = RefNumber(DictValue(catalog, "/Pages"));
    std::vector<long long> pages;
    if (pagesRoot < 0 || !doc.CollectPages(pagesRoot, pages, 0)) return fail(doc.error.empty() ? "no page tree" : doc.error);
    for (const cmcPdfOutlineEntry& e : entries)
        if (e.page < 0 || e.page >= static_cast<int>(pages.size()))
            return fail("outline entry '" + e.title + "' names page " + std::to_string(e.page + 1) + " of " +
                        std::to_string(pages.size()));

    // The new objects: the outline root, then one per entry, numbered from the trailer's /Size.
    const long long first = std::atoll(size.c_str());
    const long long count = static_cast<long long>(entries.size());
    auto ref = [](long long n) { return std::to_string(n) + " 0 R"; };
    std::string out;
    if (!pdf.empty() && pdf.back() != '\n') out += '\n';
    std::vector<std::pair<long long, long long>> written;  // object, offset
    auto object = [&](long long n, const std::string& value) {
        written.push_back({n, static_cast<long long>(pdf.size() + out.size())});
        out += std::to_string(n) + " 0 obj\n" + value + "\nendobj\n";
    };
    std::string newCatalog = catalog.substr(0, catalog.size() - 2);
    while (!newCatalog.empty() && IsSpace(newCatalog.back())) newCatalog.pop_back();
    newCatalog += "\n/Outlines " + ref(first) + "\n/PageMode /UseOutlines\n>>";
    object(root, newCatalog);
    object(first, "<<\n/Type /Outlines\n/First " + ref(first + 1) + "\n/Last " + ref(first + count) +
                      "\n/Count " + std::to_string(count) + "\n>>");
    for (long long i = 0; i < count; ++i) {
        const long long n = first + 1 + i;
        std::string item = "<<\n/Title " + PdfText(entries[i].title) + "\n/Parent " + ref(first);
        if (i > 0) item += "\n/Prev " + ref(n - 1);
        if (i + 1 < count) item += "\n/Next " + ref(n + 1);
        item += "\n/Dest [" + ref(pages[entries[i].page]) + " /Fit]\n>>";
        object(n, item);
    }

    // The cross-reference section of the update: object 0, the catalog, the new objects.
    const long long xrefAt = static_cast<long long>(pdf.size() + out.size());
    char line[32];
    auto entry = [&](long long offset, int gen, char kind) {
        std::snprintf(line, sizeof line, "%010lld %05d %c \n", offset, gen, kind);
        out += line;
    };
    out += "xref\n0 1\n";
    entry(0, 65535, 'f');
    out += std::to_string(root) + " 1\n";
    entry(written[0].second, 0, 'n');
    out += std::to_string(first) + " " + std::to_string(count + 1) + "\n";
    for (size_t i = 1; i < written.size(); ++i) entry(written[i].second, 0, 'n');
    std::string trailer = "trailer\n<<\n/Size " + std::to_string(first + count + 1) + "\n/Root " + ref(root);
    for (const char* key : {"/Info", "/ID"}) {
        const std::string value = DictValue(doc.trailer, key);
        if (!value.empty()) trailer += std::string("\n") + key + " " + value;
    }
    trailer += "\n/Prev " + std::to_string(doc.xref) + "\n>>\n";
    out += trailer + "startxref\n" + std::to_string(xrefAt) + "\n%%EOF\n";
    pdf += out;
    return true;
}

}  // namespace qx
