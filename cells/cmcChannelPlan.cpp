// Channel plans (CSV) in and out of an image, and the comparison of two images; see cmcChannelPlan.h.
#include "cells/cmcChannelPlan.h"
#include "common/cmcSafeFile.h"

#include "cells/cmcCellCapsule.h"
#include "cells/cmcCellScript.h"
#include "cells/cmcDispText.h"
#include "cells/cmcEditors.h"
#include "cells/cmcEditorsInternal.h"
#include "cells/cmcReasons.h"
#include "cells/cmcSheetText.h"
#include "common/cmcWholeNumber.h"
#include "defs/cmcCellNames.h"
#include "defs/cmcCellObj.h"
#include "defs/cmcFCache.h"
#include "defs/cmcGTex.h"
#include "defs/cmcSheetBuilder.h"
#include "image/cmcEeprom.h"
#include "image/datCh.h"
#include "image/datChannelShift.h"
#include "image/cmcImageMap.h"
#include "image/indMain.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string_view>

namespace qx {

// ---------------- CSV ----------------

bool cmcCsvReader::Next(cmcCsvRecord* record) {
    for (;;) {
        if (pos_ >= text_.size()) return false;
        record->line = line_;
        record->fields.clear();
        record->dropped = 0;
        std::string field;
        bool quoted = false, any = false;
        auto endField = [&] {
            if (record->fields.size() < maxFields_)
                record->fields.push_back(std::move(field));
            else
                ++record->dropped;
            field.clear();
        };
        while (pos_ < text_.size()) {
            const char ch = text_[pos_++];
            if (quoted) {
                if (ch == '"') {
                    if (pos_ < text_.size() && text_[pos_] == '"') {
                        field += '"';
                        ++pos_;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (ch == '\n') ++line_;
                    field += ch;
                }
            } else if (ch == '"') {
                quoted = true;
                any = true;
            } else if (ch == separator_) {
                endField();
                any = true;
            } else if (ch == '\r' || ch == '\n') {
                if (ch == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
                ++line_;
                break;
            } else {
                field += ch;
            }
        }
        endField();
        // A blank line is no record.
        if (record->fields.size() == 1 && record->fields[0].empty() && !any) continue;
        return true;
    }
}

std::vector<cmcCsvRecord> ParseCsv(const std::string& text, char separator) {
    std::vector<cmcCsvRecord> out;
    cmcCsvReader reader(text, separator);
    cmcCsvRecord record;
    while (reader.Next(&record)) out.push_back(record);
    return out;
}

char CsvSeparator(const std::string& text) {
    // The first line that is no comment (a byte order mark before it is no character of it).
    size_t start = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    while (start < text.size() && text[start] == '#') {
        const size_t end = text.find_first_of("\r\n", start);
        start = end == std::string::npos ? text.size() : text.find_first_not_of("\r\n", end);
        if (start == std::string::npos) start = text.size();
    }
    const std::string first = text.substr(start, text.find_first_of("\r\n", start) - start);
    return first.find(',') == std::string::npos && first.find(';') != std::string::npos ? ';' : ',';
}

std::string CsvField(const std::string& text) {
    const bool needs = text.find_first_of(",\"\r\n") != std::string::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!needs) return text;
    std::string out = "\"";
    for (char ch : text) {
        if (ch == '"') out += '"';
        out += ch;
    }
    return out + "\"";
}

namespace {

// A byte of a message: a control character is written as an escape ("\\n", "\\t", "\\x1B"), so
// that text from a file cannot move a terminal's cursor or break a message into lines.
void AppendPrintable(std::string& out, unsigned char ch) {
    if (ch >= 0x20 && ch != 0x7F) {
        out += static_cast<char>(ch);
    } else if (ch == '\n') {
        out += "\\n";
    } else if (ch == '\r') {
        out += "\\r";
    } else if (ch == '\t') {
        out += "\\t";
    } else {
        static const char hex[] = "0123456789ABCDEF";
        out += "\\x";
        out += hex[ch >> 4];
        out += hex[ch & 15];
    }
}

// ---------------- the plan fields of a channel ----------------

const std::vector<std::string> kColumns = {"Location", "Name",        "Frequency",  "Duplex",    "Offset",
                                           "Tone",     "rToneFreq",   "cToneFreq",  "DtcsCode",  "DtcsPolarity",
                                           "RxDtcsCode", "CrossMode", "Mode",       "TStep",     "Skip",
                                           "Power",    "Comment",     "URCALL",     "RPT1CALL",  "RPT2CALL",
                                           "DVCODE",   "Bank"};

constexpr uint32_t kSplitAbove = 10000000;  // Hz: a larger shift is written as a split frequency
constexpr const char* kDefaultTone = "88.5";  // the tone fields of a channel without that tone
constexpr const char* kDefaultDtcs = "023";

std::string Mhz(uint64_t hz) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%llu.%06llu", static_cast<unsigned long long>(hz / 1000000),
                  static_cast<unsigned long long>(hz % 1000000));
    return buf;
}

std::string CtcssText(const cmcToneItems& tones, const datTone& t) {
    const auto& items = tones.ctcss;
    return t.ctcss < items.size() ? items[t.ctcss] : std::string();
}

std::string DtcsText(const datTone& t) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03o", t.dtcsCode & 0x1FF);
    return buf;
}

cmcCellObj ChannelCell(int label, int channel) {
    cmcCellObj cell;
    cell.category = CT_Mch;
    cell.label = label;
    cell.index = channel;
    return cell;
}

// What a channel cell shows (outside a sheet: the editable form of a display text).
std::string Shown(cmcCellCapsule& capsule, int label, int channel) {
    return capsule.Shown(ChannelCell(label, channel));
}

// The channel raster a channel's frequencies lie on, in kHz as a plan's TStep writes it: the
// coarsest of the steps the frequency editor snaps to that both frequencies are multiples of.
std::string Raster(uint32_t rx, uint32_t tx) {
    static const struct {
        uint32_t hz;
        const char* text;
    } kSteps[] = {{12500, "12.5"}, {6250, "6.25"}, {5000, "5.0"}, {3125, "3.125"}, {2500, "2.5"}};
    for (const auto& s : kSteps)
        if (rx % s.hz == 0 && tx % s.hz == 0) return s.text;
    for (const auto& s : kSteps)
        if (rx % s.hz == 0) return s.text;
    return "2.5";
}

