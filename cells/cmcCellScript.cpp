// Scripted edits through the program's cell handler; see cmcCellScript.h.
#include "cells/cmcCellScript.h"

#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellViews.h"
#include "cells/cmcEditors.h"
#include "common/cmcMessage.h"
#include "common/cmcWholeNumber.h"
#include "defs/cmcCellNames.h"
#include "defs/cmcFCache.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/indMain.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qx {
namespace {

// Choosers of a scripted edit: the last one a cell opened is remembered, so that the next pick can
// be delivered to it. Flag windows and in-place editors started by a pick are not offered.
class cmcScriptViews final : public cmcCellViews {
public:
    struct Opened {
        std::string sheetKey;
        int itemKind = 0;
        int selected = -1;  // the item the cell holds
    };
    bool OpenChooser(cmcCellRequest&, const std::string& sheetKey, int itemKind, int selected) override {
        opened_ = Opened{sheetKey, itemKind, selected};
        hasOpened_ = true;
        return true;
    }
    bool OpenFlagWindow(cmcCellRequest&, uint32_t, int, int, int, int, const std::string&) override { return false; }
    bool StartInlineEdit(cmcCellRequest&) override { return false; }

    // Takes the chooser opened since the last call, if any.
    bool Take(Opened* out) {
        if (!hasOpened_) return false;
        *out = opened_;
        hasOpened_ = false;
        return true;
    }

private:
    Opened opened_;
    bool hasOpened_ = false;
};

// While a scripted value is delivered, an error box that an editor shows to refuse it is kept as the
// reason of the refusal (the script reports it in place of a box). Every other message goes on to
// the sink that was installed; so do the kept ones when the value was taken after all.
class cmcRefusalSink final : public cmcMessageSink {
public:
    cmcRefusalSink() : inner_(cmcMessages()) { cmcSetMessageSink(this); }
    ~cmcRefusalSink() override { cmcSetMessageSink(&inner_); }
    cmcRefusalSink(const cmcRefusalSink&) = delete;
    cmcRefusalSink& operator=(const cmcRefusalSink&) = delete;

    unsigned Show(const std::string& caption, const std::string& text, cmcMsgIcon icon, unsigned buttons) override {
        if (icon != cmcMsgIcon::Error || buttons != MB_Ok) return inner_.Show(caption, text, icon, buttons);
        kept_.push_back({caption, text});
        return MB_Ok;
    }
    [[noreturn]] void Fatal(const std::string& caption, const std::string& text, int status) override {
        inner_.Fatal(caption, text, status);
        std::abort();  // a sink's Fatal never returns
    }
    // The first refusal text, or empty.
    std::string Reason() const { return kept_.empty() ? std::string() : kept_.front().second; }
    void PassOn() {
        for (const auto& [caption, text] : kept_) inner_.Show(caption, text, cmcMsgIcon::Error, MB_Ok);
        kept_.clear();
    }

private:
    cmcMessageSink& inner_;
    std::vector<std::pair<std::string, std::string>> kept_;
};

// A command cell runs its command on Enter; a scripted edit never presses Enter on one.
bool IsCommandLabel(int label) {
    return (label >= CL_Menu_File_New && label <= CallSheet) || (label >= CL_PMenu_NoItem && label <= CL_PMenu_Help);
}

}  // namespace

namespace {

// The script's views for the requests it runs: in its cell environment, where the value editors
// open their choosers, and installed process-wide while it runs, so that nothing the edit sets off
// opens a window of the program.
class UseViews {
public:
    UseViews(cmcCellEnv& env, cmcCellViews* views) : env_(env), previous_(env.views), installed_(views) {
        env_.views = views;
    }
    ~UseViews() { env_.views = previous_; }
    UseViews(const UseViews&) = delete;
    UseViews& operator=(const UseViews&) = delete;

private:
    cmcCellEnv& env_;
    cmcCellViews* previous_;
    cmcScopedCellViews installed_;
};

}  // namespace

class cmcCellScript::Impl {
public:
    static constexpr const char* kNoTypedInput = "the cell accepts no typed input";

    explicit Impl(const cmcCellEnv& env) : main_(*env.main), capsule_(env) {}

    cmcFCache& Lists() { return *capsule_.Env().lists; }

