// Several radios at once; see indFleet.h.
#include "comm/indFleet.h"

#include "cells/cmcCellScript.h"
#include "cells/cmcChannelPlan.h"
#include "comm/indCloneMan.h"
#include "comm/indEnviron.h"
#include "comm/indWriteGuard.h"
#include "common/cmcClock.h"
#include "common/cmcMessage.h"
#include "common/cmcSafeFile.h"
#include "common/cmcWholeNumber.h"
#include "defs/cmcCellNames.h"
#include "defs/cmcCellObj.h"
#include "image/cmcImageMap.h"
#include "image/datCh.h"
#include "image/indMain.h"

#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace qx {

// ---------------------------------------------------------------------------------------------
// Per-radio values

namespace {

std::string Trimmed(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return s.substr(a, b - a);
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool AllDigits(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// While values are applied, a question an edit asks is answered Cancel and remembered: the value is
// refused with it. Everything else goes on to the sink installed before.
class QuestionRefuser final : public cmcMessageSink {
public:
    QuestionRefuser() : inner_(cmcMessages()) { cmcSetMessageSink(this); }
    ~QuestionRefuser() override { cmcSetMessageSink(&inner_); }
    QuestionRefuser(const QuestionRefuser&) = delete;
    QuestionRefuser& operator=(const QuestionRefuser&) = delete;

    unsigned Show(const std::string& caption, const std::string& text, cmcMsgIcon icon, unsigned buttons) override {
        if (buttons & (MB_Cancel | MB_No)) {
            if (question_.empty()) question_ = cmcFleetLog::MessageOf(1, text);
            return buttons & MB_Cancel ? MB_Cancel : MB_No;
        }
        return inner_.Show(caption, text, icon, buttons);
    }
    [[noreturn]] void Fatal(const std::string& caption, const std::string& text, int status) override {
        inner_.Fatal(caption, text, status);
        std::abort();
    }
    // The first question asked since the last call, or empty.
    std::string Take() { return std::exchange(question_, {}); }

private:
    cmcMessageSink& inner_;
    std::string question_;
};

}  // namespace

bool cmcFleetPlan::CheckCell(const std::string& cell, std::string* why) {
    const auto fail = [&](const std::string& reason) {
        *why = "'" + cell + "' is not a cell: " + reason;
        return false;
    };
    if (cell.empty() || cell[0] != '%') return fail("write it as %CT_category.CL_label, with [index] or [first..last] for a list");
    const size_t dot = cell.find('.');
    if (dot == std::string::npos) return fail("the category and the label are separated by a dot");
    const size_t open = cell.find('[', dot);
    const std::string category = cell.substr(1, dot - 1);
    const std::string label = cell.substr(dot + 1, open == std::string::npos ? std::string::npos : open - dot - 1);
    int value = 0;
    if (!FindCategory(category, &value)) return fail("no category is named '" + category + "'");
    if (!FindLabel(label, &value)) return fail("no label is named '" + label + "'");
    if (open == std::string::npos) return true;
    if (cell.back() != ']' || cell.find(']') != cell.size() - 1) return fail("the index ends with ']' at the end");
    const std::string index = cell.substr(open + 1, cell.size() - open - 2);
    if (index.find("..") != std::string::npos) {
        std::vector<std::string> cells;
        return cmcCellScript::ExpandRange(cell, &cells, why);
    }
    long long n = 0;
    if (!ReadWholeNumber(index, 0, cmcCellScript::kMaxRangeCells - 1, &n))
        return fail("the index '" + index + "' is not a number from 0 to " +
                    std::to_string(cmcCellScript::kMaxRangeCells - 1));
    return true;
}

bool cmcFleetPlan::Series(const std::string& start, long long step, size_t count, std::vector<std::string>* out,
                          std::string* why) {
    constexpr long long kLimit = 999999999;
    long long first = 0;
    if (!AllDigits(start) || start.size() > 9 || !ReadWholeNumber(start, 0, kLimit, &first)) {
        *why = "the series start '" + start + "' is not a number of at most 9 digits";
        return false;
    }
    if (step < 1 || step > kLimit || (count > 1 && first + static_cast<long long>(count - 1) * step > kLimit)) {
        *why = "the series from " + start + " in steps of " + std::to_string(step) + " outgrows 9 digits";
        return false;
    }
    for (size_t k = 0; k < count; ++k) {
        std::string text = std::to_string(first + static_cast<long long>(k) * step);
        if (text.size() < start.size()) text.insert(0, start.size() - text.size(), '0');
        out->push_back(std::move(text));
    }
    return true;
}

bool cmcFleetPlan::AddEach(const std::string& arg, size_t radios, std::string* why) {
    const size_t eq = arg.find('=');
    if (eq == std::string::npos || eq == 0) {
        *why = "'" + arg + "' is not CELL=VALUES (CELL=101+, CELL=101+5 or CELL=a,b,c)";
        return false;
    }
    if (key != cmcFleetKey::Order) {
        *why = "values for radios in order cannot join a plan keyed by port or serial number";
        return false;
    }
    const std::string cell = arg.substr(0, eq), text = arg.substr(eq + 1);
    if (!CheckCell(cell, why)) return false;
    std::vector<std::string> texts;
    const size_t plus = text.find('+');
    if (plus != std::string::npos && AllDigits(text.substr(0, plus)) &&
        (plus + 1 == text.size() || AllDigits(text.substr(plus + 1)))) {
        long long step = 1;
        if (plus + 1 < text.size() && !ReadWholeNumber(text.substr(plus + 1), 1, 999999999, &step)) {
            *why = "the step in '" + arg + "' is not a number from 1 to 999999999";
            return false;
        }
        if (!Series(text.substr(0, plus), step, radios, &texts, why)) return false;
    } else {
        size_t at = 0;
        for (;;) {
            const size_t comma = text.find(',', at);
            texts.push_back(text.substr(at, comma == std::string::npos ? std::string::npos : comma - at));
            if (comma == std::string::npos) break;
            at = comma + 1;
        }
        if (texts.size() != radios) {
            *why = "'" + arg + "' gives " + std::to_string(texts.size()) + (texts.size() == 1 ? " value" : " values") +
                   " for " + std::to_string(radios) + (radios == 1 ? " radio" : " radios") +
                   ": give one per radio, or a series such as " + cell + "=101+";
            return false;
        }
    }
    columns.push_back(cell);
    if (rows.size() < radios) rows.resize(radios);
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i].texts.resize(columns.size());
        if (i < texts.size()) rows[i].texts.back() = texts[i];
    }
    return true;
}