std::string TrimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The plan fields of memory channel `channel` as the image holds it.
std::vector<std::string> PlanFields(indMain& main, cmcCellCapsule& capsule, int channel) {
    const cmcToneItems& tones = editors::TonesOf(capsule.Env());
    uint8_t* image = main.WorkingImage().Data();
    datCh ch(image);
    ch.Load(datChannelKind(main.ModelType()), channel);
    std::vector<std::string> f(PC_Count);
    f[PC_Location] = std::to_string(channel + 1);
    f[PC_Name] = TrimRight(Shown(capsule, CL_Mch_Text, channel));
    f[PC_Frequency] = Mhz(ch.rxFreq);
    f[PC_Offset] = "0.000000";
    if (ch.txInhibit) {
        f[PC_Duplex] = "off";
    } else if (ch.txFreq != ch.rxFreq) {
        const uint32_t shift = ch.txFreq > ch.rxFreq ? ch.txFreq - ch.rxFreq : ch.rxFreq - ch.txFreq;
        if (shift < kSplitAbove) {
            f[PC_Duplex] = ch.txFreq > ch.rxFreq ? "+" : "-";
            f[PC_Offset] = Mhz(shift);
        } else {
            f[PC_Duplex] = "split";
            f[PC_Offset] = Mhz(ch.txFreq);
        }
    }
    // Tones: the transmit tone is the encode side, the receive tone the squelch side.
    const datTone& tx = ch.txTone;
    const datTone& rx = ch.rxTone;
    f[PC_RTone] = kDefaultTone;
    f[PC_CTone] = kDefaultTone;
    f[PC_Dtcs] = kDefaultDtcs;
    f[PC_RxDtcs] = kDefaultDtcs;
    f[PC_DtcsPol] = "NN";
    f[PC_CrossMode] = "Tone->Tone";
    auto pol = [](const datTone& t) { return t.enabled && t.dtcs && t.inverted ? 'R' : 'N'; };
    if (!tx.enabled && !rx.enabled) {
    } else if (tx.enabled && !tx.dtcs && !rx.enabled) {
        f[PC_Tone] = "Tone";
        f[PC_RTone] = CtcssText(tones, tx);
    } else if (tx.enabled && !tx.dtcs && rx == tx) {
        f[PC_Tone] = "TSQL";
        f[PC_RTone] = f[PC_CTone] = CtcssText(tones, tx);
    } else if (tx.enabled && tx.dtcs && rx.enabled && rx.dtcs && rx.dtcsCode == tx.dtcsCode) {
        f[PC_Tone] = "DTCS";
        f[PC_Dtcs] = f[PC_RxDtcs] = DtcsText(tx);
        f[PC_DtcsPol] = std::string{pol(tx), pol(rx)};
    } else {
        f[PC_Tone] = "Cross";
        std::string txWord, rxWord;
        if (tx.enabled && tx.dtcs) {
            txWord = "DTCS";
            f[PC_Dtcs] = DtcsText(tx);
        } else if (tx.enabled) {
            txWord = "Tone";
            f[PC_RTone] = CtcssText(tones, tx);
        }
        if (rx.enabled && rx.dtcs) {
            rxWord = "DTCS";
            f[PC_RxDtcs] = DtcsText(rx);
        } else if (rx.enabled) {
            rxWord = "Tone";
            f[PC_CTone] = CtcssText(tones, rx);
        }
        f[PC_DtcsPol] = std::string{pol(tx), pol(rx)};
        f[PC_CrossMode] = txWord + "->" + rxWord;
    }
    f[PC_Mode] = ch.narrow ? "NFM" : "FM";
    f[PC_TStep] = Raster(ch.rxFreq, ch.txInhibit ? ch.rxFreq : ch.txFreq);
    f[PC_Skip] = ch.scanInc ? "" : "S";
    // The level's nominal watts; a level the list does not name (a damaged image) as the list shows it.
    const std::vector<cmcPowerLevel> levels = ChannelPowerLevels(*capsule.Env().lists, main.ModelType());
    f[PC_Power] = ch.rfPower < levels.size() ? WattsText(levels[ch.rfPower].watts) : Shown(capsule, CL_Mch_RfPo, channel);
    f[PC_Bank] = std::to_string(datBankOfChannel(image, channel) + 1);
    return f;
}

// ---------------- import ----------------

// A plan's number without the spaces a spreadsheet may put around it.
std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// A decimal number as a plan writes it: digits with at most one decimal point and a digit on at
// least one side of it; no sign, exponent, hexadecimal form, or anything after it (a zero byte
// included). The value in millionths, rounded at the seventh decimal; false when the text is no
// such number or its value is above `max`. The value is range-checked as it is read, so that no
// number wraps into a smaller one.
bool ParseMillionths(std::string_view text, uint64_t max, uint64_t* out) {
    text = Trimmed(text);
    uint64_t whole = 0, fraction = 0;
    int decimals = 0;
    bool point = false, digits = false, roundUp = false;
    for (char ch : text) {
        if (ch == '.' && !point) {
            point = true;
            continue;
        }
        if (ch < '0' || ch > '9') return false;
        digits = true;
        const int d = ch - '0';
        if (!point) {
            whole = whole * 10 + static_cast<uint64_t>(d);
            if (whole > max / 1000000 + 1) return false;
        } else if (decimals < 6) {
            fraction = fraction * 10 + static_cast<uint64_t>(d);
            ++decimals;
        } else if (decimals++ == 6) {
            roundUp = d >= 5;
        }
    }
    if (!digits) return false;
    for (int i = decimals; i < 6; ++i) fraction *= 10;
    const uint64_t value = whole * 1000000 + fraction + (roundUp ? 1 : 0);
    if (value > max) return false;
    *out = value;
    return true;
}

// A tone frequency written as a number ("100", "88.50") in the one form the tone cells show
// ("100.0", "88.5"); false when the text is no such number.
bool ToneFrequencyText(const std::string& text, std::string* out) {
    uint64_t v = 0;
    if (!ParseMillionths(text, 999999999, &v) || v == 0) return false;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1f", static_cast<double>(v) / 1e6);
    *out = buf;
    return true;
}

struct LineValues {
    int line = 0;
    std::vector<std::string> f;  // by Col; empty when the file lacks the column
    std::vector<bool> given;     // the file has the column
};

// A frequency in MHz ("446.00625") in Hz; false when it is no decimal number or above what 32 bits
// of Hz hold.
bool ParseMhz(const std::string& text, uint32_t* hz) {
    uint64_t v = 0;
    if (!ParseMillionths(text, 0xFFFFFFFFu, &v)) return false;
    *hz = static_cast<uint32_t>(v);
    return true;
}

// A whole number written with digits alone; false for anything else or a value above int's range.
bool ParseInt(const std::string& text, int* out) {
    long long v = 0;
    if (!ReadWholeNumber(Trimmed(text), 0, INT_MAX, &v)) return false;
    *out = static_cast<int>(v);
    return true;
}

class Importer {
public:
    Importer(const cmcCellEnv& env, indMain& main, cmcPlanImport& result, const cmcPlanOptions& options,
             int firstLocation)
        : main_(main), result_(result), options_(options), firstLocation_(firstLocation), script_(env.On(main)),
          capsule_(env.On(main)), texts_(*env.gtex), tones_(editors::TonesOf(env)),
          levels_(ChannelPowerLevels(*env.lists, main.ModelType())) {}