    // Applies one CELL=TEXT pair; false (with the reason in *why) when the cell refuses it.
    // Every scripted request runs with the script's own views installed: the program's windows
    // must never see a scripted request (they would open a window for it).
    bool Apply(cmcCellObj& cell, const std::string& text, std::string* why) {
        cmcScriptViews views;
        UseViews use(capsule_.Env(), &views);
        if (!InSomeBank(cell, why)) return false;
        if (text.rfind("@key:", 0) == 0) return Key(cell, text.substr(5), why);
        if (text.rfind("@pick:", 0) == 0) return Pick(cell, text.substr(6), why);
        if (Type(cell, text, why)) return true;
        // A cell that takes no typed text but opens a chooser (power, tone, scan list...) takes the
        // item shown with that text, so that a value reads the same in a plan as on the sheet.
        if (*why != kNoTypedInput) return false;
        std::vector<Choice> choices;
        std::string none;
        if (!Choices(cell, &choices, nullptr, &none)) return false;
        return PickText(cell, text, why);
    }

    // A memory channel cell names a channel of a bank: one past the banks' channels (or outside
    // the channel table) would be edited where no save keeps it.
    bool InSomeBank(const cmcCellObj& cell, std::string* why) {
        if (cell.category != CT_Mch && cell.category != CT_Mch_Check) return true;
        const int channel = cell.index;
        if (channel >= 0 && channel < map::kChannelCount &&
            datBankOfChannel(main_.WorkingImage().Data(), channel) < map::kBankCount)
            return true;
        *why = "channel " + std::to_string(channel + 1) + " lies in no bank";
        return false;
    }

    cmcCellRequest Request(cmcCellObj& cell, int action) {
        cmcCellRequest req;
        req.userEdit = true;
        req.cell = &cell;
        req.action = action;
        return req;
    }

    bool Key(cmcCellObj& cell, const std::string& name, std::string* why) {
        int action = 0;
        if (name == "space")
            action = 32;
        else if (name == "backspace")
            action = 8;
        else {
            *why = "unknown key '" + name + "' (space or backspace)";
            return false;
        }
        cmcCellRequest req = Request(cell, action);
        capsule_.Execute(req, true);
        if (req.redirect) {
            *why = "the channel is empty: set its receive frequency first";
            return false;
        }
        if (!capsule_.Wrote()) {
            *why = "the cell does not change with this key";
            return false;
        }
        return true;
    }

    // Types the text as the in-place editor delivers it. The cell must start an in-place editor
    // for this text: with its first character typed (or Enter for a text that starts with a space).
    bool Type(cmcCellObj& cell, const std::string& text, std::string* why) {
        cmcScriptViews views;
        UseViews use(capsule_.Env(), &views);
        const unsigned char first = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
        uint8_t started = CER_None;
        cmcCellRequest probe = Request(cell, 0);
        if (first > 32 && first < 127) {
            probe.action = first;
            started = capsule_.Execute(probe, false);
        }
        // A text that starts with a space, or with a character no key of the grid starts an edit
        // with, is typed after Enter (the editor then judges the character).
        if (started != CER_Editor && !IsCommandLabel(cell.label) && (first <= ' ' || first >= 127)) {
            probe = Request(cell, 13);
            started = capsule_.Execute(probe, false);
        }
        if (probe.redirect) {
            *why = "the channel is empty: set its receive frequency first";
            return false;
        }
        if (started != CER_Editor) {
            *why = kNoTypedInput;
            return false;
        }
        cmcCellRequest req = Request(cell, 0);
        req.resultKind = CRK_Input;
        req.input = text;
        cmcRefusalSink refusals;
        capsule_.Execute(req, true);
        if (!capsule_.Wrote()) {
            // The value the cell already holds writes nothing, and is no refusal: a script that
            // sets a name or tone to what it is must not fail.
            if (req.refusal.empty() && refusals.Reason().empty() && ShowsTyped(cell, text)) return true;
            // The editor's own reason, as the sheet's status bar shows it.
            *why = !req.refusal.empty() ? req.refusal
                   : refusals.Reason().empty() ? "the value was refused" : refusals.Reason();
            return false;
        }
        refusals.PassOn();
        return true;
    }

