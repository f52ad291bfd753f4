#include "defs/cmcCellObj.h"

#include "common/cmcMessage.h"
#include "defs/cmcGTex.h"

namespace qx {
namespace {

cmcCellParseObserver* g_observer = nullptr;

void NoteIgnored(const std::string& what) {
    if (g_observer) g_observer->Ignored(what);
}

[[noreturn]] void ChNoError() { cmcFatal("Ch No. Error", kExitDefinitionFault); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Text after the first "=" of a property, or nullopt without one.
std::optional<std::string_view> ValueAfterEquals(std::string_view prop) {
    size_t eq = prop.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return prop.substr(eq + 1);
}

// Reads a counter reference "@chD" at the start of `s`; the digit must stand alone unless
// `trailingDigitsAllowed`. Returns the counter number; `used` gets the length read.
int ReadCounterRef(std::string_view s, cmcCellCounters* counters, bool trailingDigitsAllowed, size_t* used) {
    if (s.size() < 4 || s.substr(0, 3) != "@ch" || s[3] < '0' || s[3] > '9') ChNoError();
    if (!trailingDigitsAllowed && s.size() > 4 && s[4] >= '0' && s[4] <= '9') ChNoError();
    if (!counters) ChNoError();
    *used = 4;
    return s[3] - '0';
}

class cmcCellParser {
public:
    cmcCellParser(cmcCellObj& cell, cmcCellCounters* counters) : cell_(cell), counters_(counters) {}

    void ApplyAttributes(std::string_view attr, int depth);
    void ApplyText(std::string_view text);

private:
    void ApplyProperty(std::string_view prop, int depth);
    void ApplyModel(const std::string& name, int depth);
    void ApplyFont(std::string_view spec);
    void ApplyIdentity(std::string_view ident);
    void ApplyCounterOp(std::string_view op);
    void ApplyUserFlag(std::string_view prop);

    cmcCellObj& cell_;
    cmcCellCounters* counters_;
};

void cmcCellParser::ApplyAttributes(std::string_view attr, int depth) {
    bool negate = false;  // "!" just before: clear the flag instead of setting it
    for (size_t i = 0; i < attr.size(); ++i) {
        char c = attr[i];
        bool clear = negate;
        negate = false;
        auto flag = [&](uint8_t& bits, uint8_t bit) {
            if (clear)
                bits &= static_cast<uint8_t>(~bit);
            else
                bits |= bit;
        };
        auto setField = [&](uint8_t mask, uint8_t value) {
            cell_.layout = static_cast<uint8_t>((cell_.layout & ~mask) | value);
        };
        switch (c) {
        case '<': setField(LF_HAlignMask, HA_Left); break;
        case '^': setField(LF_HAlignMask, HA_Centre); break;
        case '>': setField(LF_HAlignMask, HA_Right); break;
        case '~': setField(LF_VAlignMask, VA_Top << 2); break;
        case '-': setField(LF_VAlignMask, VA_Centre << 2); break;
        case '_': setField(LF_VAlignMask, VA_Bottom << 2); break;
        case 'W': flag(cell_.layout, LF_FitColumn); break;
        case 'H': flag(cell_.layout, LF_FitRow); break;
        case 'B': flag(cell_.layout, LF_BottomLine); break;
        case '+': flag(cell_.layout, LF_JoinLeft); break;
        case 'S': flag(cell_.behaviour, BF_Selectable); break;
        case 'T': flag(cell_.behaviour, BF_Trailing); break;
        case '!': negate = true; break;
        case '\\': ++i; break;
        case '(': {
            // The property runs to the next ")" that no backslash escapes; it keeps its backslashes.
            size_t j = i + 1;
            while (j < attr.size() && attr[j] != ')') j += attr[j] == '\\' ? 2 : 1;
            if (j >= attr.size()) {
                NoteIgnored("unclosed property '" + std::string(attr.substr(i)) + "'");
                return;
            }
            ApplyProperty(attr.substr(i + 1, j - i - 1), depth);
            i = j;
            break;
        }
        default:
            if (!IsBlank(c)) NoteIgnored(std::string("unknown attribute character '") + c + "'");
            break;
        }
    }
}

void cmcCellParser::ApplyProperty(std::string_view prop, int depth) {
    if (prop.starts_with("$")) {
        ApplyModel(std::string(prop.substr(1)), depth);
    } else if (prop.starts_with("Color")) {
        auto v = ValueAfterEquals(prop);
        uint32_t c = 0;
        if (v && FindColour(std::string(*v), &c))
            cell_.colour = c;
        else
            NoteIgnored("unknown colour in '(" + std::string(prop) + ")'");
    } else if (prop.starts_with("Font")) {
        ApplyFont(ValueAfterEquals(prop).value_or(std::string_view()));
    } else if (prop.starts_with("%")) {
        ApplyIdentity(prop.substr(1));
    } else if (prop.starts_with("@")) {
        ApplyCounterOp(prop);
    } else if (prop.starts_with("ImageIndex")) {
        if (auto v = ValueAfterEquals(prop)) cell_.imageIndex = ReadLenientInt(*v);
    } else if (prop.starts_with("PopupMenu")) {
        if (auto v = ValueAfterEquals(prop)) {
            cell_.popupKey = std::string(*v);
            if (g_observer && !v->empty()) g_observer->PopupKeyNamed(std::string(*v));
        }
    } else if (prop.starts_with("Flag")) {
        ApplyUserFlag(prop);
    } else {
        NoteIgnored("unknown property '(" + std::string(prop) + ")'");
    }
}

void cmcCellParser::ApplyModel(const std::string& name, int depth) {
    // A model that (indirectly) uses itself would recurse without end.
    if (depth >= kMaxCellModelDepth)
        cmcFatal("Cell models nest too deeply.\n'" + name + "'", kExitDefinitionFault);
    // Models always come from the main store, whatever store the description came from.
    std::string line = GTex().Line("CellModel_" + name, 0);
    ApplyAttributes(line, depth + 1);
}

void cmcCellParser::ApplyFont(std::string_view spec) {
    if (!cell_.font) {
        const cmcFont* base = cell_.model ? cell_.model->EffectiveFont() : nullptr;
        cell_.font = std::make_unique<cmcFont>(base ? *base : DefaultFont());
    }
    ApplyFontSpec(*cell_.font, spec, [](const std::string& what) { NoteIgnored(what); });
}

void cmcCellParser::ApplyIdentity(std::string_view ident) {
    // Category: the text before the first "." unless a backslash escapes that ".".
    size_t dot = ident.find('.');
    if (dot != std::string_view::npos && !(dot > 0 && ident[dot - 1] == '\\')) {
        cell_.category = CategoryValue(std::string(ident.substr(0, dot)));
        ident.remove_prefix(dot + 1);
    }
    size_t end = ident.find_first_of("[:");
    if (end == std::string_view::npos) end = ident.size();
    cell_.label = LabelValue(std::string(ident.substr(0, end)));
    size_t pos = end;
    if (pos < ident.size() && ident[pos] == '[') {
        size_t close = ident.find(']', pos + 1);
        std::string_view idx = ident.substr(pos + 1, close == std::string_view::npos ? std::string_view::npos
                                                                                       : close - pos - 1);
        if (!idx.empty() && idx.front() == '@') {
            size_t used = 0;
            int d = ReadCounterRef(idx, counters_, true, &used);  // anything after the digit is ignored
            cell_.index = counters_->ch[d];
        } else {
            cell_.index = ReadLenientInt(idx);
        }
        pos = close == std::string_view::npos ? ident.size() : close + 1;
    }
    if (pos < ident.size() && ident[pos] == ':') {
        std::string name;
        for (size_t i = pos + 1; i < ident.size(); ++i) {
            if (ident[i] == '\\') {
                if (++i >= ident.size()) break;
            }
            name += ident[i];
        }
        if (name.empty())
            cell_.name.reset();
        else
            cell_.name = std::move(name);
    }
}

void cmcCellParser::ApplyCounterOp(std::string_view op) {
    size_t used = 0;
    int d = ReadCounterRef(op, counters_, false, &used);
    std::string_view rest = op.substr(used);
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    if (rest.starts_with("++"))
        ++counters_->ch[d];
    else if (rest.starts_with("="))
        counters_->ch[d] = ReadLenientInt(rest.substr(1));
    else
        NoteIgnored("counter operation without '++' or '=' in '(" + std::string(op) + ")'");
}

void cmcCellParser::ApplyUserFlag(std::string_view prop) {
    // Exactly "FlagD=0" or "FlagD=1" with D from 0 to 5.
    if (prop.size() == 7 && prop[4] >= '0' && prop[4] <= '5' && prop[5] == '=' && (prop[6] == '0' || prop[6] == '1')) {
        uint8_t bit = static_cast<uint8_t>(BF_Flag0 << (prop[4] - '0'));
        if (prop[6] == '1')
            cell_.behaviour |= bit;
        else
            cell_.behaviour &= static_cast<uint8_t>(~bit);
        return;
    }
    NoteIgnored("malformed user flag '(" + std::string(prop) + ")'");
}

void cmcCellParser::ApplyText(std::string_view text) {
    auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && isTrimmed(text.front())) text.remove_prefix(1);
    while (!text.empty() && isTrimmed(text.back())) text.remove_suffix(1);

    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= text.size()) break;  // a backslash at the very end escapes nothing
        char e = text[i];
        if (e == 'n' || e == 'N') {
            out += '\n';
        } else if (e == '_') {
            out += ' ';
        } else if (e == '(') {
            // "\(@chD)" or "\(@chD+K)": the counter's value (plus K), at most 6 characters.
            size_t close = text.find(')', i + 1);
            if (close == std::string_view::npos) cmcFatal("Illegal Ch No.", kExitDefinitionFault);
            std::string_view expr = text.substr(i + 1, close - i - 1);
            size_t used = 0;
            int d = ReadCounterRef(expr, counters_, false, &used);
            std::string_view rest = expr.substr(used);
            while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
            long long value = counters_->ch[d];
            if (rest.starts_with("+")) value += ReadLenientInt(rest.substr(1));
            out += std::to_string(value).substr(0, 6);
            i = close;
        } else {
            out += e;
        }
    }
    if (out.empty())
        cell_.text.reset();
    else
        cell_.text = std::move(out);
}

}  // namespace