bool cmcFleetPlan::ParseCsv(const std::string& textIn, std::string* why, const std::string& name) {
    // A spreadsheet may start the file with a byte order mark.
    const std::string text = textIn.rfind("\xEF\xBB\xBF", 0) == 0 ? textIn.substr(3) : textIn;
    const std::vector<cmcCsvRecord> records = qx::ParseCsv(text, ',');
    if (records.empty()) {
        *why = name + " is empty: its first line names Port or Serial and the cells";
        return false;
    }
    const auto& header = records.front().fields;
    const std::string keyName = header.empty() ? std::string() : Lower(Trimmed(header[0]));
    cmcFleetPlan plan;
    if (keyName == "port")
        plan.key = cmcFleetKey::Port;
    else if (keyName == "serial")
        plan.key = cmcFleetKey::Serial;
    else {
        *why = name + " line " + std::to_string(records.front().line) +
               ": the first column is Port or Serial, not '" + (header.empty() ? "" : header[0]) + "'";
        return false;
    }
    for (size_t c = 1; c < header.size(); ++c) {
        const std::string cell = Trimmed(header[c]);
        if (!CheckCell(cell, why)) {
            *why = name + " line " + std::to_string(records.front().line) + ": " + *why;
            return false;
        }
        plan.columns.push_back(cell);
    }
    if (plan.columns.empty()) {
        *why = name + " line " + std::to_string(records.front().line) + ": no cell column after " + header[0];
        return false;
    }
    std::set<std::string> keys;
    for (size_t r = 1; r < records.size(); ++r) {
        const auto& rec = records[r];
        const std::string where = name + " line " + std::to_string(rec.line) + ": ";
        if (rec.fields.size() != header.size()) {
            *why = where + std::to_string(rec.fields.size()) + " fields where the header has " +
                   std::to_string(header.size());
            return false;
        }
        Row row;
        row.key = Trimmed(rec.fields[0]);
        if (row.key.empty()) {
            *why = where + "the " + header[0] + " is empty";
            return false;
        }
        if (!keys.insert(row.key).second) {
            *why = where + "the " + header[0] + " '" + row.key + "' has a row already";
            return false;
        }
        row.texts.assign(rec.fields.begin() + 1, rec.fields.end());
        plan.rows.push_back(std::move(row));
    }
    *this = std::move(plan);
    return true;
}