    // Applies one line to the working image; false (with problems added) when a value is refused.
    // Every value of the line is checked, so that one refused value does not hide the others. The
    // caller restores the image from Snapshot() after a refused line that Touched() it.
    bool Line(const LineValues& v) {
        line_ = v.line;
        problems_ = 0;
        problemColumns_.clear();
        touched_ = false;
        uint8_t* image = main_.WorkingImage().Data();
        const int type = main_.ModelType();
        cmcPlanChange change;
        change.line = v.line;

        // Values that do not need the image: read and check them first.
        uint32_t rx = 0;
        const bool rxRead = v.given[PC_Frequency] && ParseMhz(v.f[PC_Frequency], &rx) && rx != 0;
        if (!rxRead)
            Problem(PC_Frequency, v.given[PC_Frequency] ? RefusedNotFrequency(texts_, v.f[PC_Frequency])
                                                      : "the file has no Frequency column");
        int wantedBank = -1;
        if (options_.bank >= 0) {
            wantedBank = options_.bank;
        } else if (v.given[PC_Bank] && !v.f[PC_Bank].empty()) {
            int b = 0;
            if (!ParseInt(v.f[PC_Bank], &b) || b < 1 || b > 5)
                Problem(PC_Bank, QuotedField(v.f[PC_Bank]) + " is not a bank (1 to 5)");
            else
                wantedBank = b - 1;
        }
        // The slot: by Location, or after the last channel in use of the bank asked for.
        int channel = -1;
        if (options_.bank < 0) {
            int location = 0;
            const int last = firstLocation_ + 63;
            if (!v.given[PC_Location] || !ParseInt(v.f[PC_Location], &location) || location < firstLocation_) {
                Problem(PC_Location, v.given[PC_Location] ? QuotedField(v.f[PC_Location]) + " is not a channel (" +
                                                                std::to_string(firstLocation_) + " to " +
                                                                std::to_string(last) + ")"
                                                          : "the file has no Location column");
            } else if (location > last) {
                // A plan made for a radio of more channels: the lines past the last channel do not
                // fit. One problem names the first of them and counts the others.
                return DoesNotFit("Location " + std::to_string(location) + " lies beyond channel 64 (Location " +
                                  std::to_string(last) + ")");
            } else if (const auto seen = locationLines_.find(location); seen != locationLines_.end()) {
                // Two lines for one channel: the later one would silently overwrite the earlier.
                Problem(PC_Location, "channel " + std::to_string(location - firstLocation_ + 1) +
                                         " is already set by line " + std::to_string(seen->second));
            } else {
                locationLines_.emplace(location, v.line);
                channel = location - firstLocation_;
            }
        } else {
            channel = FreeSlot(options_.bank);
            if (channel < 0)
                return DoesNotFit("bank " + std::to_string(options_.bank + 1) + " has no free channel left");
        }
        uint32_t tx = rx;
        bool txInhibit = false, txRead = true;
        const std::string duplex = v.given[PC_Duplex] ? v.f[PC_Duplex] : std::string();
        if (duplex == "+" || duplex == "-" || duplex == "split") {
            uint32_t off = 0;
            txRead = false;
            if (!v.given[PC_Offset] || !ParseMhz(v.f[PC_Offset], &off)) {
                Problem(PC_Offset, RefusedNotFrequency(texts_, v.given[PC_Offset] ? v.f[PC_Offset] : std::string()));
            } else if (duplex == "+") {
                // Added in 64 bits: a sum beyond 32 bits of Hz must not wrap to a low frequency.
                const uint64_t sum = uint64_t{rx} + off;
                if (sum > 0xFFFFFFFFu)
                    Problem(PC_Offset, RefusedFrequency(texts_, true, Mhz(sum)));
                else
                    tx = static_cast<uint32_t>(sum), txRead = true;
            } else if (duplex == "-") {
                if (off > rx)
                    Problem(PC_Offset, "the offset is larger than the frequency");
                else
                    tx = rx - off, txRead = true;
            } else {
                tx = off, txRead = true;
            }
        } else if (duplex == "off") {
            txInhibit = true;
        } else if (!duplex.empty()) {
            Problem(PC_Duplex, QuotedField(duplex) + " is not one of +, -, split, off or empty");
        }
        // Tones as the two texts the tone cells take ("" for none).
        std::string txTone, rxTone;
        int txCol = PC_Tone, rxCol = PC_Tone;
        bool tonesRead = true;
        const std::string tone = v.given[PC_Tone] ? v.f[PC_Tone] : std::string();
        std::string pol = v.given[PC_DtcsPol] && !v.f[PC_DtcsPol].empty() ? v.f[PC_DtcsPol] : "NN";
        if (pol.size() != 2 || (pol[0] != 'N' && pol[0] != 'R') || (pol[1] != 'N' && pol[1] != 'R')) {
            Problem(PC_DtcsPol, QuotedField(pol) + " is not one of NN, NR, RN, RR");
            pol = "NN";
            tonesRead = false;
        }
        auto dtcs = [&](int col, char polarity) {
            return CodeText(Field(v, col, kDefaultDtcs)) + (polarity == 'R' ? "I" : "N");
        };
        if (tone.empty()) {
        } else if (tone == "Tone") {
            txTone = ToneText(Field(v, PC_RTone, kDefaultTone));
            txCol = PC_RTone;
        } else if (tone == "TSQL") {
            txTone = rxTone = ToneText(Field(v, PC_CTone, kDefaultTone));
            txCol = rxCol = PC_CTone;
        } else if (tone == "DTCS") {
            txTone = dtcs(PC_Dtcs, pol[0]);
            rxTone = dtcs(PC_Dtcs, pol[1]);
            txCol = rxCol = PC_Dtcs;
        } else if (tone == "Cross") {
            const std::string mode = Field(v, PC_CrossMode, "Tone->Tone");
            const size_t arrow = mode.find("->");
            const std::string a = arrow == std::string::npos ? std::string() : mode.substr(0, arrow);
            const std::string b = arrow == std::string::npos ? std::string() : mode.substr(arrow + 2);
            auto known = [](const std::string& w) { return w.empty() || w == "Tone" || w == "DTCS"; };
            if (arrow == std::string::npos || !known(a) || !known(b) || (a.empty() && b.empty())) {
                Problem(PC_CrossMode, QuotedField(mode) + " is not a cross mode this radio has");
                tonesRead = false;
            } else {
                if (a == "Tone") txTone = ToneText(Field(v, PC_RTone, kDefaultTone)), txCol = PC_RTone;
                if (a == "DTCS") txTone = dtcs(PC_Dtcs, pol[0]), txCol = PC_Dtcs;
                if (b == "Tone") rxTone = ToneText(Field(v, PC_CTone, kDefaultTone)), rxCol = PC_CTone;
                if (b == "DTCS") rxTone = dtcs(PC_RxDtcs, pol[1]), rxCol = PC_RxDtcs;
            }
        } else {
            // The reverse modes (TSQL-R, DTCS-R: quiet while the tone is heard) are among these.
            Problem(PC_Tone, QuotedField(tone) + " is not a tone mode this radio has (Tone, TSQL, DTCS or Cross)");
            tonesRead = false;
        }
        // A tone the radio does not have, found without the image so that it is named even when
        // the channel cannot be set; the same message as the check of what the cells took.
        if (tonesRead && !KnownTone(txTone)) {
            Problem(txCol, RefusedTone(texts_, true, txTone));
            tonesRead = false;
        }
        if (tonesRead && !KnownTone(rxTone)) {
            Problem(rxCol, RefusedTone(texts_, false, rxTone));
            tonesRead = false;
        }
        const std::string mode = v.given[PC_Mode] ? v.f[PC_Mode] : std::string();
        const bool modeRead = mode.empty() || mode == "FM" || mode == "NFM";
        if (!modeRead) Problem(PC_Mode, QuotedField(mode) + " is not a mode this radio has (FM or NFM)");
        // P (a priority channel in other tools) is scanned like any channel without S.
        const std::string skip = v.given[PC_Skip] ? v.f[PC_Skip] : std::string();
        const bool skipRead = skip.empty() || skip == "S" || skip == "P";
        if (!skipRead) Problem(PC_Skip, QuotedField(skip) + " is not one of S, P or empty");
        int power = -1;
        const std::string powerText = v.given[PC_Power] ? std::string(Trimmed(v.f[PC_Power])) : std::string();
        if (!powerText.empty()) {
            power = PowerLevelOf(levels_, powerText);
            if (power < 0) Problem(PC_Power, QuotedField(powerText) + " is not a power in watts or a level (" + LevelNames() + ")");
        }
        std::string name = v.given[PC_Name] ? v.f[PC_Name] : std::string();
        bool nameRead = v.given[PC_Name];
        if (nameRead && options_.fitNames) {
            const std::string fitted = FitName(name);
            if (fitted != TrimRight(name))
                result_.notes.push_back({line_, kColumns[PC_Name], QuotedField(name) + " fitted to the display as " + QuotedField(fitted)});
            name = fitted;
        }
        if (nameRead) {
            // A character the display has no code for is refused by the name's editor, for the
            // reason it gives everywhere.
            if (const std::string why = NoCharacterMessage(texts_, name); !why.empty()) {
                Problem(PC_Name, Refused(name, why));
                nameRead = false;
            } else if (BytesOf(TrimRight(name)).size() > 8) {
                Problem(PC_Name, QuotedField(name) + " is longer than the 8 characters the display shows");
                nameRead = false;
            }
        }
        if (channel < 0 || !rxRead) return false;
        if (options_.bank < 0 && channel >= datChannelTotal(image) && datChannelTotal(image) >= 64) {
            Problem(PC_Location, "the banks already hold all 64 channels");
            return false;
        }

        // From here on the line edits the image.
        snapshot_.Assign(main_.WorkingImage());
        touched_ = true;

        if (options_.bank >= 0) {
            if (channel >= datBankFirst(image, wantedBank) + datBankSize(image, wantedBank)) {
                if (!Join(wantedBank, channel, PC_Location)) return false;
                change.added = true;
            }
        } else if (channel >= datChannelTotal(image)) {
            // Beyond the bank table: the channel joins its bank (the last bank with channels).
            int bank = wantedBank;
            if (bank < 0) {
                bank = 0;
                for (int b = 0; b < 5; ++b)
                    if (datBankSize(image, b) > 0) bank = b;
            }
            for (int b = bank + 1; b < 5; ++b)
                if (datBankSize(image, b) > 0) {
                    Problem(PC_Bank, "channel " + std::to_string(channel + 1) + " cannot join bank " +
                                        std::to_string(bank + 1) + ": bank " + std::to_string(b + 1) +
                                        " follows it");
                    return false;
                }
            while (channel >= datChannelTotal(image))
                if (!Join(bank, datChannelTotal(image), PC_Location)) return false;
            change.added = true;
        } else if (wantedBank >= 0 && datBankOfChannel(image, channel) != wantedBank) {
            Problem(PC_Bank, "channel " + std::to_string(channel + 1) + " is in bank " +
                                std::to_string(datBankOfChannel(image, channel) + 1));
        }
        if (!change.added && datChannelInUse(image, channel))
            change.before = PlanFields(main_, capsule_, channel);
        change.channel = channel;
        change.bank = datBankOfChannel(image, channel);

        // Every value through the cell that edits it, in the order a user would type them; a value
        // refused above is left out, the others are still checked.
        SetFrequency(CL_Mch_FreqR, channel, rx);
        {
            datCh ch(image);
            ch.Load(datChannelKind(type), channel);
            if (ch.rxFreq != rx || !ch.inUse) {
                Problem(PC_Frequency, RefusedFrequency(texts_, false, Mhz(rx)));
                return false;
            }
        }
        if (txRead) {
            Pick(CL_Mch_TxInh, channel, txInhibit ? 1 : 0, PC_Duplex);
            if (!txInhibit) SetFrequency(CL_Mch_FreqT, channel, tx);
        }
        // A plan without a Tone column keeps the channel's tones.
        const bool tones = v.given[PC_Tone] && tonesRead;
        if (tones) {
            SetTone(CL_Mch_CTone_R, channel, rxTone, rxCol);
            SetTone(CL_Mch_CTone_T, channel, txTone, txCol);
        }
        if (nameRead) {
            // A name the cell holds already writes nothing; what the cell took is checked below.
            cmcCellObj cell = ChannelCell(CL_Mch_Text, channel);
            std::string why;
            script_.Type(cell, name, &why);
        }
        if (!mode.empty() && modeRead) Pick(CL_Mch_Nar, channel, mode == "NFM" ? 1 : 0, PC_Mode);
        if (v.given[PC_Skip] && skipRead) Pick(CL_Mch_Scan_Inc, channel, skip == "S" ? 0 : 1, PC_Skip);
        if (power >= 0) Pick(CL_Mch_RfPo, channel, power, PC_Power);

        // What the radio now holds must be what the line asked for: an editor that snaps a value
        // (a frequency off the channel raster, a tone by its first digits) is a refusal here.
        change.after = PlanFields(main_, capsule_, channel);
        const auto& a = change.after;
        if (txRead && !txInhibit && (a[PC_Duplex] == "off" || TxOf(a) != tx))
            Problem(duplex.empty() ? PC_Frequency : PC_Offset, RefusedFrequency(texts_, true, Mhz(tx)));
        // A dPMR446 radio transmits the tone it receives: a plan that asks for two tones cannot be held.
        const bool tied = type == kModelDPmr446 && Canonical(txTone) != Canonical(rxTone);
        if (tones && tied)
            Problem(txCol, "this model transmits the tone it receives: " + QuotedField(txTone.empty() ? "none" : txTone) +
                               " cannot differ from " + QuotedField(rxTone.empty() ? "none" : rxTone));
        else if (tones && ToneOf(a, true) != Canonical(txTone))
            Problem(txCol, RefusedTone(texts_, true, txTone));
        if (tones && ToneOf(a, false) != Canonical(rxTone)) Problem(rxCol, RefusedTone(texts_, false, rxTone));
        if (nameRead && a[PC_Name] != TrimRight(name))
            Problem(PC_Name, QuotedField(name) + " has characters the display cannot show or is too long");
        if (problems_) return false;
        result_.changes.push_back(std::move(change));
        return true;
    }