std::string_view CutCellDescription(std::string_view row, std::string_view* rest) {
    size_t i = 0;
    while (i < row.size()) {
        if (row[i] == '\\') {
            i += 2;
            continue;
        }
        if (row[i] == '|') {
            *rest = row.substr(i + 1);
            return row.substr(0, i);
        }
        ++i;
    }
    *rest = std::string_view();
    return row;
}

namespace {

void Reset(cmcCellObj& cell, const cmcCellObj* model) {
    cell.label = kLabelNone;
    cell.imageIndex = -1;
    cell.layout = 0;
    cell.behaviour = 0;
    cell.colour = clWindow;
    cell.name.reset();
    cell.text.reset();
    cell.font.reset();
    cell.popupKey.reset();
    cell.model = model;
    if (model) {
        cell.category = model->category;
        cell.label = model->label;
        cell.index = model->index;
        cell.name = model->name;
        cell.imageIndex = model->imageIndex;
        cell.layout = model->layout;
        cell.behaviour = model->behaviour;
        cell.colour = model->colour;
        cell.text = model->text;
    }
}

}  // namespace

cmcCellObj::cmcCellObj(const cmcCellObj& other)
    : model(other.model),
      counters(other.counters),
      category(other.category),
      label(other.label),
      index(other.index),
      name(other.name),
      imageIndex(other.imageIndex),
      layout(other.layout),
      behaviour(other.behaviour),
      colour(other.colour),
      font(other.font ? std::make_unique<cmcFont>(*other.font) : nullptr),
      popupKey(other.popupKey),
      text(other.text) {}