bool cmcFleetPlan::ReadCsv(const std::string& path, std::string* why) {
    std::string text;
    switch (cmcReadWholeFile(path, kMaxPlanFileBytes, &text)) {
        case cmcReadResult::Ok: break;
        case cmcReadResult::TooLarge:
            *why = "the plan '" + path + "' is larger than " + std::to_string(kMaxPlanFileBytes / (1024 * 1024)) +
                   " MiB; it was not read";
            return false;
        case cmcReadResult::CannotRead:
            *why = "cannot read the plan '" + path + "'";
            return false;
    }
    return ParseCsv(text, why, path);
}

std::vector<cmcFleetValue> cmcFleetPlan::ValuesFor(size_t order, const std::string& port, const std::string& serial,
                                                   bool* found) const {
    std::vector<cmcFleetValue> values;
    const Row* row = nullptr;
    if (key == cmcFleetKey::Order) {
        if (order < rows.size()) row = &rows[order];
    } else {
        const std::string& wanted = key == cmcFleetKey::Port ? port : serial;
        for (const Row& r : rows)
            if (!wanted.empty() && r.key == wanted) row = &r;
    }
    if (found) *found = row != nullptr || Empty();
    if (!row) return values;
    for (size_t c = 0; c < columns.size() && c < row->texts.size(); ++c)
        if (!row->texts[c].empty()) values.push_back({columns[c], row->texts[c]});
    return values;
}

std::vector<std::string> cmcFleetPlan::Ports() const {
    std::vector<std::string> ports;
    if (key == cmcFleetKey::Port)
        for (const Row& r : rows) ports.push_back(r.key);
    return ports;
}

std::vector<cmcFleetRefusal> cmcFleetPlan::Apply(indMain& main, const std::vector<cmcFleetValue>& values) {
    std::vector<cmcFleetRefusal> refused;
    cmcEeprom before(main.WorkingImage());
    QuestionRefuser questions;
    cmcCellScript script(main);
    for (size_t k = 0; k < values.size(); ++k) {
        const cmcFleetValue& v = values[k];
        std::string why;
        std::vector<std::string> names;
        if (!CheckCell(v.cell, &why) || !cmcCellScript::ExpandRange(v.cell, &names, &why)) {
            refused.push_back({k, v.cell, v.text, why});
            continue;
        }
        const bool range = names.size() != 1 || names.front() != v.cell;
        std::vector<cmcCellObj> cells(names.size());
        std::vector<cmcCellObj*> targets;
        std::vector<size_t> at;  // the position in `names` of each target
        for (size_t i = 0; i < names.size(); ++i) {
            cmcCellCounters counters;
            cells[i].category = CT_Null;
            cells[i].index = 0;
            ParseCell("{(" + names[i] + ")}", &cells[i], &counters, nullptr);
            // A range of channel cells means the channels in use: an ID for every channel of the
            // radio leaves the empty ones empty.
            if (range && (cells[i].category == CT_Mch || cells[i].category == CT_Mch_Check) &&
                (cells[i].index < 0 || cells[i].index >= map::kChannelCount ||
                 !datChannelInUse(main.WorkingImage().Data(), cells[i].index)))
                continue;
            targets.push_back(&cells[i]);
            at.push_back(i);
        }
        if (targets.empty()) {
            refused.push_back({k, v.cell, v.text, "no channel of the range is in use"});
            continue;
        }
        const auto result = script.ApplyEach(targets, [&](cmcCellScript& s, cmcCellObj& cell, std::string* reason) {
            const bool ok = s.Apply(cell, v.text, reason);
            const std::string question = questions.Take();
            if (!question.empty() && (ok || reason->empty())) {
                *reason = question;
                return false;  // an edit that asks first is not made behind the user's back
            }
            return ok;
        });
        for (const auto& r : result.refused) refused.push_back({k, names[at[r.at]], v.text, r.why});
    }
    // A radio gets all of its values or none of them.
    if (!refused.empty()) main.WorkingImage().Assign(before);
    return refused;
}