    // A problem of the line; one per column (a value refused before the image is edited is not
    // refused again by its cell).
    void Problem(int col, const std::string& message) {
        if (std::find(problemColumns_.begin(), problemColumns_.end(), col) != problemColumns_.end()) return;
        problemColumns_.push_back(col);
        if (!problems_) ++result_.refusedLines;
        result_.AddProblem({line_, kColumns[col], message});
        ++problems_;
    }

    // The lines that did not fit: the first is named by a problem, counted with the others.
    void FinishNoRoom() {
        if (noRoomLines_ == 0 || noRoomProblem_ < 0) return;
        std::string& message = result_.problems[static_cast<size_t>(noRoomProblem_)].message;
        message += noRoomLines_ == 1 ? ": this line does not fit"
                                     : ": this line and " + std::to_string(noRoomLines_ - 1) + " more line" +
                                           (noRoomLines_ == 2 ? "" : "s") + " do not fit";
    }

    bool Touched() const { return touched_; }
    // The working image as it was before the last line edited it.
    const cmcEeprom& Snapshot() const { return snapshot_; }

private:
    static std::string Field(const LineValues& v, int col, const char* fallback) {
        return v.given[col] && !v.f[col].empty() ? v.f[col] : std::string(fallback);
    }

    bool DoesNotFit(const std::string& why) {
        ++result_.refusedLines;
        if (noRoomLines_++ == 0) {
            result_.AddProblem({line_, kColumns[PC_Location], why});
            noRoomProblem_ = result_.moreProblems ? -1 : static_cast<int>(result_.problems.size()) - 1;
        }
        return false;
    }