cmcCellObj& cmcCellObj::operator=(const cmcCellObj& other) {
    if (this != &other) {
        cmcCellObj copy(other);
        *this = std::move(copy);
    }
    return *this;
}

const std::string& cmcCellObj::Text() const {
    static const std::string empty;
    return text ? *text : empty;
}

const std::string* cmcCellObj::PopupMenuKey() const {
    // Bounded walk: a model chain never loops in practice, but a cell must never hang on one.
    int steps = 0;
    for (const cmcCellObj* c = this; c && steps < 1000; c = c->model, ++steps)
        if (c->popupKey && !c->popupKey->empty()) return &*c->popupKey;
    return nullptr;
}

const cmcFont* cmcCellObj::EffectiveFont() const {
    int steps = 0;
    for (const cmcCellObj* c = this; c && steps < 1000; c = c->model, ++steps)
        if (c->font) return c->font.get();
    return nullptr;
}

std::string_view ParseCell(std::string_view row, cmcCellObj* cell, cmcCellCounters* counters, const cmcCellObj* model,
                           bool cutOnly) {
    std::string_view rest;
    std::string_view desc = CutCellDescription(row, &rest);
    if (cutOnly || !cell) return rest;

    Reset(*cell, model);

    // Braces switch between the text part and the attribute part; they cannot be escaped.
    std::string attr, text;
    bool inAttr = false;
    for (char c : desc) {
        if (c == '{')
            inAttr = true;
        else if (c == '}')
            inAttr = false;
        else
            (inAttr ? attr : text) += c;
    }

    cell->counters = counters;
    struct ClearCounters {
        cmcCellObj* cell;
        ~ClearCounters() { cell->counters = nullptr; }
    } clearCounters{cell};
    cmcCellParser parser(*cell, counters);
    parser.ApplyAttributes(attr, 0);  // first, so the text sees the counters they change
    parser.ApplyText(text);
    return rest;
}

int CountCells(std::string_view row) {
    int n = 0;
    while (!row.empty()) {
        row = ParseCell(row, nullptr, nullptr, nullptr, true);
        ++n;
    }
    return n;
}

cmcScopedCellParseObserver::cmcScopedCellParseObserver(cmcCellParseObserver* observer) : previous_(g_observer) {
    g_observer = observer;
}

cmcScopedCellParseObserver::~cmcScopedCellParseObserver() { g_observer = previous_; }

}  // namespace qx