std::string cmcFleetPlan::Describe(const std::vector<cmcFleetValue>& values) {
    std::string text;
    for (const auto& v : values) text += (text.empty() ? "" : "; ") + v.Assignment();
    return text;
}

// ---------------------------------------------------------------------------------------------
// The runner

namespace {

// The file a radio read into a folder is saved as: its serial number (else its port's name), with
// "-2", "-3", ... when the name is taken.
std::string FleetFileName(const std::string& folder, const std::string& serial, const std::string& port,
                          std::set<std::string>& taken) {
    std::string base = serial;
    if (base.empty()) base = QFileInfo(QString::fromStdString(port)).fileName().toStdString();
    std::string name = base + ".QCF";
    for (int n = 2; taken.count(name); ++n) name = base + "-" + std::to_string(n) + ".QCF";
    taken.insert(name);
    std::string dir = folder;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir + "/" + name;
}

indFleet::Radio FreshRadio(const std::string& port) {
    indFleet::Radio r;
    r.port = port;
    return r;
}

// The first line of a refusal list, with how many more there are.
std::string RefusalText(const std::vector<cmcFleetRefusal>& refused) {
    std::string text = refused.front().Message();
    if (refused.size() > 1) text += " (and " + std::to_string(refused.size() - 1) + " more refused)";
    return text;
}

}  // namespace

class indFleet::Impl {
public:
    // One radio: its own main object, clone manager and commands on one port; its messages kept
    // for its line instead of shown.
    struct Unit final : public cmcMessageSink, public indCloneView {
        Impl& owner;
        size_t index;
        Radio state;
        indMain main;
        indCloneMan manager;
        indCloneCommands commands{main, manager};
        bool started = false;
        uint32_t startMs = 0;

        Unit(Impl& o, size_t i, const std::string& port) : owner(o), index(i) { state.port = port; }

        unsigned Show(const std::string&, const std::string& text, cmcMsgIcon icon, unsigned buttons) override {
            if (icon == cmcMsgIcon::Error && state.error.empty()) {
                state.error = text.substr(0, text.find('\n'));
                state.errorText = text;
            }
            // The one confirmation was asked for the whole fleet before anything started.
            return buttons & MB_Ok ? MB_Ok : buttons & MB_Yes ? MB_Yes : buttons;
        }
        [[noreturn]] void Fatal(const std::string& caption, const std::string& text, int status) override {
            cmcMessages().Fatal(caption, text, status);
            std::abort();
        }
        void Phase(int phase) override {
            Identified();
            state.phase = phase;
            state.done = 0;
            owner.Changed(index, true);
        }
        void Progress(int done, int total) override {
            state.done = done;
            state.total = total;
            owner.Changed(index, false);
        }
        // What the radio's identification told, once it has answered.
        void Identified() {
            state.serial = main.SerialNumber();
            if (!state.serial.empty())
                state.modelType = indMain::ModelTypeOfFlags(main.Identification()[indMain::kIdentModelFlags]);
        }
    };

    indFleet& self;
    std::vector<std::unique_ptr<Unit>> units;
    std::vector<Radio*> radios;
    int running = 0;
    bool starting = false;
    bool reading = false;
    std::string folder;
    std::string file;
    cmcFleetPlan plan;
    indFleetOptions options;

    explicit Impl(indFleet& s) : self(s) {}