    // The first channel after the last channel in use of a bank, within the bank; past its end
    // when every channel of the bank up to the end is in use (the bank then grows); -1 when the
    // bank cannot grow because the banks hold all 64 channels.
    int FreeSlot(int bank) const {
        const uint8_t* image = main_.WorkingImage().Data();
        const int first = datBankFirst(image, bank);
        const int end = first + datBankSize(image, bank);
        int slot = first;
        for (int n = first; n < end; ++n)
            if (datChannelInUse(image, n)) slot = n + 1;
        if (slot < end) return slot;
        return datChannelTotal(image) < 64 ? end : -1;
    }

    std::string LevelNames() const {
        std::string out;
        for (const cmcPowerLevel& l : levels_) out += (out.empty() ? "" : ", ") + l.name;
        return out;
    }

    bool KnownTone(const std::string& text) const {
        if (text.empty()) return true;
        const std::string c = Canonical(text);
        if (c.size() == 4 && (c[3] == 'N' || c[3] == 'I')) {
            const auto& codes = tones_.dtcs;
            return std::find(codes.begin(), codes.end(), c.substr(0, 3)) != codes.end();
        }
        const auto& tones = tones_.ctcss;
        return std::find(tones.begin(), tones.end(), c) != tones.end();
    }

    // A spreadsheet that took the plan's tones for numbers writes them back shortened ("100" for
    // "100.0", "23" for the code "023"); the tone cells take the full forms.
    static std::string ToneText(const std::string& text) {
        std::string full;
        return ToneFrequencyText(text, &full) ? full : text;
    }
    static std::string CodeText(const std::string& text) {
        if (text.empty() || text.size() >= 3 || text.find_first_not_of("01234567") != std::string::npos) return text;
        return std::string(3 - text.size(), '0') + text;
    }

    static std::string Refused(const std::string& value, const std::string& why) {
        return QuotedField(value) + " refused: " + why;
    }

    bool Join(int bank, int pos, int col) {
        if (datChannelTotal(main_.WorkingImage().Data()) >= 64) {
            Problem(col, "the banks already hold all 64 channels");
            return false;
        }
        if (!datChannelJoinsBank(main_.WorkingImage(), main_.InitialImage(), main_.ModelType(), bank, pos)) {
            Problem(col, "the channel cannot join bank " + std::to_string(bank + 1));
            return false;
        }
        return true;
    }

    // A frequency goes in as typed; a channel of fixed frequencies (the dPMR446 banks) takes no
    // typing, only a pick from its list, so a fixed frequency is picked there.
    void SetFrequency(int label, int channel, uint32_t hz) {
        cmcCellObj cell = ChannelCell(label, channel);
        std::string why;
        if (script_.Type(cell, Mhz(hz), &why)) return;
        const int fixed = FixedChannelIndex(hz);
        if (fixed >= 0) script_.Apply(cell, "@pick:" + std::to_string(fixed), &why);
    }

    void Pick(int label, int channel, int item, int col) {
        cmcCellObj cell = ChannelCell(label, channel);
        std::string why;
        const std::string before = Shown(capsule_, label, channel);
        if (!script_.Apply(cell, "@pick:" + std::to_string(item), &why)) {
            // A pick of the value the cell holds already writes nothing.
            uint8_t* image = main_.WorkingImage().Data();
            datCh ch(image);
            ch.Load(datChannelKind(main_.ModelType()), channel);
            const int now = label == CL_Mch_TxInh ? ch.txInhibit
                            : label == CL_Mch_Nar ? ch.narrow
                            : label == CL_Mch_RfPo ? ch.rfPower
                                                   : ch.scanInc;
            if (now != item) Problem(col, Refused(before, why));
        }
    }

    void SetTone(int label, int channel, const std::string& text, int col) {
        cmcCellObj cell = ChannelCell(label, channel);
        std::string why;
        if (text.empty()) {
            script_.Apply(cell, "@pick:" + std::to_string(kToneItemOff), &why);
            return;  // checked with the other values afterwards
        }
        script_.Type(cell, text, &why);
    }

    static uint32_t TxOf(const std::vector<std::string>& a) {
        uint32_t rx = 0, off = 0;
        ParseMhz(a[PC_Frequency], &rx);
        ParseMhz(a[PC_Offset], &off);
        if (a[PC_Duplex] == "+") return rx + off;
        if (a[PC_Duplex] == "-") return rx - off;
        if (a[PC_Duplex] == "split") return off;
        return rx;
    }

    // A tone text in one form: "" for none, "88.5" for a tone, "023N" / "023I" for a code.
    static std::string Canonical(const std::string& text) {
        if (text.empty()) return text;
        if (text.size() == 4 && (text[3] == 'N' || text[3] == 'I')) return text;
        std::string tone;
        return ToneFrequencyText(text, &tone) ? tone : "?" + text;
    }

    // The transmit or receive tone of exported plan fields, in the canonical form.
    static std::string ToneOf(const std::vector<std::string>& a, bool transmit) {
        const std::string& tone = a[PC_Tone];
        const char tpol = a[PC_DtcsPol][0] == 'R' ? 'I' : 'N';
        const char rpol = a[PC_DtcsPol][1] == 'R' ? 'I' : 'N';
        std::string t, r;
        if (tone == "Tone") t = a[PC_RTone];
        if (tone == "TSQL") t = r = a[PC_CTone];
        if (tone == "DTCS") t = a[PC_Dtcs] + tpol, r = a[PC_Dtcs] + rpol;
        if (tone == "Cross") {
            const std::string& m = a[PC_CrossMode];
            const size_t arrow = m.find("->");
            const std::string x = m.substr(0, arrow), y = m.substr(arrow + 2);
            if (x == "Tone") t = a[PC_RTone];
            if (x == "DTCS") t = a[PC_Dtcs] + tpol;
            if (y == "Tone") r = a[PC_CTone];
            if (y == "DTCS") r = a[PC_RxDtcs] + rpol;
        }
        return Canonical(transmit ? t : r);
    }