    // Picks items: "@pick:N" picks item N of the chooser the cell opens on Enter; "@pick:N,M"
    // goes on with item M of the chooser that the first pick opens, and so on.
    bool Pick(cmcCellObj& cell, const std::string& list, std::string* why) {
        std::vector<int> items;
        size_t at = 0;
        while (at <= list.size()) {
            size_t comma = list.find(',', at);
            const std::string part = list.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
            char* end = nullptr;
            const long n = std::strtol(part.c_str(), &end, 10);
            if (part.empty() || *end != '\0') {
                *why = "bad item number '" + part + "'";
                return false;
            }
            items.push_back(static_cast<int>(n));
            if (comma == std::string::npos) break;
            at = comma + 1;
        }
        if (IsCommandLabel(cell.label)) {
            *why = "the cell opens no chooser";
            return false;
        }
        cmcScriptViews views;
        UseViews use(capsule_.Env(), &views);
        auto opener = std::make_unique<cmcCellRequest>(Request(cell, 13));
        capsule_.Execute(*opener, false);
        bool wrote = false;
        std::string refusal;
        for (int item : items) {
            cmcScriptViews::Opened chooser;
            if (!views.Take(&chooser)) {
                *why = opener->redirect ? "the channel is empty: set its receive frequency first"
                                        : "the cell opens no chooser here";
                return false;
            }
            if (!HasItem(chooser, item)) {
                *why = "item " + std::to_string(item) + " is not in " + chooser.sheetKey;
                return false;
            }
            cmcCellObj picked;
            picked.label = chooser.itemKind;
            picked.index = item;
            cmcCellRequest parent = *opener;
            parent.cell = &picked;
            auto result = std::make_unique<cmcCellRequest>(*opener);
            result->parent = &parent;
            result->resultKind = CRK_Chooser;
            result->action = 0;
            capsule_.Execute(*result, true);
            if (refusal.empty()) refusal = result->refusal;
            wrote = wrote || capsule_.Wrote() || Shows(cell, Lists().Text(chooser.sheetKey, chooser.itemKind, item));
            // A pick that opens the next chooser of a chain answers to this request.
            result->parent = nullptr;
            result->resultKind = CRK_Plain;
            opener = std::move(result);
        }
        if (!wrote) {
            *why = refusal.empty() ? "the pick was refused" : refusal;
            return false;
        }
        return true;
    }

    // The items of the chooser the cell opens on Enter, as PickText matches them: the items with
    // a text, in the chooser's order, a text that repeats listed once (PickText takes the first
    // item of a text). *current: the position of the item the cell holds, or -1. False, with the
    // reason, when the cell opens no chooser.
    struct Choice {
        int index = 0;
        std::string text;
    };
    bool Choices(cmcCellObj& cell, std::vector<Choice>* out, int* current, std::string* why) {
        out->clear();
        if (current) *current = -1;
        if (IsCommandLabel(cell.label)) {
            *why = "the cell opens no chooser";
            return false;
        }
        cmcScriptViews views;
        UseViews use(capsule_.Env(), &views);
        cmcCellRequest opener = Request(cell, 13);
        capsule_.Execute(opener, false);
        cmcScriptViews::Opened chooser;
        if (!views.Take(&chooser)) {
            *why = opener.redirect ? "the channel is empty: set its receive frequency first"
                                   : "the cell opens no chooser here";
            return false;
        }
        std::vector<std::string> seen;
        for (const auto& e : Lists().Table(chooser.sheetKey, chooser.itemKind).byIndex) {
            const std::string folded = Folded(e.text);
            if (folded.empty() || std::find(seen.begin(), seen.end(), folded) != seen.end()) continue;
            seen.push_back(folded);
            if (current && e.index == chooser.selected) *current = static_cast<int>(out->size());
            out->push_back({e.index, e.text});
        }
        return true;
    }

    bool PickText(cmcCellObj& cell, const std::string& text, std::string* why) {
        // The chooser tells its list; the item is found there by its text, then picked as usual.
        std::vector<Choice> choices;
        if (!Choices(cell, &choices, nullptr, why)) return false;
        const std::string wanted = Folded(text);
        for (const Choice& c : choices)
            if (Folded(c.text) == wanted) return Pick(cell, std::to_string(c.index), why);
        *why = "'" + text + "' is not one of the cell's choices";
        return false;
    }

    static std::string Folded(const std::string& text) {
        size_t a = 0, b = text.size();
        while (a < b && std::isspace(static_cast<unsigned char>(text[a]))) ++a;
        while (b > a && std::isspace(static_cast<unsigned char>(text[b - 1]))) --b;
        std::string out;
        for (size_t k = a; k < b; ++k) out += static_cast<char>(std::tolower(static_cast<unsigned char>(text[k])));
        return out;
    }

    // Whether the cell shows this text now (a pick of the value it already holds writes nothing).
    bool Shows(cmcCellObj& cell, const std::string& text) {
        cmcCellRequest req = Request(cell, 0);
        req.userEdit = false;
        capsule_.Execute(req, false);
        return req.display == text;
    }