    void Changed(size_t i, bool phase) {
        if (self.changed) self.changed(i, phase);
    }

    void Prepare(Unit& u) {
        u.state = FreshRadio(u.state.port);
        u.started = false;
        u.manager.SetPortDevice(u.state.port);
        u.manager.SetHighSpeed(options.highSpeed ? 1 : 0);
        u.manager.SetMessageSink(&u);
        u.manager.SetView(&u);
        u.commands.backup = options.backup;
        u.commands.backupDir = options.backupDir;
        u.commands.verify = options.verify;
        u.commands.changeModel = options.changeModel > 0 ? 1 : 0;
        u.commands.backupAdvice = options.backupAdvice;
        u.commands.shortRadioAdvice = options.shortRadioAdvice;
        u.commands.otherModelAdvice = options.otherModelAdvice;
        u.commands.logWrites = false;  // the runner logs each radio itself, also one stopped early
        u.commands.announceRead = false;  // the windows show the program's image, not the radios'
        u.commands.backupSaved = [&u](const std::string& path) { u.state.backup = path; };
        u.commands.finished = [this, &u](int outcome) { End(u, outcome); };
    }

    // Stops a radio before it was cloned.
    void Stop(Unit& u, const std::string& why) {
        u.state.error = why;
        u.state.errorText = why;
        u.state.startTime = cmcWallSeconds();
        u.startMs = cmcNowMs();
        End(u, -1);
    }

    void End(Unit& u, int outcome) {
        if (u.state.ended) return;
        u.Identified();
        u.state.ended = true;
        u.state.outcome = outcome;
        u.state.duration = static_cast<double>(cmcNowMs() - u.startMs) / 1000.0;
        if (!reading && options.log) Log(u);
        if (u.started) --running;
        Changed(u.index, true);
        if (running == 0 && !starting) AllEnded();
    }

    void Log(Unit& u) {
        cmcFleetLogEntry e;
        e.SetWhen(u.state.startTime ? u.state.startTime : cmcWallSeconds());
        e.port = u.state.port;
        e.serial = u.state.serial;
        e.modelType = u.state.modelType >= 0 ? indMain::ModelName(u.state.modelType) : std::string();
        e.file = cmcFleetLog::AbsolutePath(file);
        e.values = cmcFleetPlan::Describe(u.state.values);
        e.backup = cmcFleetLog::AbsolutePath(u.state.backup);
        e.result = u.state.Status();
        e.message = u.state.Status() == 0 ? "ok" : cmcFleetLog::MessageOf(e.result, u.state.errorText.empty()
                                                                                     ? (u.state.outcome < 0 ? "stopped before cloning" : "failed")
                                                                                     : u.state.errorText);
        e.duration = u.state.duration;
        std::string why;
        if (!cmcFleetLog::Append(options.logFile, e, &why)) u.state.logProblem = why;
    }

    void AllEnded() {
        if (reading) {
            std::set<std::string> taken;
            for (auto& u : units) {
                if (u->state.outcome != 0) continue;
                const std::string path = FleetFileName(folder, u->state.serial, u->state.port, taken);
                if (!u->main.SaveCloneFile(path)) {
                    u->state.error = "cannot write " + path;
                    u->state.errorText = u->state.error;
                    u->state.outcome = 73;
                } else {
                    u->state.saved = path;
                }
            }
        }
        if (self.finished) self.finished();
    }

    bool Start(const std::function<bool(Unit&)>& start) {
        starting = true;
        running = 0;
        for (auto& u : units) {
            if (u->state.ended) continue;
            u->started = true;
            ++running;
            u->state.startTime = cmcWallSeconds();
            u->startMs = cmcNowMs();
            if (!start(*u) && !u->state.ended) End(*u, -1);
        }
        starting = false;
        if (running == 0) AllEnded();
        return true;
    }
};

indFleet::indFleet(const std::vector<std::string>& ports) : impl_(std::make_unique<Impl>(*this)) {
    for (size_t i = 0; i < ports.size(); ++i) impl_->units.push_back(std::make_unique<Impl::Unit>(*impl_, i, ports[i]));
}