    indMain& main_;
    cmcPlanImport& result_;
    const cmcPlanOptions& options_;
    const int firstLocation_;  // the Location of channel 1
    cmcCellScript script_;
    cmcCellCapsule capsule_;
    cmcGTex& texts_;
    const cmcToneItems& tones_;
    const std::vector<cmcPowerLevel> levels_;
    int line_ = 0;
    int problems_ = 0;
    std::vector<int> problemColumns_;  // the columns of this line with a problem
    int noRoomLines_ = 0;              // lines that did not fit
    int noRoomProblem_ = -1;           // the problem naming the first of them, when kept
    bool touched_ = false;
    cmcEeprom snapshot_;
    std::map<int, int> locationLines_;  // the line that names each Location, by Location
};

}  // namespace

const char* ChannelPlanHeader() {
    return "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,RxDtcsCode,"
           "CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE,Bank";
}

namespace {

const char* PowerListKey(int modelType) {
    switch (modelType) {
    case kModelPmr: return "GI_Sheet_Sel_Mch_RfPwr_Pmr";
    case kModelKorvPmr: return "GI_Sheet_Sel_Mch_RfPwr_PmrK";
    case kModelDPmr446: return "GI_Sheet_Sel_Mch_RfPwr_DPmr446";
    default: return "GI_Sheet_Sel_Mch_RfPwr_Lmr";
    }
}

// Upper case, spaces around the text cut, for comparing level names.
std::string Folded(std::string_view text) {
    std::string out(Trimmed(text));
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

std::vector<cmcPowerLevel> ChannelPowerLevels(cmcFCache& lists, int modelType) {
    // The Power list writes each level as "Name (watts W)"; the watts are written nowhere else.
    std::vector<cmcPowerLevel> out;
    const std::string key = PowerListKey(modelType);
    for (int i = 0; i < 4; ++i) {
        const std::string text = lists.Text(key, Flex0, i);
        cmcPowerLevel level;
        const size_t open = text.rfind(" (");
        level.name = text.substr(0, open);
        uint64_t microwatts = 0;
        if (open != std::string::npos && text.size() > open + 4 && text.compare(text.size() - 3, 3, " W)") == 0 &&
            ParseMillionths(std::string_view(text).substr(open + 2, text.size() - open - 5), 999999999, &microwatts))
            level.watts = static_cast<double>(microwatts) / 1e6;
        out.push_back(std::move(level));
    }
    return out;
}

std::string WattsText(double watts) {
    char buf[32];
    if (watts >= 10) {
        std::snprintf(buf, sizeof buf, "%.0fW", watts);
        return buf;
    }
    // One decimal at least, more only where the level needs them (0.05W).
    for (int decimals = 1; decimals < 6; ++decimals) {
        std::snprintf(buf, sizeof buf, "%.*f", decimals, watts);
        if (std::fabs(std::strtod(buf, nullptr) - watts) < 1e-9) break;
    }
    return std::string(buf) + "W";
}

int PowerLevelOf(const std::vector<cmcPowerLevel>& levels, const std::string& text) {
    // A level's name, alone or as the Power list shows it ("High (5 W)").
    const std::string folded = Folded(std::string_view(text).substr(0, text.find(" (")));
    for (size_t i = 0; i < levels.size(); ++i)
        if (!levels[i].name.empty() && folded == Folded(levels[i].name)) return static_cast<int>(i);
    // Watts: "5W", "5.0W", "0.5 W", "5".
    std::string_view number = Trimmed(text);
    if (!number.empty() && (number.back() == 'W' || number.back() == 'w')) number.remove_suffix(1);
    uint64_t microwatts = 0;
    if (!ParseMillionths(number, 999999999999, &microwatts) || microwatts == 0) return -1;
    // The nearest level by ratio (in decibels): 4 W is nearer 5 W than 2.5 W, 0.7 W nearer 0.5 W than 1 W.
    const double watts = static_cast<double>(microwatts) / 1e6;
    int best = -1;
    double bestDistance = 0;
    for (size_t i = 0; i < levels.size(); ++i) {
        if (levels[i].watts <= 0) continue;
        const double d = std::fabs(std::log(watts / levels[i].watts));
        if (best < 0 || d < bestDistance - 1e-12) best = static_cast<int>(i), bestDistance = d;
    }
    return best;
}

std::string FitName(const std::string& name) {
    // Each character as the display can show it, in the editable form ('%' written twice).
    std::string mapped;
    for (size_t i = 0; i < name.size();) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 32 && c < 127) {
            const char u = static_cast<char>(std::toupper(c));
            mapped += u == '%' ? std::string("%%") : std::string(1, u);
            ++i;
            continue;
        }
        // A character of more than one byte: an accented Latin letter becomes its letter.
        unsigned cp = c;
        size_t n = 1;
        if (c >= 0xC0 && c < 0xE0 && i + 1 < name.size()) cp = ((c & 0x1Fu) << 6) | (name[i + 1] & 0x3Fu), n = 2;
        else if (c >= 0xE0 && c < 0xF0) n = 3;
        else if (c >= 0xF0) n = 4;
        static const char kLatin[] = "AAAAAAACEEEEIIIIDNOOOOOxOUUUUYTSAAAAAAACEEEEIIIIDNOOOOO-OUUUUYTY";
        char letter = '-';
        if (n == 2 && cp >= 0xC0 && cp <= 0xFF) letter = kLatin[cp - 0xC0];
        if (n == 2 && cp == 0xDF) mapped += 'S';  // sharp s as "SS"
        mapped += letter == 'x' ? '-' : letter;
        i += std::min(n, name.size() - i);
    }
    // At most 8 display characters: a point after a character shares its place.
    std::vector<uint8_t> bytes = BytesOf(mapped);
    while (!bytes.empty() && (bytes.back() & 0x7F) == ' ') bytes.pop_back();
    if (bytes.size() > 8) bytes.resize(8);
    while (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();
    return EditableOf(bytes);
}

const std::vector<std::string>& ChannelPlanColumns() { return kColumns; }

std::string PlanToneText(const std::vector<std::string>& f) {
    const std::string& tone = f[PC_Tone];
    if (tone == "Tone") return tone + " " + f[PC_RTone];
    if (tone == "TSQL") return tone + " " + f[PC_CTone];
    if (tone == "DTCS") return tone + " " + f[PC_Dtcs] + " " + f[PC_DtcsPol];
    if (tone != "Cross") return tone;
    const std::string& mode = f[PC_CrossMode];
    const size_t arrow = mode.find("->");
    const std::string tx = mode.substr(0, arrow), rx = arrow == std::string::npos ? std::string() : mode.substr(arrow + 2);
    std::string values;
    auto add = [&](const std::string& v) { values += (values.empty() ? "" : "/") + v; };
    if (tx == "Tone") add(f[PC_RTone]);
    if (tx == "DTCS") add(f[PC_Dtcs] + (f[PC_DtcsPol][0] == 'R' ? "R" : "N"));
    if (rx == "Tone") add(f[PC_CTone]);
    if (rx == "DTCS") add(f[PC_RxDtcs] + (f[PC_DtcsPol].size() > 1 && f[PC_DtcsPol][1] == 'R' ? "R" : "N"));
    return tone + " " + mode + " " + values;
}

std::string ExportChannelPlan(const cmcCellEnv& env, indMain& main) {
    std::string out = ChannelPlanHeader();
    out += "\r\n";
    cmcCellCapsule capsule(env.On(main));
    const uint8_t* image = main.WorkingImage().Data();
    const int total = datChannelTotal(image);
    for (int n = 0; n < total && n < 64; ++n) {
        if (!datChannelInUse(image, n)) continue;
        const std::vector<std::string> f = PlanFields(main, capsule, n);
        for (size_t i = 0; i < f.size(); ++i) {
            if (i) out += ',';
            out += CsvField(f[i]);
        }
        out += "\r\n";
    }
    return out;
}

std::string cmcPlanProblem::Text() const {
    if (line == 0) return message;
    return "line " + std::to_string(line) + ": " + (column.empty() ? std::string() : column + ": ") + message;
}

cmcPlanImport ImportChannelPlan(const cmcCellEnv& env, indMain& main, const std::string& csv,
                                const cmcPlanOptions& options) {
    cmcPlanImport result;
    const char separator = CsvSeparator(csv);
    // One record at a time: a plan of many lines never exists as records all at once. Fields past
    // the last column a plan could name are only counted.
    constexpr size_t kMaxColumns = 256;
    cmcCsvReader reader(csv, separator, kMaxColumns);
    cmcCsvRecord header;
    // A line whose first field starts with '#' is a comment, before the header as after it.
    auto comment = [](const cmcCsvRecord& r) {
        std::string_view first = r.fields.empty() ? std::string_view() : std::string_view(r.fields[0]);
        if (r.line == 1 && first.rfind("\xEF\xBB\xBF", 0) == 0) first.remove_prefix(3);
        return !first.empty() && first.front() == '#';
    };
    bool any = false;
    while ((any = reader.Next(&header)) && comment(header)) {
    }
    if (!any) {
        result.AddProblem({1, "", "the file is empty: a header line naming the columns is needed"});
        return result;
    }
    if (header.dropped) {
        result.AddProblem({header.line, "", "the header has more than " + std::to_string(kMaxColumns) + " columns"});
        return result;
    }
    // Columns by header name; unknown columns are ignored, a known one named twice is refused
    // (which of the two would hold the channel's value?).
    std::vector<int> where(PC_Count, -1);
    for (size_t i = 0; i < header.fields.size(); ++i) {
        std::string name = header.fields[i];
        if (i == 0 && name.rfind("\xEF\xBB\xBF", 0) == 0) name = name.substr(3);  // byte order mark
        for (int c = 0; c < PC_Count; ++c) {
            if (kColumns[c] != name) continue;
            if (where[c] >= 0)
                result.AddProblem({header.line, kColumns[c], "the column appears twice"});
            else
                where[c] = static_cast<int>(i);
        }
    }
    if (!result.problems.empty()) return result;
    if (where[PC_Frequency] < 0) {
        result.AddProblem({header.line, "Frequency", "the header names no Frequency column"});
        return result;
    }
    if (where[PC_Location] < 0 && options.bank < 0) {
        result.AddProblem({header.line, "Location", "the header names no Location column (or give a bank to append to)"});
        return result;
    }
    if (options.bank > 4) {
        result.AddProblem({header.line, "Bank", "there are five banks"});
        return result;
    }
    // Plans of radios whose channels count from 0 start at Location 0: channel 1 is then Location 0.
    int firstLocation = options.firstLocation;
    if (firstLocation < 0) {
        firstLocation = 1;
        if (options.bank < 0) {
            cmcCsvReader scan(csv, separator, static_cast<size_t>(where[PC_Location]) + 1);
            cmcCsvRecord r;
            while (scan.Next(&r)) {
                if (r.line <= header.line || comment(r) || where[PC_Location] >= static_cast<int>(r.fields.size()))
                    continue;
                int location = 0;
                if (ParseInt(r.fields[where[PC_Location]], &location) && location == 0) {
                    firstLocation = 0;
                    result.notes.push_back({0, "", "Locations count from 0 in this plan: Location 0 is channel 1"});
                    break;
                }
            }
        }
    }

    // The whole import is one user action: one Undo takes it back, and a preview or a refused
    // plan, whose edits are rolled back below, leaves no step in the history.
    const indMain::ActionGroup action(main, "");
    const cmcEeprom original(main.WorkingImage());
    const bool wasModified = main.IsModified();
    Importer importer(env, main, result, options, firstLocation);
    cmcCsvRecord record;
    LineValues v;
    while (reader.Next(&record)) {
        if (comment(record)) continue;
        v.line = record.line;
        v.f.assign(PC_Count, std::string());
        v.given.assign(PC_Count, false);
        for (int c = 0; c < PC_Count; ++c) {
            if (where[c] < 0) continue;
            v.given[c] = true;
            if (where[c] < static_cast<int>(record.fields.size())) v.f[c] = std::move(record.fields[where[c]]);
        }
        // A plan with one tone column (rToneFreq) means that tone for both directions.
        if (where[PC_CTone] < 0 && where[PC_RTone] >= 0) {
            v.f[PC_CTone] = v.f[PC_RTone];
            v.given[PC_CTone] = true;
        }
        // With semicolons between the fields, numbers may carry a decimal comma.
        if (separator == ';')
            for (int c : {PC_Frequency, PC_Offset, PC_RTone, PC_CTone})
                for (char& ch : v.f[c])
                    if (ch == ',') ch = '.';
        if (!importer.Line(v) && importer.Touched()) main.WorkingImage().Assign(importer.Snapshot());
    }
    importer.FinishNoRoom();
    const bool accept = options.apply && (result.problems.empty() || options.skipBad) && !result.changes.empty();
    if (!accept) {
        main.WorkingImage().Assign(original);
        main.RestoreModifiedMark(wasModified);
        return result;
    }
    main.MarkModified();
    result.applied = true;
    return result;
}

void cmcPlanImport::AddProblem(cmcPlanProblem problem) {
    if (static_cast<int>(problems.size()) >= kMaxPlanProblems) {
        ++moreProblems;
        return;
    }
    // A message quotes what the file holds: no control character may reach a terminal or a list
    // from it, and no field may make it a page long.
    std::string shown;
    for (unsigned char ch : problem.message) {
        AppendPrintable(shown, ch);
    }
    constexpr size_t kMaxMessage = 240;
    if (shown.size() > kMaxMessage) {
        size_t cut = kMaxMessage;
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) --cut;  // whole characters
        shown.resize(cut);
        shown += "...";
    }
    problem.message = std::move(shown);
    problems.push_back(std::move(problem));
}