    // Whether the cell shows this typed text now, as the grid shows it: padding aside, and for a
    // value that follows another ("88.5<-") without its arrow.
    bool ShowsTyped(cmcCellObj& cell, const std::string& text) {
        cmcCellRequest req = Request(cell, 0);
        req.grid = nullptr;
        capsule_.Execute(req, false);
        auto trim = [](std::string t) {
            const size_t first = t.find_first_not_of(' ');
            if (first == std::string::npos) return std::string();
            t = t.substr(first, t.find_last_not_of(' ') - first + 1);
            return t;
        };
        std::string shown = trim(req.display);
        if (shown.size() > 2 && shown.compare(shown.size() - 2, 2, "<-") == 0) shown = trim(shown.substr(0, shown.size() - 2));
        return !shown.empty() && shown == trim(text);
    }

    bool HasItem(const cmcScriptViews::Opened& chooser, int item) {
        for (const auto& e : Lists().Table(chooser.sheetKey, chooser.itemKind).byIndex)
            if (e.index == item) return true;
        return false;
    }

    indMain& main_;
    cmcCellCapsule capsule_;
};

cmcCellScript::cmcCellScript(const cmcCellEnv& env) : impl_(std::make_unique<Impl>(env)) {}
cmcCellScript::~cmcCellScript() = default;
bool cmcCellScript::Apply(cmcCellObj& cell, const std::string& text, std::string* why) {
    return impl_->Apply(cell, text, why);
}
bool cmcCellScript::Type(cmcCellObj& cell, const std::string& text, std::string* why) {
    return impl_->Type(cell, text, why);
}
bool cmcCellScript::PickText(cmcCellObj& cell, const std::string& text, std::string* why) {
    return impl_->PickText(cell, text, why);
}
std::vector<std::string> cmcCellScript::ChooserItems(cmcCellObj& cell, int* current) {
    cmcRefusalSink quiet;  // opening a chooser to read it refuses nothing
    std::vector<Impl::Choice> choices;
    std::string why;
    std::vector<std::string> texts;
    if (!impl_->Choices(cell, &choices, current, &why)) return texts;
    for (const auto& c : choices) texts.push_back(c.text);
    return texts;
}

cmcCellScript::EachResult cmcCellScript::ApplyEach(const std::vector<cmcCellObj*>& cells, const Edit& edit) {
    EachResult result;
    cmcEeprom& image = impl_->main_.WorkingImage();
    cmcEeprom before(image);
    for (size_t at = 0; at < cells.size(); ++at) {
        std::string why;
        if (edit(*this, *cells[at], &why)) {
            ++result.accepted;
            before.Assign(image);
        } else {
            // A refused edit may have written part of its way (a pick chain that stopped halfway).
            image.Assign(before);
            result.refused.push_back({at, why.empty() ? std::string("the value was refused") : why});
        }
    }
    return result;
}

bool cmcCellScript::ExpandRange(const std::string& arg, std::vector<std::string>* out, std::string* why) {
    const size_t dots = arg.find("..");
    if (dots == std::string::npos) {
        out->push_back(arg);
        return true;
    }
    const size_t open = arg.rfind('[', dots);
    const size_t close = arg.find(']', dots);
    if (open == std::string::npos || close == std::string::npos || arg.find("..", dots + 2) != std::string::npos) {
        *why = "'" + arg + "' is not a cell with one index range [first..last]";
        return false;
    }
    const std::string firstText = arg.substr(open + 1, dots - open - 1);
    const std::string lastText = arg.substr(dots + 2, close - dots - 2);
    long long first = 0, last = 0;
    if (!ReadWholeNumber(firstText, 0, kMaxRangeCells - 1, &first) ||
        !ReadWholeNumber(lastText, 0, kMaxRangeCells - 1, &last)) {
        *why = "the range '" + firstText + ".." + lastText + "' in '" + arg + "' is not two indexes from 0 to " +
               std::to_string(kMaxRangeCells - 1);
        return false;
    }
    if (last < first) {
        *why = "the range '" + firstText + ".." + lastText + "' in '" + arg + "' runs backwards";
        return false;
    }
    const std::string head = arg.substr(0, open + 1), tail = arg.substr(close);
    for (long long i = first; i <= last; ++i) out->push_back(head + std::to_string(i) + tail);
    return true;
}

}  // namespace qx