indFleet::~indFleet() {
    for (auto& u : impl_->units) {
        u->commands.finished = nullptr;
        u->manager.SetView(nullptr);
        u->manager.SetMessageSink(nullptr);
    }
}

size_t indFleet::Count() const { return impl_->units.size(); }
const indFleet::Radio& indFleet::At(size_t i) const { return impl_->units.at(i)->state; }
indMain& indFleet::MainOf(size_t i) { return impl_->units.at(i)->main; }
indCloneCommands& indFleet::CommandsOf(size_t i) { return impl_->units.at(i)->commands; }

bool indFleet::Running() const { return impl_->running > 0 || impl_->starting; }

bool indFleet::StartWrite(const std::string& file, const cmcFleetPlan& plan, const indFleetOptions& options,
                          std::string* why) {
    if (Running()) {
        if (why) *why = "a fleet is running";
        return false;
    }
    Impl& m = *impl_;
    m.reading = false;
    m.file = file;
    m.plan = plan;
    m.options = options;
    for (auto& u : m.units) {
        m.Prepare(*u);
        u->main.LoadStartImage(Environ().ModelType);
        if (u->main.OpenCloneFile(file) != 0) {
            if (why) *why = "the clone file '" + file + "' was refused";
            for (auto& v : m.units) v->state = FreshRadio(v->state.port);
            return false;
        }
    }
    m.starting = true;  // radios stopped by their values end without ending the fleet
    for (auto& up : m.units) {
        Impl::Unit& u = *up;
        if (m.plan.BySerial()) {
            // Known once the radio has answered: applied before anything is prepared or sent.
            u.commands.beforeWrite = [&m, &u](std::string* reason) {
                bool found = false;
                const std::string serial = u.main.SerialNumber();
                std::vector<cmcFleetValue> values = m.plan.ValuesFor(u.index, u.state.port, serial, &found);
                if (!found) {
                    *reason = "the radio's serial number " + (serial.empty() ? std::string("(none)") : serial) +
                              " has no row in the plan";
                    return false;
                }
                const auto refused = cmcFleetPlan::Apply(u.main, values);
                if (!refused.empty()) {
                    *reason = RefusalText(refused);
                    return false;
                }
                u.state.values = std::move(values);
                return true;
            };
            continue;
        }
        u.commands.beforeWrite = nullptr;
        bool found = false;
        std::vector<cmcFleetValue> values = m.plan.ValuesFor(u.index, u.state.port, {}, &found);
        if (!found) {
            m.Stop(u, "the port " + u.state.port + " has no row in the plan");
            continue;
        }
        const auto refused = cmcFleetPlan::Apply(u.main, values);
        if (!refused.empty()) {
            m.Stop(u, RefusalText(refused));
            continue;
        }
        u.state.values = std::move(values);
    }
    return m.Start([](Impl::Unit& u) { return u.commands.CloneWrite(); });
}

bool indFleet::StartRead(const std::string& folder, const indFleetOptions& options, std::string* why) {
    if (Running()) {
        if (why) *why = "a fleet is running";
        return false;
    }
    Impl& m = *impl_;
    m.reading = true;
    m.folder = folder;
    m.file.clear();
    m.options = options;
    for (auto& u : m.units) {
        m.Prepare(*u);
        u->commands.beforeWrite = nullptr;
        u->main.LoadStartImage(Environ().ModelType);
    }
    return m.Start([](Impl::Unit& u) { return u.commands.CloneRead(); });
}

void indFleet::Cancel(size_t i) {
    Impl::Unit& u = *impl_->units.at(i);
    if (u.state.ended) return;
    if (u.manager.IsBusy()) {
        u.manager.RequestCancel();  // the radio's sink answers the write's question with OK
        return;
    }
    if (!u.started) impl_->Stop(u, "cancelled");
}

void indFleet::CancelAll() {
    for (size_t i = 0; i < impl_->units.size(); ++i) Cancel(i);
}

int indFleet::ExitStatus() const {
    int status = 0;
    for (auto& u : impl_->units) status = std::max(status, u->state.Status());
    return status;
}

}  // namespace qx