std::string cmcPlanImport::MoreProblemsText() const {
    if (moreProblems <= 0) return {};
    std::string digits = std::to_string(moreProblems), grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return "and " + grouped + " more problem" + (moreProblems == 1 ? "" : "s");
}

std::string QuotedField(const std::string& text) {
    constexpr size_t kShown = 40;
    std::string out = "'";
    size_t used = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(text[i]);
        // Stop at a whole character once the start is shown.
        if (used >= kShown && (ch & 0xC0) != 0x80) {
            out += "...";
            break;
        }
        AppendPrintable(out, ch);
        ++used;
    }
    return out + "'";
}

bool ReadChannelPlanFile(const std::string& path, std::string* text, std::string* why) {
    switch (cmcReadWholeFile(path, kMaxPlanFileBytes, text)) {
        case cmcReadResult::Ok: return true;
        case cmcReadResult::TooLarge:
            *why = path + " is larger than " + std::to_string(kMaxPlanFileBytes / (1024 * 1024)) +
                   " MiB, far more than a channel plan of 64 channels can be; it was not read";
            return false;
        case cmcReadResult::CannotRead: break;
    }
    *why = "cannot read " + path;
    return false;
}

// ---------------- compare ----------------

std::string cmcDiffLine::Text() const {
    switch (kind) {
    case cmcDiffKind::NewChannel: return sheet + " / " + row + ": new channel " + valueB;
    case cmcDiffKind::RemovedChannel: return sheet + " / " + row + ": removed channel " + valueA;
    case cmcDiffKind::Cell: break;
    }
    return sheet + " / " + row + " / " + column + ": " + valueA + " -> " + valueB;
}

std::vector<cmcDiffSheet> GroupDiffBySheet(const std::vector<cmcDiffLine>& lines) {
    std::vector<cmcDiffSheet> out;
    for (const cmcDiffLine& d : lines) {
        if (out.empty() || out.back().sheetReference != d.sheetReference) out.push_back({d.sheetReference, d.sheet, {}});
        out.back().lines.push_back(&d);
    }
    return out;
}

namespace {

std::string WithoutLeadingSpaces(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

// The memory channel a sheet row shows, and its receive frequency's column: the row's cell of
// the channel's receive frequency names both. {-1, -1} for a row of anything else.
struct RowChannel {
    int channel = -1, col = -1;
};
RowChannel ChannelOfRow(cmcSheetBuilder& b, int row) {
    if (!b.InGrid(0, row) || b.PlaceholderRow(row)) return {};
    for (int c = 0; c < b.ColCount(); ++c) {
        const cmcCellObj* cell = b.Id(c, row).cell.get();
        if (cell && cell->category == CT_Mch && cell->label == CL_Mch_FreqR) return {cell->index, c};
    }
    return {};
}

bool ChannelInUse(indMain& main, const RowChannel& rc) {
    return rc.channel >= 0 && rc.channel < cmcSheetBuilderChBank::kChannels &&
           datChannelInUse(main.WorkingImage().Data(), rc.channel);
}

// A channel as a change list names it: its receive frequency as the sheet shows it, in MHz, and
// its name when it has one ("446.100000 MHz EVENT").
std::string ChannelSummary(cmcSheetBuilder& b, cmcCellCapsule& capsule, int row, int freqCol) {
    std::string text = WithoutLeadingSpaces(cmcShownAt(b, capsule, freqCol, row)) + " MHz";
    for (int c = 0; c < b.ColCount(); ++c) {
        const cmcCellObj* cell = b.Id(c, row).cell.get();
        if (!cell || cell->category != CT_Mch || cell->label != CL_Mch_Text) continue;
        const std::string name = cmcCompactText(cmcShownAt(b, capsule, c, row));
        if (!name.empty()) text += " " + name;
        break;
    }
    return text;
}

}  // namespace

std::vector<cmcDiffLine> DiffImages(const cmcCellEnv& env, indMain& a, indMain& b,
                                    const std::vector<std::string>& sheetReferences, const cmcDiffOptions& options) {
    std::vector<cmcDiffLine> out;
    cmcCellCapsule capA(env.On(a)), capB(env.On(b));
    for (const std::string& reference : sheetReferences) {
        if (reference.empty()) continue;
        std::unique_ptr<cmcSheetBuilder> sa = cmcBuildSheetAsText(*env.gtex, reference, a);
        if (!sa) continue;
        std::unique_ptr<cmcSheetBuilder> sb = cmcBuildSheetAsText(*env.gtex, reference, b);
        std::string title = cmcSheetTitle(sa->PrintHeading());
        if (title.empty()) title = cmcSheetKey(reference);
        const int cols = std::max(sa->ColCount(), sb->ColCount());
        const int rows = std::max(sa->RowCount(), sb->RowCount());
        // Headings and row captions are not settings: a caption that differs only says that a
        // row is on one sheet alone, and its cells say what it holds.
        const int fixedCols = std::max(sa->FixedCols(), sb->FixedCols());
        const int fixedRows = std::max(sa->FixedRows(), sb->FixedRows());
        // The row's caption and the column's heading as either sheet shows them (a row that only
        // one image has is captioned on that image's sheet alone).
        auto caption = [&](int col, int row, int fixed) {
            if (fixed == 0) return std::string();
            std::string text = cmcCompactText(cmcShownAt(*sa, capA, col, row));
            return text.empty() ? cmcCompactText(cmcShownAt(*sb, capB, col, row)) : text;
        };
        for (int r = fixedRows; r < rows; ++r) {
            std::vector<cmcDiffLine> cellLines;
            for (int c = fixedCols; c < cols; ++c) {
                const std::string va = cmcShownAt(*sa, capA, c, r);
                const std::string vb = cmcShownAt(*sb, capB, c, r);
                if (va == vb) continue;
                cmcDiffLine d;
                d.sheetReference = reference;
                d.sheet = title;
                d.col = c;
                d.gridRow = r;
                d.cols = {c};
                d.row = caption(0, r, fixedCols);
                if (d.row.empty()) d.row = "row " + std::to_string(r + 1);
                d.column = caption(c, 0, fixedRows);
                if (d.column.empty()) d.column = "column " + std::to_string(c + 1);
                // Values are compared as shown and written without the padding that aligns them
                // in their column ("  1.000").
                d.valueA = WithoutLeadingSpaces(va);
                d.valueB = WithoutLeadingSpaces(vb);
                cellLines.push_back(std::move(d));
            }
            if (cellLines.empty()) continue;
            // A channel that one image has in use and the other has not (or not on this row) is
            // new or removed as a whole: one line instead of a line for each of its cells. A
            // channel both have keeps its cell lines: they are what changed.
            const RowChannel ca = ChannelOfRow(*sa, r), cb = ChannelOfRow(*sb, r);
            const bool usedA = ChannelInUse(a, ca), usedB = ChannelInUse(b, cb);
            if (options.cells || usedA == usedB) {
                for (cmcDiffLine& d : cellLines) out.push_back(std::move(d));
                continue;
            }
            cmcDiffLine d;
            d.kind = usedB ? cmcDiffKind::NewChannel : cmcDiffKind::RemovedChannel;
            d.sheetReference = reference;
            d.sheet = title;
            d.row = cellLines.front().row;
            d.gridRow = r;
            d.col = usedB ? cb.col : ca.col;
            for (const cmcDiffLine& l : cellLines) d.cols.push_back(l.col);
            (usedB ? d.valueB : d.valueA) = usedB ? ChannelSummary(*sb, capB, r, cb.col) : ChannelSummary(*sa, capA, r, ca.col);
            out.push_back(std::move(d));
        }
    }
    return out;
}

}  // namespace qx
